#include "platform/win32/win32_dib.h"

#include "base/errors.h"

namespace tolvarin {

namespace {

// GDI caps a DIB section's size well below what 32-bit sizes allow.
constexpr std::int64_t kMaxDibBytes = std::int64_t(1) << 30;

}  // namespace

HBITMAP CreateTopDownDib(std::int32_t width, std::int32_t height, void*& bits) {
  bits = nullptr;
  if (std::int64_t(width) * height * 4 > kMaxDibBytes) throw ProgramError(kErrorOutOfMemory, "Out of memory");
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!dib || !bits) {
    if (dib) DeleteObject(dib);
    throw ProgramError(kErrorOutOfMemory, "Out of memory");
  }
  return dib;
}

Win32Dib::Win32Dib() : dc_(CreateCompatibleDC(nullptr)) {
  if (!dc_) throw ProgramError(kErrorOutOfMemory, "Out of memory");
}

Win32Dib::~Win32Dib() {
  if (original_) SelectObject(dc_, original_);
  if (dib_) DeleteObject(dib_);
  DeleteDC(dc_);
}

PixelView Win32Dib::View() const {
  GdiFlush();  // drawing through the DC may still be queued
  return bits_ ? PixelView{bits_, width_, height_, width_} : PixelView{};
}

void Win32Dib::Resize(std::int32_t width, std::int32_t height, std::uint32_t fill) {
  if (width == width_ && height == height_) return;
  HBITMAP dib = nullptr;
  void* bits = nullptr;
  const bool pixels = width > 0 && height > 0;
  if (pixels) dib = CreateTopDownDib(width, height, bits);
  const PixelView fresh{static_cast<std::uint32_t*>(bits), pixels ? width : 0, pixels ? height : 0, width};
  Fill(fresh, fill);
  CopyBlock(fresh, 0, 0, width_, height_, View(), 0, 0);
  if (dib) {
    HGDIOBJ previous = SelectObject(dc_, dib);
    if (!original_) original_ = previous;
  } else if (original_) {
    SelectObject(dc_, original_);
  }
  if (dib_) DeleteObject(dib_);
  dib_ = dib;
  bits_ = static_cast<std::uint32_t*>(bits);
  width_ = width;
  height_ = height;
}

}  // namespace tolvarin

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

void SelectDib(HDC memoryDc, HBITMAP dib, HBITMAP& current, HGDIOBJ& original) {
  if (dib) {
    HGDIOBJ previous = SelectObject(memoryDc, dib);
    if (!original) original = previous;
  } else if (original) {
    SelectObject(memoryDc, original);
  }
  if (current) DeleteObject(current);
  current = dib;
}

}  // namespace tolvarin

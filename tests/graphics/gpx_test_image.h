// Pixel buffers for the effect library's tests: rows padded past the image so
// a write beyond the width shows up, filled with seeded noise so runs repeat;
// on Windows also DIB sections selected into memory DCs.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "gpx_fragment.h"

namespace gpx_test {

inline constexpr uint32_t kPadding = 0xDEADBEEFu;

struct Image {
  int width;
  int height;
  int row_pixels;  // width plus padding
  std::vector<uint32_t> buffer;

  Image(int w, int h, int pad = 3)
      : width(w), height(h), row_pixels(w + pad), buffer(std::size_t(w + pad) * h, kPadding) {}

  // bottom_up stores the top row last and walks with a negative stride.
  gpx::Pixels View(bool bottom_up = false) {
    const std::ptrdiff_t stride = std::ptrdiff_t(row_pixels) * 4;
    if (!bottom_up) return {buffer.data(), width, height, stride};
    return {buffer.data() + std::size_t(row_pixels) * (height - 1), width, height, -stride};
  }

  uint32_t& At(int x, int y, bool bottom_up = false) {
    const int row = bottom_up ? height - 1 - y : y;
    return buffer[std::size_t(row) * row_pixels + x];
  }

  // Noise inside the image; `values`, when given, limits the bytes to that set.
  void Fill(uint32_t seed, const std::vector<uint8_t>& values = {}) {
    std::mt19937 random(seed);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        uint32_t p = random();
        if (!values.empty()) {
          p = 0;
          for (int i = 0; i < 4; ++i) p |= uint32_t(values[random() % values.size()]) << (8 * i);
        }
        buffer[std::size_t(y) * row_pixels + x] = p;
      }
    }
  }
};

#ifdef _WIN32
// A memory DC with a DIB section of the given depth selected, filled with
// noise; rows top-down when top_down, else bottom-up as GDI stores them.
struct DibDc {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = nullptr;
  HGDIOBJ previous = nullptr;
  unsigned char* bits = nullptr;
  int width, height, stride;
  bool top_down;

  DibDc(int w, int h, bool down, uint32_t seed, int bpp = 32)
      : width(w), height(h), stride(((w * bpp + 31) / 32) * 4), top_down(down) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, down ? -h : h, 1, WORD(bpp), BI_RGB, 0, 0, 0, 0, 0};
    void* memory = nullptr;
    bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &memory, nullptr, 0);
    bits = static_cast<unsigned char*>(memory);
    if (bitmap == nullptr) return;
    previous = SelectObject(dc, bitmap);
    std::mt19937 random(seed);
    for (int i = 0; i < stride * height; ++i) bits[i] = static_cast<unsigned char>(random());
  }
  ~DibDc() {
    if (previous != nullptr) SelectObject(dc, previous);
    if (bitmap != nullptr) DeleteObject(bitmap);
    DeleteDC(dc);
  }
  // The section's memory top row first, as the library should see it.
  gpx::Pixels View() const {
    auto* top = reinterpret_cast<uint32_t*>(top_down ? bits : bits + std::ptrdiff_t(stride) * (height - 1));
    return {top, width, height, top_down ? stride : -stride};
  }
  std::vector<unsigned char> Bytes() const { return {bits, bits + std::size_t(stride) * height}; }
};

#endif

}  // namespace gpx_test

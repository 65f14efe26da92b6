// Pixel buffers for the effect library's tests: rows padded past the image so
// a write beyond the width shows up, filled with seeded noise so runs repeat.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

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

}  // namespace gpx_test

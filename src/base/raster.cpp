#include "base/raster.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace tolvarin {

Bitmap::Bitmap(std::int32_t w, std::int32_t h, std::uint32_t fill)
    : width(std::max(w, 0)),
      height(std::max(h, 0)),
      pixels(std::size_t(width) * std::size_t(height), fill) {}

PixelView ViewOf(Bitmap& bitmap) {
  return PixelView{bitmap.pixels.data(), bitmap.width, bitmap.height, bitmap.width};
}

void CopyBlock(const PixelView& destination, std::int32_t x, std::int32_t y, std::int32_t width,
               std::int32_t height, const PixelView& source, std::int32_t sourceX,
               std::int32_t sourceY) {
  if (width <= 0 || height <= 0 || !destination.pixels || !source.pixels) return;
  // Clip against the source, then the destination, moving both origins together.
  std::int64_t dx = x, dy = y, sx = sourceX, sy = sourceY, w = width, h = height;
  auto clip = [&](std::int64_t& a, std::int64_t& b, std::int64_t& len, std::int64_t limit) {
    if (a < 0) { b -= a; len += a; a = 0; }
    if (a + len > limit) len = limit - a;
  };
  clip(sx, dx, w, source.width);
  clip(sy, dy, h, source.height);
  clip(dx, sx, w, destination.width);
  clip(dy, sy, h, destination.height);
  if (w <= 0 || h <= 0) return;
  const std::size_t bytes = std::size_t(w) * sizeof(std::uint32_t);
  const bool sameSurface = destination.pixels == source.pixels;
  if (sameSurface && dy > sy) {
    for (std::int64_t r = h - 1; r >= 0; --r)
      std::memmove(destination.row(std::int32_t(dy + r)) + dx, source.row(std::int32_t(sy + r)) + sx, bytes);
  } else {
    for (std::int64_t r = 0; r < h; ++r)
      std::memmove(destination.row(std::int32_t(dy + r)) + dx, source.row(std::int32_t(sy + r)) + sx, bytes);
  }
}

void Bitmap::Resize(std::int32_t w, std::int32_t h, std::uint32_t fill) {
  if (w == width && h == height) return;
  Bitmap resized(w, h, fill);
  CopyBlock(ViewOf(resized), 0, 0, width, height, ViewOf(*this), 0, 0);
  *this = std::move(resized);
}

void Fill(const PixelView& destination, std::uint32_t pixel) {
  for (std::int32_t y = 0; y < destination.height; ++y)
    std::fill_n(destination.row(y), destination.width, pixel);
}

void StretchNearest(const PixelView& destination, const PixelView& source) {
  if (!destination.pixels || !source.pixels || source.width <= 0 || source.height <= 0) return;
  for (std::int32_t y = 0; y < destination.height; ++y) {
    const std::int64_t sy = (std::int64_t(y) * 2 + 1) * source.height / (std::int64_t(destination.height) * 2);
    const std::uint32_t* from = source.row(std::int32_t(sy));
    std::uint32_t* to = destination.row(y);
    for (std::int32_t x = 0; x < destination.width; ++x)
      to[x] = from[(std::int64_t(x) * 2 + 1) * source.width / (std::int64_t(destination.width) * 2)];
  }
}

}  // namespace tolvarin

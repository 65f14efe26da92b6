#include "base/picture_copy.h"

#include <algorithm>

namespace tolvarin {

void PaintPicturePixels(const PixelView& destination, const Bitmap& picture, std::int32_t x,
                        std::int32_t y, std::int32_t width, std::int32_t height, std::int32_t sourceX,
                        std::int32_t sourceY, std::int32_t sourceWidth, std::int32_t sourceHeight) {
  if (width <= 0 || height <= 0 || sourceWidth <= 0 || sourceHeight <= 0 || picture.empty()) return;
  // The source rectangle, with what lies outside the picture left black.
  Bitmap piece(sourceWidth, sourceHeight);
  CopyBlock(ViewOf(piece), 0, 0, sourceWidth, sourceHeight, ViewOf(const_cast<Bitmap&>(picture)),
            sourceX, sourceY);
  if (width == sourceWidth && height == sourceHeight) {
    CopyBlock(destination, x, y, width, height, ViewOf(piece), 0, 0);
    return;
  }
  Bitmap stretched(width, height);
  StretchNearest(ViewOf(stretched), ViewOf(piece));
  CopyBlock(destination, x, y, width, height, ViewOf(stretched), 0, 0);
}

namespace {

std::uint32_t Channel(std::int64_t c0, std::int64_t c1, std::int64_t pos, std::int64_t len) {
  return std::uint32_t(((c0 * (len - pos) + c1 * pos) / len) / 256) & 0xFFu;
}

std::uint32_t Blend(const TriVertex& a, const TriVertex& b, std::int64_t pos, std::int64_t len) {
  return (Channel(a.Red, b.Red, pos, len) << 16) | (Channel(a.Green, b.Green, pos, len) << 8) |
         Channel(a.Blue, b.Blue, pos, len);
}

}  // namespace

bool GradientFillPixels(const PixelView& destination, const TriVertex* vertices,
                        std::uint32_t vertexCount, const GradientRect* rects, std::uint32_t rectCount,
                        std::uint32_t mode) {
  if (mode != kGradientFillRectH && mode != kGradientFillRectV) return false;
  for (std::uint32_t r = 0; r < rectCount; ++r) {
    if (rects[r].UpperLeft >= vertexCount || rects[r].LowerRight >= vertexCount) return false;
    const TriVertex& v0 = vertices[rects[r].UpperLeft];
    const TriVertex& v1 = vertices[rects[r].LowerRight];
    const std::int32_t left = std::max(std::min(v0.x, v1.x), 0);
    const std::int32_t right = std::min(std::max(v0.x, v1.x), destination.width);
    const std::int32_t top = std::max(std::min(v0.y, v1.y), 0);
    const std::int32_t bottom = std::min(std::max(v0.y, v1.y), destination.height);
    for (std::int32_t y = top; y < bottom; ++y) {
      std::uint32_t* row = destination.row(y);
      if (mode == kGradientFillRectV) {
        const std::uint32_t pixel = Blend(v0, v1, std::int64_t(y) - v0.y, std::int64_t(v1.y) - v0.y);
        std::fill(row + left, row + std::max(left, right), pixel);
      } else {
        for (std::int32_t x = left; x < right; ++x)
          row[x] = Blend(v0, v1, std::int64_t(x) - v0.x, std::int64_t(v1.x) - v0.x);
      }
    }
  }
  return true;
}

}  // namespace tolvarin

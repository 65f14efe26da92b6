#pragma once
// Retained bitmaps and the raster operations whose pixels the program fixes.
// Pixels are 0x00RRGGBB, rows top-down, no padding (memory order B, G, R, X).
#include <cstdint>
#include <vector>

namespace tolvarin {

struct Bitmap {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::vector<std::uint32_t> pixels;

  Bitmap() = default;
  Bitmap(std::int32_t w, std::int32_t h, std::uint32_t fill = 0);

  bool empty() const { return width <= 0 || height <= 0; }
  // Makes the bitmap w x h, keeping the pixels both sizes share; new pixels get `fill`.
  void Resize(std::int32_t w, std::int32_t h, std::uint32_t fill);
  std::uint32_t at(std::int32_t x, std::int32_t y) const { return pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
  std::uint32_t& at(std::int32_t x, std::int32_t y) { return pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
  friend bool operator==(const Bitmap&, const Bitmap&) = default;
};

// A view of pixels owned elsewhere (a Bitmap or a DIB section).
struct PixelView {
  std::uint32_t* pixels = nullptr;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t stride = 0;  // in pixels
  std::uint32_t* row(std::int32_t y) const { return pixels + std::ptrdiff_t(y) * stride; }
};

PixelView ViewOf(Bitmap& bitmap);

// Copies a block like BitBlt with SRCCOPY: clipped to both surfaces, negative
// sizes draw nothing. Source and destination may be the same surface.
void CopyBlock(const PixelView& destination, std::int32_t x, std::int32_t y, std::int32_t width,
               std::int32_t height, const PixelView& source, std::int32_t sourceX,
               std::int32_t sourceY);

// Fills the whole view with one pixel value.
void Fill(const PixelView& destination, std::uint32_t pixel);

// Stretches `source` over the whole of `destination` by nearest-neighbour
// sampling at pixel centres; the identity when the sizes agree.
void StretchNearest(const PixelView& destination, const PixelView& source);

// Program colours are 0x00BBGGRR; pixels are 0x00RRGGBB.
constexpr std::uint32_t PixelFromColor(std::uint32_t color) {
  return ((color & 0xFFu) << 16) | (color & 0xFF00u) | ((color >> 16) & 0xFFu);
}

}  // namespace tolvarin

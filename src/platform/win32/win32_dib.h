#pragma once
// The retained bitmaps of this backend: 32-bit top-down DIB sections, so the
// portable raster code draws into their memory and GDI can still draw on them.
#include <cstdint>

#include "base/raster.h"
#include "platform/win32/win32_api.h"

namespace tolvarin {

// A DIB section of width x height pixels (both above zero), its pixels at
// `bits`. Raises the out-of-memory error when GDI cannot make it.
HBITMAP CreateTopDownDib(std::int32_t width, std::int32_t height, void*& bits);

// A retained bitmap: a DIB section selected into a memory DC of its own.
// The DC is there from the start; it holds no pixels until the first Resize.
class Win32Dib {
 public:
  Win32Dib();
  ~Win32Dib();
  Win32Dib(const Win32Dib&) = delete;
  Win32Dib& operator=(const Win32Dib&) = delete;

  // Makes the bitmap width x height, keeping the pixels both sizes share;
  // new pixels get `fill`. A size of zero (either way) holds no pixels.
  void Resize(std::int32_t width, std::int32_t height, std::uint32_t fill);
  // The pixels, after GDI has finished drawing on them.
  PixelView View() const;
  HDC dc() const { return dc_; }
  bool empty() const { return bits_ == nullptr; }
  std::int32_t width() const { return width_; }
  std::int32_t height() const { return height_; }

 private:
  HDC dc_ = nullptr;
  HBITMAP dib_ = nullptr;
  HGDIOBJ original_ = nullptr;
  std::uint32_t* bits_ = nullptr;
  std::int32_t width_ = 0, height_ = 0;
};

}  // namespace tolvarin

#pragma once
// Window manager calls, named after the Win32 functions they stand for.
// Texts are UTF-8 inside the program; the backend converts them.
#include <string>

#include "platform/types.h"

namespace tolvarin {

class User32 {
 public:
  virtual ~User32() = default;

  // FindWindowA with a null class name: a top-level window titled exactly `title`, or 0.
  virtual Hwnd FindWindowA(const std::string& title) = 0;
  // Returns the cursor display counter after the change.
  virtual std::int32_t ShowCursor(std::int32_t show) = 0;
  virtual Hwnd GetDesktopWindow() = 0;
  virtual Hdc GetDC(Hwnd window) = 0;
  virtual std::int32_t ReleaseDC(Hwnd window, Hdc dc) = 0;
  virtual std::int32_t GetWindowRect(Hwnd window, RectL& rect) = 0;
  virtual std::int32_t GetWindowLongA(Hwnd window, std::int32_t index) = 0;
  virtual std::int32_t SetWindowLongA(Hwnd window, std::int32_t index, std::int32_t value) = 0;
  virtual Hwnd SetParent(Hwnd child, Hwnd parent) = 0;
  virtual std::int32_t PostMessageA(Hwnd window, std::uint32_t message, std::intptr_t wParam,
                                    std::intptr_t lParam) = 0;
  virtual std::int32_t SetWindowPos(Hwnd window, Hwnd insertAfter, std::int32_t x, std::int32_t y,
                                    std::int32_t cx, std::int32_t cy, std::uint32_t flags) = 0;
  virtual std::int32_t IsWindow(Hwnd window) = 0;
  // The pointer's position in screen pixels; non-zero on success.
  virtual std::int32_t GetCursorPos(PointL& point) = 0;
  // The window at a screen point (the deepest child window there), or 0.
  virtual Hwnd WindowFromPoint(PointL point) = 0;
  virtual std::int32_t GetSystemMetrics(std::int32_t index) = 0;
  // Animates a window's title bar from one rectangle to another (IDANI_CAPTION = 3).
  virtual std::int32_t DrawAnimatedRects(Hwnd window, std::int32_t animation, const RectL& from,
                                         const RectL& to) = 0;
};

class Gdi32 {
 public:
  virtual ~Gdi32() = default;
  virtual std::int32_t BitBlt(Hdc destination, std::int32_t x, std::int32_t y, std::int32_t width,
                              std::int32_t height, Hdc source, std::int32_t sourceX,
                              std::int32_t sourceY, std::uint32_t rop) = 0;
  // msimg32's GradientFill with rectangle records; mode kGradientFillRectH or
  // kGradientFillRectV. Non-zero on success.
  virtual std::int32_t GradientFill(Hdc dc, const TriVertex* vertices, std::uint32_t vertexCount,
                                    const GradientRect* rects, std::uint32_t rectCount,
                                    std::uint32_t mode) = 0;
};

}  // namespace tolvarin

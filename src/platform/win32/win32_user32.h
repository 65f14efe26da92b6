#pragma once
// user32 and gdi32 calls of the program, forwarded to Windows.
#include "platform/user32.h"

namespace tolvarin {

class Win32User32 final : public User32 {
 public:
  Hwnd FindWindowA(const std::string& title) override;
  std::int32_t ShowCursor(std::int32_t show) override;
  Hwnd GetDesktopWindow() override;
  Hdc GetDC(Hwnd window) override;
  std::int32_t ReleaseDC(Hwnd window, Hdc dc) override;
  std::int32_t GetWindowRect(Hwnd window, RectL& rect) override;
  std::int32_t GetWindowLongA(Hwnd window, std::int32_t index) override;
  std::int32_t SetWindowLongA(Hwnd window, std::int32_t index, std::int32_t value) override;
  Hwnd SetParent(Hwnd child, Hwnd parent) override;
  std::int32_t PostMessageA(Hwnd window, std::uint32_t message, std::intptr_t wParam,
                            std::intptr_t lParam) override;
  std::int32_t SetWindowPos(Hwnd window, Hwnd insertAfter, std::int32_t x, std::int32_t y,
                            std::int32_t cx, std::int32_t cy, std::uint32_t flags) override;
  std::int32_t IsWindow(Hwnd window) override;
  std::int32_t GetCursorPos(PointL& point) override;
  std::int32_t DrawAnimatedRects(Hwnd window, std::int32_t animation, const RectL& from,
                                 const RectL& to) override;
  Hwnd WindowFromPoint(PointL point) override;
  std::int32_t GetSystemMetrics(std::int32_t index) override;
};

class Win32Gdi32 final : public Gdi32 {
 public:
  std::int32_t BitBlt(Hdc destination, std::int32_t x, std::int32_t y, std::int32_t width,
                      std::int32_t height, Hdc source, std::int32_t sourceX, std::int32_t sourceY,
                      std::uint32_t rop) override;
  std::int32_t GradientFill(Hdc dc, const TriVertex* vertices, std::uint32_t vertexCount,
                            const GradientRect* rects, std::uint32_t rectCount,
                            std::uint32_t mode) override;
};

}  // namespace tolvarin

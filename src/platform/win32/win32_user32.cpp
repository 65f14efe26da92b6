#include "platform/win32/win32_user32.h"

#include <vector>

#include "platform/win32/win32_api.h"
#include "platform/win32/win32_text.h"

namespace tolvarin {

Hwnd Win32User32::FindWindowA(const std::string& title) {
  // Titles are UTF-8 in the program; the wide call finds Japanese titles on any system.
  const std::wstring wide = Utf8ToWide(title);
  return FromHwnd(::FindWindowW(nullptr, wide.c_str()));
}

std::int32_t Win32User32::ShowCursor(std::int32_t show) { return ::ShowCursor(show != 0); }

Hwnd Win32User32::GetDesktopWindow() { return FromHwnd(::GetDesktopWindow()); }

Hdc Win32User32::GetDC(Hwnd window) { return FromHdc(::GetDC(ToHwnd(window))); }

std::int32_t Win32User32::ReleaseDC(Hwnd window, Hdc dc) {
  return ::ReleaseDC(ToHwnd(window), ToHdc(dc));
}

std::int32_t Win32User32::GetWindowRect(Hwnd window, RectL& rect) {
  RECT r{};
  const BOOL ok = ::GetWindowRect(ToHwnd(window), &r);
  if (ok) rect = RectL{r.left, r.top, r.right, r.bottom};
  return ok;
}

std::int32_t Win32User32::GetWindowLongA(Hwnd window, std::int32_t index) {
  return ::GetWindowLongW(ToHwnd(window), index);
}

std::int32_t Win32User32::SetWindowLongA(Hwnd window, std::int32_t index, std::int32_t value) {
  return ::SetWindowLongW(ToHwnd(window), index, value);
}

Hwnd Win32User32::SetParent(Hwnd child, Hwnd parent) {
  return FromHwnd(::SetParent(ToHwnd(child), ToHwnd(parent)));
}

std::int32_t Win32User32::PostMessageA(Hwnd window, std::uint32_t message, std::intptr_t wParam,
                                       std::intptr_t lParam) {
  return ::PostMessageA(ToHwnd(window), message, WPARAM(wParam), LPARAM(lParam));
}

std::int32_t Win32User32::SetWindowPos(Hwnd window, Hwnd insertAfter, std::int32_t x,
                                       std::int32_t y, std::int32_t cx, std::int32_t cy,
                                       std::uint32_t flags) {
  return ::SetWindowPos(ToHwnd(window), ToHwnd(insertAfter), x, y, cx, cy, flags);
}

std::int32_t Win32User32::IsWindow(Hwnd window) { return ::IsWindow(ToHwnd(window)); }

std::int32_t Win32User32::GetCursorPos(PointL& point) {
  POINT position{};
  const BOOL ok = ::GetCursorPos(&position);
  if (ok) point = PointL{position.x, position.y};
  return ok;
}

Hwnd Win32User32::WindowFromPoint(PointL point) {
  return FromHwnd(::WindowFromPoint(POINT{point.x, point.y}));
}
std::int32_t Win32User32::GetSystemMetrics(std::int32_t index) { return ::GetSystemMetrics(index); }

std::int32_t Win32Gdi32::BitBlt(Hdc destination, std::int32_t x, std::int32_t y,
                                std::int32_t width, std::int32_t height, Hdc source,
                                std::int32_t sourceX, std::int32_t sourceY, std::uint32_t rop) {
  return ::BitBlt(ToHdc(destination), x, y, width, height, ToHdc(source), sourceX, sourceY, rop);
}

std::int32_t Win32Gdi32::GradientFill(Hdc dc, const TriVertex* vertices, std::uint32_t vertexCount,
                                      const GradientRect* rects, std::uint32_t rectCount,
                                      std::uint32_t mode) {
  std::vector<TRIVERTEX> native(vertexCount);
  for (std::uint32_t i = 0; i < vertexCount; ++i)
    native[i] = TRIVERTEX{LONG(vertices[i].x), LONG(vertices[i].y), COLOR16(vertices[i].Red),
                          COLOR16(vertices[i].Green), COLOR16(vertices[i].Blue), COLOR16(vertices[i].Alpha)};
  std::vector<GRADIENT_RECT> nativeRects(rectCount);
  for (std::uint32_t i = 0; i < rectCount; ++i)
    nativeRects[i] = GRADIENT_RECT{ULONG(rects[i].UpperLeft), ULONG(rects[i].LowerRight)};
  return ::GradientFill(ToHdc(dc), native.data(), ULONG(vertexCount), nativeRects.data(), ULONG(rectCount),
                        ULONG(mode));
}

std::int32_t Win32User32::DrawAnimatedRects(Hwnd window, std::int32_t animation, const RectL& from,
                                            const RectL& to) {
  const RECT source{from.left, from.top, from.right, from.bottom};
  const RECT target{to.left, to.top, to.right, to.bottom};
  return ::DrawAnimatedRects(ToHwnd(window), animation, &source, &target) ? 1 : 0;
}

}  // namespace tolvarin

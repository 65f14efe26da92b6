#include "platform/sim/sim_desktop.h"

#include <algorithm>
#include <cstdio>

#include "base/picture_copy.h"

namespace tolvarin::sim {

namespace {

std::string Format(const char* format, auto... values) {
  char text[256];
  std::snprintf(text, sizeof text, format, values...);
  return text;
}

}  // namespace

SimDesktop::SimDesktop(std::int32_t screenWidth, std::int32_t screenHeight)
    : screen_(screenWidth, screenHeight, 0x003A6EA5),
      wallpaper_(screen_),
      primaryWidth_(screenWidth),
      primaryHeight_(screenHeight),
      virtual_{0, 0, screenWidth, screenHeight} {
  desktop_ = CreateWindowEntry("", RectL{0, 0, screenWidth, screenHeight}, nullptr);
  windows_[desktop_].visible = true;
}

void SimDesktop::AddMonitor(const RectL& rect) {
  const RectL grown{std::min(virtual_.left, rect.left), std::min(virtual_.top, rect.top),
                    std::max(virtual_.right, rect.right), std::max(virtual_.bottom, rect.bottom)};
  Bitmap screen(grown.right - grown.left, grown.bottom - grown.top, 0x003A6EA5);
  CopyBlock(ViewOf(screen), virtual_.left - grown.left, virtual_.top - grown.top, screen_.width,
            screen_.height, ViewOf(screen_), 0, 0);
  screen_ = std::move(screen);
  wallpaper_ = screen_;
  virtual_ = grown;
  ++monitors_;
  windows_[desktop_].rect = virtual_;
}

std::int32_t SimDesktop::GetSystemMetrics(std::int32_t index) {
  calls.push_back(Format("GetSystemMetrics(%d)", int(index)));
  switch (index) {
    case kSmCxScreen: return primaryWidth_;
    case kSmCyScreen: return primaryHeight_;
    case kSmXVirtualScreen: return virtual_.left;
    case kSmYVirtualScreen: return virtual_.top;
    case kSmCxVirtualScreen: return virtual_.right - virtual_.left;
    case kSmCyVirtualScreen: return virtual_.bottom - virtual_.top;
    case kSmCMonitors: return monitors_;
    default: return 0;
  }
}

Hwnd SimDesktop::CreateWindowEntry(const std::string& title, const RectL& rect, SimForm* form) {
  const Hwnd hwnd = nextHwnd_;
  nextHwnd_ += 0x12;
  SimWindow& window = windows_[hwnd];
  window.hwnd = hwnd;
  window.title = title;
  window.rect = rect;
  window.form = form;
  zOrder_.push_back(hwnd);
  return hwnd;
}

void SimDesktop::RemoveWindow(Hwnd window) {
  windows_.erase(window);
  std::erase(zOrder_, window);
}

SimWindow* SimDesktop::Find(Hwnd window) {
  auto it = windows_.find(window);
  return it == windows_.end() ? nullptr : &it->second;
}

std::vector<Hwnd> SimDesktop::ChildrenOf(Hwnd parent) const {
  std::vector<Hwnd> children;
  for (const auto& [hwnd, window] : windows_)
    if (window.parent == parent) children.push_back(hwnd);
  return children;
}

void SimDesktop::BringToTop(Hwnd window) {
  if (std::erase(zOrder_, window)) zOrder_.push_back(window);
}

void SimDesktop::SetWallpaper(const Bitmap& picture) {
  Fill(ViewOf(wallpaper_), 0);
  CopyBlock(ViewOf(wallpaper_), 0, 0, picture.width, picture.height,
            ViewOf(const_cast<Bitmap&>(picture)), 0, 0);
  screen_ = wallpaper_;
}

Hwnd SimDesktop::FindWindowA(const std::string& title) {
  calls.push_back("FindWindowA(" + title + ")");
  // Top-level windows only; the topmost match wins, as the platform searches in z-order.
  for (auto it = zOrder_.rbegin(); it != zOrder_.rend(); ++it) {
    const SimWindow& window = windows_.at(*it);
    if (window.parent == 0 && window.hwnd != desktop_ && window.title == title) return window.hwnd;
  }
  return 0;
}

std::int32_t SimDesktop::ShowCursor(std::int32_t show) {
  cursorCounter_ += show ? 1 : -1;
  calls.push_back(Format("ShowCursor(%d)=%d", int(show), int(cursorCounter_)));
  return cursorCounter_;
}

Hdc SimDesktop::GetDC(Hwnd window) {
  calls.push_back(Format("GetDC(%#llx)", (unsigned long long)window));
  if (window != desktop_ || !desktopDcAvailable) return 0;
  const Hdc dc = nextDc_++;
  screenDcs_[dc] = window;
  return dc;
}

std::int32_t SimDesktop::ReleaseDC(Hwnd window, Hdc dc) {
  calls.push_back(Format("ReleaseDC(%#llx)", (unsigned long long)window));
  auto it = screenDcs_.find(dc);
  if (it == screenDcs_.end() || it->second != window) return 0;
  screenDcs_.erase(it);
  return 1;
}

std::int32_t SimDesktop::GetWindowRect(Hwnd window, RectL& rect) {
  calls.push_back(Format("GetWindowRect(%#llx)", (unsigned long long)window));
  const SimWindow* found = Find(window);
  if (!found) return 0;
  rect = found->rect;
  return 1;
}

std::int32_t SimDesktop::GetWindowLongA(Hwnd window, std::int32_t index) {
  calls.push_back(Format("GetWindowLongA(%d)", int(index)));
  const SimWindow* found = Find(window);
  return found && index == kGwlStyle ? found->style : 0;
}

std::int32_t SimDesktop::SetWindowLongA(Hwnd window, std::int32_t index, std::int32_t value) {
  calls.push_back(Format("SetWindowLongA(%d,%#x)", int(index), unsigned(value)));
  SimWindow* found = Find(window);
  if (!found || index != kGwlStyle) return 0;
  const std::int32_t previous = found->style;
  found->style = value;
  return previous;
}

Hwnd SimDesktop::SetParent(Hwnd child, Hwnd parent) {
  calls.push_back("SetParent");
  SimWindow* found = Find(child);
  if (!setParentWorks || !found || (parent != 0 && !Find(parent))) return 0;
  const Hwnd previous = found->parent ? found->parent : desktop_;
  found->parent = parent;
  return previous;
}

std::int32_t SimDesktop::PostMessageA(Hwnd window, std::uint32_t message, std::intptr_t wParam,
                                      std::intptr_t lParam) {
  calls.push_back(Format("PostMessageA(%#x,%lld,%lld)", unsigned(message), (long long)wParam,
                         (long long)lParam));
  if (!Find(window)) return 0;
  if (onPostMessage) onPostMessage(window, message);
  return 1;
}

std::int32_t SimDesktop::SetWindowPos(Hwnd window, Hwnd insertAfter, std::int32_t x, std::int32_t y,
                                      std::int32_t cx, std::int32_t cy, std::uint32_t flags) {
  calls.push_back(Format("SetWindowPos(%lld,%d,%d,%d,%d,%#x)", (long long)insertAfter, int(x),
                         int(y), int(cx), int(cy), unsigned(flags)));
  SimWindow* found = Find(window);
  if (!found) return 0;
  if (insertAfter == kHwndTopmost) {
    found->topmost = true;
    BringToTop(window);
  }
  if (!(flags & kSwpNoMove)) {
    const std::int32_t w = found->rect.right - found->rect.left, h = found->rect.bottom - found->rect.top;
    found->rect = RectL{x, y, x + w, y + h};
  }
  if (!(flags & kSwpNoSize)) {
    found->rect.right = found->rect.left + cx;
    found->rect.bottom = found->rect.top + cy;
  }
  return 1;
}

std::int32_t SimDesktop::IsWindow(Hwnd window) {
  calls.push_back(Format("IsWindow(%lld)", (long long)window));
  return window != 0 && Find(window) ? 1 : 0;
}

bool SimDesktop::Resolve(Hdc dc, PixelView& view) {
  if (screenDcs_.count(dc)) {
    view = ViewOf(screen_);
    return true;
  }
  return resolveSurface_ && resolveSurface_(dc, view);
}

std::int32_t SimDesktop::BitBlt(Hdc destination, std::int32_t x, std::int32_t y, std::int32_t width,
                                std::int32_t height, Hdc source, std::int32_t sourceX,
                                std::int32_t sourceY, std::uint32_t rop) {
  calls.push_back(Format("BitBlt(%d,%d,%d,%d,%d,%d,%#x)", int(x), int(y), int(width), int(height),
                         int(sourceX), int(sourceY), unsigned(rop)));
  PixelView to, from;
  if (rop != kSrcCopy || !Resolve(destination, to) || !Resolve(source, from)) return 0;
  // A desktop device context counts from the primary monitor's corner.
  if (screenDcs_.count(destination)) x -= virtual_.left, y -= virtual_.top;
  if (screenDcs_.count(source)) sourceX -= virtual_.left, sourceY -= virtual_.top;
  CopyBlock(to, x, y, width, height, from, sourceX, sourceY);
  return 1;
}

std::int32_t SimDesktop::GetCursorPos(PointL& point) {
  if (!cursorPosAvailable) return 0;
  point = cursor;
  return 1;
}

Hwnd SimDesktop::WindowFromPoint(PointL point) {
  return windowAt ? windowAt(point) : 0;
}

std::int32_t SimDesktop::GradientFill(Hdc dc, const TriVertex* vertices, std::uint32_t vertexCount,
                                      const GradientRect* rects, std::uint32_t rectCount,
                                      std::uint32_t mode) {
  calls.push_back(Format("GradientFill(%u,%u,%u)", unsigned(vertexCount), unsigned(rectCount), unsigned(mode)));
  PixelView view;
  if (!Resolve(dc, view)) return 0;
  return GradientFillPixels(view, vertices, vertexCount, rects, rectCount, mode) ? 1 : 0;
}

std::int32_t SimDesktop::DrawAnimatedRects(Hwnd window, std::int32_t animation, const RectL& from,
                                           const RectL& to) {
  char text[160];
  std::snprintf(text, sizeof text, "DrawAnimatedRects(%d, (%d,%d,%d,%d) -> (%d,%d,%d,%d))", int(animation),
                int(from.left), int(from.top), int(from.right), int(from.bottom), int(to.left), int(to.top),
                int(to.right), int(to.bottom));
  calls.push_back(text);
  animations.push_back(Animation{window, animation, from, to});
  // As under Wine: reported done, nothing drawn.
  return 1;
}

}  // namespace tolvarin::sim

#pragma once
// The simulated desktop: the window list, the screen's pixels, device
// contexts and the cursor display counter, behind User32 and Gdi32.
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "base/raster.h"
#include "platform/user32.h"

namespace tolvarin::sim {

class SimForm;

struct SimWindow {
  Hwnd hwnd = 0;
  std::string title;
  RectL rect;  // screen pixels
  Hwnd parent = 0;
  std::int32_t style = 0;
  bool visible = false;
  bool topmost = false;
  SimForm* form = nullptr;   // the program's form behind this window, if any
};

// Something a device context draws into or reads from.
using SurfaceResolver = std::function<bool(Hdc, PixelView&)>;

class SimDesktop : public User32, public Gdi32 {
 public:
  SimDesktop(std::int32_t screenWidth, std::int32_t screenHeight);

  // --- User32
  Hwnd FindWindowA(const std::string& title) override;
  std::int32_t ShowCursor(std::int32_t show) override;
  Hwnd GetDesktopWindow() override { return desktop_; }
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

  // --- Gdi32
  std::int32_t BitBlt(Hdc destination, std::int32_t x, std::int32_t y, std::int32_t width,
                      std::int32_t height, Hdc source, std::int32_t sourceX, std::int32_t sourceY,
                      std::uint32_t rop) override;
  std::int32_t GradientFill(Hdc dc, const TriVertex* vertices, std::uint32_t vertexCount,
                            const GradientRect* rects, std::uint32_t rectCount,
                            std::uint32_t mode) override;

  // --- The simulation's side
  Hwnd CreateWindowEntry(const std::string& title, const RectL& rect, SimForm* form);
  void RemoveWindow(Hwnd window);
  SimWindow* Find(Hwnd window);
  std::vector<Hwnd> ChildrenOf(Hwnd parent) const;
  // Top-level windows, bottom first.
  const std::vector<Hwnd>& ZOrder() const { return zOrder_; }
  void BringToTop(Hwnd window);

  // Adds a monitor beside the primary one (at 0, 0); `rect` is in screen
  // pixels and may lie left of or above the primary. The screen and the
  // wallpaper grow to the virtual screen, which spans every monitor.
  void AddMonitor(const RectL& rect);
  const RectL& VirtualScreen() const { return virtual_; }
  std::int32_t PrimaryWidth() const { return primaryWidth_; }
  std::int32_t PrimaryHeight() const { return primaryHeight_; }

  // The virtual screen's pixels; its top-left is VirtualScreen()'s corner.
  Bitmap& Screen() { return screen_; }
  Bitmap& Wallpaper() { return wallpaper_; }
  // Sets what other programs show on the screen, and shows it.
  void SetWallpaper(const Bitmap& picture);
  std::int32_t CursorCounter() const { return cursorCounter_; }

  // Registers device contexts that resolve to a pixel buffer (picture surfaces).
  void SetSurfaceResolver(SurfaceResolver resolver) { resolveSurface_ = std::move(resolver); }
  // The pointer's position on the screen, in pixels.
  PointL cursor;
  // Finds the window at a screen point (the windowing layer knows the controls).
  std::function<Hwnd(PointL)> windowAt;
  // Queues a posted message for the message pump.
  std::function<void(Hwnd, std::uint32_t)> onPostMessage;

  // Every call made through User32 and Gdi32, in order, as readable text.
  std::vector<std::string> calls;
  // When false, GetDC of the desktop fails (returns 0).
  bool desktopDcAvailable = true;
  // When false, SetParent fails (returns 0).
  bool setParentWorks = true;
  // The window that has the activation and the keyboard focus.
  Hwnd focus = 0;
  // When false, GetCursorPos fails.
  bool cursorPosAvailable = true;
  // Every title-bar animation drawn.
  struct Animation {
    Hwnd window;
    std::int32_t kind;
    RectL from, to;
  };
  std::vector<Animation> animations;

 private:
  bool Resolve(Hdc dc, PixelView& view);

  std::map<Hwnd, SimWindow> windows_;
  std::vector<Hwnd> zOrder_;
  Hwnd nextHwnd_ = 0x10010;
  Hwnd desktop_ = 0;
  Bitmap screen_;
  Bitmap wallpaper_;
  std::int32_t primaryWidth_;
  std::int32_t primaryHeight_;
  std::int32_t monitors_ = 1;
  RectL virtual_;
  std::int32_t cursorCounter_ = 0;
  std::map<Hdc, Hwnd> screenDcs_;
  Hdc nextDc_ = 0x7D000;
  SurfaceResolver resolveSurface_;
};

}  // namespace tolvarin::sim

#include "platform/win32/win32_form.h"

#include <algorithm>
#include <cmath>

#include "base/checked.h"
#include "base/errors.h"
#include "platform/win32/win32_picture_surface.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_user_control.h"
#include "platform/win32/win32_windowing.h"

#include <mmsystem.h>

namespace tolvarin {

namespace {

// Window timer ids are unique across the process, so a timer never answers
// for another form's.
UINT_PTR NextTimerId() {
  static UINT_PTR last = 0x7000;
  return ++last;
}

// Whole pixels for twips at a factor (1 for a fraction of pixels), by the
// one rule of every backend; a negative count is refused.
int PixelCount(double value, double twipsPerPixel = 1) {
  const std::int32_t pixels = TwipsToPixels(value, twipsPerPixel);
  if (pixels < 0) throw ProgramError(kErrorInvalidPropertyValue, "Invalid property value");
  return pixels;
}

int PixelPosition(double value, double twipsPerPixel = 1) { return TwipsToPixels(value, twipsPerPixel); }

// Makes the calling thread system-DPI aware: the windows it creates from now
// on are drawn at the system's resolution, and the platform stretches them on
// a monitor of another scale instead of sending WM_DPICHANGED. A child window
// must share its parent's awareness, so the thread keeps it for good. The
// call exists from Windows 10 version 1607; before that the process's own
// awareness stays.
void UseSystemDpiScalingOnThisThread() {
  using SetContext = DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT);
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  void* address = user32 ? reinterpret_cast<void*>(GetProcAddress(user32, "SetThreadDpiAwarenessContext")) : nullptr;
  if (address) reinterpret_cast<SetContext>(address)(DPI_AWARENESS_CONTEXT_SYSTEM_AWARE);
}

// GUID_CONSOLE_DISPLAY_STATE: the display went off, on or dimmed.
constexpr GUID kConsoleDisplayState = {
    0x6FE69556, 0x704A, 0x47A0, {0x8F, 0x24, 0xC2, 0x8D, 0x93, 0x6F, 0xDA, 0x47}};

}  // namespace

// ---- Timer ----------------------------------------------------------------

Win32Timer::Win32Timer(HWND owner, UINT_PTR id, std::int32_t interval, bool enabled)
    : owner_(owner), id_(id), interval_(interval < 0 ? 0 : interval), enabled_(enabled) {
  Arm();
}

Win32Timer::~Win32Timer() {
  if (owner_) KillTimer(owner_, id_);
}

void Win32Timer::Arm() {
  if (!owner_) return;
  if (enabled_ && interval_ > 0)
    SetTimer(owner_, id_, UINT(interval_), nullptr);
  else
    KillTimer(owner_, id_);
}

void Win32Timer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Arm();
}

void Win32Timer::SetInterval(std::int32_t milliseconds) {
  if (milliseconds < 0) throw ProgramError(kErrorInvalidPropertyValue, "Invalid property value");
  interval_ = milliseconds;
  Arm();  // a new interval counts from now
}

// ---- Form -------------------------------------------------------------------

Win32Form::Win32Form(Win32Windowing& windowing, const FormDesign& design)
    : windowing_(windowing), design_(design), backColor_(design.backColor) {
  backBrush_ = CreateSolidBrush(ResolveControlColor(backColor_));
  // Child surfaces draw themselves; the form never paints over them.
  DWORD style = WS_CLIPCHILDREN;
  DWORD exStyle = 0;
  HWND owner = nullptr;
  if (design.borderless) {
    style |= WS_POPUP;
    if (!design.showInTaskbar) exStyle |= WS_EX_TOOLWINDOW;
  } else {
    style |= WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    // An owned window stays out of the taskbar and keeps a full-size caption.
    if (design.showInTaskbar)
      exStyle |= WS_EX_APPWINDOW;
    else
      owner = windowing.hiddenOwner();
  }
  if (design.scaledBySystem) UseSystemDpiScalingOnThisThread();
  const std::wstring caption = Utf8ToWide(design.caption);
  CreateWindowExW(exStyle, windowing.formClass(), caption.c_str(), style, 0, 0, 0, 0, owner,
                  nullptr, windowing.instance(), this);
  if (!window_) {
    DeleteObject(backBrush_);
    throw ProgramError(kErrorOutOfMemory, "Out of memory");
  }
  // Windows sends the current display state at once, then every change.
  powerNotification_ =
      RegisterPowerSettingNotification(window_, &kConsoleDisplayState, DEVICE_NOTIFY_WINDOW_HANDLE);
  if (design.fixedDialog) SetUpDialog();
}

Win32Form::~Win32Form() {
  if (window_) {
    silent_ = true;
    DestroyWindow(window_);
  }
  timers_.clear();
  surfaces_.clear();
  if (backBrush_) DeleteObject(backBrush_);
}

void Win32Form::Attach(HWND window) {
  window_ = window;
  windowing_.FormCreated(window, *this);
}

LRESULT Win32Form::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND window = window_;
  LRESULT handled = 0;
  const bool byControls = controls_.HandleMessage(message, wParam, lParam, handled);
  if (!PointerToLayer(window_, layer_, message, wParam, lParam, releasing_)) HoldPointer(window_, message, wParam);
  if (byControls) return handled;
  switch (message) {
    case WM_SETCURSOR:
      if (SetLayerCursor(windowing_, window, layer_, wParam, lParam)) return TRUE;
      break;
    case WM_CAPTURECHANGED:
      if (layer_ && !releasing_) layer_->CancelPress();
      break;
    case WM_SIZE:
      ClientSizeChanged();
      break;
    case WM_ERASEBKGND: {
      if (!canvas_.empty()) return 1;  // the retained image covers the client area
      RECT client;
      GetClientRect(window, &client);
      FillRect(reinterpret_cast<HDC>(wParam), &client, backBrush_);
      return 1;
    }
    case WM_PAINT:
      Paint();
      return 0;
    case WM_TIMER:
      for (auto& timer : timers_) {
        if (timer->id() == wParam) {
          // A tick already queued when the timer was switched off is not delivered.
          if (timer->Enabled() && timer->onTimer) timer->onTimer();
          return 0;
        }
      }
      break;
    case WM_CLOSE:
      UnloadFor(UnloadMode::FormControlMenu);
      return 0;
    case WM_QUERYENDSESSION:
      // A form that refuses to unload holds the session open.
      return UnloadFor(UnloadMode::AppWindows) ? TRUE : FALSE;
    case WM_ENDSESSION:
      if (wParam) UnloadFor(UnloadMode::AppWindows);
      return 0;
    case WM_ACTIVATEAPP:
      if (!wParam && onDeactivateApp) onDeactivateApp();
      break;
    case WM_DISPLAYCHANGE:
      if (onDisplayChange) onDisplayChange();
      break;
    case MM_MCINOTIFY:
      if (onMciNotify) onMciNotify(static_cast<std::uint32_t>(wParam), static_cast<std::uint32_t>(lParam));
      return 0;
    case WM_POWERBROADCAST:
      if (wParam == PBT_POWERSETTINGCHANGE) {
        const auto* setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(lParam);
        // 0 off, 1 on, 2 dimmed (still seen).
        if (setting && IsEqualGUID(setting->PowerSetting, kConsoleDisplayState) &&
            setting->DataLength >= sizeof(DWORD))
          windowing_.SetDisplayOn(*reinterpret_cast<const DWORD*>(setting->Data) != 0);
        return TRUE;
      }
      break;
    case WM_DESTROY:
      // Also reached when another window destroys this one (a preview host).
      if (!silent_) RunUnloadHandlerOnce();
      return 0;
    case WM_NCDESTROY: {
      for (auto& timer : timers_) timer->OwnerDestroyed();
      if (powerNotification_) UnregisterPowerSettingNotification(powerNotification_);
      powerNotification_ = nullptr;
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      window_ = nullptr;
      windowing_.FormDestroyed(window);
      return DefWindowProcW(window, message, wParam, lParam);
    }
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void Win32Form::Paint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window_, &paint);
  if (dc && layer_) {
    PresentLayer(dc, paint.rcPaint, std::int32_t(ScaleWidth()), std::int32_t(ScaleHeight()), canvas_.View(),
                 BackgroundPixel(), layer_);
  } else if (dc && !canvas_.empty()) {
    GdiFlush();
    const RECT& area = paint.rcPaint;
    BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, canvas_.dc(), area.left,
           area.top, SRCCOPY);
  }
  EndPaint(window_, &paint);
}

bool Win32Form::UnloadFor(UnloadMode mode) {
  if (!window_ || queryingUnload_) return false;
  std::int32_t cancel = 0;
  queryingUnload_ = true;
  try {
    if (onQueryUnload) onQueryUnload(cancel, mode);
  } catch (...) {
    queryingUnload_ = false;
    throw;
  }
  queryingUnload_ = false;
  if (cancel != 0 || !window_) return cancel == 0;
  RunUnloadHandlerOnce();
  if (window_) DestroyWindow(window_);
  return true;
}

void Win32Form::Unload() { UnloadFor(UnloadMode::FormCode); }

void Win32Form::RunUnloadHandlerOnce() {
  if (unloadHandlerRan_) return;
  unloadHandlerRan_ = true;
  if (onUnload) onUnload();
}

bool Win32Form::KeyDown(WPARAM virtualKey) {
  if (!onKeyDown) return false;
  const std::int32_t shift = (GetKeyState(VK_SHIFT) < 0 ? 1 : 0) |
                             (GetKeyState(VK_CONTROL) < 0 ? 2 : 0) |
                             (GetKeyState(VK_MENU) < 0 ? 4 : 0);
  std::int32_t key = std::int32_t(virtualKey & 0xFFFF);
  Win32Windowing::RunHandler([&] { onKeyDown(key, shift); });
  return key == 0;
}

std::uint32_t Win32Form::BackgroundPixel() const {
  return PixelFromColor(ResolveControlColor(backColor_));
}

void Win32Form::SetWindowlessLayer(WindowlessLayer* layer) {
  layer_ = layer;
  Repaint();
}

// ---- Placement ----------------------------------------------------------------

double Win32Form::TwipsPerPixelX() const { return windowing_.TwipsPerPixelX(); }
double Win32Form::TwipsPerPixelY() const { return windowing_.TwipsPerPixelY(); }

RECT Win32Form::PlacementRect() const {
  RECT rect{};
  if (!window_) return rect;
  GetWindowRect(window_, &rect);
  // A form made a child of another window is placed in that window's client area.
  HWND parent = GetAncestor(window_, GA_PARENT);
  if (parent && parent != GetDesktopWindow())
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

void Win32Form::Place(int x, int y, int width, int height, UINT flags) {
  if (window_)
    SetWindowPos(window_, nullptr, x, y, width, height, flags | SWP_NOZORDER | SWP_NOACTIVATE);
}

double Win32Form::Left() const { return PlacementRect().left * TwipsPerPixelX(); }
double Win32Form::Top() const { return PlacementRect().top * TwipsPerPixelY(); }

double Win32Form::Width() const {
  const RECT rect = PlacementRect();
  return (rect.right - rect.left) * TwipsPerPixelX();
}

double Win32Form::Height() const {
  const RECT rect = PlacementRect();
  return (rect.bottom - rect.top) * TwipsPerPixelY();
}

void Win32Form::SetWidth(double twips) {
  const int width = PixelCount(twips, TwipsPerPixelX());
  const RECT rect = PlacementRect();
  Place(0, 0, width, rect.bottom - rect.top, SWP_NOMOVE);
}

void Win32Form::SetHeight(double twips) {
  const int height = PixelCount(twips, TwipsPerPixelY());
  const RECT rect = PlacementRect();
  Place(0, 0, rect.right - rect.left, height, SWP_NOMOVE);
}

void Win32Form::Move(double left, double top) {
  Place(PixelPosition(left, TwipsPerPixelX()), PixelPosition(top, TwipsPerPixelY()), 0, 0,
        SWP_NOSIZE);
}

void Win32Form::Move(double left, double top, double width, double height) {
  const int x = PixelPosition(left, TwipsPerPixelX());
  const int y = PixelPosition(top, TwipsPerPixelY());
  const int w = PixelCount(width, TwipsPerPixelX());
  const int h = PixelCount(height, TwipsPerPixelY());
  Place(x, y, w, h, 0);
}

double Win32Form::ScaleWidth() const {
  RECT client{};
  if (window_) GetClientRect(window_, &client);
  return client.right - client.left;
}

double Win32Form::ScaleHeight() const {
  RECT client{};
  if (window_) GetClientRect(window_, &client);
  return client.bottom - client.top;
}

void Win32Form::SetBackColor(std::uint32_t color) {
  HBRUSH brush = CreateSolidBrush(ResolveControlColor(color));
  if (!brush) throw ProgramError(kErrorOutOfMemory, "Out of memory");
  DeleteObject(backBrush_);
  backBrush_ = brush;
  backColor_ = color;
  if (window_) InvalidateRect(window_, nullptr, TRUE);
}

void Win32Form::SetWindowState(std::int32_t state) {
  if (state < 0 || state > 2) throw ProgramError(kErrorInvalidPropertyValue, "Invalid property value");
  pendingState_ = state;
  // A hidden form takes the state when it is shown.
  if (Visible()) ShowWindow(window_, state == 1 ? SW_MINIMIZE : state == 2 ? SW_MAXIMIZE : SW_RESTORE);
}

std::int32_t Win32Form::WindowState() const {
  if (!Visible()) return pendingState_;
  if (IsIconic(window_)) return 1;
  if (IsZoomed(window_)) return 2;
  return 0;
}

void Win32Form::Show() {
  if (!window_) return;
  // A child inside another program's window never takes its activation.
  const bool child = (GetWindowLongW(window_, GWL_STYLE) & WS_CHILD) != 0;
  if (!Visible())
    ShowWindow(window_, child                ? SW_SHOWNA
                        : pendingState_ == 1 ? SW_SHOWMINIMIZED
                        : pendingState_ == 2 ? SW_SHOWMAXIMIZED
                                              : SW_SHOW);
  UpdateWindow(window_);
}

bool Win32Form::Visible() const {
  return window_ && (GetWindowLongW(window_, GWL_STYLE) & WS_VISIBLE) != 0;
}

// ---- Controls ------------------------------------------------------------------

PictureSurface& Win32Form::AddPictureSurface(bool visible) {
  surfaces_.push_back(std::make_unique<Win32PictureSurface>(windowing_, *this, visible));
  return *surfaces_.back();
}

Timer& Win32Form::AddTimer(std::int32_t intervalMilliseconds, bool enabled) {
  timers_.push_back(std::make_unique<Win32Timer>(window_, NextTimerId(), intervalMilliseconds, enabled));
  return *timers_.back();
}

UserControlSurface& Win32Form::AddUserControl(const std::string& className) {
  userControls_.push_back(std::make_unique<Win32UserControl>(windowing_, *this, className));
  return *userControls_.back();
}

void Win32Form::SetUpDialog() {
  RECT frame{0, 0, TwipsToPixels(design_.clientWidth, TwipsPerPixelX()),
             TwipsToPixels(design_.clientHeight, TwipsPerPixelY())};
  AdjustWindowRectEx(&frame, DWORD(GetWindowLongW(window_, GWL_STYLE)), FALSE,
                     DWORD(GetWindowLongW(window_, GWL_EXSTYLE)));
  Place(0, 0, frame.right - frame.left, frame.bottom - frame.top, SWP_NOMOVE);
  if (!design_.iconResource.empty()) {
    const std::wstring name = Utf8ToWide(design_.iconResource);
    // Shared icons belong to the module and are never destroyed.
    if (HANDLE big = LoadImageW(windowing_.instance(), name.c_str(), IMAGE_ICON, 32, 32, LR_SHARED))
      SendMessageW(window_, WM_SETICON, ICON_BIG, LPARAM(big));
    if (HANDLE small = LoadImageW(windowing_.instance(), name.c_str(), IMAGE_ICON, 16, 16, LR_SHARED))
      SendMessageW(window_, WM_SETICON, ICON_SMALL, LPARAM(small));
  }
}

void Win32Form::ClientSizeChanged() {
  if (!window_ || !Visible()) return;
  const std::int32_t width = std::int32_t(ScaleWidth()), height = std::int32_t(ScaleHeight());
  if (width == reportedWidth_ && height == reportedHeight_) return;
  reportedWidth_ = width;
  reportedHeight_ = height;
  if (onResize) onResize();
}

PixelView Win32Form::Canvas() {
  // The retained image only grows: a minimised window's empty client area loses nothing.
  canvas_.Resize(std::max(std::int32_t(ScaleWidth()), canvas_.width()),
                 std::max(std::int32_t(ScaleHeight()), canvas_.height()), BackgroundPixel());
  return canvas_.View();
}

void Win32Form::Repaint() {
  if (window_) InvalidateRect(window_, nullptr, FALSE);
}

void Win32Form::ShowModal() {
  if (!window_) return;
  // Drawn before it shows, so the first frame is the finished one.
  Canvas();
  Show();
  ClientSizeChanged();
  windowing_.RunModalLoop([this] { return window_ == nullptr; });
}

}  // namespace tolvarin

#include "platform/win32/win32_user_control.h"

#include "base/checked.h"
#include "base/errors.h"
#include "base/picture_copy.h"
#include "base/colour.h"
#include "platform/win32/win32_form.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_windowing.h"

namespace tolvarin {

namespace {

void RegisterControlClass(HINSTANCE instance, const std::wstring& name) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExW(instance, name.c_str(), &existing)) return;
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = 0;  // no double clicks: a quick second press is a press
  windowClass.lpfnWndProc = RouteMessages<Win32UserControl>;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512) /* IDC_ARROW */);
  windowClass.lpszClassName = name.c_str();
  RegisterClassExW(&windowClass);
}

}  // namespace

// ---------------------------------------------------------------- the control

Win32UserControl::Win32UserControl(Win32Windowing& windowing, Win32Form& form, const std::string& className)
    : UserControlBase(windowing.TwipsPerPixelX(), windowing.TwipsPerPixelY()), form_(form) {
  const std::wstring name = Utf8ToWide(className);
  RegisterControlClass(windowing.instance(), name);
  if (HWND parent = form.window())
    CreateWindowExW(0, name.c_str(), L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP, 0, 0, 0, 0,
                    parent, nullptr, windowing.instance(), this);
}

Win32UserControl::~Win32UserControl() {
  if (window_) {
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
}

Hwnd Win32UserControl::HostHwnd() { return FromHwnd(form_.window()); }

void Win32UserControl::Attach(HWND window) { window_ = window; }

void Win32UserControl::Move(double left, double top, double width, double height) {
  CheckSize(width, height);
  const std::int32_t w = TwipsToPixels(width, twipsPerPixelX_), h = TwipsToPixels(height, twipsPerPixelY_);
  if (w != bitmap_.width() || h != bitmap_.height()) bitmap_.Resize(w, h, ControlColourPixel(backColor_));
  const bool resized = Place(left, top, width, height);
  if (window_) {
    SetWindowPos(window_, nullptr, TwipsToPixels(left, twipsPerPixelX_), TwipsToPixels(top, twipsPerPixelY_), w, h,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateLayer();
  }
  if (resized && onResize) onResize();
}

void Win32UserControl::SetBackStyle(BackStyle style) {
  backStyle_ = style;
  InvalidateLayer();
}

void Win32UserControl::Cls() { Fill(bitmap_.View(), ControlColourPixel(backColor_)); }

void Win32UserControl::Present(HDC windowDc) {
  const RECT all{0, 0, bitmap_.width(), bitmap_.height()};
  // Transparent: the host's background shows where the face would be.
  PresentLayer(windowDc, all, bitmap_.width(), bitmap_.height(),
               backStyle_ == BackStyle::Opaque ? bitmap_.View() : PixelView{}, form_.BackgroundPixel(), layer_);
}

void Win32UserControl::Refresh() {
  if (!window_ || !IsWindowVisible(window_)) return;
  if (HDC dc = GetDC(window_)) {
    Present(dc);
    ReleaseDC(window_, dc);
    ValidateRect(window_, nullptr);
  }
}

void Win32UserControl::InvalidateLayer() {
  if (window_) InvalidateRect(window_, nullptr, FALSE);
}

void Win32UserControl::SetWindowlessLayer(WindowlessLayer* layer) {
  layer_ = layer;
  InvalidateLayer();
}

Bitmap Win32UserControl::Image() {
  Bitmap image(bitmap_.width(), bitmap_.height());
  CopyBlock(ViewOf(image), 0, 0, image.width, image.height, bitmap_.View(), 0, 0);
  return image;
}

Timer& Win32UserControl::AddTimer(std::int32_t intervalMilliseconds, bool enabled) {
  return form_.AddTimer(intervalMilliseconds, enabled);
}

void Win32UserControl::SetFocus() {
  if (window_) ::SetFocus(window_);
}

void Win32UserControl::SetWindowTextW(const std::string& text) {
  if (window_) ::SetWindowTextW(window_, Utf8ToWide(text).c_str());
}

void Win32UserControl::Pointer(UINT message, WPARAM wParam, LPARAM lParam) {
  const auto input = PointerInputOf(message, wParam, lParam);
  if (!input) return;
  // A left press takes the focus first, as the system does for a control.
  if (message == WM_LBUTTONDOWN && GetFocus() != window_) {
    ::SetFocus(window_);
    if (!window_) return;
  }
  // After a press the pointer stays with the control until every button is up.
  if (input->kind == PointerInput::Kind::Down && !captured_) {
    SetCapture(window_);
    captured_ = true;
  }
  if (input->kind == PointerInput::Kind::Up && input->held == 0 && captured_) {
    releasing_ = true;
    ReleaseCapture();  // WM_CAPTURECHANGED ends the capture
    releasing_ = false;
  }
  if (layer_) layer_->Pointer(*input);
}

LRESULT Win32UserControl::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND window = window_;
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // the image covers the whole window
    case WM_PAINT: {
      PAINTSTRUCT paint;
      if (HDC dc = BeginPaint(window, &paint)) Present(dc);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
    case WM_LBUTTONUP: case WM_RBUTTONUP: case WM_MBUTTONUP:
      Pointer(message, wParam, lParam);
      return 0;
    case WM_CAPTURECHANGED:
      captured_ = false;
      // Lost before the release: the control pressed hears no more of it.
      if (layer_ && !releasing_) layer_->CancelPress();
      return 0;
    case WM_SETFOCUS:
      if (onGotFocus) onGotFocus();
      return 0;
    case WM_KILLFOCUS:
      if (onLostFocus) onLostFocus();
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      window_ = nullptr;
      captured_ = false;
      return DefWindowProcW(window, message, wParam, lParam);
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace tolvarin

#include "platform/win32/win32_user_control.h"

#include <windowsx.h>

#include <cmath>

#include "base/checked.h"
#include "base/errors.h"
#include "base/picture_copy.h"
#include "platform/win32/win32_dib.h"
#include "platform/win32/win32_form.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_windowing.h"

namespace tolvarin {

namespace {

// Colour values as GDI takes them; system colours resolved. Refuses what the
// platform refuses: an unknown system colour, bits above the 24-bit colour.
COLORREF Resolve(std::uint32_t color) {
  if (color & 0x80000000u) {
    const std::uint32_t index = color & 0x00FFFFFFu;
    if ((color & 0x7F000000u) != 0 || index > COLOR_MENUBAR) RaiseInvalidPropertyValue();
    return GetSysColor(int(index));
  }
  if (color > 0x00FFFFFFu) RaiseInvalidPropertyValue();
  return COLORREF(color);
}

std::uint32_t PixelOf(COLORREF color) { return PixelFromColor(std::uint32_t(color)); }

std::int16_t ButtonsHeld(WPARAM flags) {
  return std::int16_t(((flags & MK_LBUTTON) ? kLeftButton : 0) | ((flags & MK_RBUTTON) ? kRightButton : 0) |
                      ((flags & MK_MBUTTON) ? kMiddleButton : 0));
}

std::int16_t ModifierKeys(WPARAM flags) {
  return std::int16_t(((flags & MK_SHIFT) ? kShiftMask : 0) | ((flags & MK_CONTROL) ? kCtrlMask : 0) |
                      (GetKeyState(VK_MENU) < 0 ? kAltMask : 0));
}

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

// ---------------------------------------------------------------- labels

void Win32Label::Changed() { owner_.Invalidate(); }

void Win32Label::SetCaption(const std::string& text) {
  caption_ = text;
  Changed();
}

void Win32Label::SetFont(const FontSpec& font) {
  font_ = font;
  Changed();
}

void Win32Label::SetForeColor(std::uint32_t color) {
  Resolve(color);
  foreColor_ = color;
  Changed();
}

void Win32Label::SetAlignment(TextAlignment alignment) {
  alignment_ = alignment;
  Changed();
}

void Win32Label::SetEnabled(bool enabled) {
  enabled_ = enabled;
  Changed();
}

void Win32Label::SetLeft(double twips) {
  left_ = twips;
  Changed();
}

void Win32Label::SetTop(double twips) {
  top_ = twips;
  Changed();
}

void Win32Label::SetWidth(double twips) {
  if (twips < 0) RaiseInvalidPropertyValue();
  width_ = twips;
  Changed();
}

void Win32Label::SetHeight(double twips) {
  if (twips < 0) RaiseInvalidPropertyValue();
  height_ = twips;
  Changed();
}

RECT Win32Label::PixelRect() const {
  const double tx = owner_.TwipsPerPixelX(), ty = owner_.TwipsPerPixelY();
  const LONG x = TwipsToPixels(left_, tx), y = TwipsToPixels(top_, ty);
  return RECT{x, y, x + TwipsToPixels(width_, tx), y + TwipsToPixels(height_, ty)};
}

void Win32Label::Draw(HDC dc) const {
  if (caption_.empty()) return;
  const double dotsPerInch = 1440.0 / owner_.TwipsPerPixelY();
  const std::wstring face = Utf8ToWide(font_.name);
  LOGFONTW logFont{};
  logFont.lfHeight = -LONG(std::lround(font_.size * dotsPerInch / 72.0));
  logFont.lfWeight = font_.weight;
  logFont.lfItalic = font_.italic;
  logFont.lfUnderline = font_.underline;
  logFont.lfStrikeOut = font_.strikethrough;
  logFont.lfCharSet = BYTE(font_.charset);
  lstrcpynW(logFont.lfFaceName, face.c_str(), LF_FACESIZE);
  HFONT font = CreateFontIndirectW(&logFont);
  HGDIOBJ previous = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  const std::wstring text = Utf8ToWide(caption_);
  UINT format = DT_WORDBREAK | DT_NOPREFIX;
  format |= alignment_ == TextAlignment::Center ? DT_CENTER : alignment_ == TextAlignment::Right ? DT_RIGHT : DT_LEFT;
  RECT area = PixelRect();
  if (enabled_) {
    SetTextColor(dc, Resolve(foreColor_));
    DrawTextW(dc, text.c_str(), int(text.size()), &area, format);
  } else {
    // Greyed as the system draws disabled text: a light copy one pixel down
    // and to the right under the grey one.
    RECT shifted = area;
    OffsetRect(&shifted, 1, 1);
    SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
    DrawTextW(dc, text.c_str(), int(text.size()), &shifted, format);
    SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    DrawTextW(dc, text.c_str(), int(text.size()), &area, format);
  }
  SelectObject(dc, previous);
  DeleteObject(font);
}

// ---------------------------------------------------------------- the control

Win32UserControl::Win32UserControl(Win32Windowing& windowing, Win32Form& form, const std::string& className)
    : form_(form) {
  twipsPerPixelX_ = windowing.TwipsPerPixelX();
  twipsPerPixelY_ = windowing.TwipsPerPixelY();
  memoryDc_ = CreateCompatibleDC(nullptr);
  if (!memoryDc_) throw ProgramError(kErrorOutOfMemory, "Out of memory");
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
  if (originalBitmap_) SelectObject(memoryDc_, originalBitmap_);
  if (dib_) DeleteObject(dib_);
  DeleteDC(memoryDc_);
}

Hwnd Win32UserControl::HostHwnd() { return FromHwnd(form_.window()); }

void Win32UserControl::Attach(HWND window) { window_ = window; }

PixelView Win32UserControl::View() const { return PixelView{bits_, pixelWidth_, pixelHeight_, pixelWidth_}; }

void Win32UserControl::Move(double left, double top, double width, double height) {
  if (!(width >= 0 && height >= 0 && width < 1e6 && height < 1e6)) RaiseInvalidPropertyValue();
  const bool resized = width != width_ || height != height_;
  const std::int32_t w = TwipsToPixels(width, twipsPerPixelX_), h = TwipsToPixels(height, twipsPerPixelY_);
  if (w != pixelWidth_ || h != pixelHeight_) {
    HBITMAP dib = nullptr;
    void* bits = nullptr;
    if (w > 0 && h > 0) {
      dib = CreateTopDownDib(w, h, bits);
    }
    GdiFlush();
    const PixelView fresh{static_cast<std::uint32_t*>(bits), w, h, w};
    Fill(fresh, PixelOf(Resolve(backColor_)));
    CopyBlock(fresh, 0, 0, pixelWidth_, pixelHeight_, View(), 0, 0);
    SelectDib(memoryDc_, dib, dib_, originalBitmap_);
    bits_ = static_cast<std::uint32_t*>(bits);
    pixelWidth_ = w;
    pixelHeight_ = h;
  }
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  if (window_) {
    SetWindowPos(window_, nullptr, TwipsToPixels(left, twipsPerPixelX_), TwipsToPixels(top, twipsPerPixelY_), w, h,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    Invalidate();
  }
  if (resized && onResize) onResize();
}

double Win32UserControl::ScaleWidth() const {
  return scale_ == ScaleUnit::Pixels ? pixelWidth_ : pixelWidth_ * twipsPerPixelX_;
}

double Win32UserControl::ScaleHeight() const {
  return scale_ == ScaleUnit::Pixels ? pixelHeight_ : pixelHeight_ * twipsPerPixelY_;
}

void Win32UserControl::SetBackStyle(BackStyle style) {
  backStyle_ = style;
  Invalidate();
}

void Win32UserControl::Cls() {
  GdiFlush();
  Fill(View(), PixelOf(Resolve(backColor_)));
}

void Win32UserControl::PaintPicture(const Bitmap& picture, double x, double y, std::optional<double> width,
                                    std::optional<double> height, double sourceX, double sourceY,
                                    double sourceWidth, double sourceHeight) {
  const double tx = scale_ == ScaleUnit::Pixels ? 1 : twipsPerPixelX_;
  const double ty = scale_ == ScaleUnit::Pixels ? 1 : twipsPerPixelY_;
  GdiFlush();
  PaintPicturePixels(View(), picture, TwipsToPixels(x, tx), TwipsToPixels(y, ty),
                     TwipsToPixels(width.value_or(sourceWidth), tx), TwipsToPixels(height.value_or(sourceHeight), ty),
                     TwipsToPixels(sourceX, tx), TwipsToPixels(sourceY, ty), TwipsToPixels(sourceWidth, tx),
                     TwipsToPixels(sourceHeight, ty));
}

void Win32UserControl::Present(HDC windowDc) {
  if (pixelWidth_ <= 0 || pixelHeight_ <= 0) return;
  GdiFlush();
  HDC compose = CreateCompatibleDC(windowDc);
  HBITMAP canvas = CreateCompatibleBitmap(windowDc, pixelWidth_, pixelHeight_);
  HGDIOBJ previous = SelectObject(compose, canvas);
  if (backStyle_ == BackStyle::Opaque) {
    BitBlt(compose, 0, 0, pixelWidth_, pixelHeight_, memoryDc_, 0, 0, SRCCOPY);
  } else {
    // Transparent: the host's background shows where the face would be.
    HBRUSH brush = CreateSolidBrush(COLORREF(((form_.BackgroundPixel() >> 16) & 0xFF) |
                                             (form_.BackgroundPixel() & 0xFF00) |
                                             ((form_.BackgroundPixel() & 0xFF) << 16)));
    RECT all{0, 0, pixelWidth_, pixelHeight_};
    FillRect(compose, &all, brush);
    DeleteObject(brush);
  }
  for (const auto& label : labels_) label->Draw(compose);
  BitBlt(windowDc, 0, 0, pixelWidth_, pixelHeight_, compose, 0, 0, SRCCOPY);
  SelectObject(compose, previous);
  DeleteObject(canvas);
  DeleteDC(compose);
}

void Win32UserControl::Refresh() {
  if (!window_ || !IsWindowVisible(window_)) return;
  if (HDC dc = GetDC(window_)) {
    Present(dc);
    ReleaseDC(window_, dc);
    ValidateRect(window_, nullptr);
  }
}

void Win32UserControl::Invalidate() {
  if (window_) InvalidateRect(window_, nullptr, FALSE);
}

Bitmap Win32UserControl::Image() {
  GdiFlush();
  Bitmap image(pixelWidth_, pixelHeight_);
  if (bits_) CopyBlock(ViewOf(image), 0, 0, pixelWidth_, pixelHeight_, View(), 0, 0);
  return image;
}

WindowlessLabel& Win32UserControl::AddLabel() {
  labels_.push_back(std::make_unique<Win32Label>(*this));
  return *labels_.back();
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
  const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  std::int16_t button = 0;
  switch (message) {
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: button = kLeftButton; break;
    case WM_RBUTTONDOWN: case WM_RBUTTONUP: button = kRightButton; break;
    case WM_MBUTTONDOWN: case WM_MBUTTONUP: button = kMiddleButton; break;
    default: button = ButtonsHeld(wParam); break;
  }
  const bool down = message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN;
  const bool up = message == WM_LBUTTONUP || message == WM_RBUTTONUP || message == WM_MBUTTONUP;

  // A left press takes the focus first, as the system does for a control.
  if (message == WM_LBUTTONDOWN && GetFocus() != window_) {
    ::SetFocus(window_);
    if (!window_) return;
  }
  Win32Label* label = captureLabel_;
  if (!captured_) {
    label = nullptr;
    for (auto it = labels_.rbegin(); it != labels_.rend() && !label; ++it)
      if ((*it)->Enabled()) {
        const RECT area = (*it)->PixelRect();
        if (PtInRect(&area, point)) label = it->get();
      }
  }
  if (down && !captured_) {
    SetCapture(window_);
    captured_ = true;
    captureLabel_ = label;
  }
  if (up && ButtonsHeld(wParam) == 0 && captured_) ReleaseCapture();  // WM_CAPTURECHANGED ends the capture

  const std::int16_t shift = ModifierKeys(wParam);
  const PointerHandler* handler;
  float x, y;
  if (label) {
    x = float(point.x * twipsPerPixelX_ - label->Left());
    y = float(point.y * twipsPerPixelY_ - label->Top());
    handler = down ? &label->onMouseDown : up ? &label->onMouseUp : &label->onMouseMove;
  } else {
    const bool twips = scale_ == ScaleUnit::Twips;
    x = float(twips ? point.x * twipsPerPixelX_ : point.x);
    y = float(twips ? point.y * twipsPerPixelY_ : point.y);
    handler = down ? &onMouseDown : up ? &onMouseUp : &onMouseMove;
  }
  if (*handler) (*handler)(button, shift, x, y);
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
      captureLabel_ = nullptr;
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

#include "platform/win32/win32_picture_surface.h"

#include <windowsx.h>

#include <algorithm>

#include "base/checked.h"
#include "base/errors.h"
#include "platform/win32/win32_card_frames.h"
#include "platform/win32/win32_form.h"
#include "platform/win32/win32_windowing.h"

namespace tolvarin {

namespace {

// Whole pixels for a fraction of pixels, by the one rule of every backend.
int SurfacePixels(double value) {
  const std::int32_t pixels = TwipsToPixels(value, 1);
  if (pixels < 0) throw ProgramError(kErrorInvalidPropertyValue, "Invalid property value");
  return pixels;
}

}  // namespace

Win32PictureSurface::Win32PictureSurface(Win32Windowing& windowing, Win32Form& form, bool visible)
    : windowing_(windowing), form_(form) {
  if (HWND parent = form.window()) {
    const DWORD style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | (visible ? WS_VISIBLE : 0);
    CreateWindowExW(0, windowing.surfaceClass(), L"", style, 0, 0, 0, 0, parent, nullptr,
                    windowing.instance(), this);
  }
}

Win32PictureSurface::~Win32PictureSurface() {
  if (window_) {
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
}

void Win32PictureSurface::Attach(HWND window) { window_ = window; }

LRESULT Win32PictureSurface::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND window = window_;
  LRESULT handled = 0;
  if (controls_.HandleMessage(message, wParam, lParam, handled)) return handled;
  // A press on a windowless control keeps the pointer as one on the background does.
  if (PointerToLayer(window_, layer_, message, wParam, lParam, releasing_)) return 0;
  switch (message) {
    case WM_SETCURSOR:
      if (SetLayerCursor(windowing_, window, layer_, wParam, lParam)) return TRUE;
      break;
    case WM_ERASEBKGND:
      return 1;  // the retained bitmap covers the whole window
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      if (dc && layer_) {
        PresentLayer(dc, paint.rcPaint, width_, height_, bitmap_.View(), form_.BackgroundPixel(), layer_);
      } else if (dc) {
        GdiFlush();
        const RECT& area = paint.rcPaint;
        BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, bitmap_.dc(),
               area.left, area.top, SRCCOPY);
      }
      EndPaint(window, &paint);
      return 0;
    }
    case WM_LBUTTONDOWN: ButtonDown(1); return 0;
    case WM_RBUTTONDOWN: ButtonDown(2); return 0;
    case WM_MBUTTONDOWN: ButtonDown(3); return 0;
    case WM_LBUTTONUP: ButtonUp(1, wParam, lParam); return 0;
    case WM_RBUTTONUP: ButtonUp(2, wParam, lParam); return 0;
    case WM_MBUTTONUP: ButtonUp(3, wParam, lParam); return 0;
    case WM_CAPTURECHANGED:
      pressedButton_ = 0;
      if (layer_ && !releasing_) layer_->CancelPress();
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      window_ = nullptr;
      pressedButton_ = 0;
      return DefWindowProcW(window, message, wParam, lParam);
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void Win32PictureSurface::ButtonDown(int button) {
  // Keep the release even when the pointer leaves before it.
  SetCapture(window_);
  pressedButton_ = button;
}

void Win32PictureSurface::ButtonUp(int button, WPARAM keys, LPARAM lParam) {
  if (pressedButton_ != button) {
    // The press was on an image or a label: the last button up lets the pointer go.
    if (pressedButton_ == 0) HoldPointer(window_, WM_LBUTTONUP, keys);
    return;
  }
  pressedButton_ = 0;
  const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  RECT client;
  GetClientRect(window_, &client);
  ReleaseCapture();
  // A click is a press and a release on the surface.
  if (PtInRect(&client, point) && onClick) onClick();
}

void Win32PictureSurface::SetSize(double width, double height) {
  const int newWidth = SurfacePixels(width), newHeight = SurfacePixels(height);
  if (newWidth == width_ && newHeight == height_) return;
  // New area shows the form's background; the old picture keeps its overlap.
  bitmap_.Resize(newWidth, newHeight, form_.BackgroundPixel());
  width_ = newWidth;
  height_ = newHeight;
  if (window_) {
    SetWindowPos(window_, nullptr, 0, 0, width_, height_,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(window_, nullptr, FALSE);
  }
}

void Win32PictureSurface::Move(double left, double top) {
  const int x = TwipsToPixels(left, 1), y = TwipsToPixels(top, 1);
  if (window_) SetWindowPos(window_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

Bitmap Win32PictureSurface::Image() {
  Bitmap image(width_, height_);
  CopyBlock(ViewOf(image), 0, 0, width_, height_, bitmap_.View(), 0, 0);
  return image;
}

void Win32PictureSurface::SetWindowlessLayer(WindowlessLayer* layer) {
  layer_ = layer;
  InvalidateLayer();
}

void Win32PictureSurface::InvalidateLayer() {
  if (window_) InvalidateRect(window_, nullptr, FALSE);
}

void Win32PictureSurface::SetPicture(const Bitmap& picture) {
  if (bitmap_.empty()) return;
  const PixelView view = bitmap_.View();
  Fill(view, form_.BackgroundPixel());
  // CopyBlock only reads its source.
  const PixelView source{const_cast<std::uint32_t*>(picture.pixels.data()), picture.width,
                         picture.height, picture.width};
  CopyBlock(view, 0, 0, picture.width, picture.height, source, 0, 0);
  if (window_) InvalidateRect(window_, nullptr, FALSE);
}

void Win32PictureSurface::Refresh() { Present(true); }

void Win32PictureSurface::RefreshUnchanged() { Present(false); }

void Win32PictureSurface::Present(bool draw) {
  int refreshRate = 0;
  if (window_ && IsWindowVisible(window_)) {
    if (HDC dc = GetDC(window_)) {
      if (draw) {
        GdiFlush();
        BitBlt(dc, 0, 0, width_, height_, bitmap_.dc(), 0, 0, SRCCOPY);
        // Just drawn: a pending paint would only draw the same again.
        ValidateRect(window_, nullptr);
      }
      refreshRate = GetDeviceCaps(dc, VREFRESH);
      ReleaseDC(window_, dc);
    }
  }
  // Messages pumped while waiting may end the run or this window.
  windowing_.pacer().WaitForPresent(refreshRate, [this] { windowing_.DoEvents(); });
}

std::unique_ptr<CardFrames> Win32PictureSurface::OpenCardFrames(PictureSurface& source) {
  std::string why;
  auto frames = Win32CardFrames::Open(windowing_, window_, width_, height_, source.Image(), why);
  TellRenderPath(frames ? "frames on the graphics card: " + frames->description() : "frames on the processor: " + why);
  return frames;
}

}  // namespace tolvarin

// What dialog forms add to the Windows forms: the client size, the icon,
// the retained image, resize events and the modal loop.
#include "base/checked.h"
#include "platform/win32/win32_form.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_windowing.h"

namespace tolvarin {

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
  canvas_.EnsureSize(std::int32_t(ScaleWidth()), std::int32_t(ScaleHeight()), BackgroundPixel());
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

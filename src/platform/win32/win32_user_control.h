#pragma once
// The surface of a self-drawn control on Windows: a child window over a
// top-down 32-bit DIB section (the retained image), the windowless controls
// drawn over that image when the window is shown, pointer capture from a
// press to the release, and the focus messages.
#include <string>

#include "platform/user_control_base.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_dib.h"

namespace tolvarin {

class Win32Form;
class Win32Windowing;

class Win32UserControl final : public UserControlBase {
 public:
  Win32UserControl(Win32Windowing& windowing, Win32Form& form, const std::string& className);
  ~Win32UserControl() override;
  Win32UserControl(const Win32UserControl&) = delete;
  Win32UserControl& operator=(const Win32UserControl&) = delete;

  Hwnd hWnd() override { return FromHwnd(window_); }
  Hwnd HostHwnd() override;
  Hdc hDC() override { return FromHdc(bitmap_.dc()); }
  void Move(double left, double top, double width, double height) override;
  double ScaleWidth() const override { return ScaleOf(bitmap_.width(), twipsPerPixelX_); }
  double ScaleHeight() const override { return ScaleOf(bitmap_.height(), twipsPerPixelY_); }
  void SetBackStyle(BackStyle style) override;
  BackStyle GetBackStyle() const override { return backStyle_; }
  void SetBackColor(std::uint32_t color) override { backColor_ = color; }
  void Cls() override;
  void Refresh() override;
  Bitmap Image() override;
  Timer& AddTimer(std::int32_t intervalMilliseconds, bool enabled) override;
  void SetFocus() override;
  void SetWindowTextW(const std::string& text) override;
  void SetWindowlessLayer(WindowlessLayer* layer) override;
  void InvalidateLayer() override;

  // Called by RouteMessages, the window procedure of its window class.
  void Attach(HWND window);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  PixelView Retained() override { return bitmap_.View(); }
  // The image with the windowless controls over it, put on the window.
  void Present(HDC windowDc);
  void Pointer(UINT message, WPARAM wParam, LPARAM lParam);

  Win32Form& form_;
  HWND window_ = nullptr;
  Win32Dib bitmap_;
  BackStyle backStyle_ = BackStyle::Opaque;
  std::uint32_t backColor_ = 0x8000000F;
  WindowlessLayer* layer_ = nullptr;
  bool captured_ = false;
  bool releasing_ = false;  // letting the pointer go at the release
};

}  // namespace tolvarin

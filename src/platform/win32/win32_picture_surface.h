#pragma once
// A picture surface: a child window over a top-down 32-bit DIB section that
// is selected into a memory DC. The DIB memory is the retained bitmap, so the
// portable raster code and GDI draw on the same pixels.
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_controls.h"
#include "platform/win32/win32_dib.h"
#include "platform/windowing.h"

namespace tolvarin {

class Win32Form;
class Win32Windowing;

class Win32PictureSurface final : public PictureSurface {
 public:
  Win32PictureSurface(Win32Windowing& windowing, Win32Form& form, bool visible);
  ~Win32PictureSurface() override;
  Win32PictureSurface(const Win32PictureSurface&) = delete;
  Win32PictureSurface& operator=(const Win32PictureSurface&) = delete;

  void SetSize(double width, double height) override;
  void Move(double left, double top) override;
  double Width() const override { return width_; }
  double Height() const override { return height_; }
  Hdc hDC() override { return FromHdc(bitmap_.dc()); }
  Bitmap Image() override;
  void SetPicture(const Bitmap& picture) override;
  void Refresh() override;
  void RefreshUnchanged() override;
  std::unique_ptr<CardFrames> OpenCardFrames(PictureSurface& source) override;
  ScrollBarControl& AddScrollBar(const ScrollBarDesign& d) override { return controls_.AddScrollBar(d); }
  ComboBoxControl& AddComboBox(const ComboBoxDesign& d) override { return controls_.AddComboBox(d); }
  void SetWindowlessLayer(WindowlessLayer* layer) override;
  void InvalidateLayer() override;

  HWND window() const { return window_; }

  // Called by RouteMessages, the window procedure of its window class.
  void Attach(HWND window);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  void ButtonDown(int button);
  void ButtonUp(int button, WPARAM keys, LPARAM lParam);
  // Puts the retained bitmap on the window when `draw`, then waits for the
  // display's next frame.
  void Present(bool draw);

  Win32Windowing& windowing_;
  Win32Form& form_;
  HWND window_ = nullptr;
  Win32Dib bitmap_;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  int pressedButton_ = 0;  // 0 none, else 1 left, 2 right, 3 middle
  Win32ControlSet controls_{windowing_, window_};
  WindowlessLayer* layer_ = nullptr;
  bool releasing_ = false;  // letting the pointer go before a release reaches the layer
};

}  // namespace tolvarin

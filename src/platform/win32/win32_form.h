#pragma once
// A form: a top-level window, created hidden, that hosts picture surfaces,
// windowless controls and window timers.
#include <memory>
#include <vector>

#include "platform/win32/win32_api.h"
#include "platform/win32/win32_controls.h"
#include "platform/win32/win32_dib.h"
#include "platform/windowing.h"

namespace tolvarin {

class Win32Windowing;
class Win32PictureSurface;
class Win32UserControl;

class Win32Timer final : public Timer {
 public:
  Win32Timer(HWND owner, UINT_PTR id, std::int32_t interval, bool enabled);
  ~Win32Timer() override;
  void SetEnabled(bool enabled) override;
  bool Enabled() const override { return enabled_; }
  void SetInterval(std::int32_t milliseconds) override;
  std::int32_t Interval() const override { return interval_; }

  UINT_PTR id() const { return id_; }
  void OwnerDestroyed() { owner_ = nullptr; }

 private:
  // A window timer runs while enabled with a non-zero interval.
  void Arm();
  HWND owner_;
  UINT_PTR id_;
  std::int32_t interval_;
  bool enabled_;
};

class Win32Form;

class Win32Form final : public Form {
 public:
  Win32Form(Win32Windowing& windowing, const FormDesign& design);
  ~Win32Form() override;
  Win32Form(const Win32Form&) = delete;
  Win32Form& operator=(const Win32Form&) = delete;

  Hwnd hWnd() override { return FromHwnd(window_); }
  double Left() const override;
  double Top() const override;
  double Width() const override;
  double Height() const override;
  void SetWidth(double twips) override;
  void SetHeight(double twips) override;
  void Move(double left, double top) override;
  void Move(double left, double top, double width, double height) override;
  double ScaleWidth() const override;
  double ScaleHeight() const override;
  void SetBackColor(std::uint32_t color) override;
  std::uint32_t BackColor() const override { return backColor_; }
  void SetWindowState(std::int32_t state) override;
  std::int32_t WindowState() const override;
  void Show() override;
  bool Visible() const override;
  void Unload() override;
  PictureSurface& AddPictureSurface(bool visible) override;
  Timer& AddTimer(std::int32_t intervalMilliseconds, bool enabled) override;
  void SetWindowlessLayer(WindowlessLayer* layer) override;
  void InvalidateLayer() override { Repaint(); }
  ScrollBarControl& AddScrollBar(const ScrollBarDesign& d) override { return controls_.AddScrollBar(d); }
  ComboBoxControl& AddComboBox(const ComboBoxDesign& d) override { return controls_.AddComboBox(d); }
  void ShowModal() override;
  PixelView Canvas() override;
  void Repaint() override;
  UserControlSurface& AddUserControl(const std::string& className) override;

  // For the windowing layer and the controls of this form.
  HWND window() const { return window_; }
  bool keyPreview() const { return design_.keyPreview; }
  // Runs onKeyDown; true when the handler kept the key (set it to 0).
  bool KeyDown(WPARAM virtualKey);
  // The back colour as a pixel 0x00RRGGBB, system colours resolved.
  std::uint32_t BackgroundPixel() const;

  // Called by RouteMessages, the window procedure of its window class.
  void Attach(HWND window);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  // Returns false when the query-unload handler cancelled.
  bool UnloadFor(UnloadMode mode);
  void RunUnloadHandlerOnce();
  void Paint();
  RECT PlacementRect() const;  // window rectangle in its parent's client coordinates
  void Place(int x, int y, int width, int height, UINT flags);
  double TwipsPerPixelX() const;
  double TwipsPerPixelY() const;

  Win32Windowing& windowing_;
  FormDesign design_;
  HWND window_ = nullptr;
  std::uint32_t backColor_;
  HBRUSH backBrush_ = nullptr;
  HPOWERNOTIFY powerNotification_ = nullptr;
  std::int32_t pendingState_ = 0;  // the state a hidden form shows in
  bool queryingUnload_ = false;
  bool unloadHandlerRan_ = false;
  bool silent_ = false;  // destroyed by its owner object: no events
  std::vector<std::unique_ptr<Win32PictureSurface>> surfaces_;
  std::vector<std::unique_ptr<Win32Timer>> timers_;
  std::vector<std::unique_ptr<Win32UserControl>> userControls_;
  Win32ControlSet controls_{windowing_, window_};
  WindowlessLayer* layer_ = nullptr;
  bool releasing_ = false;  // letting the pointer go before a release reaches the layer
  // The retained image of a dialog form, and the client size last reported.
  Win32Dib canvas_;
  std::int32_t reportedWidth_ = -1, reportedHeight_ = -1;
  // Sizes a dialog form around its client area and gives it its icon.
  void SetUpDialog();
  // Raises onResize when the client size differs from the one last reported.
  void ClientSizeChanged();
};

}  // namespace tolvarin

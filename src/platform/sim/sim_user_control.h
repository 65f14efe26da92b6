#pragma once
// The simulated surface of a self-drawn control: a child window of a form
// with a pixel buffer, and pointer, focus and timer events from the simulation.
#include <memory>
#include <string>
#include <vector>

#include "platform/sim/sim_controls.h"
#include "platform/user_control_base.h"

namespace tolvarin::sim {

class SimForm;

class SimUserControl final : public UserControlBase {
 public:
  SimUserControl(SimForm& form, const std::string& className);
  ~SimUserControl() override;

  Hwnd hWnd() override { return hwnd_; }
  Hwnd HostHwnd() override;
  Hdc hDC() override { return reinterpret_cast<Hdc>(&dcTag_); }
  void Move(double left, double top, double width, double height) override;
  double ScaleWidth() const override { return ScaleOf(bitmap.width, twipsPerPixelX_); }
  double ScaleHeight() const override { return ScaleOf(bitmap.height, twipsPerPixelY_); }
  void SetBackStyle(BackStyle style) override { backStyle_ = style; }
  BackStyle GetBackStyle() const override { return backStyle_; }
  void SetBackColor(std::uint32_t color) override { backColor_ = color; }
  void Cls() override;
  void Refresh() override;
  Bitmap Image() override { return bitmap; }
  Timer& AddTimer(std::int32_t intervalMilliseconds, bool enabled) override;
  void SetFocus() override;
  void SetWindowTextW(const std::string& text) override;
  void SetWindowlessLayer(WindowlessLayer* layer) override { windowless.layer = layer; }
  void InvalidateLayer() override { windowless.Invalidate(); }

  // --- The simulation's side
  SimForm& form() { return form_; }
  // The control's rectangle on the screen, in pixels.
  RectL ScreenRect() const;
  // Draws the control and its windowless controls onto the form's client image.
  void Paint(Bitmap& client);

  const std::string className;
  Bitmap bitmap;
  SimLayerHost windowless;
  std::int64_t refreshCount = 0;

 private:
  PixelView Retained() override { return ViewOf(bitmap); }

  SimForm& form_;
  Hwnd hwnd_ = 0;
  int dcTag_ = 0;
  BackStyle backStyle_ = BackStyle::Opaque;
  std::uint32_t backColor_ = 0x8000000F;  // the button-face system colour
};

}  // namespace tolvarin::sim

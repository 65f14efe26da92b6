#pragma once
// The simulated surface of a self-drawn control: a child window of a form
// with a pixel buffer, labels that record their text runs instead of
// rasterising them, and pointer, focus and timer events from the simulation.
#include <memory>
#include <string>
#include <vector>

#include "platform/user_control.h"

namespace tolvarin::sim {

class SimForm;

class SimLabel final : public WindowlessLabel {
 public:
  void SetCaption(const std::string& text) override { caption = text; }
  std::string Caption() const override { return caption; }
  void SetFont(const FontSpec& value) override { font = value; }
  FontSpec Font() const override { return font; }
  void SetForeColor(std::uint32_t color) override;
  std::uint32_t ForeColor() const override { return foreColor; }
  void SetAlignment(TextAlignment value) override { alignment = value; }
  TextAlignment Alignment() const override { return alignment; }
  void SetEnabled(bool value) override;
  bool Enabled() const override { return enabled; }
  void SetLeft(double twips) override { left = twips; }
  void SetTop(double twips) override { top = twips; }
  void SetWidth(double twips) override;
  void SetHeight(double twips) override;
  double Left() const override { return left; }
  double Top() const override { return top; }
  double Width() const override { return width; }
  double Height() const override { return height; }

  std::string caption;
  FontSpec font;
  std::uint32_t foreColor = 0x80000012;  // the button-text system colour
  TextAlignment alignment = TextAlignment::Left;
  bool enabled = true;
  double left = 0, top = 0, width = 0, height = 0;
  // Makes SetEnabled fail, as a label whose window is gone would.
  bool refuseEnable = false;
};

// One label as it was shown on screen: its text, rectangle (twips, in the
// control), font, colour and whether it was greyed.
struct SimTextRun {
  std::string text;
  double left = 0, top = 0, width = 0, height = 0;
  FontSpec font;
  std::uint32_t color = 0;
  TextAlignment alignment = TextAlignment::Left;
  bool greyed = false;
};

class SimUserControl final : public UserControlSurface {
 public:
  SimUserControl(SimForm& form, const std::string& className);
  ~SimUserControl() override;

  Hwnd hWnd() override { return hwnd_; }
  Hwnd HostHwnd() override;
  Hdc hDC() override { return reinterpret_cast<Hdc>(&dcTag_); }
  void Move(double left, double top, double width, double height) override;
  double Left() const override { return left_; }
  double Top() const override { return top_; }
  double Width() const override { return width_; }
  double Height() const override { return height_; }
  void SetScaleMode(ScaleUnit unit) override { scale_ = unit; }
  ScaleUnit ScaleMode() const override { return scale_; }
  double ScaleWidth() const override;
  double ScaleHeight() const override;
  void SetBackStyle(BackStyle style) override { backStyle_ = style; }
  BackStyle GetBackStyle() const override { return backStyle_; }
  void SetBackColor(std::uint32_t color) override { backColor_ = color; }
  std::uint32_t BackColor() const override { return backColor_; }
  void Cls() override;
  void PaintPicture(const Bitmap& picture, double x, double y, std::optional<double> width,
                    std::optional<double> height, double sourceX, double sourceY, double sourceWidth,
                    double sourceHeight) override;
  void Refresh() override;
  Bitmap Image() override { return bitmap; }
  WindowlessLabel& AddLabel() override;
  Timer& AddTimer(std::int32_t intervalMilliseconds, bool enabled) override;
  void SetFocus() override;
  void SetWindowTextW(const std::string& text) override;

  // --- The simulation's side
  SimForm& form() { return form_; }
  // The control's rectangle on the screen, in pixels.
  RectL ScreenRect() const;
  // The label under a point in the control (pixels), or null.
  SimLabel* LabelAt(std::int32_t x, std::int32_t y);
  // Draws the control and its labels' rectangles onto the form's client image.
  void Paint(Bitmap& client) const;
  std::vector<SimTextRun> CurrentTextRuns() const;

  const std::string className;
  Bitmap bitmap;
  std::vector<std::unique_ptr<SimLabel>> labels;
  // The text shown by the last Refresh.
  std::vector<SimTextRun> textRuns;
  std::int64_t refreshCount = 0;

 private:
  double TwipsPerPixelX() const;
  double TwipsPerPixelY() const;

  SimForm& form_;
  Hwnd hwnd_ = 0;
  int dcTag_ = 0;
  double left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  ScaleUnit scale_ = ScaleUnit::Twips;
  BackStyle backStyle_ = BackStyle::Opaque;
  std::uint32_t backColor_ = 0x8000000F;  // the button-face system colour
};

// System colours the simulation knows, as pixels 0x00RRGGBB; a colour value
// without the top bit is taken as 0x00BBGGRR. Raises "Invalid property value"
// for an unknown system colour.
std::uint32_t SimColourPixel(std::uint32_t color);

}  // namespace tolvarin::sim

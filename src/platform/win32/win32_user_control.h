#pragma once
// The surface of a self-drawn control on Windows: a child window over a
// top-down 32-bit DIB section selected into a memory DC (the retained image),
// windowless labels drawn with GDI over that image when the window is shown,
// pointer capture from a press to the release, and the focus messages.
#include <memory>
#include <string>
#include <vector>

#include "platform/user_control.h"
#include "platform/win32/win32_api.h"

namespace tolvarin {

class Win32Form;
class Win32Windowing;
class Win32UserControl;

class Win32Label final : public WindowlessLabel {
 public:
  explicit Win32Label(Win32UserControl& owner) : owner_(owner) {}
  void SetCaption(const std::string& text) override;
  std::string Caption() const override { return caption_; }
  void SetFont(const FontSpec& font) override;
  FontSpec Font() const override { return font_; }
  void SetForeColor(std::uint32_t color) override;
  std::uint32_t ForeColor() const override { return foreColor_; }
  void SetAlignment(TextAlignment alignment) override;
  TextAlignment Alignment() const override { return alignment_; }
  void SetEnabled(bool enabled) override;
  bool Enabled() const override { return enabled_; }
  void SetLeft(double twips) override;
  void SetTop(double twips) override;
  void SetWidth(double twips) override;
  void SetHeight(double twips) override;
  double Left() const override { return left_; }
  double Top() const override { return top_; }
  double Width() const override { return width_; }
  double Height() const override { return height_; }

  // The label's rectangle in the control, in pixels.
  RECT PixelRect() const;
  void Draw(HDC dc) const;

 private:
  void Changed();

  Win32UserControl& owner_;
  std::string caption_;
  FontSpec font_;
  std::uint32_t foreColor_ = 0x80000012;
  TextAlignment alignment_ = TextAlignment::Left;
  bool enabled_ = true;
  double left_ = 0, top_ = 0, width_ = 0, height_ = 0;
};

class Win32UserControl final : public UserControlSurface {
 public:
  Win32UserControl(Win32Windowing& windowing, Win32Form& form, const std::string& className);
  ~Win32UserControl() override;
  Win32UserControl(const Win32UserControl&) = delete;
  Win32UserControl& operator=(const Win32UserControl&) = delete;

  Hwnd hWnd() override { return FromHwnd(window_); }
  Hwnd HostHwnd() override;
  Hdc hDC() override { return FromHdc(memoryDc_); }
  void Move(double left, double top, double width, double height) override;
  double Left() const override { return left_; }
  double Top() const override { return top_; }
  double Width() const override { return width_; }
  double Height() const override { return height_; }
  void SetScaleMode(ScaleUnit unit) override { scale_ = unit; }
  ScaleUnit ScaleMode() const override { return scale_; }
  double ScaleWidth() const override;
  double ScaleHeight() const override;
  void SetBackStyle(BackStyle style) override;
  BackStyle GetBackStyle() const override { return backStyle_; }
  void SetBackColor(std::uint32_t color) override { backColor_ = color; }
  std::uint32_t BackColor() const override { return backColor_; }
  void Cls() override;
  void PaintPicture(const Bitmap& picture, double x, double y, std::optional<double> width,
                    std::optional<double> height, double sourceX, double sourceY, double sourceWidth,
                    double sourceHeight) override;
  void Refresh() override;
  Bitmap Image() override;
  WindowlessLabel& AddLabel() override;
  Timer& AddTimer(std::int32_t intervalMilliseconds, bool enabled) override;
  void SetFocus() override;
  void SetWindowTextW(const std::string& text) override;

  double TwipsPerPixelX() const { return twipsPerPixelX_; }
  double TwipsPerPixelY() const { return twipsPerPixelY_; }
  // Something drawn over the image changed: show it at the next paint.
  void Invalidate();

  // Called by RouteMessages, the window procedure of its window class.
  void Attach(HWND window);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  PixelView View() const;
  // The image with the labels over it, put on the window.
  void Present(HDC windowDc);
  void Pointer(UINT message, WPARAM wParam, LPARAM lParam);

  Win32Form& form_;
  HWND window_ = nullptr;
  HDC memoryDc_ = nullptr;
  HGDIOBJ originalBitmap_ = nullptr;
  HBITMAP dib_ = nullptr;
  std::uint32_t* bits_ = nullptr;
  std::int32_t pixelWidth_ = 0;
  std::int32_t pixelHeight_ = 0;
  double twipsPerPixelX_ = 15;
  double twipsPerPixelY_ = 15;
  double left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  ScaleUnit scale_ = ScaleUnit::Twips;
  BackStyle backStyle_ = BackStyle::Opaque;
  std::uint32_t backColor_ = 0x8000000F;
  std::vector<std::unique_ptr<Win32Label>> labels_;
  Win32Label* captureLabel_ = nullptr;  // the label a captured press began on
  bool captured_ = false;
};

}  // namespace tolvarin

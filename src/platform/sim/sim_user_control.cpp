#include "platform/sim/sim_user_control.h"

#include <cmath>

#include "base/checked.h"
#include "base/errors.h"
#include "base/picture_copy.h"
#include "platform/sim/sim_windowing.h"

namespace tolvarin::sim {

namespace {

// Windows' default system colours, as pixels 0x00RRGGBB, by index.
constexpr std::uint32_t kSystemColours[31] = {
    0xC8C8C8, 0x000000, 0x99B4D1, 0xBFCDDB, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000,
    0x000000, 0x000000, 0xB4B4B4, 0xF4F7FC, 0xABABAB, 0x0078D7, 0xFFFFFF, 0xF0F0F0,
    0xA0A0A0, 0x6D6D6D, 0x000000, 0x000000, 0xFFFFFF, 0x696969, 0xE3E3E3, 0x000000,
    0xFFFFE1, 0x000000, 0x0066CC, 0xB9D1EA, 0xD7E4F2, 0x0078D7, 0xF0F0F0};

}  // namespace

std::uint32_t SimColourPixel(std::uint32_t color) {
  if (color & 0x80000000u) {
    const std::uint32_t index = color & 0x00FFFFFFu;
    if ((color & 0x7F000000u) != 0 || index >= std::size(kSystemColours)) RaiseInvalidPropertyValue();
    return kSystemColours[index];
  }
  if (color > 0x00FFFFFFu) RaiseInvalidPropertyValue();
  return PixelFromColor(color);
}

void SimLabel::SetForeColor(std::uint32_t color) {
  SimColourPixel(color);  // refuses what the platform would refuse
  foreColor = color;
}

void SimLabel::SetEnabled(bool value) {
  if (refuseEnable) RaiseInvalidPropertyValue();
  enabled = value;
}

void SimLabel::SetWidth(double twips) {
  if (twips < 0) RaiseInvalidPropertyValue();
  width = twips;
}

void SimLabel::SetHeight(double twips) {
  if (twips < 0) RaiseInvalidPropertyValue();
  height = twips;
}

SimUserControl::SimUserControl(SimForm& form, const std::string& name) : className(name), form_(form) {
  hwnd_ = form_.windowing().desktop().CreateWindowEntry(className, RectL{}, false, nullptr);
  if (SimWindow* window = form_.windowing().desktop().Find(hwnd_)) {
    window->parent = form_.hWnd();
    window->style = kWsChild;
    window->visible = true;
  }
}

SimUserControl::~SimUserControl() {
  form_.windowing().Forget(this);
  form_.windowing().desktop().RemoveWindow(hwnd_);
}

Hwnd SimUserControl::HostHwnd() { return form_.hWnd(); }

double SimUserControl::TwipsPerPixelX() const { return form_.windowing().TwipsPerPixelX(); }
double SimUserControl::TwipsPerPixelY() const { return form_.windowing().TwipsPerPixelY(); }

void SimUserControl::Move(double left, double top, double width, double height) {
  if (!(width >= 0 && height >= 0 && width < 1e6 && height < 1e6)) RaiseInvalidPropertyValue();
  const bool resized = width != width_ || height != height_;
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  const std::int32_t w = TwipsToPixels(width, TwipsPerPixelX()), h = TwipsToPixels(height, TwipsPerPixelY());
  if (w != bitmap.width || h != bitmap.height) {
    Bitmap resizedBitmap(w, h, SimColourPixel(backColor_));
    CopyBlock(ViewOf(resizedBitmap), 0, 0, bitmap.width, bitmap.height, ViewOf(bitmap), 0, 0);
    bitmap = std::move(resizedBitmap);
  }
  if (SimWindow* window = form_.windowing().desktop().Find(hwnd_)) window->rect = ScreenRect();
  if (resized && onResize) onResize();
}

double SimUserControl::ScaleWidth() const {
  return scale_ == ScaleUnit::Pixels ? bitmap.width : bitmap.width * TwipsPerPixelX();
}

double SimUserControl::ScaleHeight() const {
  return scale_ == ScaleUnit::Pixels ? bitmap.height : bitmap.height * TwipsPerPixelY();
}

void SimUserControl::Cls() { Fill(ViewOf(bitmap), SimColourPixel(backColor_)); }

void SimUserControl::PaintPicture(const Bitmap& picture, double x, double y, std::optional<double> width,
                                  std::optional<double> height, double sourceX, double sourceY,
                                  double sourceWidth, double sourceHeight) {
  const double tx = scale_ == ScaleUnit::Pixels ? 1 : TwipsPerPixelX();
  const double ty = scale_ == ScaleUnit::Pixels ? 1 : TwipsPerPixelY();
  PaintPicturePixels(ViewOf(bitmap), picture, TwipsToPixels(x, tx), TwipsToPixels(y, ty),
                     TwipsToPixels(width.value_or(sourceWidth), tx), TwipsToPixels(height.value_or(sourceHeight), ty),
                     TwipsToPixels(sourceX, tx), TwipsToPixels(sourceY, ty), TwipsToPixels(sourceWidth, tx),
                     TwipsToPixels(sourceHeight, ty));
}

void SimUserControl::Refresh() {
  textRuns = CurrentTextRuns();
  ++refreshCount;
  form_.windowing().Recompose();
}

WindowlessLabel& SimUserControl::AddLabel() {
  labels.push_back(std::make_unique<SimLabel>());
  return *labels.back();
}

Timer& SimUserControl::AddTimer(std::int32_t intervalMilliseconds, bool enabled) {
  return form_.AddTimer(intervalMilliseconds, enabled);
}

void SimUserControl::SetFocus() { form_.windowing().SetFocus(this); }

void SimUserControl::SetWindowTextW(const std::string& text) {
  if (SimWindow* window = form_.windowing().desktop().Find(hwnd_)) window->title = text;
}

RectL SimUserControl::ScreenRect() const {
  const RectL host = form_.ScreenRect();
  const std::int32_t x = host.left + TwipsToPixels(left_, TwipsPerPixelX());
  const std::int32_t y = host.top + TwipsToPixels(top_, TwipsPerPixelY());
  return RectL{x, y, x + bitmap.width, y + bitmap.height};
}

SimLabel* SimUserControl::LabelAt(std::int32_t x, std::int32_t y) {
  for (auto it = labels.rbegin(); it != labels.rend(); ++it) {
    SimLabel& label = **it;
    const std::int32_t left = TwipsToPixels(label.left, TwipsPerPixelX());
    const std::int32_t top = TwipsToPixels(label.top, TwipsPerPixelY());
    if (x >= left && y >= top && x < left + TwipsToPixels(label.width, TwipsPerPixelX()) &&
        y < top + TwipsToPixels(label.height, TwipsPerPixelY()))
      return &label;
  }
  return nullptr;
}

void SimUserControl::Paint(Bitmap& client) const {
  if (backStyle_ != BackStyle::Opaque) return;
  CopyBlock(ViewOf(client), TwipsToPixels(left_, TwipsPerPixelX()), TwipsToPixels(top_, TwipsPerPixelY()),
            bitmap.width, bitmap.height, ViewOf(const_cast<Bitmap&>(bitmap)), 0, 0);
}

std::vector<SimTextRun> SimUserControl::CurrentTextRuns() const {
  std::vector<SimTextRun> runs;
  for (const auto& label : labels)
    runs.push_back(SimTextRun{label->caption, label->left, label->top, label->width, label->height,
                              label->font, label->foreColor, label->alignment, !label->enabled});
  return runs;
}

}  // namespace tolvarin::sim

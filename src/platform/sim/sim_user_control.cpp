#include "platform/sim/sim_user_control.h"

#include "base/checked.h"
#include "base/errors.h"
#include "base/picture_copy.h"
#include "platform/sim/sim_windowing.h"

namespace tolvarin::sim {

SimUserControl::SimUserControl(SimForm& form, const std::string& name) : className(name), form_(form) {
  hwnd_ = form_.windowing().desktop().CreateWindowEntry(className, RectL{}, nullptr);
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
  if (w != bitmap.width || h != bitmap.height) bitmap.Resize(w, h, SimColourPixel(backColor_));
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
  ++refreshCount;
  form_.windowing().Recompose();
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

void SimUserControl::Paint(Bitmap& client) {
  const std::int32_t x = TwipsToPixels(left_, TwipsPerPixelX()), y = TwipsToPixels(top_, TwipsPerPixelY());
  // Transparent: what lies behind shows, with the windowless controls over it.
  Bitmap shown = bitmap;
  if (backStyle_ != BackStyle::Opaque) CopyBlock(ViewOf(shown), 0, 0, shown.width, shown.height, ViewOf(client), x, y);
  windowless.Paint(shown);
  CopyBlock(ViewOf(client), x, y, shown.width, shown.height, ViewOf(shown), 0, 0);
}

}  // namespace tolvarin::sim

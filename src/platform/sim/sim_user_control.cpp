#include "platform/sim/sim_user_control.h"

#include "base/checked.h"
#include "platform/sim/sim_windowing.h"

namespace tolvarin::sim {

SimUserControl::SimUserControl(SimForm& form, const std::string& name)
    : UserControlBase(form.windowing().TwipsPerPixelX(), form.windowing().TwipsPerPixelY()),
      className(name),
      form_(form) {
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

void SimUserControl::Move(double left, double top, double width, double height) {
  CheckSize(width, height);
  const bool resized = Place(left, top, width, height);
  const std::int32_t w = TwipsToPixels(width, twipsPerPixelX_), h = TwipsToPixels(height, twipsPerPixelY_);
  if (w != bitmap.width || h != bitmap.height) bitmap.Resize(w, h, SimColourPixel(backColor_));
  if (SimWindow* window = form_.windowing().desktop().Find(hwnd_)) window->rect = ScreenRect();
  if (resized && onResize) onResize();
}

void SimUserControl::Cls() { Fill(ViewOf(bitmap), SimColourPixel(backColor_)); }

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
  const std::int32_t x = host.left + TwipsToPixels(left_, twipsPerPixelX_);
  const std::int32_t y = host.top + TwipsToPixels(top_, twipsPerPixelY_);
  return RectL{x, y, x + bitmap.width, y + bitmap.height};
}

void SimUserControl::Paint(Bitmap& client) {
  const std::int32_t x = TwipsToPixels(left_, twipsPerPixelX_), y = TwipsToPixels(top_, twipsPerPixelY_);
  // Transparent: what lies behind shows, with the windowless controls over it.
  Bitmap shown = bitmap;
  if (backStyle_ != BackStyle::Opaque) CopyBlock(ViewOf(shown), 0, 0, shown.width, shown.height, ViewOf(client), x, y);
  windowless.Paint(shown);
  CopyBlock(ViewOf(client), x, y, shown.width, shown.height, ViewOf(shown), 0, 0);
}

}  // namespace tolvarin::sim

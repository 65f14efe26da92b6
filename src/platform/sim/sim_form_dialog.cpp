// What dialog forms add to the simulated windowing layer: the frame, the
// retained image, resize events, the modal loop, button clicks on windowless
// controls, the pointer shown and the focus.
#include <cmath>

#include "base/checked.h"
#include "platform/sim/sim_windowing.h"

namespace tolvarin::sim {

namespace {

bool Contains(const RectL& rect, std::int32_t x, std::int32_t y) {
  return x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
}

}  // namespace

RectL SimForm::OuterRect() const {
  if (!design.fixedDialog) return ScreenRect();
  const std::int32_t x = TwipsToPixels(left_, windowing_.TwipsPerPixelX());
  const std::int32_t y = TwipsToPixels(top_, windowing_.TwipsPerPixelY());
  return RectL{x, y, x + TwipsToPixels(width_, windowing_.TwipsPerPixelX()),
               y + TwipsToPixels(height_, windowing_.TwipsPerPixelY())};
}

void SimForm::SetWindowState(std::int32_t state) {
  windowState_ = state;
  ClientSizeChanged();
}

void SimForm::ClientSizeChanged() {
  const std::int32_t width = std::int32_t(ScaleWidth()), height = std::int32_t(ScaleHeight());
  // The retained image keeps what was drawn; it only grows, as the client
  // area of a minimised window is empty but its image is not lost.
  if (width > canvas.width || height > canvas.height) {
    Bitmap grown(std::max(width, canvas.width), std::max(height, canvas.height), PixelFromColor(BackColor()));
    CopyBlock(ViewOf(grown), 0, 0, canvas.width, canvas.height, ViewOf(canvas), 0, 0);
    canvas = std::move(grown);
  }
  if (!visible_ || destroyed_) return;
  if (width == canvasWidth_ && height == canvasHeight_) return;
  canvasWidth_ = width;
  canvasHeight_ = height;
  if (onResize) onResize();
}

void SimForm::ShowModal() {
  Show();
  windowing_.RunUntil([this] { return destroyed_; });
}

void SimForm::Repaint() { windowing_.Recompose(); }

void SimWindowing::RunUntil(const std::function<bool()>& done) {
  while (!done()) {
    DoEvents();
    if (done()) break;
    const auto next = NextWakeUp();
    // Nothing queued and no timer: a modal loop would wait for ever.
    if (!next || (haltAt && *next > *haltAt)) {
      if (haltAt) clock_.AdvanceTo(*haltAt);
      throw SimHalt{};
    }
    clock_.AdvanceTo(*next);
  }
}

void SimWindowing::PostKeyWithShift(std::int32_t keyCode, std::int32_t shift, std::int64_t at) {
  events_.push_back(SimEvent{SimEvent::Kind::Key, at, keyCode, 0, 0, 0, std::int16_t(shift), 0});
}

void SimWindowing::PostButtonClick(std::int32_t x, std::int32_t y, std::int32_t button, std::int64_t at) {
  events_.push_back(SimEvent{SimEvent::Kind::ButtonClick, at, 0, x, y, 0, 0, button});
}

void SimWindowing::DispatchButtonClick(const SimEvent& event) {
  const auto& order = desktop_.ZOrder();
  for (auto it = order.rbegin(); it != order.rend(); ++it) {
    SimForm* form = FormOf(*it);
    if (!form || !form->Visible()) continue;
    const RectL client = form->ScreenRect();
    if (!Contains(form->OuterRect(), event.x, event.y)) continue;
    std::int32_t x = event.x - client.left, y = event.y - client.top;
    const SimControlSet* controls = &form->controls;
    for (auto surface = form->surfaces.rbegin(); surface != form->surfaces.rend(); ++surface) {
      const SimSurface& s = **surface;
      const std::int32_t left = std::int32_t(std::lround(s.left)), top = std::int32_t(std::lround(s.top));
      if (s.visible && Contains(RectL{left, top, left + s.bitmap.width, top + s.bitmap.height}, x, y)) {
        controls = &s.controls;
        x -= left, y -= top;
        break;
      }
    }
    if (SimImage* image = controls->ImageAt(x, y)) {
      if (image->onMouseDown) image->onMouseDown(event.button);
    } else if (SimFormLabel* label = controls->LabelAt(x, y)) {
      if (label->onMouseDown) label->onMouseDown(event.button);
      if (event.button == kLeftButton && label->onClick) label->onClick();
    }
    return;
  }
}

std::string SimWindowing::PointerAt(std::int32_t x, std::int32_t y) {
  if (mousePointer_ == kPointerHourglass) return "hourglass";
  const auto& order = desktop_.ZOrder();
  for (auto it = order.rbegin(); it != order.rend(); ++it) {
    SimForm* form = FormOf(*it);
    if (!form || !form->Visible() || !Contains(form->OuterRect(), x, y)) continue;
    const RectL client = form->ScreenRect();
    if (SimFormLabel* label = form->controls.LabelAt(x - client.left, y - client.top))
      return label->design.pointerResource;
    return "";
  }
  return "";
}

}  // namespace tolvarin::sim

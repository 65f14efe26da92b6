#include "platform/sim/sim_controls.h"

#include <algorithm>
#include <cmath>

#include "base/errors.h"
#include "platform/sim/sim_windowing.h"

namespace tolvarin::sim {

namespace {

bool Inside(const ControlRect& rect, std::int32_t x, std::int32_t y) {
  return x >= rect.left && x < rect.left + rect.width && y >= rect.top && y < rect.top + rect.height;
}

}  // namespace

void SimFocusable::TakeFocus(const Focusable* self) {
  windowing_.SetFocus(nullptr);
  windowing_.focus = const_cast<Focusable*>(self);
}
bool SimFocusable::Holds(const Focusable* self) const { return windowing_.focus == self; }

// ---------------------------------------------------------------- scroll bar

SimScrollBar::SimScrollBar(SimWindowing& windowing, const ScrollBarDesign& d)
    : SimFocusable(windowing), design(d), value_(d.value) {}

void SimScrollBar::SetValue(std::int32_t value) {
  if (value < design.min || value > design.max) RaiseInvalidPropertyValue();
  if (value == value_) return;
  value_ = value;
  if (onChange) onChange();
}

void SimScrollBar::Step(std::int32_t delta) {
  const std::int64_t target = std::clamp<std::int64_t>(std::int64_t(value_) + delta, design.min, design.max);
  SetValue(std::int32_t(target));
}

void SimScrollBar::ClickArrow(std::int32_t direction) { Step(direction * design.smallChange); }
void SimScrollBar::ClickBesideThumb(std::int32_t direction) { Step(direction * design.largeChange); }

void SimScrollBar::DragThumb(const std::vector<std::int32_t>& positions) {
  for (std::int32_t position : positions) {
    value_ = std::clamp(position, design.min, design.max);
    if (onScroll) onScroll();
  }
  if (!positions.empty() && onChange) onChange();
}

// ---------------------------------------------------------------- drop-down list

std::string SimComboBox::List(std::int32_t index) const {
  if (index < 0 || std::size_t(index) >= items.size()) RaiseInvalidPropertyValue();
  return items[std::size_t(index)];
}

void SimComboBox::SetFocus() {
  if (enabled) TakeFocus(this);
}

void SimComboBox::Type(const std::string& value) {
  if (enabled) text = value;
}

void SimComboBox::DropDown() {
  if (!enabled) return;
  TakeFocus(this);
  dropped = true;
}

void SimComboBox::Pick(std::int32_t index) {
  if (enabled && index >= 0 && std::size_t(index) < items.size()) text = items[std::size_t(index)];
}

// ---------------------------------------------------------------- control set

ImageControl& SimControlSet::AddImage() {
  images.push_back(std::make_unique<SimImage>());
  return *images.back();
}

LabelControl& SimControlSet::AddLabel(const LabelDesign& design) {
  labels.push_back(std::make_unique<SimFormLabel>(design));
  return *labels.back();
}

ShapeControl& SimControlSet::AddShape(const ShapeDesign& design) {
  shapes.push_back(std::make_unique<SimShape>(design));
  return *shapes.back();
}

ScrollBarControl& SimControlSet::AddScrollBar(const ScrollBarDesign& design) {
  scrollBars.push_back(std::make_unique<SimScrollBar>(windowing, design));
  return *scrollBars.back();
}

ComboBoxControl& SimControlSet::AddComboBox(const ComboBoxDesign& design) {
  comboBoxes.push_back(std::make_unique<SimComboBox>(windowing, design));
  return *comboBoxes.back();
}

void SimControlSet::Paint(Bitmap& client) const {
  const PixelView view = ViewOf(client);
  for (const auto& image : images) {
    if (image->picture.empty()) continue;
    Bitmap stretched(std::int32_t(std::lround(image->width)), std::int32_t(std::lround(image->height)));
    StretchNearest(ViewOf(stretched), ViewOf(image->picture));
    CopyBlock(view, std::int32_t(std::lround(image->left)), std::int32_t(std::lround(image->top)),
              stretched.width, stretched.height, ViewOf(stretched), 0, 0);
  }
  for (const auto& shape : shapes) {
    const ControlRect& r = shape->design.rect;
    if (r.width <= 0 || r.height <= 0) continue;
    const std::uint32_t pixel = PixelFromColor(shape->design.borderColor);
    Bitmap line(std::max(r.width, r.height), 1, pixel);
    Bitmap column(1, std::max(r.width, r.height), pixel);
    CopyBlock(view, r.left, r.top, r.width, 1, ViewOf(line), 0, 0);
    CopyBlock(view, r.left, r.top + r.height - 1, r.width, 1, ViewOf(line), 0, 0);
    CopyBlock(view, r.left, r.top, 1, r.height, ViewOf(column), 0, 0);
    CopyBlock(view, r.left + r.width - 1, r.top, 1, r.height, ViewOf(column), 0, 0);
  }
}

SimImage* SimControlSet::ImageAt(std::int32_t x, std::int32_t y) const {
  for (auto it = images.rbegin(); it != images.rend(); ++it) {
    const SimImage& image = **it;
    const ControlRect rect{std::int32_t(std::lround(image.left)), std::int32_t(std::lround(image.top)),
                           std::int32_t(std::lround(image.width)), std::int32_t(std::lround(image.height))};
    if (Inside(rect, x, y)) return it->get();
  }
  return nullptr;
}

SimFormLabel* SimControlSet::LabelAt(std::int32_t x, std::int32_t y) const {
  for (auto it = labels.rbegin(); it != labels.rend(); ++it)
    if (Inside((*it)->design.rect, x, y)) return it->get();
  return nullptr;
}

}  // namespace tolvarin::sim

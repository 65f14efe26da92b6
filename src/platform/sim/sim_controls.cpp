#include "platform/sim/sim_controls.h"

#include <algorithm>

#include "base/errors.h"
#include "base/colour.h"
#include "platform/sim/sim_windowing.h"

namespace tolvarin::sim {

namespace {

// Windows' default system colours, as pixels 0x00RRGGBB, by index.
constexpr std::uint32_t kSystemColours[31] = {
    0xC8C8C8, 0x000000, 0x99B4D1, 0xBFCDDB, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000,
    0x000000, 0x000000, 0xB4B4B4, 0xF4F7FC, 0xABABAB, 0x0078D7, 0xFFFFFF, 0xF0F0F0,
    0xA0A0A0, 0x6D6D6D, 0x000000, 0x000000, 0xFFFFFF, 0x696969, 0xE3E3E3, 0x000000,
    0xFFFFE1, 0x000000, 0x0066CC, 0xB9D1EA, 0xD7E4F2, 0x0078D7, 0xF0F0F0};

class SimCanvas final : public WindowlessCanvas {
 public:
  SimCanvas(Bitmap& picture, SimLayerHost& host) : picture_(picture), host_(host) {}
  PixelView Pixels() override { return ViewOf(picture_); }
  std::uint32_t ColourPixel(std::uint32_t color) override { return SimColourPixel(color); }
  void DrawTextW(const TextRun& run) override { host_.textRuns.push_back(run); }
  std::int32_t MeasureText(const TextRun&) override { return host_.textWidth; }

 private:
  Bitmap& picture_;
  SimLayerHost& host_;
};

}  // namespace

std::uint32_t SimColourPixel(std::uint32_t color) {
  ValidateColour(color);
  return color & kSystemColourFlag ? kSystemColours[color & 0xFFu] : PixelFromColor(color);
}

void SimLayerHost::Paint(Bitmap& picture) {
  textRuns.clear();
  if (!layer) return;
  SimCanvas canvas(picture, *this);
  layer->Paint(canvas);
}

void SimLayerHost::Invalidate() {
  if (failNextInvalidate) {
    failNextInvalidate = false;
    RaiseInvalidPropertyValue();
  }
}

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

void SimScrollBar::DragThumb(const std::vector<std::int32_t>& positions) {
  for (std::int32_t position : positions) {
    value_ = std::clamp(position, design.min, design.max);
    if (onScroll) onScroll();
  }
  if (!positions.empty() && onChange) onChange();
}

// ---------------------------------------------------------------- drop-down list

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

// ---------------------------------------------------------------- control set

ScrollBarControl& SimControlSet::AddScrollBar(const ScrollBarDesign& design) {
  scrollBars.push_back(std::make_unique<SimScrollBar>(windowing, design));
  return *scrollBars.back();
}

ComboBoxControl& SimControlSet::AddComboBox(const ComboBoxDesign& design) {
  comboBoxes.push_back(std::make_unique<SimComboBox>(windowing, design));
  return *comboBoxes.back();
}

}  // namespace tolvarin::sim

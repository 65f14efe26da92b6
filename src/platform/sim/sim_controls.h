#pragma once
// The simulated controls: scroll bars and drop-down lists held by a form or a
// picture surface, with the user's side of each (typing, opening the list, clicking the
// scroll bar) for tests to drive; and what a host keeps of its windowless ones.
#include <memory>
#include <vector>

#include "base/raster.h"
#include "platform/controls.h"
#include "platform/windowing.h"

namespace tolvarin::sim {

class SimWindowing;

// What a simulated host keeps of its windowless controls: the layer, and the
// text its last paint drew, recorded rather than rasterised.
struct SimLayerHost {
  // Paints the layer over `picture` (host pixels) and records its text.
  void Paint(Bitmap& picture);

  WindowlessLayer* layer = nullptr;
  std::vector<TextRun> textRuns;
  // The width MeasureText answers for any text: 0, so labels sized to their
  // text keep their design width.
  std::int32_t textWidth = 0;
  // The next invalidation fails, as on a host whose window is gone.
  bool failNextInvalidate = false;
  void Invalidate();
};

class SimFocusable {
 public:
  explicit SimFocusable(SimWindowing& windowing) : windowing_(windowing) {}

 protected:
  void TakeFocus(const Focusable* self);
  bool Holds(const Focusable* self) const;
  SimWindowing& windowing_;
};

class SimScrollBar final : public ScrollBarControl, private SimFocusable {
 public:
  SimScrollBar(SimWindowing& windowing, const ScrollBarDesign& d);
  void SetValue(std::int32_t value) override;
  std::int32_t Value() const override { return value_; }
  void SetFocus() override { TakeFocus(this); }
  bool HasFocus() const override { return Holds(this); }
  bool CanFocus() const override { return true; }

  // --- The user's side. `direction` is -1 (left) or +1 (right).
  void ClickArrow(std::int32_t direction);
  // Drags the thumb through `positions`, then lets it go at the last one.
  void DragThumb(const std::vector<std::int32_t>& positions);

  const ScrollBarDesign design;

 private:
  void Step(std::int32_t delta);
  std::int32_t value_;
};

class SimComboBox final : public ComboBoxControl, private SimFocusable {
 public:
  SimComboBox(SimWindowing& windowing, const ComboBoxDesign& d) : SimFocusable(windowing), design(d) {}
  void SetText(const std::string& value) override { text = value; }
  std::string Text() const override { return text; }
  void AddItem(const std::string& item) override { items.push_back(item); }
  void SetEnabled(bool value) override { enabled = value; }
  bool Enabled() const override { return enabled; }
  void SetFocus() override;
  bool HasFocus() const override { return Holds(this); }
  bool CanFocus() const override { return enabled; }

  // --- The user's side; all do nothing while the box is disabled.
  void Type(const std::string& value);
  // Opens the list (the arrow clicked); it takes the focus.
  void DropDown();

  const ComboBoxDesign design;
  std::string text;
  std::vector<std::string> items;
  bool enabled = true;
  bool dropped = false;
};

// The controls of one container, in the order they were added.
struct SimControlSet {
  explicit SimControlSet(SimWindowing& w) : windowing(w) {}
  ScrollBarControl& AddScrollBar(const ScrollBarDesign& design);
  ComboBoxControl& AddComboBox(const ComboBoxDesign& design);

  SimWindowing& windowing;
  std::vector<std::unique_ptr<SimScrollBar>> scrollBars;
  std::vector<std::unique_ptr<SimComboBox>> comboBoxes;
};

// System colours the simulation knows, as pixels 0x00RRGGBB; a colour value
// without the top bit is taken as 0x00BBGGRR. Raises "Invalid property value"
// for an unknown system colour.
std::uint32_t SimColourPixel(std::uint32_t color);

}  // namespace tolvarin::sim

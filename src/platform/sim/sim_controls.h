#pragma once
// The simulated controls: labels, shapes, scroll bars and drop-down lists
// held by a form or a picture surface, with the user's side of each (typing,
// picking, clicking the scroll bar) for tests to drive.
#include <memory>
#include <vector>

#include "base/raster.h"
#include "platform/controls.h"
#include "platform/windowing.h"

namespace tolvarin::sim {

class SimWindowing;

class SimImage final : public ImageControl {
 public:
  void SetPicture(const Bitmap& picture) override { this->picture = picture; }
  void Move(double l, double t, double w, double h) override { left = l, top = t, width = w, height = h; }
  double Left() const override { return left; }
  double Top() const override { return top; }
  double Width() const override { return width; }
  double Height() const override { return height; }

  Bitmap picture;
  double left = 0, top = 0, width = 0, height = 0;
};

class SimFormLabel final : public LabelControl {
 public:
  explicit SimFormLabel(const LabelDesign& d) : design(d), caption(d.caption) {}
  void SetCaption(const std::string& text) override { caption = text; }
  std::string Caption() const override { return caption; }

  const LabelDesign design;
  std::string caption;
};

class SimShape final : public ShapeControl {
 public:
  explicit SimShape(const ShapeDesign& d) : design(d) {}
  const ShapeDesign design;
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
  std::int32_t Min() const override { return design.min; }
  std::int32_t Max() const override { return design.max; }
  void SetFocus() override { TakeFocus(this); }
  bool HasFocus() const override { return Holds(this); }
  bool CanFocus() const override { return true; }

  // --- The user's side. `direction` is -1 (left) or +1 (right).
  void ClickArrow(std::int32_t direction);
  void ClickBesideThumb(std::int32_t direction);
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
  std::int32_t ListCount() const override { return std::int32_t(items.size()); }
  std::string List(std::int32_t index) const override;
  void SetEnabled(bool value) override { enabled = value; }
  bool Enabled() const override { return enabled; }
  void SetFocus() override;
  bool HasFocus() const override { return Holds(this); }
  bool CanFocus() const override { return enabled; }

  // --- The user's side; all do nothing while the box is disabled.
  void Type(const std::string& value);
  void Pick(std::int32_t index);
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
  ImageControl& AddImage();
  LabelControl& AddLabel(const LabelDesign& design);
  ShapeControl& AddShape(const ShapeDesign& design);
  ScrollBarControl& AddScrollBar(const ScrollBarDesign& design);
  ComboBoxControl& AddComboBox(const ComboBoxDesign& design);

  // Draws what the simulation draws of the controls (images and shape
  // outlines; text is recorded, not drawn) onto the container's client pixels.
  void Paint(Bitmap& client) const;
  // The image or label under a point of the container, last added first.
  SimImage* ImageAt(std::int32_t x, std::int32_t y) const;
  SimFormLabel* LabelAt(std::int32_t x, std::int32_t y) const;

  SimWindowing& windowing;
  std::vector<std::unique_ptr<SimImage>> images;
  std::vector<std::unique_ptr<SimFormLabel>> labels;
  std::vector<std::unique_ptr<SimShape>> shapes;
  std::vector<std::unique_ptr<SimScrollBar>> scrollBars;
  std::vector<std::unique_ptr<SimComboBox>> comboBoxes;
};

}  // namespace tolvarin::sim

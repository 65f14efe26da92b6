#pragma once
// The native controls that forms and picture surfaces hold: the horizontal
// scroll bar and the editable drop-down list. Positions and sizes are pixels
// in the container's client area.
#include <cstdint>
#include <functional>
#include <string>

#include "platform/types.h"
#include "platform/user_control.h"
#include "platform/windowless.h"

namespace tolvarin {

// The application-wide mouse pointer setting.
inline constexpr std::int32_t kPointerDefault = 0;
inline constexpr std::int32_t kPointerHourglass = 11;

// Colours with the top bit set name system colours.
inline constexpr std::uint32_t kColorWindowText = 0x80000008u;

struct ControlRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  friend bool operator==(const ControlRect&, const ControlRect&) = default;
};


struct ScrollBarDesign {
  ControlRect rect;
  std::int32_t min = 0;
  std::int32_t max = 32767;
  std::int32_t smallChange = 1;
  std::int32_t largeChange = 1;
  std::int32_t value = 0;
};

// Controls that can take the keyboard focus.
class Focusable {
 public:
  virtual ~Focusable() = default;
  virtual void SetFocus() = 0;
  virtual bool HasFocus() const = 0;
  virtual bool CanFocus() const = 0;  // enabled and visible
};

// The native horizontal scroll bar. Arrow clicks move the value by the small
// change, clicks beside the thumb by the large change; a dragged thumb raises
// onScroll while it moves and onChange when it is let go.
class ScrollBarControl : public Focusable {
 public:
  // A value outside the design's [min, max] is refused with "Invalid property value".
  virtual void SetValue(std::int32_t value) = 0;
  virtual std::int32_t Value() const = 0;

  std::function<void()> onChange;
  std::function<void()> onScroll;
};

struct ComboBoxDesign {
  ControlRect rect;
  FontSpec font;
  // The edit field and the list are drawn in these whatever the colour
  // scheme, so the text shows on the background on every scheme.
  std::uint32_t backColor = 0x00FFFFFF;
  std::uint32_t foreColor = 0x00000000;
};

// The editable drop-down list: a text box with a list to pick from.
class ComboBoxControl : public Focusable {
 public:
  virtual void SetText(const std::string& text) = 0;
  virtual std::string Text() const = 0;
  virtual void AddItem(const std::string& item) = 0;
  virtual void SetEnabled(bool enabled) = 0;
  virtual bool Enabled() const = 0;
};

// What forms and picture surfaces hold besides their own picture and the
// windowless controls drawn over it.
class ControlContainer : public WindowlessHost {
 public:
  virtual ScrollBarControl& AddScrollBar(const ScrollBarDesign& design) = 0;
  virtual ComboBoxControl& AddComboBox(const ComboBoxDesign& design) = 0;
};

}  // namespace tolvarin

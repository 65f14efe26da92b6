#pragma once
// What a window offers the controls drawn on it without windows of their own
// (labels, images, shapes): its composed picture to paint on, the platform's
// text drawing, and its raw pointer input. Which control a press belongs to
// and what each draws is decided above this seam.
#include <cstdint>
#include <functional>
#include <string>

#include "base/raster.h"
#include "platform/types.h"

namespace tolvarin {

// A font as a control holds it. Size in points; weight 400 normal, 700 bold.
struct FontSpec {
  std::string name;
  double size = 9.75;
  std::int16_t weight = 400;
  bool italic = false;
  bool underline = false;
  bool strikethrough = false;
  std::int16_t charset = 1;  // 1: the system's default character set, 128: Shift-JIS
  friend bool operator==(const FontSpec&, const FontSpec&) = default;
};

// Mouse buttons in pointer events.
inline constexpr std::int16_t kLeftButton = 1;
inline constexpr std::int16_t kRightButton = 2;
inline constexpr std::int16_t kMiddleButton = 4;
// Modifier keys in pointer events.
inline constexpr std::int16_t kShiftMask = 1;
inline constexpr std::int16_t kCtrlMask = 2;
inline constexpr std::int16_t kAltMask = 4;

// Button (kLeftButton, ...), modifier keys, and the position in the current
// scale of the control that reports it.
using PointerHandler = std::function<void(std::int16_t button, std::int16_t shift, float x, float y)>;

enum class TextAlignment : std::int16_t { Left = 0, Right = 1, Center = 2 };

// A piece of text as the platform draws it: one call per label.
struct TextRun {
  std::string text;
  FontSpec font;
  double fontTwipsPerPixel = 15;  // the scale the font's point size is taken at
  std::uint32_t color = 0;        // 0x00BBGGRR or a system colour
  RectL rect;                     // pixels on the host
  TextAlignment alignment = TextAlignment::Left;
  bool singleLine = false;        // else broken at words to the rectangle's width
  bool greyed = false;            // drawn as the platform draws disabled text
  bool sunkenBorder = false;      // a thin sunken edge on the rectangle, the text 2 pixels inside it
};

// The host's picture during one paint: its retained image with nothing
// drawn over it yet, client-sized, in host pixels.
class WindowlessCanvas {
 public:
  virtual ~WindowlessCanvas() = default;
  virtual PixelView Pixels() = 0;
  // A colour value as a pixel 0x00RRGGBB, system colours resolved.
  virtual std::uint32_t ColourPixel(std::uint32_t color) = 0;
  virtual void DrawTextW(const TextRun& run) = 0;
  // The width in pixels that the run's text takes on one line.
  virtual std::int32_t MeasureText(const TextRun& run) = 0;
};

struct PointerInput {
  enum class Kind { Down, Move, Up };
  Kind kind = Kind::Move;
  std::int16_t button = 0;  // the button pressed or released; for a move, the buttons held
  std::int16_t shift = 0;   // kShiftMask, ...
  std::int16_t held = 0;    // the buttons still held after this event
  std::int32_t x = 0, y = 0;  // host pixels
};

// Implemented above the seam: what is drawn over a host and takes the pointer there.
class WindowlessLayer {
 public:
  virtual ~WindowlessLayer() = default;
  virtual void Paint(WindowlessCanvas& canvas) = 0;
  // True when a control of the layer took the event; the host then does
  // nothing else with it but keep the pointer till the buttons are up.
  virtual bool Pointer(const PointerInput& input) = 0;
  // Whether Pointer would give the event to a control of the layer (the
  // control pressed, else the one under the pointer).
  virtual bool Takes(const PointerInput& input) = 0;
  // The host lost the pointer before the release.
  virtual void CancelPress() = 0;
  // Resource name of the pointer shape at a host pixel; "" for the host's own.
  virtual std::string PointerResourceAt(std::int32_t x, std::int32_t y) = 0;
};

// Forms, picture surfaces and user-control surfaces hold one layer each.
class WindowlessHost {
 public:
  virtual ~WindowlessHost() = default;
  // The layer drawn over the host's picture; null for none.
  virtual void SetWindowlessLayer(WindowlessLayer* layer) = 0;
  // The layer changed: the host draws it again at its next paint.
  virtual void InvalidateLayer() = 0;
};

}  // namespace tolvarin

#pragma once
// Labels, images and shapes: controls without windows, drawn over their
// host's picture and taking the pointer where they lie. One set per host
// (a form, a picture surface, a self-drawn button's surface).
//
// Hit-testing: an image takes a press before a label; among images, and
// among labels, the one added last lies on top. Shapes take no pointer, and a
// disabled label lets it through to the host. A press keeps the pointer with
// the control (or the host's own face) it began on until every button is up;
// a click is a left press and release over the same control.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/raster.h"
#include "platform/controls.h"
#include "platform/windowless.h"

namespace tolvarin {

class WindowlessControls;

// What every windowless control has: its pointer events, with positions in
// the set's unit relative to the control.
class Windowless {
 public:
  virtual ~Windowless() = default;
  PointerHandler onMouseDown;
  PointerHandler onMouseMove;
  PointerHandler onMouseUp;
  std::function<void()> onClick;

 protected:
  explicit Windowless(WindowlessControls& set) : set_(set) {}
  void Changed();
  WindowlessControls& set_;
};

struct LabelDesign {
  ControlRect rect;  // in the set's unit
  std::string caption;
  FontSpec font;
  std::uint32_t foreColor = 0;  // 0x00BBGGRR or a system colour
  TextAlignment alignment = TextAlignment::Left;
  bool border = false;  // a thin sunken border
  // Sized to its text: one line, as wide as the text needs (at least the
  // design width), so a wider font than designed for is not cut off.
  bool autoSize = false;
  // Resource name of the pointer shown over the label; empty for the default.
  std::string pointerResource;
};

// A label with a transparent background.
class WindowlessLabel final : public Windowless {
 public:
  WindowlessLabel(WindowlessControls& set, const LabelDesign& design);
  void SetCaption(const std::string& text);
  std::string Caption() const { return design_.caption; }
  void SetFont(const FontSpec& font);
  FontSpec Font() const { return design_.font; }
  // 0x00BBGGRR, or a system colour (0x80000000 | index); an index the
  // platform does not know raises "Invalid property value".
  void SetForeColor(std::uint32_t color);
  std::uint32_t ForeColor() const { return design_.foreColor; }
  void SetAlignment(TextAlignment alignment);
  TextAlignment Alignment() const { return design_.alignment; }
  // A disabled label shows its text greyed and lets the pointer through.
  void SetEnabled(bool enabled);
  bool Enabled() const { return enabled_; }
  void SetLeft(double left);
  void SetTop(double top);
  // A negative size raises "Invalid property value".
  void SetWidth(double width);
  void SetHeight(double height);
  double Left() const { return left_; }
  double Top() const { return top_; }
  double Width() const { return width_; }
  double Height() const { return height_; }
  const std::string& PointerResource() const { return design_.pointerResource; }

 private:
  friend class WindowlessControls;
  void Paint(WindowlessCanvas& canvas);
  LabelDesign design_;
  bool enabled_ = true;
  double left_, top_, width_, height_;
  // Pixels the label was widened by to fit its text when it was last drawn;
  // it takes the pointer there too.
  std::int32_t widenedBy_ = 0;
};

// An image; the picture is stretched to the control's size.
class WindowlessImage final : public Windowless {
 public:
  explicit WindowlessImage(WindowlessControls& set) : Windowless(set) {}
  void SetPicture(const Bitmap& picture);
  const Bitmap& Picture() const { return picture_; }
  // A negative size raises "Invalid property value".
  void Move(double left, double top, double width, double height);
  double Left() const { return left_; }
  double Top() const { return top_; }
  double Width() const { return width_; }
  double Height() const { return height_; }

 private:
  friend class WindowlessControls;
  void Paint(WindowlessCanvas& canvas);
  Bitmap picture_;
  double left_ = 0, top_ = 0, width_ = 0, height_ = 0;
};

struct ShapeDesign {
  ControlRect rect;  // in the set's unit
  std::uint32_t borderColor = 0;  // 0x00BBGGRR or a system colour
};

// A rectangle outline, one pixel wide.
class WindowlessShape final : public Windowless {
 public:
  WindowlessShape(WindowlessControls& set, const ShapeDesign& design) : Windowless(set), design_(design) {}

 private:
  friend class WindowlessControls;
  void Paint(WindowlessCanvas& canvas);
  ShapeDesign design_;
};

class WindowlessControls final : public WindowlessLayer {
 public:
  // Positions and sizes are in `unit`: pixels, or twips at the given factors.
  WindowlessControls(WindowlessHost& host, ScaleUnit unit, double twipsPerPixelX, double twipsPerPixelY);
  ~WindowlessControls() override;
  WindowlessControls(const WindowlessControls&) = delete;
  WindowlessControls& operator=(const WindowlessControls&) = delete;

  WindowlessLabel& AddLabel(const LabelDesign& design = {});
  WindowlessImage& AddImage();
  WindowlessShape& AddShape(const ShapeDesign& design);
  const std::vector<std::unique_ptr<WindowlessLabel>>& Labels() const { return labels_; }

  // The pointer on the host where no control takes it, positions in the
  // set's unit relative to the host.
  PointerHandler onMouseDown;
  PointerHandler onMouseMove;
  PointerHandler onMouseUp;

  void Paint(WindowlessCanvas& canvas) override;
  bool Pointer(const PointerInput& input) override;
  bool Takes(const PointerInput& input) override;
  void CancelPress() override;
  std::string PointerResourceAt(std::int32_t x, std::int32_t y) override;

  // Host pixels for a position or size in the set's unit.
  std::int32_t PixelsX(double value) const;
  std::int32_t PixelsY(double value) const;
  void Invalidate() { host_.InvalidateLayer(); }
  // Fonts' point sizes are taken at the host's vertical resolution.
  double FontTwipsPerPixel() const { return twipsPerPixelY_; }

 private:
  friend class WindowlessLabel;
  friend class WindowlessImage;
  friend class WindowlessShape;
  Windowless* ControlAt(std::int32_t x, std::int32_t y) const;
  RectL PixelRect(double left, double top, double width, double height) const;
  double UnitsX() const { return unit_ == ScaleUnit::Twips ? twipsPerPixelX_ : 1; }
  double UnitsY() const { return unit_ == ScaleUnit::Twips ? twipsPerPixelY_ : 1; }

  WindowlessHost& host_;
  ScaleUnit unit_;
  double twipsPerPixelX_, twipsPerPixelY_;
  std::vector<std::unique_ptr<WindowlessImage>> images_;
  std::vector<std::unique_ptr<WindowlessShape>> shapes_;
  std::vector<std::unique_ptr<WindowlessLabel>> labels_;
  Windowless* pressed_ = nullptr;  // the control a press began on
  bool pressedHost_ = false;       // a press began where no control is
  bool leftPressed_ = false;       // the left button went down on the control
};

}  // namespace tolvarin

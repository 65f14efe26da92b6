#include "controls/windowless.h"

#include <algorithm>

#include "base/checked.h"
#include "base/colour.h"
#include "base/errors.h"
#include "base/picture_copy.h"

namespace tolvarin {

namespace {

bool Inside(const RectL& rect, std::int32_t x, std::int32_t y) {
  return x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
}

void RefuseNegative(double size) {
  if (size < 0) RaiseInvalidPropertyValue();
}

}  // namespace

void Windowless::Changed() { set_.Invalidate(); }

// ---------------------------------------------------------------- labels

WindowlessLabel::WindowlessLabel(WindowlessControls& set, const LabelDesign& design)
    : Windowless(set),
      design_(design),
      left_(design.rect.left),
      top_(design.rect.top),
      width_(design.rect.width),
      height_(design.rect.height) {}

void WindowlessLabel::SetCaption(const std::string& text) {
  design_.caption = text;
  Changed();
}

void WindowlessLabel::SetFont(const FontSpec& font) {
  design_.font = font;
  Changed();
}

void WindowlessLabel::SetForeColor(std::uint32_t color) {
  ValidateColour(color);
  design_.foreColor = color;
  Changed();
}

void WindowlessLabel::SetAlignment(TextAlignment alignment) {
  design_.alignment = alignment;
  Changed();
}

void WindowlessLabel::SetEnabled(bool enabled) {
  enabled_ = enabled;
  Changed();
}

void WindowlessLabel::SetLeft(double left) {
  left_ = left;
  Changed();
}

void WindowlessLabel::SetTop(double top) {
  top_ = top;
  Changed();
}

void WindowlessLabel::SetWidth(double width) {
  RefuseNegative(width);
  width_ = width;
  Changed();
}

void WindowlessLabel::SetHeight(double height) {
  RefuseNegative(height);
  height_ = height;
  Changed();
}

void WindowlessLabel::Paint(WindowlessCanvas& canvas) {
  TextRun run;
  run.text = design_.caption;
  run.font = design_.font;
  run.color = design_.foreColor;
  run.alignment = design_.alignment;
  run.singleLine = design_.autoSize;
  run.greyed = !enabled_;
  run.sunkenBorder = design_.border;
  run.fontTwipsPerPixel = set_.FontTwipsPerPixel();
  run.rect = set_.PixelRect(left_, top_, width_, height_);
  widenedBy_ = 0;
  if (run.text.empty() && !run.sunkenBorder) return;
  if (design_.autoSize) {
    const std::int32_t inset = design_.border ? 2 : 0;
    const std::int32_t needed = run.rect.left + inset + canvas.MeasureText(run) + inset;
    if (needed > run.rect.right) {
      widenedBy_ = needed - run.rect.right;
      run.rect.right = needed;
    }
  }
  canvas.DrawTextW(run);
}

// ---------------------------------------------------------------- images

void WindowlessImage::SetPicture(const Bitmap& picture) {
  picture_ = picture;
  Changed();
}

void WindowlessImage::Move(double left, double top, double width, double height) {
  RefuseNegative(width);
  RefuseNegative(height);
  left_ = left, top_ = top, width_ = width, height_ = height;
  Changed();
}

void WindowlessImage::Paint(WindowlessCanvas& canvas) {
  const RectL r = set_.PixelRect(left_, top_, width_, height_);
  PaintPicturePixels(canvas.Pixels(), picture_, r.left, r.top, r.right - r.left, r.bottom - r.top, 0, 0,
                     picture_.width, picture_.height);
}

// ---------------------------------------------------------------- shapes

void WindowlessShape::Paint(WindowlessCanvas& canvas) {
  const RectL r = set_.PixelRect(design_.rect.left, design_.rect.top, design_.rect.width, design_.rect.height);
  const std::int32_t width = r.right - r.left, height = r.bottom - r.top;
  if (width <= 0 || height <= 0) return;
  const std::int32_t longest = std::max(width, height);
  Bitmap line(longest, 1, canvas.ColourPixel(design_.borderColor));
  Bitmap column(1, longest, line.pixels[0]);
  const PixelView view = canvas.Pixels();
  CopyBlock(view, r.left, r.top, width, 1, ViewOf(line), 0, 0);
  CopyBlock(view, r.left, r.bottom - 1, width, 1, ViewOf(line), 0, 0);
  CopyBlock(view, r.left, r.top, 1, height, ViewOf(column), 0, 0);
  CopyBlock(view, r.right - 1, r.top, 1, height, ViewOf(column), 0, 0);
}

// ---------------------------------------------------------------- the set

WindowlessControls::WindowlessControls(WindowlessHost& host, ScaleUnit unit, double twipsPerPixelX,
                                       double twipsPerPixelY)
    : host_(host), unit_(unit), twipsPerPixelX_(twipsPerPixelX), twipsPerPixelY_(twipsPerPixelY) {
  host_.SetWindowlessLayer(this);
}

WindowlessControls::~WindowlessControls() { host_.SetWindowlessLayer(nullptr); }

WindowlessLabel& WindowlessControls::AddLabel(const LabelDesign& design) {
  labels_.push_back(std::make_unique<WindowlessLabel>(*this, design));
  Invalidate();
  return *labels_.back();
}

WindowlessImage& WindowlessControls::AddImage() {
  images_.push_back(std::make_unique<WindowlessImage>(*this));
  return *images_.back();
}

WindowlessShape& WindowlessControls::AddShape(const ShapeDesign& design) {
  shapes_.push_back(std::make_unique<WindowlessShape>(*this, design));
  Invalidate();
  return *shapes_.back();
}

std::int32_t WindowlessControls::PixelsX(double value) const { return TwipsToPixels(value, UnitsX()); }
std::int32_t WindowlessControls::PixelsY(double value) const { return TwipsToPixels(value, UnitsY()); }

RectL WindowlessControls::PixelRect(double left, double top, double width, double height) const {
  const std::int32_t x = PixelsX(left), y = PixelsY(top);
  return RectL{x, y, x + PixelsX(width), y + PixelsY(height)};
}

void WindowlessControls::Paint(WindowlessCanvas& canvas) {
  // Images at the bottom, then the shapes' outlines, the text on top.
  for (auto& image : images_) image->Paint(canvas);
  for (auto& shape : shapes_) shape->Paint(canvas);
  for (auto& label : labels_) label->Paint(canvas);
}

Windowless* WindowlessControls::ControlAt(std::int32_t x, std::int32_t y) const {
  for (auto it = images_.rbegin(); it != images_.rend(); ++it) {
    const WindowlessImage& image = **it;
    if (Inside(PixelRect(image.left_, image.top_, image.width_, image.height_), x, y)) return it->get();
  }
  for (auto it = labels_.rbegin(); it != labels_.rend(); ++it) {
    const WindowlessLabel& label = **it;
    if (!label.enabled_) continue;
    // Widened to its text as it was last drawn.
    RectL area = PixelRect(label.left_, label.top_, label.width_, label.height_);
    area.right += label.widenedBy_;
    if (Inside(area, x, y)) return it->get();
  }
  return nullptr;
}

bool WindowlessControls::Pointer(const PointerInput& input) {
  const bool down = input.kind == PointerInput::Kind::Down, up = input.kind == PointerInput::Kind::Up;
  const bool released = up && input.held == 0;
  Windowless* target = pressed_ || pressedHost_ ? pressed_ : ControlAt(input.x, input.y);
  const PointerHandler Windowless::*member = down ? &Windowless::onMouseDown
                                             : up ? &Windowless::onMouseUp
                                                  : &Windowless::onMouseMove;
  if (!target) {
    if (down) pressedHost_ = true;
    if (released) pressedHost_ = false;
    const PointerHandler& handler = down ? onMouseDown : up ? onMouseUp : onMouseMove;
    if (handler) handler(input.button, input.shift, float(input.x * UnitsX()), float(input.y * UnitsY()));
    return false;
  }
  if (down && !pressed_) {
    pressed_ = target;
    leftPressed_ = false;
  }
  if (down && input.button == kLeftButton) leftPressed_ = true;
  const bool click = up && input.button == kLeftButton && leftPressed_ && ControlAt(input.x, input.y) == target;
  if (released) pressed_ = nullptr;

  // Positions relative to the control, in the set's unit.
  double left = 0, top = 0;
  if (auto* label = dynamic_cast<WindowlessLabel*>(target)) {
    left = label->left_, top = label->top_;
  } else if (auto* image = dynamic_cast<WindowlessImage*>(target)) {
    left = image->left_, top = image->top_;
  }
  const PointerHandler& handler = target->*member;
  if (handler) handler(input.button, input.shift, float(input.x * UnitsX() - left), float(input.y * UnitsY() - top));
  if (click && target->onClick) target->onClick();
  return true;
}

bool WindowlessControls::Takes(const PointerInput& input) {
  return pressed_ || (!pressedHost_ && ControlAt(input.x, input.y));
}

void WindowlessControls::CancelPress() {
  pressed_ = nullptr;
  pressedHost_ = false;
  leftPressed_ = false;
}

std::string WindowlessControls::PointerResourceAt(std::int32_t x, std::int32_t y) {
  if (auto* label = dynamic_cast<WindowlessLabel*>(ControlAt(x, y))) return label->PointerResource();
  return "";
}

}  // namespace tolvarin

#pragma once
// What the self-drawn control surfaces of every backend keep alike: the
// placement in twips, the drawing scale, and pictures drawn into the retained
// image in that scale.
#include <optional>

#include "base/checked.h"
#include "base/errors.h"
#include "base/picture_copy.h"
#include "platform/user_control.h"

namespace tolvarin {

class UserControlBase : public UserControlSurface {
 public:
  double Left() const override { return left_; }
  double Top() const override { return top_; }
  double Width() const override { return width_; }
  double Height() const override { return height_; }
  void SetScaleMode(ScaleUnit unit) override { scale_ = unit; }

  void PaintPicture(const Bitmap& picture, double x, double y, std::optional<double> width,
                    std::optional<double> height, double sourceX, double sourceY, double sourceWidth,
                    double sourceHeight) override {
    const double tx = scale_ == ScaleUnit::Pixels ? 1 : twipsPerPixelX_;
    const double ty = scale_ == ScaleUnit::Pixels ? 1 : twipsPerPixelY_;
    PaintPicturePixels(Retained(), picture, TwipsToPixels(x, tx), TwipsToPixels(y, ty),
                       TwipsToPixels(width.value_or(sourceWidth), tx), TwipsToPixels(height.value_or(sourceHeight), ty),
                       TwipsToPixels(sourceX, tx), TwipsToPixels(sourceY, ty), TwipsToPixels(sourceWidth, tx),
                       TwipsToPixels(sourceHeight, ty));
  }

 protected:
  UserControlBase(double twipsPerPixelX, double twipsPerPixelY)
      : twipsPerPixelX_(twipsPerPixelX), twipsPerPixelY_(twipsPerPixelY) {}

  // The retained image's pixels.
  virtual PixelView Retained() = 0;
  // A size that cannot be a window's is refused, never clamped.
  static void CheckSize(double width, double height) {
    if (!(width >= 0 && height >= 0 && width < 1e6 && height < 1e6)) RaiseInvalidPropertyValue();
  }
  // Takes a new placement; true when the size changed.
  bool Place(double left, double top, double width, double height) {
    const bool resized = width != width_ || height != height_;
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    return resized;
  }
  // A length of the retained image, in pixels, in the drawing scale.
  double ScaleOf(std::int32_t pixels, double twipsPerPixel) const {
    return scale_ == ScaleUnit::Pixels ? pixels : pixels * twipsPerPixel;
  }

  const double twipsPerPixelX_, twipsPerPixelY_;
  double left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  ScaleUnit scale_ = ScaleUnit::Twips;
};

}  // namespace tolvarin

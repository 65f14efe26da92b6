#pragma once
// The surface of a self-drawn control: a child window of a form with its own
// retained 32-bit bitmap, a twips or pixel drawing scale, pointer and focus
// events, and window timers.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "base/raster.h"
#include "platform/types.h"
#include "platform/windowless.h"

namespace tolvarin {

class Timer;

enum class ScaleUnit : std::int16_t { Twips = 1, Pixels = 3 };
enum class BackStyle : std::int16_t { Transparent = 0, Opaque = 1 };

// A control's own window. After a press on it, pointer moves and the release
// keep coming to it, wherever the pointer is, until the button is released;
// they go to its windowless layer, which also has the control's own.
class UserControlSurface : public WindowlessHost {
 public:
  virtual Hwnd hWnd() = 0;
  // The window of the form that holds the control.
  virtual Hwnd HostHwnd() = 0;
  // The device context of the retained bitmap: drawing there is kept.
  virtual Hdc hDC() = 0;

  // Placement in the host form, in twips. A change of size runs onResize.
  virtual void Move(double left, double top, double width, double height) = 0;
  virtual double Left() const = 0;
  virtual double Top() const = 0;
  virtual double Width() const = 0;
  virtual double Height() const = 0;

  // The drawing scale: ScaleWidth, ScaleHeight and PaintPicture use it.
  virtual void SetScaleMode(ScaleUnit unit) = 0;
  virtual double ScaleWidth() const = 0;
  virtual double ScaleHeight() const = 0;

  // Opaque shows the retained image; transparent shows what lies behind the
  // control (its windowless controls still show).
  virtual void SetBackStyle(BackStyle style) = 0;
  virtual BackStyle GetBackStyle() const = 0;
  virtual void SetBackColor(std::uint32_t color) = 0;

  // Fills the retained image with the back colour.
  virtual void Cls() = 0;
  // Copies a rectangle of `picture` onto a rectangle of the image, both in
  // the current scale, stretched to the destination by nearest pixel (a
  // plain copy: no transparency, no mixing). A destination size left out is
  // the source size.
  virtual void PaintPicture(const Bitmap& picture, double x, double y, std::optional<double> width,
                            std::optional<double> height, double sourceX, double sourceY,
                            double sourceWidth, double sourceHeight) = 0;
  // Shows the retained image and the windowless controls on screen now.
  virtual void Refresh() = 0;
  // The retained image (windowless controls not included).
  virtual Bitmap Image() = 0;

  // A window timer that stops when the host form goes away.
  virtual Timer& AddTimer(std::int32_t intervalMilliseconds, bool enabled) = 0;
  // Gives the control the input focus.
  virtual void SetFocus() = 0;
  // The window's own text: never drawn, but the name a screen reader
  // announces for the control.
  virtual void SetWindowTextW(const std::string& text) = 0;

  std::function<void()> onGotFocus;
  std::function<void()> onLostFocus;
  std::function<void()> onResize;
};

}  // namespace tolvarin

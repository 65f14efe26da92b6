#pragma once
// Checked numeric conversions: a value that does not fit raises an overflow
// on every backend instead of wrapping around.
#include <cmath>
#include <cstdint>
#include <limits>

#include "base/errors.h"

namespace tolvarin {

// Rounds half to even (banker's rounding) and checks the range of T.
template <class T>
T RoundHalfEven(double value) {
  if (std::isnan(value)) RaiseOverflow();
  const double rounded = std::nearbyint(value);  // default rounding mode: ties to even
  if (rounded < double(std::numeric_limits<T>::min()) || rounded > double(std::numeric_limits<T>::max()))
    RaiseOverflow();
  return static_cast<T>(rounded);
}

// Twips for a pixel count at the screen's factor.
inline double PixelsToTwips(double pixels, double twipsPerPixel) { return pixels * twipsPerPixel; }

// The one conversion from twips (or a fraction of pixels, with a factor of 1)
// to whole pixels, used by every window, control and surface on every
// backend. Halves go away from zero, as the platform's own scaling does
// (MulDiv): a length of p pixels designed at 96 dots per inch lands where the
// system would put it at any other resolution, and the same twips give the
// same pixel on the simulated and the real platform. A value outside the
// 32-bit range raises an overflow.
inline std::int32_t TwipsToPixels(double twips, double twipsPerPixel) {
  const double pixels = std::round(twips / twipsPerPixel);  // halves away from zero
  if (std::isnan(pixels) || pixels < double(std::numeric_limits<std::int32_t>::min()) ||
      pixels > double(std::numeric_limits<std::int32_t>::max()))
    RaiseOverflow();
  return static_cast<std::int32_t>(pixels);
}

}  // namespace tolvarin

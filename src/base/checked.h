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

// Twips for a pixel count, and pixels for twips, at the screen's factor.
inline double PixelsToTwips(double pixels, double twipsPerPixel) { return pixels * twipsPerPixel; }
inline double TwipsToPixels(double twips, double twipsPerPixel) { return twips / twipsPerPixel; }

}  // namespace tolvarin

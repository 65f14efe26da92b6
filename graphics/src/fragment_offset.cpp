#include <algorithm>

#include "gpx_fragment.h"

namespace gpx {

// Provisional curve, tuned below once pictures were looked at.
int OffsetForFrame(int frame, int width, int height) {
  const long long side = std::max(1, std::min(width, height));
  const long long limit = std::max<long long>(1, side / 8);
  const long long f = std::max(0, frame);
  return static_cast<int>(1 + (limit - 1) * f / (f + 100));
}

}  // namespace gpx

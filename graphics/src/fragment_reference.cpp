// The scalar reference: one pixel at a time, clamping every coordinate, one
// byte at a time. Slow on purpose and written to be obviously right; the fast
// path is tested against it.
#include <algorithm>

#include "gpx_fragment.h"

namespace gpx {
namespace {

int Clamp(long long v, int last) {
  return static_cast<int>(std::clamp<long long>(v, 0, last));
}

}  // namespace

void FragmentReference(const Pixels& dst, const Pixels& src, int d) {
  const int width = std::min(dst.width, src.width);
  const int height = std::min(dst.height, src.height);
  for (int y = 0; y < height; ++y) {
    const uint32_t* above = RowOf(src, Clamp(static_cast<long long>(y) - d, src.height - 1));
    const uint32_t* below = RowOf(src, Clamp(static_cast<long long>(y) + d, src.height - 1));
    uint32_t* out = RowOf(dst, y);
    for (int x = 0; x < width; ++x) {
      const int left = Clamp(static_cast<long long>(x) - d, src.width - 1);
      const int right = Clamp(static_cast<long long>(x) + d, src.width - 1);
      const uint32_t samples[4] = {above[left], above[right], below[left], below[right]};
      uint32_t pixel = 0;
      for (int shift = 0; shift < 32; shift += 8) {
        unsigned sum = 2;  // rounds half up
        for (uint32_t s : samples) sum += (s >> shift) & 0xFFu;
        pixel |= static_cast<uint32_t>(sum >> 2) << shift;
      }
      out[x] = pixel;
    }
  }
}

}  // namespace gpx

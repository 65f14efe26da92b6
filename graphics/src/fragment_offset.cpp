#include <algorithm>

#include "gpx_fragment.h"

namespace gpx {

// The curve was picked by looking at a desktop (windows, text, icons, taskbar)
// at 1024x768 and 1920x1080:
// - d = 1 is a slight softening, so frame 0 follows the clean copy gently.
// - By the last frame of the default cycle (99) each window shows four clear
//   ghosts, title bars apart, at d = 1/16 of the smaller side (48 px at 768,
//   67 at 1080). 1/24 left icons and text blending into a tiled blur instead.
// - A curve that rose fast and then slowed (f / (f + 100)) had the copies
//   half apart by frame 25 and then crawling; a straight line drifts at one
//   steady speed over the cycle, which looks calmer.
// - Past frame 99 (longer cycles set by the user) it keeps going at that speed
//   and eases off towards 1/8 of the smaller side, never beyond, so even frame
//   32767 keeps the desktop recognisable. The smaller side keeps portrait and
//   landscape screens alike. Negative frames are treated as frame 0.
int OffsetForFrame(int frame, int width, int height) {
  constexpr long long kCycleEnd = 99;
  const long long side = std::max(1, std::min(width, height));
  const long long at_cycle_end = std::max<long long>(1, side / 16);
  const long long limit = std::max(at_cycle_end, side / 8);
  const long long f = std::max(0, frame);
  if (f <= kCycleEnd) return static_cast<int>(1 + (at_cycle_end - 1) * f / kCycleEnd);
  // Leaves frame 99 with about the slope of the line, then flattens.
  const long long beyond = f - kCycleEnd;
  return static_cast<int>(at_cycle_end + (limit - at_cycle_end) * beyond / (beyond + kCycleEnd));
}

}  // namespace gpx

// The ghost offset: where each frame of the cycle puts the four copies.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>

#include "gpx_fragment.h"

namespace {

// 1 at frame 0 and for every negative frame; then it never moves back, never
// jumps (by more than a thousandth of the screen on huge surfaces), and stays
// within an eighth of the smaller side even at the largest frame. On real
// screens the default cycle of 100 frames brings the copies well apart, by a
// similar share of the screen whatever its resolution or orientation.
TEST(GpxFragmentOffset, StartsAtOneGrowsSmoothlySplitsTheScreenAndStaysBounded) {
  const std::pair<int, int> sizes[] = {{1, 1},     {1, 500},    {2, 2},       {7, 3},
                                       {64, 48},   {640, 480},  {1920, 1080}, {3840, 2160},
                                       {1080, 1920}, {32767, 32767}, {INT_MAX, INT_MAX}};
  for (auto [w, h] : sizes) {
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
    for (int frame : {0, -1, -99, -32768, INT_MIN}) EXPECT_EQ(gpx::OffsetForFrame(frame, w, h), 1) << frame;
    const int side = std::min(w, h);
    const int bound = std::max(1, side / 8);
    const int max_step = std::max(1, side / 1000);
    int previous = 1;
    for (int frame = 1; frame <= 32767; ++frame) {
      const int d = gpx::OffsetForFrame(frame, w, h);
      ASSERT_GE(d, previous) << frame;
      ASSERT_LE(d - previous, max_step) << frame;
      ASSERT_LE(d, bound) << frame;
      ASSERT_EQ(d, gpx::OffsetForFrame(frame, h, w)) << frame;
      previous = d;
    }
    EXPECT_GE(gpx::OffsetForFrame(INT_MAX, w, h), previous);
    EXPECT_LE(gpx::OffsetForFrame(INT_MAX, w, h), bound);
    if (side >= 480) {
      const int at_end = gpx::OffsetForFrame(99, w, h);
      EXPECT_GE(at_end, side / 20);
      EXPECT_LE(at_end, side / 12);
      EXPECT_GT(gpx::OffsetForFrame(25, w, h), 1);
      EXPECT_GT(at_end, gpx::OffsetForFrame(50, w, h));
    }
  }
}

}  // namespace

// The ghost offset: where each frame of the cycle puts the four copies.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include "gpx_fragment.h"

namespace {

const std::pair<int, int> kSizes[] = {{1, 1},     {1, 500},   {2, 2},      {7, 3},
                                      {64, 48},   {640, 480}, {1024, 768}, {1920, 1080},
                                      {3840, 2160}, {1080, 1920}, {32767, 32767}, {INT_MAX, INT_MAX}};

TEST(GpxFragmentOffset, IsOneAtFrameZeroAndForNegativeFrames) {
  for (auto [w, h] : kSizes) {
    EXPECT_EQ(gpx::OffsetForFrame(0, w, h), 1) << w << "x" << h;
    for (int frame : {-1, -99, -32768, INT_MIN}) {
      EXPECT_EQ(gpx::OffsetForFrame(frame, w, h), 1) << w << "x" << h << " frame " << frame;
    }
  }
}

// The ghosts drift: they never move back and never jump, not even by more
// than a thousandth of the screen per frame on huge surfaces.
TEST(GpxFragmentOffset, GrowsSmoothlyAndNeverShrinks) {
  for (auto [w, h] : kSizes) {
    const int max_step = std::max(1, std::min(w, h) / 1000);
    int previous = gpx::OffsetForFrame(0, w, h);
    for (int frame = 1; frame <= 32767; ++frame) {
      const int d = gpx::OffsetForFrame(frame, w, h);
      ASSERT_GE(d, previous) << w << "x" << h << " frame " << frame;
      ASSERT_LE(d - previous, max_step) << w << "x" << h << " frame " << frame;
      previous = d;
    }
    EXPECT_GE(gpx::OffsetForFrame(INT_MAX, w, h), previous);
  }
}

TEST(GpxFragmentOffset, StaysWithinAnEighthOfTheSmallerSide) {
  for (auto [w, h] : kSizes) {
    const int bound = std::max(1, std::min(w, h) / 8);
    for (int frame : {1, 50, 99, 100, 1000, 32767, INT_MAX}) {
      const int d = gpx::OffsetForFrame(frame, w, h);
      EXPECT_GE(d, 1) << w << "x" << h << " frame " << frame;
      EXPECT_LE(d, bound) << w << "x" << h << " frame " << frame;
    }
  }
}

// Over the default cycle of 100 frames the four copies must come well apart,
// and by a similar share of the screen whatever its resolution.
TEST(GpxFragmentOffset, SplitsTheScreenVisiblyWithinTheDefaultCycle) {
  for (auto [w, h] : {std::pair{640, 480}, std::pair{1024, 768}, std::pair{1920, 1080},
                      std::pair{3840, 2160}, std::pair{1080, 1920}}) {
    const int side = std::min(w, h);
    const int at_end = gpx::OffsetForFrame(99, w, h);
    EXPECT_GE(at_end, side / 20) << w << "x" << h;
    EXPECT_LE(at_end, side / 12) << w << "x" << h;
    EXPECT_GT(gpx::OffsetForFrame(25, w, h), 1) << w << "x" << h;
    EXPECT_GT(gpx::OffsetForFrame(50, w, h), gpx::OffsetForFrame(25, w, h)) << w << "x" << h;
    EXPECT_GT(at_end, gpx::OffsetForFrame(50, w, h)) << w << "x" << h;
  }
}

TEST(GpxFragmentOffset, DependsOnTheSmallerSideOnly) {
  EXPECT_EQ(gpx::OffsetForFrame(60, 1920, 1080), gpx::OffsetForFrame(60, 1080, 1920));
  EXPECT_EQ(gpx::OffsetForFrame(60, 1920, 1080), gpx::OffsetForFrame(60, 1080, 1080));
}

}  // namespace

// The ghost offset of each frame, the scalar reference against pixels worked
// out by hand, and the fast path on every instruction set this CPU has against
// the reference.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "gpx_fragment.h"
#include "gpx_test_image.h"

namespace {

using gpx_test::Image;

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

// Draws `source` (top-down) stored either way into a noisy destination stored
// either way, with the reference and each fast path the CPU has. Every word,
// padding too, must equal the reference's same-size top-down picture inside
// the overlap and keep its old value outside it.
void ExpectDrawn(const Image& source, int dst_w, int dst_h, int d, bool src_up = false,
                 bool dst_up = false) {
  Image full(source.width, source.height);
  Image top_down = source;
  gpx::FragmentReference(full.View(), top_down.View(), d);
  Image stored(source.width, source.height);
  Image expected(dst_w, dst_h);
  expected.Fill(99);
  for (int y = 0; y < source.height; ++y) {
    for (int x = 0; x < source.width; ++x) {
      stored.At(x, y, src_up) = top_down.At(x, y);
      if (x < dst_w && y < dst_h) expected.At(x, y, dst_up) = full.At(x, y);
    }
  }
  for (int path : {-1, int(gpx::Isa::Portable), int(gpx::Isa::Sse2), int(gpx::Isa::Avx2)}) {
    if (path >= 0 && !gpx::IsaAvailable(gpx::Isa(path))) continue;
    SCOPED_TRACE(std::string(path < 0 ? "reference" : gpx::IsaName(gpx::Isa(path))) + " src " +
                 std::to_string(source.width) + "x" + std::to_string(source.height) + " dst " +
                 std::to_string(dst_w) + "x" + std::to_string(dst_h) + " d " + std::to_string(d) +
                 (src_up ? " src up" : "") + (dst_up ? " dst up" : ""));
    Image actual(dst_w, dst_h);
    actual.Fill(99);
    if (path < 0) {
      gpx::FragmentReference(actual.View(dst_up), stored.View(src_up), d);
    } else {
      gpx::FragmentFast(actual.View(dst_up), stored.View(src_up), d, gpx::Isa(path));
    }
    ASSERT_TRUE(actual.buffer == expected.buffer);
  }
}

// Two rows and d = 1: every interior pixel takes one sample from each of
// columns x - 1 and x + 1 of both rows; columns alternate in pairs, so those
// are always one of each. Bytes, lowest first: {1,0,0,0} -> 3/4 -> 0 (averaging
// averages gives 1), {3,0,0,0} -> 5/4 -> 1, {255,255,255,0} -> 767/4 -> 191,
// {2,0,0,0} -> 4/4 -> 1. Edges clamp: a 2x2 at d = 1 samples the four corners,
// a 3x1 at d = 5 the two end columns.
TEST(GpxFragmentKernels, MeanOfFourIsExactRoundsHalfUpAndClampsToTheEdges) {
  Image pairs(67, 2);
  for (int x = 0; x < pairs.width; ++x) {
    pairs.At(x, 0) = (x % 4 < 2) ? 0x02FF0301u : 0x00FF0000u;
    pairs.At(x, 1) = (x % 4 < 2) ? 0x00FF0000u : 0x00000000u;
  }
  Image corners(2, 2);
  corners.At(0, 0) = 0x00000004u;
  corners.At(1, 0) = 0x00000400u;
  corners.At(0, 1) = 0x00040000u;
  corners.At(1, 1) = 0x04000000u;
  Image row(3, 1);
  row.At(0, 0) = 0x00000010u;
  row.At(1, 0) = 0xFFFFFFFFu;
  row.At(2, 0) = 0x00000020u;
  const struct {
    Image* source;
    int d;
    int first_x, end_x;  // columns checked
    uint32_t expected;
  } cases[] = {{&pairs, 1, 1, 66, 0x01BF0100u}, {&corners, 1, 0, 2, 0x01010101u}, {&row, 5, 0, 3, 0x00000018u}};
  for (const auto& c : cases) {
    Image out(c.source->width, c.source->height);
    gpx::FragmentReference(out.View(), c.source->View(), c.d);
    for (int y = 0; y < out.height; ++y) {
      for (int x = c.first_x; x < c.end_x; ++x) ASSERT_EQ(out.At(x, y), c.expected) << x << "," << y;
    }
    ExpectDrawn(*c.source, c.source->width, c.source->height, c.d);
  }
}

// Widths around the vector widths; d from none to far past the image and the
// offsets the frame curve gives (negative and huge frames included); bytes
// near 0, 128 and 255, where a rounding shortcut goes wrong; a frame of
// several megabytes, written past the caches from an aligned start found
// afresh on every row (the padding makes the rows drift).
TEST(GpxFragmentKernels, FastMatchesReferenceOnAwkwardSizesOffsetsBytesAndRowOrders) {
  const std::pair<int, int> sizes[] = {{1, 1},   {2, 1},   {1, 5},    {7, 3},    {3, 7},    {4, 4},
                                       {9, 2},   {15, 4},  {17, 9},   {31, 33},  {64, 2},   {65, 3},
                                       {100, 37}, {257, 3}, {1000, 5}, {203, 61}, {61, 203}};
  uint32_t seed = 1;
  for (auto [w, h] : sizes) {
    Image source(w, h);
    source.Fill(seed++);
    std::vector<int> ds = {0, 1, 2, 3, 4, 5, 7, 8, 9, 16, 17, 40, 128, 300, 5000, INT_MAX};
    for (int frame : {0, 1, 2, 25, 50, 99, 100, 1000, 32767, INT_MAX, -1, -100, INT_MIN}) {
      ds.push_back(gpx::OffsetForFrame(frame, w, h));
    }
    for (int d : ds) ExpectDrawn(source, w, h, d);
  }
  Image edges(333, 40);
  edges.Fill(7, {0, 1, 2, 3, 126, 127, 128, 129, 252, 253, 254, 255});
  for (int d : {1, 2, 3, 6}) ExpectDrawn(edges, 333, 40, d);
  Image large(2051, 1100);
  large.Fill(9);
  for (int d : {1, 67}) ExpectDrawn(large, 2051, 1100, d);
  // Only the overlap is drawn, still clamped to the source's own edges, and
  // either row order gives the same picture.
  Image source(45, 30);
  source.Fill(11);
  const struct {
    int w, h, d;
    bool src_up, dst_up;
  } cases[] = {{60, 20, 3, false, false}, {20, 50, 3, false, false}, {1, 1, 200, false, false},
               {100, 100, 200, false, false}, {60, 40, 4, false, false}, {3, 3, 2, false, false},
               {45, 30, 4, true, true},     {45, 30, 4, true, false},  {30, 35, 6, false, true}};
  for (const auto& c : cases) ExpectDrawn(source, c.w, c.h, c.d, c.src_up, c.dst_up);
}

}  // namespace

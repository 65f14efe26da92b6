// The fast path against the scalar reference, on every instruction set this
// CPU has, and both against pixels worked out by hand.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "gpx_fragment.h"
#include "gpx_test_image.h"

namespace {

using gpx_test::Image;

// Portable always; the vector paths where the CPU has them.
std::vector<gpx::Isa> IsasOnThisCpu() {
  std::vector<gpx::Isa> isas;
  for (gpx::Isa isa : {gpx::Isa::Portable, gpx::Isa::Sse2, gpx::Isa::Avx2}) {
    if (gpx::IsaAvailable(isa)) isas.push_back(isa);
  }
  return isas;
}

// Runs the reference and the fast path on the same source into two
// destinations that start out alike, and compares every word, padding too.
void ExpectFastMatchesReference(Image& source, int dst_width, int dst_height, int d,
                                bool src_bottom_up = false, bool dst_bottom_up = false) {
  for (gpx::Isa isa : IsasOnThisCpu()) {
    SCOPED_TRACE(std::string(gpx::IsaName(isa)) + " src " + std::to_string(source.width) + "x" +
                 std::to_string(source.height) + " dst " + std::to_string(dst_width) + "x" +
                 std::to_string(dst_height) + " d " + std::to_string(d));
    Image expected(dst_width, dst_height);
    Image actual(dst_width, dst_height);
    expected.Fill(99);
    actual.Fill(99);
    gpx::FragmentReference(expected.View(dst_bottom_up), source.View(src_bottom_up), d);
    gpx::FragmentFast(actual.View(dst_bottom_up), source.View(src_bottom_up), d, isa);
    ASSERT_EQ(actual.buffer, expected.buffer);
  }
}

// Two rows and d = 1: every interior pixel takes one sample from each of
// columns x - 1 and x + 1 of both rows. Columns alternate in pairs, so those
// two samples are always one of each.
TEST(GpxFragmentKernels, MeanOfFourIsExactAndRoundsHalfUp) {
  // Byte by byte, lowest first: {1,0,0,0} -> 3/4 -> 0 (averaging averages gives 1),
  // {3,0,0,0} -> 5/4 -> 1, {255,255,255,0} -> 767/4 -> 191, {2,0,0,0} -> 4/4 -> 1.
  const uint32_t top_a = 0x02FF0301u, top_b = 0x00FF0000u;
  const uint32_t bottom_a = 0x00FF0000u, bottom_b = 0x00000000u;
  const uint32_t expected = 0x01BF0100u;
  Image source(67, 2);
  for (int x = 0; x < source.width; ++x) {
    source.At(x, 0) = (x % 4 < 2) ? top_a : top_b;
    source.At(x, 1) = (x % 4 < 2) ? bottom_a : bottom_b;
  }
  auto check = [&](const Image& out, const std::string& name) {
    for (int y = 0; y < 2; ++y) {
      for (int x = 1; x + 1 < source.width; ++x) {
        ASSERT_EQ(out.buffer[std::size_t(y) * out.row_pixels + x], expected)
            << name << " at " << x << "," << y;
      }
    }
  };
  Image out(67, 2);
  gpx::FragmentReference(out.View(), source.View(), 1);
  check(out, "reference");
  for (gpx::Isa isa : IsasOnThisCpu()) {
    Image fast(67, 2);
    gpx::FragmentFast(fast.View(), source.View(), 1, isa);
    check(fast, gpx::IsaName(isa));
  }
}

TEST(GpxFragmentKernels, ClampsToTheSourceEdges) {
  // 2x2 with d = 1: every pixel's samples clamp onto the four corners.
  Image source(2, 2);
  source.At(0, 0) = 0x00000004u;
  source.At(1, 0) = 0x00000400u;
  source.At(0, 1) = 0x00040000u;
  source.At(1, 1) = 0x04000000u;
  Image out(2, 2);
  gpx::FragmentReference(out.View(), source.View(), 1);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 2; ++x) EXPECT_EQ(out.At(x, y), 0x01010101u);
  }
  // 3x1 with d = 5: left samples stick to column 0, right ones to column 2.
  Image row(3, 1);
  row.At(0, 0) = 0x00000010u;
  row.At(1, 0) = 0xFFFFFFFFu;
  row.At(2, 0) = 0x00000020u;
  Image wide(3, 1);
  gpx::FragmentReference(wide.View(), row.View(), 5);
  for (int x = 0; x < 3; ++x) EXPECT_EQ(wide.At(x, 0), 0x00000018u);
  ExpectFastMatchesReference(source, 2, 2, 1);
  ExpectFastMatchesReference(row, 3, 1, 5);
}

TEST(GpxFragmentKernels, FastMatchesReferenceOnAwkwardSizes) {
  const std::pair<int, int> sizes[] = {{1, 1},  {2, 1},  {1, 5},  {7, 3},   {3, 7},   {4, 4},
                                       {9, 2},  {15, 4}, {17, 9}, {31, 33}, {64, 2},  {65, 3},
                                       {100, 37}, {257, 3}, {1000, 5}};
  const int distances[] = {0, 1, 2, 3, 4, 5, 7, 8, 9, 16, 17, 40, 128, 300, 5000, INT_MAX};
  uint32_t seed = 1;
  for (auto [w, h] : sizes) {
    Image source(w, h);
    source.Fill(seed++);
    for (int d : distances) ExpectFastMatchesReference(source, w, h, d);
  }
}

TEST(GpxFragmentKernels, FastMatchesReferenceAtTheOffsetsOfFrames) {
  const int frames[] = {0, 1, 2, 25, 50, 99, 100, 1000, 32767, INT_MAX, -1, -100, INT_MIN};
  for (auto [w, h] : {std::pair{1, 1}, std::pair{7, 3}, std::pair{203, 61}, std::pair{61, 203}}) {
    Image source(w, h);
    source.Fill(uint32_t(w * h));
    for (int frame : frames) {
      ExpectFastMatchesReference(source, w, h, gpx::OffsetForFrame(frame, w, h));
    }
  }
}

// Bytes near 0, 128 and 255 are where a rounding shortcut goes wrong.
TEST(GpxFragmentKernels, FastMatchesReferenceOnRoundingEdgeBytes) {
  Image source(333, 40);
  source.Fill(7, {0, 1, 2, 3, 126, 127, 128, 129, 252, 253, 254, 255});
  for (int d : {1, 2, 3, 6}) ExpectFastMatchesReference(source, 333, 40, d);
  Image noise(1024, 64);
  noise.Fill(8);
  ExpectFastMatchesReference(noise, 1024, 64, 5);
}

// Frames of several megabytes are written past the caches, from an aligned
// start found afresh on every row (the padding makes the rows drift).
TEST(GpxFragmentKernels, LargeFramesMatchReferenceToo) {
  Image source(2051, 1100);
  source.Fill(9);
  for (int d : {1, 67}) {
    Image expected(2051, 1100);
    gpx::FragmentReference(expected.View(), source.View(), d);
    for (gpx::Isa isa : IsasOnThisCpu()) {
      Image actual(2051, 1100);
      gpx::FragmentFast(actual.View(), source.View(), d, isa);
      EXPECT_TRUE(actual.buffer == expected.buffer) << gpx::IsaName(isa) << " d " << d;
    }
  }
}

TEST(GpxFragmentKernels, DrawsOnlyTheOverlapOfDifferentSizes) {
  Image source(45, 30);
  source.Fill(11);
  ExpectFastMatchesReference(source, 60, 20, 3);   // wider, shorter destination
  ExpectFastMatchesReference(source, 20, 50, 3);   // narrower, taller destination
  ExpectFastMatchesReference(source, 1, 1, 200);
  ExpectFastMatchesReference(source, 100, 100, 200);

  // Outside the overlap the destination keeps what it had.
  Image out(60, 40);
  out.Fill(12);
  const Image before = out;
  gpx::FragmentFast(out.View(), source.View(), 4);
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 60; ++x) {
      if (x < 45 && y < 30) continue;
      ASSERT_EQ(out.At(x, y), before.buffer[std::size_t(y) * before.row_pixels + x]) << x << "," << y;
    }
  }
}

// Clamping uses the source's own size, not the overlap's.
TEST(GpxFragmentKernels, ClampsToTheSourceNotTheOverlap) {
  Image source(6, 6);
  source.Fill(13);
  Image big(6, 6);
  Image small(3, 3);
  gpx::FragmentReference(big.View(), source.View(), 2);
  gpx::FragmentFast(small.View(), source.View(), 2);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 3; ++x) EXPECT_EQ(small.At(x, y), big.At(x, y)) << x << "," << y;
  }
}

TEST(GpxFragmentKernels, BottomUpRowsGiveTheSamePicture) {
  Image top_down(37, 21);
  top_down.Fill(14);
  Image bottom_up(37, 21);
  for (int y = 0; y < 21; ++y) {
    for (int x = 0; x < 37; ++x) bottom_up.At(x, y, true) = top_down.At(x, y);
  }
  Image expected(37, 21);
  gpx::FragmentReference(expected.View(), top_down.View(), 4);
  for (gpx::Isa isa : IsasOnThisCpu()) {
    Image out(37, 21);
    gpx::FragmentFast(out.View(true), bottom_up.View(true), 4, isa);
    for (int y = 0; y < 21; ++y) {
      for (int x = 0; x < 37; ++x) {
        ASSERT_EQ(out.At(x, y, true), expected.At(x, y)) << gpx::IsaName(isa) << " " << x << "," << y;
      }
    }
  }
  ExpectFastMatchesReference(bottom_up, 37, 21, 4, true, false);
  ExpectFastMatchesReference(top_down, 30, 25, 6, false, true);
}

}  // namespace

// GPX_Fragment through the shared library, on GPX_Surface records, and whole
// frames drawn onto memory the source shares.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "gpx_fragment.h"
#include "gpx_test_image.h"
#include "r_vold_graphics.h"

namespace {

using gpx_test::Image;

// The expected frame, drawn by the reference from an untouched copy.
Image ReferenceFrame(const Image& source, int dst_width, int dst_height, int frame) {
  Image copy = source;
  Image out(dst_width, dst_height);
  gpx::FragmentReference(out.View(), copy.View(),
                         gpx::OffsetForFrame(frame, source.width, source.height));
  return out;
}

void ExpectSameInside(Image& actual, Image& expected) {
  for (int y = 0; y < expected.height; ++y) {
    for (int x = 0; x < expected.width; ++x) {
      ASSERT_EQ(actual.At(x, y), expected.At(x, y)) << x << "," << y;
    }
  }
}

TEST(GpxFragmentFrame, SameMemoryAsSourceDrawsAsIfCopiedFirst) {
  for (auto [w, h] : {std::pair{1, 1}, std::pair{7, 3}, std::pair{90, 70}}) {
    for (int frame : {0, 1, 99, 32767}) {
      Image image(w, h);
      image.Fill(uint32_t(frame + w));
      Image expected = ReferenceFrame(image, w, h, frame);
      ASSERT_TRUE(gpx::DrawFragmentFrame(image.View(), image.View(), frame));
      ExpectSameInside(image, expected);
    }
  }
}

// Not the same view but overlapping memory: a window shifted inside one buffer,
// and the same rows seen upside down.
TEST(GpxFragmentFrame, OverlappingViewsDrawAsIfCopiedFirst) {
  Image buffer(80, 60);
  buffer.Fill(21);
  Image original = buffer;
  gpx::Pixels src = buffer.View();
  src.width = 50;
  src.height = 40;
  gpx::Pixels dst = src;
  dst.top = gpx::RowOf(src, 5) + 3;
  Image source(50, 40);
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 50; ++x) source.At(x, y) = original.At(x, y);
  }
  Image expected = ReferenceFrame(source, 50, 40, 60);
  ASSERT_TRUE(gpx::DrawFragmentFrame(dst, src, 60));
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 50; ++x) ASSERT_EQ(buffer.At(x + 3, y + 5), expected.At(x, y)) << x << "," << y;
  }

  Image flipped(33, 17);
  flipped.Fill(22);
  Image upright = flipped;
  expected = ReferenceFrame(upright, 33, 17, 40);
  ASSERT_TRUE(gpx::DrawFragmentFrame(flipped.View(true), flipped.View(), 40));
  for (int y = 0; y < 17; ++y) {
    for (int x = 0; x < 33; ++x) ASSERT_EQ(flipped.At(x, y, true), expected.At(x, y)) << x << "," << y;
  }
}

#ifndef _WIN32

GPX_Surface SurfaceOf(Image& image) {
  return {GPX_SURFACE_MAGIC, image.width, image.height, image.row_pixels * 4, image.buffer.data()};
}

TEST(GpxFragmentEntry, DrawsTheFrameThroughTheSurfaceRecord) {
  Image source(123, 45);
  source.Fill(31);
  for (int frame : {0, 1, 50, 99, 32767, -5, INT_MIN}) {
    Image out(123, 45);
    GPX_Surface dst = SurfaceOf(out);
    GPX_Surface src = SurfaceOf(source);
    int32_t result = -7;
    EXPECT_EQ(GPX_Fragment(&dst, &src, frame, &result), 1);
    EXPECT_EQ(result, 1);
    Image expected = ReferenceFrame(source, 123, 45, frame);
    EXPECT_EQ(out.buffer, expected.buffer) << "frame " << frame;
    EXPECT_EQ(GPX_Fragment(&dst, &src, frame, nullptr), 1);
  }
}

TEST(GpxFragmentEntry, FrameDependsOnlyOnTheSource) {
  Image source(64, 48);
  source.Fill(32);
  Image fresh(64, 48);
  fresh.Fill(33);
  Image reused(64, 48);
  GPX_Surface src = SurfaceOf(source);
  GPX_Surface fresh_dst = SurfaceOf(fresh);
  GPX_Surface reused_dst = SurfaceOf(reused);
  for (int frame = 0; frame < 30; ++frame) ASSERT_EQ(GPX_Fragment(&reused_dst, &src, frame, nullptr), 1);
  ASSERT_EQ(GPX_Fragment(&fresh_dst, &src, 29, nullptr), 1);
  EXPECT_EQ(fresh.buffer, reused.buffer);
}

TEST(GpxFragmentEntry, SameSurfaceAndDifferentSizes) {
  Image image(41, 29);
  image.Fill(34);
  Image expected = ReferenceFrame(image, 41, 29, 80);
  GPX_Surface both = SurfaceOf(image);
  int32_t result = 0;
  EXPECT_EQ(GPX_Fragment(&both, &both, 80, &result), 1);
  EXPECT_EQ(result, 1);
  ExpectSameInside(image, expected);

  Image source(41, 29);
  source.Fill(35);
  Image wide(70, 10);
  GPX_Surface src = SurfaceOf(source);
  GPX_Surface dst = SurfaceOf(wide);
  EXPECT_EQ(GPX_Fragment(&dst, &src, 99, nullptr), 1);
  Image overlap = ReferenceFrame(source, 41, 10, 99);
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 70; ++x) {
      if (x < 41) {
        ASSERT_EQ(wide.At(x, y), overlap.At(x, y)) << x << "," << y;
      } else {
        ASSERT_EQ(wide.At(x, y), gpx_test::kPadding) << x << "," << y;
      }
    }
  }
}

// Every refusal draws nothing, answers 0 and leaves a null result pointer alone.
TEST(GpxFragmentEntry, RefusesBadSurfaces) {
  Image source(16, 8);
  source.Fill(36);
  Image target(16, 8);
  target.Fill(37);
  const Image untouched = target;
  const GPX_Surface good_src = SurfaceOf(source);
  const GPX_Surface good_dst = SurfaceOf(target);

  struct Case {
    const char* name;
    void (*spoil)(GPX_Surface&);
  };
  const Case cases[] = {
      {"magic", [](GPX_Surface& s) { s.magic = 0; }},
      {"magic off by one", [](GPX_Surface& s) { s.magic = GPX_SURFACE_MAGIC + 1; }},
      {"zero width", [](GPX_Surface& s) { s.width = 0; }},
      {"zero height", [](GPX_Surface& s) { s.height = 0; }},
      {"negative width", [](GPX_Surface& s) { s.width = -16; }},
      {"negative height", [](GPX_Surface& s) { s.height = -8; }},
      {"stride shorter than a row", [](GPX_Surface& s) { s.stride = s.width * 4 - 4; }},
      {"negative stride", [](GPX_Surface& s) { s.stride = -s.stride; }},
      {"stride not whole pixels", [](GPX_Surface& s) { s.stride += 2; }},
      {"width overflowing the stride", [](GPX_Surface& s) { s.width = INT_MAX; }},
      {"no pixels", [](GPX_Surface& s) { s.pixels = nullptr; }},
  };
  for (const Case& c : cases) {
    for (bool spoil_source : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (spoil_source ? " (source)" : " (destination)"));
      GPX_Surface src = good_src;
      GPX_Surface dst = good_dst;
      c.spoil(spoil_source ? src : dst);
      int32_t result = 55;
      EXPECT_EQ(GPX_Fragment(&dst, &src, 10, &result), 0);
      EXPECT_EQ(result, 0);
      EXPECT_EQ(GPX_Fragment(&dst, &src, 10, nullptr), 0);
      EXPECT_EQ(target.buffer, untouched.buffer);
    }
  }

  GPX_Surface src = good_src;
  GPX_Surface dst = good_dst;
  int32_t result = 55;
  EXPECT_EQ(GPX_Fragment(nullptr, &src, 0, &result), 0);
  EXPECT_EQ(result, 0);
  result = 55;
  EXPECT_EQ(GPX_Fragment(&dst, nullptr, 0, &result), 0);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(GPX_Fragment(nullptr, nullptr, 0, nullptr), 0);
  EXPECT_EQ(target.buffer, untouched.buffer);
}

#endif

}  // namespace

// Whole frames drawn onto memory the source shares, and GPX_Fragment on
// GPX_Surface records through the shared library.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>

#include "gpx_fragment.h"
#include "gpx_test_image.h"
#include "r_vold_graphics.h"

namespace {

using gpx_test::Image;

// dst and src are views into `buffer`; the frame must come out as if src had
// been copied first.
void ExpectDrawnAsIfCopied(Image& buffer, const gpx::Pixels& dst, const gpx::Pixels& src, int frame) {
  Image copy = buffer;
  gpx::Pixels src_copy = src;
  src_copy.top = copy.buffer.data() + (src.top - buffer.buffer.data());
  Image expected(std::min(dst.width, src.width), std::min(dst.height, src.height));
  gpx::FragmentReference(expected.View(), src_copy, gpx::OffsetForFrame(frame, src.width, src.height));
  ASSERT_TRUE(gpx::DrawFragmentFrame(dst, src, frame));
  for (int y = 0; y < expected.height; ++y) {
    for (int x = 0; x < expected.width; ++x) ASSERT_EQ(gpx::RowOf(dst, y)[x], expected.At(x, y)) << x << "," << y;
  }
}

// The same view, a window shifted inside one buffer, and the same rows seen
// upside down.
TEST(GpxFragmentFrame, SharedMemoryDrawsAsIfCopiedFirst) {
  for (auto [w, h] : {std::pair{1, 1}, std::pair{7, 3}, std::pair{90, 70}}) {
    for (int frame : {0, 1, 99, 32767}) {
      SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h) + " frame " + std::to_string(frame));
      Image image(w, h);
      image.Fill(uint32_t(frame + w));
      ExpectDrawnAsIfCopied(image, image.View(), image.View(), frame);
    }
  }
  Image buffer(80, 60);
  buffer.Fill(21);
  gpx::Pixels window = buffer.View();
  window.width = 50;
  window.height = 40;
  gpx::Pixels shifted = window;
  shifted.top = gpx::RowOf(window, 5) + 3;
  ExpectDrawnAsIfCopied(buffer, shifted, window, 60);

  Image flipped(33, 17);
  flipped.Fill(22);
  ExpectDrawnAsIfCopied(flipped, flipped.View(true), flipped.View(), 40);
}

#ifndef _WIN32

// The overlap of a frame as the reference draws it from an untouched copy.
Image ReferenceFrame(const Image& source, int dst_width, int dst_height, int frame) {
  Image copy = source;
  Image out(std::min(dst_width, source.width), std::min(dst_height, source.height));
  gpx::FragmentReference(out.View(), copy.View(), gpx::OffsetForFrame(frame, source.width, source.height));
  return out;
}

GPX_Surface SurfaceOf(Image& image) {
  return {GPX_SURFACE_MAGIC, image.width, image.height, image.row_pixels * 4, image.buffer.data()};
}

// One destination reused across frames: each frame depends on the source only.
TEST(GpxFragmentEntry, DrawsTheFrameThroughTheSurfaceRecord) {
  Image source(123, 45);
  source.Fill(31);
  Image out(123, 45);
  out.Fill(33);
  GPX_Surface dst = SurfaceOf(out);
  GPX_Surface src = SurfaceOf(source);
  for (int frame : {0, 1, 50, 99, 32767, -5, INT_MIN}) {
    int32_t result = -7;
    EXPECT_EQ(GPX_Fragment(&dst, &src, frame, &result), 1);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(out.buffer, ReferenceFrame(source, 123, 45, frame).buffer) << "frame " << frame;
    EXPECT_EQ(GPX_Fragment(&dst, &src, frame, nullptr), 1);
  }
}

TEST(GpxFragmentEntry, SameSurfaceAndDifferentSizes) {
  Image image(41, 29);
  image.Fill(34);
  const Image expected = ReferenceFrame(image, 41, 29, 80);
  GPX_Surface both = SurfaceOf(image);
  EXPECT_EQ(GPX_Fragment(&both, &both, 80, nullptr), 1);
  EXPECT_EQ(image.buffer, expected.buffer);

  Image source(41, 29);
  source.Fill(35);
  Image wide(70, 10);
  GPX_Surface src = SurfaceOf(source);
  GPX_Surface dst = SurfaceOf(wide);
  EXPECT_EQ(GPX_Fragment(&dst, &src, 99, nullptr), 1);
  Image overlap = ReferenceFrame(source, 70, 10, 99);
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 70; ++x) {
      ASSERT_EQ(wide.At(x, y), x < 41 ? overlap.At(x, y) : gpx_test::kPadding) << x << "," << y;
    }
  }
}

// Every refusal draws nothing and answers 0; a null result pointer is fine.
TEST(GpxFragmentEntry, RefusesBadSurfaces) {
  Image source(16, 8);
  source.Fill(36);
  Image target(16, 8);
  target.Fill(37);
  const Image untouched = target;
  const GPX_Surface good_src = SurfaceOf(source);
  const GPX_Surface good_dst = SurfaceOf(target);
  const struct {
    const char* name;
    void (*spoil)(GPX_Surface&);
  } cases[] = {
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
  for (const auto& c : cases) {
    for (bool spoil_source : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (spoil_source ? " (source)" : " (destination)"));
      GPX_Surface src = good_src;
      GPX_Surface dst = good_dst;
      c.spoil(spoil_source ? src : dst);
      int32_t result = 55;
      EXPECT_EQ(GPX_Fragment(&dst, &src, 10, &result), 0);
      EXPECT_EQ(result, 0);
      EXPECT_EQ(GPX_Fragment(&dst, &src, 10, nullptr), 0);
    }
  }
  GPX_Surface src = good_src;
  GPX_Surface dst = good_dst;
  for (auto [d, s] : {std::pair{(GPX_Surface*)nullptr, &src}, std::pair{&dst, (GPX_Surface*)nullptr}}) {
    int32_t result = 55;
    EXPECT_EQ(GPX_Fragment(d, s, 0, &result), 0);
    EXPECT_EQ(result, 0);
  }
  EXPECT_EQ(GPX_Fragment(nullptr, nullptr, 0, nullptr), 0);
  EXPECT_EQ(target.buffer, untouched.buffer);
}

#endif

}  // namespace

// Whole frames drawn onto memory the source shares, and GPX_Fragment on
// GPX_Surface records through the shared library.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

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

GPX_Surface SurfaceOf(Image& image) {
  return {GPX_SURFACE_MAGIC, image.width, image.height, image.row_pixels * 4, image.buffer.data()};
}

// Through the surface record: the overlap of each surface's own size is the
// reference drawn from an untouched copy of the source, the rest of the
// destination keeps its pixels; one destination reused across frames (each
// depends on the source only). One record as both arguments is drawing onto
// shared memory, as GpxFragmentFrame shows.
TEST(GpxFragmentEntry, DrawsTheFrameThroughTheSurfaceRecord) {
  const struct {
    int sw, sh, dw, dh;
    std::vector<int> frames;
  } cases[] = {{123, 45, 123, 45, {0, 1, 50, 99, 32767, -5, INT_MIN}}, {41, 29, 70, 10, {99}}, {41, 29, 20, 50, {30}}};
  for (const auto& c : cases) {
    Image source(c.sw, c.sh);
    source.Fill(31);
    Image out(c.dw, c.dh);
    out.Fill(33);
    GPX_Surface src = SurfaceOf(source);
    GPX_Surface dst = SurfaceOf(out);
    for (int frame : c.frames) {
      SCOPED_TRACE(std::to_string(c.sw) + "x" + std::to_string(c.sh) + " -> " + std::to_string(c.dw) + "x" +
                   std::to_string(c.dh) + " frame " + std::to_string(frame));
      // The reference draws only the overlap: the rest keeps the old pixels.
      Image expected = out;
      Image copy = source;
      gpx::FragmentReference(expected.View(), copy.View(), gpx::OffsetForFrame(frame, c.sw, c.sh));
      int32_t result = -7;
      EXPECT_EQ(GPX_Fragment(&dst, &src, frame, &result), 1);
      EXPECT_EQ(result, 1);
      EXPECT_EQ(out.buffer, expected.buffer);
      EXPECT_EQ(GPX_Fragment(&dst, &src, frame, nullptr), 1);
    }
  }
}

// Every refusal, of either argument, draws nothing and answers 0; a null
// result pointer is fine.
TEST(GpxFragmentEntry, RefusesBadSurfaces) {
  Image source(16, 8);
  source.Fill(36);
  Image target(16, 8);
  target.Fill(37);
  const Image untouched = target;
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
      {"null handle", nullptr},
  };
  for (const auto& c : cases) {
    for (bool spoil_source : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (spoil_source ? " (source)" : " (destination)"));
      GPX_Surface src = SurfaceOf(source);
      GPX_Surface dst = SurfaceOf(target);
      GPX_Surface& spoilt = spoil_source ? src : dst;
      if (c.spoil != nullptr) c.spoil(spoilt);
      GPX_Surface* src_handle = c.spoil == nullptr && spoil_source ? nullptr : &src;
      GPX_Surface* dst_handle = c.spoil == nullptr && !spoil_source ? nullptr : &dst;
      int32_t result = 55;
      EXPECT_EQ(GPX_Fragment(dst_handle, src_handle, 10, &result), 0);
      EXPECT_EQ(result, 0);
      EXPECT_EQ(GPX_Fragment(dst_handle, src_handle, 10, nullptr), 0);
    }
  }
  EXPECT_EQ(GPX_Fragment(nullptr, nullptr, 0, nullptr), 0);
  EXPECT_EQ(target.buffer, untouched.buffer);
}

#endif

}  // namespace

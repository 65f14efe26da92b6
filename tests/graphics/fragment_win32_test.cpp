// GPX_Fragment as the program calls it on Windows: device contexts with DIB
// sections selected, bound by name from r_vold_graphics.dll.
#ifdef _WIN32

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>
#include <string>

#include "gpx_fragment.h"
#include "gpx_test_image.h"
#include "r_vold_graphics.h"

namespace {

using gpx_test::Image;

// A memory DC with a DIB section of the given depth selected; rows top-down
// when top_down, else bottom-up as GDI stores them by default.
struct DibDc {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ previous = nullptr;
  void* bits = nullptr;
  int width;
  int height;
  int stride;

  DibDc(int w, int h, bool top_down, int bpp = 32) : width(w), height(h) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = top_down ? -h : h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<WORD>(bpp);
    info.bmiHeader.biCompression = BI_RGB;
    stride = ((w * bpp + 31) / 32) * 4;
    dc = CreateCompatibleDC(nullptr);
    bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap != nullptr) previous = SelectObject(dc, bitmap);
  }
  ~DibDc() {
    if (previous != nullptr) SelectObject(dc, previous);
    if (bitmap != nullptr) DeleteObject(bitmap);
    if (dc != nullptr) DeleteDC(dc);
  }
  DibDc(const DibDc&) = delete;
  DibDc& operator=(const DibDc&) = delete;

  // The section's memory as the library should see it, top row first.
  gpx::Pixels View(bool top_down) const {
    auto* base = static_cast<unsigned char*>(bits);
    if (top_down) return {reinterpret_cast<uint32_t*>(base), width, height, stride};
    return {reinterpret_cast<uint32_t*>(base + std::ptrdiff_t(stride) * (height - 1)), width,
            height, -stride};
  }
  void FillFrom(Image& image) { std::memcpy(bits, image.buffer.data(), std::size_t(stride) * height); }
};

GPX_FragmentFn BoundByName() {
  HMODULE library = LoadLibraryA("r_vold_graphics.dll");
  if (library == nullptr) return nullptr;
  return reinterpret_cast<GPX_FragmentFn>(
      reinterpret_cast<void*>(GetProcAddress(library, "GPX_Fragment")));
}

TEST(GpxFragmentWin32, ExportsThePlainName) {
  EXPECT_NE(BoundByName(), nullptr);
}

// Draws frame `frame` from `source` into `target` through the DLL and checks
// the overlap against the reference, and that the source came back untouched.
void ExpectFrameMatchesReference(GPX_FragmentFn fragment, DibDc& target, bool dst_top_down,
                                 DibDc& source, bool src_top_down, int frame) {
  const std::vector<unsigned char> source_before(
      static_cast<unsigned char*>(source.bits),
      static_cast<unsigned char*>(source.bits) + std::size_t(source.stride) * source.height);
  Image expected(std::min(target.width, source.width), std::min(target.height, source.height));
  gpx::FragmentReference(expected.View(), source.View(src_top_down),
                         gpx::OffsetForFrame(frame, source.width, source.height));
  int32_t result = 0;
  ASSERT_EQ(fragment(target.dc, source.dc, frame, &result), 1);
  EXPECT_EQ(result, 1);
  const gpx::Pixels drawn = target.View(dst_top_down);
  for (int y = 0; y < expected.height; ++y) {
    for (int x = 0; x < expected.width; ++x) {
      ASSERT_EQ(gpx::RowOf(drawn, y)[x], expected.At(x, y)) << "frame " << frame << " at " << x << "," << y;
    }
  }
  EXPECT_TRUE(std::equal(source_before.begin(), source_before.end(),
                         static_cast<unsigned char*>(source.bits)));
}

TEST(GpxFragmentWin32, DrawsIntoTopDownAndBottomUpSections) {
  GPX_FragmentFn fragment = BoundByName();
  ASSERT_NE(fragment, nullptr);
  const int w = 157, h = 83;
  Image noise(w, h, 0);
  noise.Fill(41);
  for (bool src_top_down : {true, false}) {
    for (bool dst_top_down : {true, false}) {
      SCOPED_TRACE(std::string("source ") + (src_top_down ? "top-down" : "bottom-up") +
                   ", destination " + (dst_top_down ? "top-down" : "bottom-up"));
      DibDc source(w, h, src_top_down);
      DibDc target(w, h, dst_top_down);
      ASSERT_NE(source.bits, nullptr);
      ASSERT_NE(target.bits, nullptr);
      source.FillFrom(noise);
      for (int frame : {0, 37, 99}) {
        ExpectFrameMatchesReference(fragment, target, dst_top_down, source, src_top_down, frame);
      }
    }
  }
}

// The overlap starts at the top-left corner whichever way each section's rows run.
TEST(GpxFragmentWin32, DifferentSizesMeetAtTheTopLeft) {
  GPX_FragmentFn fragment = BoundByName();
  ASSERT_NE(fragment, nullptr);
  Image noise(50, 30, 0);
  noise.Fill(43);
  DibDc source(50, 30, false);
  DibDc target(40, 45, true);
  source.FillFrom(noise);
  ExpectFrameMatchesReference(fragment, target, true, source, false, 60);
  DibDc short_target(70, 12, false);
  ExpectFrameMatchesReference(fragment, short_target, false, source, false, 60);
}

// A caller's mapping mode, origins or right-to-left layout must neither fool
// the library about which row is the top nor be lost after the call.
TEST(GpxFragmentWin32, IgnoresAndKeepsTheDcCoordinateState) {
  GPX_FragmentFn fragment = BoundByName();
  ASSERT_NE(fragment, nullptr);
  Image noise(33, 21, 0);
  noise.Fill(44);
  for (bool top_down : {true, false}) {
    DibDc source(33, 21, top_down);
    DibDc target(33, 21, !top_down);
    source.FillFrom(noise);
    SetViewportOrgEx(source.dc, 3, 4, nullptr);
    SetWindowOrgEx(target.dc, -5, 9, nullptr);
    SetMapMode(target.dc, MM_LOMETRIC);
    SetLayout(source.dc, LAYOUT_RTL);
    ExpectFrameMatchesReference(fragment, target, !top_down, source, top_down, 20);
    POINT origin{};
    GetViewportOrgEx(source.dc, &origin);
    EXPECT_EQ(origin.x, 3);
    EXPECT_EQ(origin.y, 4);
    EXPECT_EQ(GetLayout(source.dc), static_cast<DWORD>(LAYOUT_RTL));
    EXPECT_EQ(GetMapMode(target.dc), MM_LOMETRIC);
    GetWindowOrgEx(target.dc, &origin);
    EXPECT_EQ(origin.x, -5);
    EXPECT_EQ(origin.y, 9);
  }
}

TEST(GpxFragmentWin32, SameDcAsBothArguments) {
  DibDc both(64, 40, false);
  ASSERT_NE(both.bits, nullptr);
  Image noise(64, 40, 0);
  noise.Fill(42);
  both.FillFrom(noise);
  Image original(64, 40);
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 64; ++x) original.At(x, y) = gpx::RowOf(both.View(false), y)[x];
  }
  Image expected(64, 40);
  gpx::FragmentReference(expected.View(), original.View(), gpx::OffsetForFrame(70, 64, 40));
  int32_t result = 0;
  ASSERT_EQ(GPX_Fragment(both.dc, both.dc, 70, &result), 1);
  EXPECT_EQ(result, 1);
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 64; ++x) ASSERT_EQ(gpx::RowOf(both.View(false), y)[x], expected.At(x, y));
  }
}

TEST(GpxFragmentWin32, RefusesWhatIsNotA32BitSection) {
  DibDc good(32, 16, true);
  ASSERT_NE(good.bits, nullptr);
  std::memset(good.bits, 0x5A, std::size_t(good.stride) * good.height);

  DibDc deep24(32, 16, true, 24);
  ASSERT_NE(deep24.bits, nullptr);

  // A device-dependent bitmap of the right depth is still no DIB section.
  HDC ddb_dc = CreateCompatibleDC(nullptr);
  HBITMAP ddb = CreateBitmap(32, 16, 1, 32, nullptr);
  ASSERT_NE(ddb, nullptr);
  HGDIOBJ ddb_previous = SelectObject(ddb_dc, ddb);
  // A fresh memory DC holds only its stock 1x1 monochrome bitmap.
  HDC bare_dc = CreateCompatibleDC(nullptr);

  const struct {
    const char* name;
    HDC dc;
  } bad[] = {{"24-bit section", deep24.dc},
             {"device-dependent bitmap", ddb_dc},
             {"memory DC without a bitmap", bare_dc},
             {"null", nullptr},
             {"not a handle", reinterpret_cast<HDC>(static_cast<std::uintptr_t>(0x7654321))}};
  for (const auto& b : bad) {
    SCOPED_TRACE(b.name);
    int32_t result = 9;
    EXPECT_EQ(GPX_Fragment(good.dc, b.dc, 5, &result), 0);
    EXPECT_EQ(result, 0);
    result = 9;
    EXPECT_EQ(GPX_Fragment(b.dc, good.dc, 5, &result), 0);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(GPX_Fragment(b.dc, b.dc, 5, nullptr), 0);
  }
  const auto* bytes = static_cast<const unsigned char*>(good.bits);
  for (int i = 0; i < good.stride * good.height; ++i) ASSERT_EQ(bytes[i], 0x5A) << i;

  SelectObject(ddb_dc, ddb_previous);
  DeleteObject(ddb);
  DeleteDC(ddb_dc);
  DeleteDC(bare_dc);
}

}  // namespace

#endif

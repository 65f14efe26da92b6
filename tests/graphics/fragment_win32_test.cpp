// GPX_Fragment as the program calls it on Windows: device contexts with DIB
// sections selected, bound by name from r_vold_graphics.dll.
#ifdef _WIN32

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "gpx_fragment.h"
#include "gpx_test_image.h"
#include "r_vold_graphics.h"

namespace {

using gpx_test::DibDc;
using gpx_test::Image;

GPX_FragmentFn BoundByName() {
  HMODULE library = LoadLibraryA("r_vold_graphics.dll");
  if (library == nullptr) return nullptr;
  return reinterpret_cast<GPX_FragmentFn>(reinterpret_cast<void*>(GetProcAddress(library, "GPX_Fragment")));
}

// The section's pixels, top row first.
Image Snapshot(const DibDc& dib) {
  Image image(dib.width, dib.height);
  for (int y = 0; y < dib.height; ++y) {
    std::memcpy(&image.At(0, y), gpx::RowOf(dib.View(), y), std::size_t(dib.width) * 4);
  }
  return image;
}

// Draws `frame` from `source` into `target` through `fragment`: the overlap must
// match the reference drawn from a copy of the source; the source and the
// target outside the overlap must come back unchanged.
void ExpectFrameMatchesReference(GPX_FragmentFn fragment, DibDc& target, DibDc& source, int frame) {
  const std::vector<unsigned char> source_before = source.Bytes();
  Image copy = Snapshot(source);
  // The reference draws only the overlap: the rest keeps the target's pixels.
  Image expected = Snapshot(target);
  gpx::FragmentReference(expected.View(), copy.View(), gpx::OffsetForFrame(frame, source.width, source.height));
  int32_t result = 0;
  ASSERT_EQ(fragment(target.dc, source.dc, frame, &result), 1);
  EXPECT_EQ(result, 1);
  EXPECT_TRUE(Snapshot(target).buffer == expected.buffer);
  if (&source != &target) {
    EXPECT_TRUE(source.Bytes() == source_before);
  }
}

// Every pairing of row orders, different sizes meeting at the top-left
// corner, one DC as both arguments, and a caller's mapping mode, origins and
// right-to-left layout, which must neither fool the library about which row
// is the top nor be lost.
TEST(GpxFragmentWin32, DrawsSectionsOfEitherRowOrderThroughTheDll) {
  GPX_FragmentFn fragment = BoundByName();
  ASSERT_NE(fragment, nullptr);
  const struct {
    int sw, sh;
    bool src_down;
    int dw, dh;
    bool dst_down;
    bool same;
  } cases[] = {{157, 83, true, 157, 83, true, false},  {157, 83, true, 157, 83, false, false},
               {157, 83, false, 157, 83, true, false}, {157, 83, false, 157, 83, false, false},
               {50, 30, false, 40, 45, true, false},   {50, 30, false, 70, 12, false, false},
               {50, 30, true, 40, 45, false, false},   {1, 1, false, 3, 2, false, false},
               {64, 40, true, 64, 40, true, true},     {64, 40, false, 64, 40, false, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.sw) + "x" + std::to_string(c.sh) + (c.src_down ? " down" : " up") + " -> " +
                 std::to_string(c.dw) + "x" + std::to_string(c.dh) + (c.dst_down ? " down" : " up") +
                 (c.same ? " same DC" : ""));
    DibDc source(c.sw, c.sh, c.src_down, 41);
    DibDc other(c.dw, c.dh, c.dst_down, 42);
    DibDc& target = c.same ? source : other;
    ASSERT_NE(source.bits, nullptr);
    ASSERT_NE(target.bits, nullptr);
    if (!c.same) {
      SetViewportOrgEx(source.dc, 3, 4, nullptr);
      SetLayout(source.dc, LAYOUT_RTL);
    }
    SetWindowOrgEx(target.dc, -5, 9, nullptr);
    SetMapMode(target.dc, MM_LOMETRIC);
    for (int frame : {0, 37, 99}) ExpectFrameMatchesReference(fragment, target, source, frame);
    POINT origin{};
    if (!c.same) {
      GetViewportOrgEx(source.dc, &origin);
      EXPECT_EQ(origin.x, 3);
      EXPECT_EQ(origin.y, 4);
      EXPECT_EQ(GetLayout(source.dc), DWORD(LAYOUT_RTL));
    }
    EXPECT_EQ(GetMapMode(target.dc), MM_LOMETRIC);
    GetWindowOrgEx(target.dc, &origin);
    EXPECT_EQ(origin.x, -5);
    EXPECT_EQ(origin.y, 9);
  }
}

TEST(GpxFragmentWin32, RefusesWhatIsNotA32BitSection) {
  DibDc good(32, 16, true, 44);
  DibDc deep24(32, 16, true, 45, 24);
  ASSERT_NE(good.bits, nullptr);
  ASSERT_NE(deep24.bits, nullptr);
  const std::vector<unsigned char> before = good.Bytes();
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
             {"not a handle", reinterpret_cast<HDC>(std::uintptr_t(0x7654321))}};
  for (const auto& b : bad) {
    SCOPED_TRACE(b.name);
    for (auto [dst, src] : {std::pair{good.dc, b.dc}, std::pair{b.dc, good.dc}}) {
      int32_t result = 9;
      EXPECT_EQ(GPX_Fragment(dst, src, 5, &result), 0);
      EXPECT_EQ(result, 0);
    }
    EXPECT_EQ(GPX_Fragment(b.dc, b.dc, 5, nullptr), 0);
  }
  EXPECT_TRUE(good.Bytes() == before);
  SelectObject(ddb_dc, ddb_previous);
  DeleteObject(ddb);
  DeleteDC(ddb_dc);
  DeleteDC(bare_dc);
}

}  // namespace

#endif

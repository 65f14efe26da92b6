#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/sim/sim_pictures.h"
#include "platform/win32/win32_pictures.h"

namespace tolvarin::win32 {
namespace {

std::optional<Bitmap> DecodeEmbeddedPreview(std::size_t size = SIZE_MAX) {
  for (const sim::EmbeddedPicture& picture : sim::EmbeddedPictures())
    if (std::string(picture.name) == "PREVIEW")
      return Win32Pictures::DecodePicture(picture.bytes, std::min(size, picture.size));
  ADD_FAILURE() << "no PREVIEW among the embedded pictures";
  return std::nullopt;
}

// Colours differ a little from decoder to decoder; shapes do not.
void ExpectNear(std::uint32_t pixel, int r, int g, int b) {
  const int tolerance = 12;
  EXPECT_NEAR(int((pixel >> 16) & 0xFF), r, tolerance) << std::hex << pixel;
  EXPECT_NEAR(int((pixel >> 8) & 0xFF), g, tolerance) << std::hex << pixel;
  EXPECT_NEAR(int(pixel & 0xFF), b, tolerance) << std::hex << pixel;
}

TEST(Win32PicturesTest, SystemDecoderReadsThePreviewPicture) {
  const auto picture = DecodeEmbeddedPreview();
  ASSERT_TRUE(picture);
  ASSERT_EQ(picture->width, 152);
  ASSERT_EQ(picture->height, 112);
  ASSERT_EQ(picture->pixels.size(), 152u * 112u);
  for (std::uint32_t pixel : picture->pixels) ASSERT_EQ(pixel & 0xFF000000u, 0u);
  // The same places as libjpeg shows them: wallpaper, taskbar, a green hill, the sky.
  ExpectNear(picture->at(148, 3), 16, 59, 112);
  ExpectNear(picture->at(100, 109), 192, 192, 192);
  ExpectNear(picture->at(130, 85), 42, 152, 55);
  ExpectNear(picture->at(100, 50), 64, 117, 221);

  EXPECT_FALSE(DecodeEmbeddedPreview(0));
  EXPECT_FALSE(Win32Pictures::DecodePicture(nullptr, 0));
  const char text[] = "not a picture at all, not even close";
  EXPECT_FALSE(Win32Pictures::DecodePicture(text, sizeof text));
  // The test program itself holds no pictures.
  EXPECT_FALSE(Win32Pictures().LoadPictureResource("PREVIEW"));
}

TEST(Win32PicturesTest, ProgramFileHoldsThePreviewPicture) {
  wchar_t path[MAX_PATH];
  std::wstring program(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
  program.resize(program.find_last_of(L"\\/") + 1);
  HMODULE module = LoadLibraryExW((program + L"Tolvarin.scr").c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (!module) GTEST_SKIP() << "Tolvarin.scr is not built beside the tests";
  Win32Pictures pictures(module);
  const auto fromResource = pictures.LoadPictureResource("PREVIEW");
  const auto lowerCase = pictures.LoadPictureResource("preview");
  const auto missing = pictures.LoadPictureResource("NO_SUCH_PICTURE");
  FreeLibrary(module);
  // The resource is the very file the simulation embeds.
  ASSERT_TRUE(fromResource);
  EXPECT_EQ(fromResource, DecodeEmbeddedPreview());
  EXPECT_EQ(lowerCase, fromResource);
  EXPECT_FALSE(missing);
}

}  // namespace
}  // namespace tolvarin::win32

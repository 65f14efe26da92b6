#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/sim/sim_pictures.h"
#include "platform/win32/win32_pictures.h"

namespace tolvarin::win32 {
namespace {

const sim::EmbeddedPicture& PreviewBytes() {
  for (const sim::EmbeddedPicture& picture : sim::EmbeddedPictures())
    if (std::string(picture.name) == "PREVIEW") return picture;
  std::abort();
}

// Colours differ a little from decoder to decoder; shapes do not.
void ExpectNear(std::uint32_t pixel, int r, int g, int b) {
  const int tolerance = 12;
  EXPECT_NEAR(int((pixel >> 16) & 0xFF), r, tolerance) << std::hex << pixel;
  EXPECT_NEAR(int((pixel >> 8) & 0xFF), g, tolerance) << std::hex << pixel;
  EXPECT_NEAR(int(pixel & 0xFF), b, tolerance) << std::hex << pixel;
}

std::wstring ProgramPath() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  folder.resize(folder.find_last_of(L"\\/") + 1);
  return folder + L"Tolvarin.scr";
}

TEST(Win32PicturesTest, SystemDecoderReadsThePreviewPicture) {
  const auto& bytes = PreviewBytes();
  const auto picture = Win32Pictures::DecodePicture(bytes.bytes, bytes.size);
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->width, 152);
  EXPECT_EQ(picture->height, 112);
  ASSERT_EQ(picture->pixels.size(), 152u * 112u);
  for (std::uint32_t pixel : picture->pixels) ASSERT_EQ(pixel & 0xFF000000u, 0u);
  // The same places as libjpeg shows them: wallpaper, taskbar, a green hill.
  ExpectNear(picture->at(148, 3), 16, 59, 112);
  ExpectNear(picture->at(100, 109), 192, 192, 192);
  ExpectNear(picture->at(130, 85), 42, 152, 55);
  ExpectNear(picture->at(100, 50), 64, 117, 221);
}

TEST(Win32PicturesTest, BadBytesAreNoPicture) {
  EXPECT_FALSE(Win32Pictures::DecodePicture(nullptr, 0));
  const char text[] = "not a picture at all, not even close";
  EXPECT_FALSE(Win32Pictures::DecodePicture(text, sizeof text));
  const auto& bytes = PreviewBytes();
  EXPECT_FALSE(Win32Pictures::DecodePicture(bytes.bytes, 0));
}

TEST(Win32PicturesTest, ProgramFileHoldsThePreviewPicture) {
  HMODULE program = LoadLibraryExW(ProgramPath().c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (!program) GTEST_SKIP() << "Tolvarin.scr is not built beside the tests";
  Win32Pictures pictures(program);
  const auto fromResource = pictures.LoadPictureResource("PREVIEW");
  const auto lowerCase = pictures.LoadPictureResource("preview");
  const auto missing = pictures.LoadPictureResource("NO_SUCH_PICTURE");
  FreeLibrary(program);
  ASSERT_TRUE(fromResource);
  // The resource is the very file the simulation embeds.
  const auto& bytes = PreviewBytes();
  EXPECT_EQ(*fromResource, *Win32Pictures::DecodePicture(bytes.bytes, bytes.size));
  ASSERT_TRUE(lowerCase);
  EXPECT_EQ(*lowerCase, *fromResource);
  EXPECT_FALSE(missing);
}

TEST(Win32PicturesTest, TestProgramHasNoPictures) {
  Win32Pictures pictures;
  EXPECT_FALSE(pictures.LoadPictureResource("PREVIEW"));
}

}  // namespace
}  // namespace tolvarin::win32

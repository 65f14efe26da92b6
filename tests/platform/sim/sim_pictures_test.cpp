#include "platform/sim/sim_pictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#ifdef _WIN32
#include "base/bmp.h"
#include "platform/win32/win32_pictures.h"
#endif

namespace tolvarin::sim {
namespace {

std::vector<unsigned char> PreviewBytes() {
  for (const EmbeddedPicture& picture : EmbeddedPictures())
    if (std::string(picture.name) == "PREVIEW") return {picture.bytes, picture.bytes + picture.size};
  return {};
}

TEST(EmbeddedPicturesTest, PreviewIsABaselineJpegOf152By112) {
  const std::vector<unsigned char> b = PreviewBytes();
  ASSERT_GT(b.size(), 20u);
  EXPECT_EQ(std::vector(b.begin(), b.begin() + 4), (std::vector<unsigned char>{0xFF, 0xD8, 0xFF, 0xE0}));
  EXPECT_EQ(std::vector(b.end() - 2, b.end()), (std::vector<unsigned char>{0xFF, 0xD9}));
  // Walk the segments to the frame header: baseline (SOF0), 8 bits, 112 rows of 152, 3 components.
  std::size_t i = 2;
  while (i + 9 < b.size() && b[i] == 0xFF && b[i + 1] != 0xC0 && b[i + 1] != 0xC1 && b[i + 1] != 0xC2)
    i += 2 + (std::size_t(b[i + 2]) << 8 | b[i + 3]);
  ASSERT_LT(i + 9, b.size());
  EXPECT_EQ(std::vector(b.begin() + i, b.begin() + i + 10),
            (std::vector<unsigned char>{0xFF, 0xC0, b[i + 2], b[i + 3], 8, 0, 112, 0, 152, 3}));
}

// The picture decoders of this build: the simulated one where it can decode,
// and on Windows the system's own.
using Decoder = std::optional<Bitmap> (*)(const unsigned char*, std::size_t);
std::vector<std::pair<const char*, Decoder>> Decoders() {
  std::vector<std::pair<const char*, Decoder>> decoders;
  if (SimPictures::CanDecode()) decoders.emplace_back("sim", SimPictures::DecodeJpeg);
#ifdef _WIN32
  decoders.emplace_back("Windows", [](const unsigned char* bytes, std::size_t size) {
    return win32::Win32Pictures::DecodePicture(bytes, size);
  });
#endif
  return decoders;
}

// Colours differ a little from decoder to decoder; shapes do not.
void ExpectNear(std::uint32_t pixel, int r, int g, int b) {
  const int tolerance = 12;
  EXPECT_NEAR(int((pixel >> 16) & 0xFF), r, tolerance) << std::hex << pixel;
  EXPECT_NEAR(int((pixel >> 8) & 0xFF), g, tolerance) << std::hex << pixel;
  EXPECT_NEAR(int(pixel & 0xFF), b, tolerance) << std::hex << pixel;
}

TEST(PictureDecoders, ReadThePreviewAlikeAndDamagedBytesAreNoPicture) {
  if (Decoders().empty()) GTEST_SKIP() << "this build decodes no pictures";
  const std::vector<unsigned char> whole = PreviewBytes();
  const unsigned char text[] = "not a picture at all";
  // A frame header claiming an enormous picture.
  std::vector<unsigned char> huge = whole;
  for (std::size_t i = 2; i + 8 < huge.size(); ++i) {
    if (huge[i] == 0xFF && huge[i + 1] == 0xC0) {
      std::fill_n(huge.begin() + i + 5, 4, 0xFF);
      break;
    }
  }
  for (const auto& [name, decode] : Decoders()) {
    SCOPED_TRACE(name);
    const auto picture = decode(whole.data(), whole.size());
    ASSERT_TRUE(picture);
    EXPECT_EQ(std::vector<std::int32_t>({picture->width, picture->height, std::int32_t(picture->pixels.size())}),
              std::vector<std::int32_t>({152, 112, 152 * 112}));
    EXPECT_EQ(std::count_if(picture->pixels.begin(), picture->pixels.end(),
                            [](std::uint32_t pixel) { return pixel >> 24 != 0; }),
              0);
    // The same places as libjpeg shows them: wallpaper, taskbar, a green hill, the sky.
    ExpectNear(picture->at(148, 3), 16, 59, 112);
    ExpectNear(picture->at(100, 109), 192, 192, 192);
    ExpectNear(picture->at(130, 85), 42, 152, 55);
    ExpectNear(picture->at(100, 50), 64, 117, 221);

    EXPECT_FALSE(decode(nullptr, 0));
    EXPECT_FALSE(decode(whole.data(), 0));
    EXPECT_FALSE(decode(text, sizeof text));
    // Cut off in the header, and in the picture data.
    EXPECT_FALSE(decode(whole.data(), 100));
    EXPECT_FALSE(decode(whole.data(), whole.size() / 2));
    EXPECT_FALSE(decode(huge.data(), huge.size()));
  }
}

// The preview found and decoded is checked by the preview window's tests.
TEST(SimPicturesTest, PreviewIsFoundByItsNameInAnyCase) {
  if (!SimPictures::CanDecode()) GTEST_SKIP() << "this build of the sim decodes no pictures";
  SimPictures pictures;
  EXPECT_TRUE(pictures.LoadPictureResource("preview"));
  for (const char* name : {"PREVIEWS", "PREVIE", ""}) EXPECT_FALSE(pictures.LoadPictureResource(name)) << name;
}

#ifdef _WIN32
// The program file's resources are read by the preview and button end-to-end runs.
TEST(Win32PicturesTest, TheStatePicturesDecodeAsTheSimulationDecodesThem) {
  int found = 0;
  for (const EmbeddedPicture& picture : EmbeddedPictures()) {
    if (picture.size < 2 || picture.bytes[0] != 'B') continue;
    ++found;
    const auto platform = win32::Win32Pictures::DecodePicture(picture.bytes, picture.size);
    const auto own = DecodeBmp24(picture.bytes, picture.size);
    ASSERT_TRUE(platform && own) << picture.name;
    EXPECT_EQ(*platform, *own) << picture.name;
  }
  EXPECT_EQ(found, 7);  // the six button faces and the settings dialog's tile
}
#endif

}  // namespace
}  // namespace tolvarin::sim

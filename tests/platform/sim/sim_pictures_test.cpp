#include "platform/sim/sim_pictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

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

class SimPicturesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!SimPictures::CanDecode()) GTEST_SKIP() << "this build of the sim decodes no pictures";
  }
  SimPictures pictures;
};

// Where the picture's content shows, the Windows decoder's test checks it.
TEST_F(SimPicturesTest, PreviewDecodesByNameAndDamagedBytesAreNoPicture) {
  const auto picture = pictures.LoadPictureResource("PREVIEW");
  ASSERT_TRUE(picture);
  EXPECT_EQ(std::vector<std::int32_t>({picture->width, picture->height, std::int32_t(picture->pixels.size())}),
            std::vector<std::int32_t>({152, 112, 152 * 112}));
  EXPECT_EQ(pictures.LoadPictureResource("preview"), picture);
  for (const char* name : {"PREVIEWS", "PREVIE", ""}) EXPECT_FALSE(pictures.LoadPictureResource(name)) << name;

  const std::vector<unsigned char> whole = PreviewBytes();
  const unsigned char text[] = "not a picture at all";
  EXPECT_FALSE(SimPictures::DecodeJpeg(nullptr, 0));
  EXPECT_FALSE(SimPictures::DecodeJpeg(text, sizeof text));
  // Cut off in the header, and in the picture data.
  EXPECT_FALSE(SimPictures::DecodeJpeg(whole.data(), 100));
  EXPECT_FALSE(SimPictures::DecodeJpeg(whole.data(), whole.size() / 2));
  // A frame header claiming an enormous picture.
  std::vector<unsigned char> huge = whole;
  for (std::size_t i = 2; i + 8 < huge.size(); ++i) {
    if (huge[i] == 0xFF && huge[i + 1] == 0xC0) {
      std::fill_n(huge.begin() + i + 5, 4, 0xFF);
      break;
    }
  }
  EXPECT_FALSE(SimPictures::DecodeJpeg(huge.data(), huge.size()));
}

}  // namespace
}  // namespace tolvarin::sim

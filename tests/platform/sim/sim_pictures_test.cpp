#include "platform/sim/sim_pictures.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace tolvarin::sim {
namespace {

const EmbeddedPicture* Embedded(const char* name) {
  for (const EmbeddedPicture& picture : EmbeddedPictures())
    if (std::string(picture.name) == name) return &picture;
  return nullptr;
}

std::uint32_t Channel(std::uint32_t pixel, int shift) { return (pixel >> shift) & 0xFFu; }

class SimPicturesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!SimPictures::CanDecode()) GTEST_SKIP() << "this build of the sim decodes no pictures";
  }
  SimPictures pictures;
};

TEST(EmbeddedPicturesTest, PreviewIsABaselineJfifJpeg) {
  const EmbeddedPicture* preview = Embedded("PREVIEW");
  ASSERT_NE(preview, nullptr);
  ASSERT_GT(preview->size, 20u);
  const unsigned char* b = preview->bytes;
  // Start of image, then the JFIF application segment.
  EXPECT_EQ(b[0], 0xFF);
  EXPECT_EQ(b[1], 0xD8);
  EXPECT_EQ(b[2], 0xFF);
  EXPECT_EQ(b[3], 0xE0);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(b + 6), 5), std::string("JFIF\0", 5));
  EXPECT_EQ(b[preview->size - 2], 0xFF);
  EXPECT_EQ(b[preview->size - 1], 0xD9);
  // The frame header is baseline (SOF0): 8-bit samples, 112 rows of 152, three components.
  bool baseline = false;
  for (std::size_t i = 2; i + 9 < preview->size;) {
    ASSERT_EQ(b[i], 0xFF) << "marker expected at " << i;
    const unsigned char marker = b[i + 1];
    const std::size_t length = std::size_t(b[i + 2]) << 8 | b[i + 3];
    EXPECT_TRUE(marker != 0xC1 && marker != 0xC2) << "not a baseline frame";
    if (marker == 0xC0) {
      baseline = true;
      EXPECT_EQ(b[i + 4], 8);
      EXPECT_EQ(std::size_t(b[i + 5]) << 8 | b[i + 6], 112u);
      EXPECT_EQ(std::size_t(b[i + 7]) << 8 | b[i + 8], 152u);
      EXPECT_EQ(b[i + 9], 3);
      break;
    }
    i += 2 + length;
  }
  EXPECT_TRUE(baseline);
}

TEST_F(SimPicturesTest, PreviewDecodesTo152By112) {
  const auto picture = pictures.LoadPictureResource("PREVIEW");
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->width, 152);
  EXPECT_EQ(picture->height, 112);
  ASSERT_EQ(picture->pixels.size(), 152u * 112u);
  for (std::uint32_t pixel : picture->pixels) ASSERT_EQ(pixel & 0xFF000000u, 0u);
}

TEST_F(SimPicturesTest, PreviewShowsADesktop) {
  const auto picture = pictures.LoadPictureResource("PREVIEW");
  ASSERT_TRUE(picture);
  // The wallpaper at the top right is blue above all.
  const std::uint32_t sky = picture->at(148, 3);
  EXPECT_GT(Channel(sky, 0), Channel(sky, 16) + 40);
  // The taskbar along the bottom is a light neutral grey.
  const std::uint32_t bar = picture->at(100, 109);
  EXPECT_GT(Channel(bar, 16), 150u);
  EXPECT_LT(std::max({Channel(bar, 16), Channel(bar, 8), Channel(bar, 0)}) -
                std::min({Channel(bar, 16), Channel(bar, 8), Channel(bar, 0)}),
            40u);
  // The front window's landscape: green hills under a blue sky.
  const std::uint32_t hill = picture->at(130, 85);
  EXPECT_GT(Channel(hill, 8), Channel(hill, 16) + 30);
  EXPECT_GT(Channel(hill, 8), Channel(hill, 0) + 30);
}

TEST_F(SimPicturesTest, NamesMatchWithoutRegardToCase) {
  const auto upper = pictures.LoadPictureResource("PREVIEW");
  const auto lower = pictures.LoadPictureResource("preview");
  ASSERT_TRUE(upper);
  ASSERT_TRUE(lower);
  EXPECT_EQ(*upper, *lower);
  EXPECT_FALSE(pictures.LoadPictureResource("PREVIEWS"));
  EXPECT_FALSE(pictures.LoadPictureResource("PREVIE"));
  EXPECT_FALSE(pictures.LoadPictureResource(""));
  EXPECT_EQ(pictures.loads, (std::vector<std::string>{"PREVIEW", "preview", "PREVIEWS", "PREVIE", ""}));
}

TEST_F(SimPicturesTest, DamagedBytesAreNoPicture) {
  const EmbeddedPicture* preview = Embedded("PREVIEW");
  ASSERT_NE(preview, nullptr);
  const std::vector<unsigned char> whole(preview->bytes, preview->bytes + preview->size);

  EXPECT_FALSE(SimPictures::DecodeJpeg(nullptr, 0));
  EXPECT_FALSE(SimPictures::DecodeJpeg(whole.data(), 0));
  const unsigned char text[] = "not a picture at all";
  EXPECT_FALSE(SimPictures::DecodeJpeg(text, sizeof text));
  // Cut off in the header, and cut off in the picture data.
  EXPECT_FALSE(SimPictures::DecodeJpeg(whole.data(), 100));
  EXPECT_FALSE(SimPictures::DecodeJpeg(whole.data(), whole.size() / 2));
  // A frame header claiming an enormous picture.
  std::vector<unsigned char> huge = whole;
  for (std::size_t i = 2; i + 8 < huge.size(); ++i) {
    if (huge[i] == 0xFF && huge[i + 1] == 0xC0) {
      huge[i + 5] = huge[i + 6] = huge[i + 7] = huge[i + 8] = 0xFF;
      break;
    }
  }
  EXPECT_FALSE(SimPictures::DecodeJpeg(huge.data(), huge.size()));
  // The whole still decodes after all that.
  EXPECT_TRUE(SimPictures::DecodeJpeg(whole.data(), whole.size()));
}

}  // namespace
}  // namespace tolvarin::sim

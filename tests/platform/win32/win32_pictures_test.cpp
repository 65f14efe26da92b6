// The preview JPEG is read by both decoders in tests/platform/sim; the
// program file's resources are read by the preview and button end-to-end runs.
#include <gtest/gtest.h>

#include "base/bmp.h"
#include "platform/sim/sim_pictures.h"
#include "platform/win32/win32_pictures.h"

namespace tolvarin::win32 {
namespace {

TEST(Win32PicturesTest, TheStatePicturesDecodeAsTheSimulationDecodesThem) {
  int found = 0;
  for (const sim::EmbeddedPicture& picture : sim::EmbeddedPictures()) {
    if (picture.size < 2 || picture.bytes[0] != 'B') continue;
    ++found;
    const auto platform = Win32Pictures::DecodePicture(picture.bytes, picture.size);
    const auto own = DecodeBmp24(picture.bytes, picture.size);
    ASSERT_TRUE(platform && own) << picture.name;
    EXPECT_EQ(*platform, *own) << picture.name;
  }
  EXPECT_EQ(found, 7);  // the six button faces and the settings dialog's tile
}

}  // namespace
}  // namespace tolvarin::win32

#include "base/colour.h"

#include <gtest/gtest.h>

#include "base/errors.h"
#include "support/error_of.h"

namespace tolvarin {
namespace {

TEST(ColourTextTest, HexValuesAndGradientChannels) {
  EXPECT_EQ(HexValue("&HFF"), 0xFFul);
  EXPECT_EQ(HexValue("&hc6c5d7"), 0xC6C5D7ul);
  for (const char* bad : {"FF", "&H", "&HFFG", "&GFF", ""})
    EXPECT_EQ(ErrorOf([&] { HexValue(bad); }), kErrorTypeMismatch) << bad;

  std::uint16_t red = 0, green = 0, blue = 0;
  ChannelsOf("&HC6C5D7", red, green, blue);
  EXPECT_EQ(red, 0xC600);
  EXPECT_EQ(green, 0xC500);
  EXPECT_EQ(blue, 0xD700);
  // The written digits count, not the value's bytes: seven digits take the first six.
  ChannelsOf("&H1234567", red, green, blue);
  EXPECT_EQ(red, 0x1200);
  EXPECT_EQ(blue, 0x5600);
  EXPECT_EQ(ErrorOf([&] { ChannelsOf("&HFFFF", red, green, blue); }), kErrorInvalidPropertyValue);
}

}  // namespace
}  // namespace tolvarin

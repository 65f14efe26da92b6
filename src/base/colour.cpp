#include "base/colour.h"

#include <cstdio>
#include <cstdlib>

#include "base/errors.h"

namespace tolvarin {

void ValidateColour(std::uint32_t color) {
  if (color & kSystemColourFlag) {
    if ((color & 0x7F000000u) != 0 || (color & 0x00FFFFFFu) > kLastSystemColour) RaiseInvalidPropertyValue();
  } else if (color > 0x00FFFFFFu) {
    RaiseInvalidPropertyValue();
  }
}

unsigned long HexValue(const std::string& text) {
  if (text.size() < 3 || text[0] != '&' || (text[1] != 'H' && text[1] != 'h')) RaiseTypeMismatch();
  char* end = nullptr;
  const unsigned long value = std::strtoul(text.c_str() + 2, &end, 16);
  if (end != text.c_str() + text.size()) RaiseTypeMismatch();
  return value;
}

void ChannelsOf(const std::string& colour, std::uint16_t& red, std::uint16_t& green, std::uint16_t& blue) {
  char digits[24];
  std::snprintf(digits, sizeof digits, "%lX", HexValue(colour));
  const std::string hex = digits;
  if (hex.size() < 6) RaiseInvalidPropertyValue();
  const auto channel = [&](std::size_t at) {
    const unsigned long value = HexValue("&H" + hex.substr(at, 2) + "00");
    if (value > 0xFFFF) RaiseOverflow();
    return std::uint16_t(value);
  };
  red = channel(0);
  green = channel(2);
  blue = channel(4);
}

}  // namespace tolvarin

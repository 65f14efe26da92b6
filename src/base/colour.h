#pragma once
// Colour values as the program holds them: 0x00BBGGRR, or a system colour
// with the top bit set and the colour's index in the low bits.
#include <cstdint>
#include <string>

namespace tolvarin {

inline constexpr std::uint32_t kSystemColourFlag = 0x80000000u;
// The highest system colour index the platform knows (the menu bar's).
inline constexpr std::uint32_t kLastSystemColour = 30;

// Refuses with "Invalid property value" a colour no platform draws: bits
// above the 24-bit colour, or a system colour of an unknown index.
void ValidateColour(std::uint32_t color);

// A colour text "&H..." read as a hexadecimal number; anything else raises
// "Type mismatch".
unsigned long HexValue(const std::string& text);

// A colour text as the three 16-bit channels of a gradient vertex: the value
// written back as upper-case hexadecimal, its pairs taken in written order.
// Fewer than six digits raise "Invalid property value".
void ChannelsOf(const std::string& colour, std::uint16_t& red, std::uint16_t& green, std::uint16_t& blue);

}  // namespace tolvarin

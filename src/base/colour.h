#pragma once
// Colour values as the program holds them: 0x00BBGGRR, or a system colour
// with the top bit set and the colour's index in the low bits.
#include <cstdint>

namespace tolvarin {

inline constexpr std::uint32_t kSystemColourFlag = 0x80000000u;
// The highest system colour index the platform knows (the menu bar's).
inline constexpr std::uint32_t kLastSystemColour = 30;

// Refuses with "Invalid property value" a colour no platform draws: bits
// above the 24-bit colour, or a system colour of an unknown index.
void ValidateColour(std::uint32_t color);

}  // namespace tolvarin

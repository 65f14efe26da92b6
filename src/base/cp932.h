#pragma once
// Text in code page 932 (Shift-JIS as Windows has it) and UTF-8, the program's
// own text. Conversion goes character by character: the second byte of many
// double-byte characters is 0x5C "\" or another ASCII byte.
//
// Bytes that form no character never stop a conversion:
// - a lead byte followed by a valid second byte that has no character
//   assigned gives U+30FB "・" for the pair (Windows' default character);
// - a lead byte at the end of the text, or followed by a byte that cannot be a
//   second byte, gives U+30FB for the lead byte alone; the next byte then
//   starts a character of its own, so a broken character never swallows a
//   line break or an "=".
// In the other direction every character without a code (and every byte of
// malformed UTF-8) becomes "?". There are no best-fit guesses: U+00A5 "¥" does
// not turn into 0x5C, which would be a path separator.
#include <cstddef>
#include <string>
#include <string_view>

namespace tolvarin {

std::string Cp932ToUtf8(std::string_view cp932);
std::string Utf8ToCp932(std::string_view utf8);

// Length in bytes of the code page 932 character that starts at `pos`: 2 for a
// lead byte followed by a valid second byte, otherwise 1.
std::size_t Cp932CharLength(std::string_view cp932, std::size_t pos);

// UTF-8 building blocks shared by the text conversions.
struct Utf8Char {
  char32_t ch = 0;
  std::size_t length = 1;  // bytes taken; 1 for a malformed byte
  bool valid = false;
};
// Decodes the character at `pos` (pos < text.size()). Overlong forms, values
// above U+10FFFF and truncated sequences are malformed; so are encoded
// surrogates unless `allowSurrogates` (used to carry unpaired UTF-16 halves).
Utf8Char DecodeUtf8(std::string_view text, std::size_t pos, bool allowSurrogates = false);
void AppendUtf8(std::string& out, char32_t ch);

// Lead byte of a double-byte character (0x81-0x9F, 0xE0-0xFC).
constexpr bool IsCp932LeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}
constexpr bool IsCp932TrailByte(unsigned char byte) {
  return byte >= 0x40 && byte <= 0xFC && byte != 0x7F;
}

}  // namespace tolvarin

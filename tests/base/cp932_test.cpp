#include "base/cp932.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace tolvarin {
namespace {

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out.push_back(char(v));
  return out;
}

std::string Code(unsigned code) {
  return code > 0xFF ? Bytes({int(code >> 8), int(code & 0xFF)}) : Bytes({int(code)});
}

std::string Utf8(char32_t ch) {
  std::string out;
  AppendUtf8(out, ch);
  return out;
}

// The one character `text` holds, or 0 when it holds another number of them.
char32_t OnlyChar(const std::string& text) {
  if (text.empty()) return 0;
  const Utf8Char c = DecodeUtf8(text, 0);
  return c.valid && c.length == text.size() ? c.ch : 0;
}

// The settings keys' bytes are checked through the settings file tests; code
// page 932 text is scanned by whole characters as the settings reader's tests show.
TEST(Cp932, WindowsSpecificCodes) {
  const std::pair<unsigned, char32_t> pairs[] = {
      {0x5C, 0x5C},     {0x7E, 0x7E},     {0x80, 0x80},     {0xA0, 0xF8F0},   {0xFD, 0xF8F1},
      {0xFF, 0xF8F3},   {0x815F, 0xFF3C}, {0x8160, 0xFF5E}, {0x8161, 0x2225}, {0x817C, 0xFF0D},
      {0x815C, 0x2015}, {0x8191, 0xFFE0}, {0x8192, 0xFFE1}, {0x8754, 0x2160}, {0x8782, 0x2116},
      {0xF040, 0xE000}, {0xF9FC, 0xE757}, {0xFA40, 0x2170}, {0xFC4B, 0x9ED1},
  };
  for (const auto& [code, ch] : pairs) {
    EXPECT_EQ(OnlyChar(Cp932ToUtf8(Code(code))), ch) << std::hex << code;
    EXPECT_EQ(Utf8ToCp932(Utf8(ch)), Code(code)) << std::hex << code;
  }
}

TEST(Cp932, DuplicateCodesEncodeAsWindowsDoes) {
  // JIS rows before NEC row 13 before IBM before NEC-selected IBM.
  const std::pair<std::vector<unsigned>, unsigned> cases[] = {
      {{0x81E0, 0x8790}, 0x81E0}, {{0x81E6, 0x879A, 0xFA5B}, 0x81E6}, {{0x81CA, 0xEEF9, 0xFA54}, 0x81CA},
      {{0x8754, 0xFA4A}, 0x8754}, {{0x878A, 0xFA58}, 0x878A},         {{0xEEEF, 0xFA40}, 0xFA40},
      {{0xED40, 0xFA5C}, 0xFA5C}, {{0xEEFA, 0xFA55}, 0xFA55},
  };
  for (const auto& [codes, preferred] : cases) {
    const std::string first = Cp932ToUtf8(Code(codes[0]));
    for (unsigned code : codes) EXPECT_EQ(Cp932ToUtf8(Code(code)), first) << std::hex << code;
    EXPECT_EQ(Utf8ToCp932(first), Code(preferred)) << std::hex << preferred;
  }
}

TEST(Cp932, EveryCodeRoundTripsOrMovesToTheBetterDuplicate) {
  // Single bytes: ASCII and half-width katakana.
  for (int b = 0; b < 0xE0; ++b) {
    if (b >= 0x80 && b < 0xA1) continue;
    const char32_t ch = b < 0x80 ? char32_t(b) : char32_t(0xFF61 + b - 0xA1);
    EXPECT_EQ(Cp932ToUtf8(Code(b)), Utf8(ch)) << b;
    EXPECT_EQ(Utf8ToCp932(Utf8(ch)), Code(b)) << b;
  }
  int assigned = 0, moved = 0;
  for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
    if (!IsCp932LeadByte(static_cast<unsigned char>(lead))) continue;
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
      if (trail == 0x7F) continue;
      const std::string code = Code(lead << 8 | trail);
      const std::string text = Cp932ToUtf8(code);
      ASSERT_NE(OnlyChar(text), 0u);
      if (OnlyChar(text) == 0x30FB && code != Code(0x8145)) continue;  // unassigned
      ++assigned;
      const std::string back = Utf8ToCp932(text);
      ASSERT_EQ(Cp932ToUtf8(back), text) << std::hex << lead << trail;
      if (back == code) continue;
      ++moved;
      // Only NEC row 13 and the two IBM extension blocks hold duplicates.
      EXPECT_TRUE(lead == 0x87 || lead == 0xED || lead == 0xEE || (lead >= 0xFA && lead <= 0xFC))
          << std::hex << lead << trail;
    }
  }
  // JIS X 0208, NEC row 13, both IBM blocks and the user-defined area.
  EXPECT_GT(assigned, 9000);
  EXPECT_GT(moved, 390);  // the NEC-selected IBM block alone has 374
  EXPECT_LT(moved, 420);
}

TEST(Cp932, BadInputGivesTheMiddleDotOrAQuestionMark) {
  const std::string dot = "・";
  const std::pair<std::string, std::string> fromCp932[] = {
      {Bytes({0x81}), dot},                      // lead byte at the end
      {Bytes({0x81, 0x0D, 0x0A}), dot + "\r\n"},  // the line break survives
      {Bytes({0x93, 0x3D, 0x31}), dot + "=1"},
      {Bytes({0x81, 0x7F}), dot + "\x7F"},
      {Bytes({0x85, 0x40, 0x41}), dot + "A"},  // unassigned pair: one dot
      {Bytes({0xEF, 0xFC}), dot},
      {Bytes({0x81, 0x81, 0x81}), Cp932ToUtf8(Bytes({0x81, 0x81})) + dot},
      {std::string("a\0b", 3), std::string("a\0b", 3)},
  };
  for (const auto& [in, out] : fromCp932) EXPECT_EQ(Cp932ToUtf8(in), out) << in;
  // No best fit ("¥" to 5C would be a path separator); malformed UTF-8 gives one "?" per byte.
  const std::pair<std::string, std::string> fromUtf8[] = {
      {"¥", "?"},      {"‾", "?"},     {"a😀b", "a?b"},        {"한", "?"},           {Utf8(0xFFFD), "?"},
      {"\xC3", "?"},   {"\xE3\x81" "A", "??A"}, {"\xC0\xAF", "??"}, {"\xE0\x80\xAF", "???"}, {"\xED\xA0\x80", "???"},
      {"\xF4\x90\x80\x80", "????"}, {"\x80" "あ", Bytes({0x3F, 0x82, 0xA0})},
  };
  for (const auto& [in, out] : fromUtf8) EXPECT_EQ(Utf8ToCp932(in), out) << in;
}

}  // namespace
}  // namespace tolvarin

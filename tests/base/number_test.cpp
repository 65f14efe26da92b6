#include "base/number.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>
#include <utility>


namespace tolvarin {
namespace {

TEST(FloorToInt16, ReadsDecimalNumbersAndRoundsDown) {
  const std::pair<const char*, int> cases[] = {
      {"100", 100},       {" 100", 100},        {"5 ", 5},          {"\t7\t", 7},      {"+5", 5},
      {"-3", -3},         {"12.9", 12},         {"-0.5", -1},       {"-12.1", -13},    {"-12.0", -12},
      {"0.99", 0},        {".5", 0},            {"5.", 5},          {"1e3", 1000},     {"1E3", 1000},
      {"1.5e1", 15},      {"15e-1", 1},         {"-15e-1", -2},     {"2e+2", 200},     {"-0", 0},
      {"0e99999", 0},     {"-1e-400", -1},      {"1e-400", 0},      {"32767", 32767},  {"-32768", -32768},
      {"-32768.0", -32768}, {"32767.5", 32767}, {"000000000000000000000012", 12},
      {"0.000000000000000000001e21", 1},
      // Taken exactly: a double would round this up to 32768 and fail.
      {"32767.99999999999999999999", 32767},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(FloorToInt16(text), std::optional<std::int16_t>(expected)) << text;
}

TEST(FloorToInt16, FailsOnTextThatIsNoNumberOrOutOfRange) {
  const std::string cases[] = {
      "",    " ",    "abc",  "5 x",      "x5",   "-",     "+",    ".",     "1e",  "1e+",
      "e3",  "--5",  "+-5",  "- 5",      "5-",   "1.2.3", "1,000", "0x10", "&H10", "inf",
      "nan", "Infinity", "1e999", "1e99999999999999999999", "40000", "32768", "-32769",
      "-32768.5", "100000", "１２", "1\n", "1\r", std::string("1\0", 2),
  };
  for (const std::string& text : cases) EXPECT_FALSE(FloorToInt16(text).has_value()) << '"' << text << '"';
}

TEST(SignedNumberText, HasASignPositionAndReadsBackAsWritten) {
  EXPECT_EQ(SignedNumberText(100), " 100");
  EXPECT_EQ(SignedNumberText(0), " 0");
  EXPECT_EQ(SignedNumberText(-3), "-3");
  EXPECT_EQ(SignedNumberText(std::numeric_limits<std::int32_t>::min()), "-2147483648");
  for (int v = -32768; v <= 32767; ++v) ASSERT_EQ(FloorToInt16(SignedNumberText(v)), std::optional<std::int16_t>(v));
}

// How the repeat box reads these is the dialog's number table.
TEST(HalfWidthNumberText, TurnsWhatAnInputMethodTypesIntoASCIIAndLeavesTheRest) {
  const std::pair<std::string, std::string> cases[] = {
      {"０９", "09"}, {"－３．５", "-3.5"}, {"＋　8", "+ 8"}, {"１ｅ３", "1ｅ3"}, {"／：，", "／：，"},
      {"\xEF\xBC", "\xEF\xBC"}, {"\xE3\x80", "\xE3\x80"}, {"\xEF\xBD\x90", "\xEF\xBD\x90"},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(HalfWidthNumberText(text), expected) << text;
}

TEST(LeadingNumber, ReadsAsFarAsTheNumberGoes) {
  const std::pair<const char*, double> cases[] = {
      {"1234", 1234},   {"12x34", 12},    {"", 0},         {"abc", 0},     {"  -3.5e2z", -350},
      {"\t 5", 5},      {"+7", 7},        {"1e", 1},       {"1e+", 1},     {"2E3x", 2000},
      {".5.", 0.5},     {"-.25", -0.25},  {"- 5", 0},      {"x12", 0},     {"1 2", 1},
      {"1e-400", 0},    {"0x10", 0},      {"12.", 12},     {".", 0},       {"1,5", 1},
      {"1e400", std::numeric_limits<double>::infinity()},  {"-1e400", -std::numeric_limits<double>::infinity()},
      {"99999999999999999999999999999999", 1e32},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(LeadingNumber(text), expected) << '"' << text << '"';
}

}  // namespace
}  // namespace tolvarin

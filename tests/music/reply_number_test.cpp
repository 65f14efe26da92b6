#include "music/reply_number.h"

#include <gtest/gtest.h>

#include "base/errors.h"

namespace tolvarin {
namespace {

TEST(ReplyAsNumberTest, ReadsTheWholeTextAsADecimalNumber) {
  const struct {
    const char* text;
    double value;
  } cases[] = {
      {"3", 3},      {"03", 3},    {" 12\t", 12}, {"+3", 3},   {"-2", -2},  {"3.0", 3},
      {"3.5", 3.5},  {".5", 0.5},  {"7.", 7},     {"1e1", 10}, {"1D1", 10}, {"25E-1", 2.5},
      {"0", 0},      {"-0", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(ReplyAsNumber(c.text), c.value) << c.text;
}

TEST(ReplyAsNumberTest, AnythingElseIsATypeMismatch) {
  for (const char* text : {"", "  ", "abc", "3a", "a3", "3 4", "0x3", "1e", "1e+", ".", "+", "-", "--3",
                           "inf", "nan", "3:00", "\xef\xbc\x93" /* full-width 3 */}) {
    try {
      ReplyAsNumber(text);
      ADD_FAILURE() << "accepted \"" << text << "\"";
    } catch (const ProgramError& error) {
      EXPECT_EQ(error.number(), kErrorTypeMismatch) << text;
    }
  }
}

TEST(ReplyAsNumberTest, ANumberTooLargeOverflows) {
  try {
    ReplyAsNumber("1e999");
    ADD_FAILURE() << "accepted 1e999";
  } catch (const ProgramError& error) {
    EXPECT_EQ(error.number(), kErrorOverflow);
  }
}

}  // namespace
}  // namespace tolvarin

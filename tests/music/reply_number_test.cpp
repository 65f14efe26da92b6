#include "music/reply_number.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "base/errors.h"

namespace tolvarin {
namespace {

TEST(ReplyAsNumberTest, ReadsTheWholeTextAsADecimalNumberOrRaises) {
  const std::pair<const char*, double> cases[] = {
      {"3", 3},     {"03", 3},   {" 12\t", 12}, {"+3", 3},   {"-2", -2},  {"3.0", 3},     {"3.5", 3.5},
      {".5", 0.5},  {"7.", 7},   {"1e1", 10},   {"1D1", 10}, {"0", 0},    {"25E-1", 2.5}, {"-0", 0},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(ReplyAsNumber(text), value) << text;
  // Anything else is a type mismatch, and a number too large overflows.
  for (const char* text : {"", "  ", "abc", "3a", "a3", "3 4", "0x3", "1e", "1e+", ".", "+", "-", "--3", "inf",
                           "nan", "3:00", "\xef\xbc\x93" /* full-width 3 */, "1e999"}) {
    try {
      ReplyAsNumber(text);
      ADD_FAILURE() << "accepted \"" << text << "\"";
    } catch (const ProgramError& error) {
      EXPECT_EQ(error.number(), std::string(text) == "1e999" ? kErrorOverflow : kErrorTypeMismatch) << text;
    }
  }
}

}  // namespace
}  // namespace tolvarin

#include "base/number.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace tolvarin {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The parts of a decimal number as written.
struct DecimalText {
  bool negative = false;
  std::string_view integer;
  std::string_view fraction;
  std::int64_t exponent = 0;
  std::size_t end = 0;  // one past the last character of the number
};

// Exponents are clamped here: anything beyond this is far out of every range
// the program uses, and clamping keeps the arithmetic from overflowing.
constexpr std::int64_t kExponentClamp = 100000;

// Reads the longest number starting at `pos`; nullopt when there is no digit.
std::optional<DecimalText> ScanNumber(std::string_view text, std::size_t pos) {
  DecimalText number;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    number.negative = text[pos] == '-';
    ++pos;
  }
  std::size_t start = pos;
  while (pos < text.size() && IsDigit(text[pos])) ++pos;
  number.integer = text.substr(start, pos - start);
  if (pos < text.size() && text[pos] == '.') {
    start = ++pos;
    while (pos < text.size() && IsDigit(text[pos])) ++pos;
    number.fraction = text.substr(start, pos - start);
  }
  if (number.integer.empty() && number.fraction.empty()) return std::nullopt;
  number.end = pos;
  if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
    std::size_t p = pos + 1;
    bool negativeExponent = false;
    if (p < text.size() && (text[p] == '+' || text[p] == '-')) negativeExponent = text[p++] == '-';
    if (p < text.size() && IsDigit(text[p])) {
      std::int64_t exponent = 0;
      for (; p < text.size() && IsDigit(text[p]); ++p)
        exponent = std::min(exponent * 10 + (text[p] - '0'), kExponentClamp);
      number.exponent = negativeExponent ? -exponent : exponent;
      number.end = p;
    }
  }
  return number;
}

}  // namespace

std::optional<std::int16_t> FloorToInt16(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  const auto number = ScanNumber(text, pos);
  if (!number) return std::nullopt;
  pos = number->end;
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  if (pos != text.size()) return std::nullopt;

  // Significant digits and the position of the decimal point among them.
  std::string digits;
  std::int64_t pointAt = 0;  // digits before the point
  bool leading = true;
  for (char c : number->integer) {
    if (leading && c == '0') continue;
    leading = false;
    digits.push_back(c);
    ++pointAt;
  }
  for (char c : number->fraction) {
    if (leading && c == '0') {
      --pointAt;
      continue;
    }
    leading = false;
    digits.push_back(c);
  }
  if (digits.empty()) return std::int16_t{0};
  pointAt += number->exponent;

  // |value| >= 10^5 is out of range whatever the digits.
  if (pointAt > 5) return std::nullopt;
  std::int32_t whole = 0;
  bool fractionLeft = false;
  for (std::int64_t i = 0; i < std::int64_t(digits.size()); ++i) {
    if (i < pointAt) whole = whole * 10 + (digits[i] - '0');
    else if (digits[i] != '0') fractionLeft = true;
  }
  for (std::int64_t i = std::int64_t(digits.size()); i < pointAt; ++i) whole *= 10;
  if (number->negative) whole = -whole - (fractionLeft ? 1 : 0);
  if (whole < std::numeric_limits<std::int16_t>::min() || whole > std::numeric_limits<std::int16_t>::max())
    return std::nullopt;
  return static_cast<std::int16_t>(whole);
}

double LeadingNumber(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  const auto number = ScanNumber(text, pos);
  if (!number) return 0.0;
  // from_chars takes no "+" and needs the exponent spelled as scanned.
  std::string_view body = text.substr(pos, number->end - pos);
  if (!body.empty() && body.front() == '+') body.remove_prefix(1);
  double value = 0.0;
  const auto result = std::from_chars(body.data(), body.data() + body.size(), value);
  if (result.ec == std::errc::result_out_of_range) {
    // Too large or too small for a double: tell the two apart by magnitude.
    std::int64_t magnitude = number->exponent;
    std::size_t i = 0;
    while (i < number->integer.size() && number->integer[i] == '0') ++i;
    if (i < number->integer.size()) {
      magnitude += std::int64_t(number->integer.size() - i);
    } else {
      std::size_t j = 0;
      while (j < number->fraction.size() && number->fraction[j] == '0') ++j;
      magnitude -= std::int64_t(j);
    }
    const double sign = number->negative ? -1.0 : 1.0;
    return magnitude > 0 ? sign * std::numeric_limits<double>::infinity() : sign * 0.0;
  }
  return value;
}

std::optional<double> WholeNumber(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  const auto number = ScanNumber(text, pos);
  if (!number) return std::nullopt;
  std::size_t end = number->end;
  while (end < text.size() && IsBlank(text[end])) ++end;
  if (end != text.size()) return std::nullopt;
  return LeadingNumber(text);
}

std::string HalfWidthNumberText(std::string_view text) {
  std::string ascii;
  ascii.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = [&](std::size_t at) { return at < text.size() ? static_cast<unsigned char>(text[at]) : 0u; };
    // U+3000 is E3 80 80; U+FF0B..U+FF19 are EF BC 8B..99.
    if (byte(i) == 0xE3 && byte(i + 1) == 0x80 && byte(i + 2) == 0x80) {
      ascii.push_back(' ');
      i += 2;
      continue;
    }
    if (byte(i) == 0xEF && byte(i + 1) == 0xBC) {
      const unsigned third = byte(i + 2);
      char narrow = 0;
      if (third >= 0x90 && third <= 0x99) narrow = char('0' + (third - 0x90));
      else if (third == 0x8B) narrow = '+';
      else if (third == 0x8D) narrow = '-';
      else if (third == 0x8E) narrow = '.';
      if (narrow) {
        ascii.push_back(narrow);
        i += 2;
        continue;
      }
    }
    ascii.push_back(text[i]);
  }
  return ascii;
}

std::string SignedNumberText(std::int32_t value) {
  if (value < 0) return std::to_string(value);
  std::string text(1, ' ');
  text += std::to_string(value);
  return text;
}

}  // namespace tolvarin

#include "music/reply_number.h"

#include <charconv>
#include <string>

#include "base/errors.h"

namespace tolvarin {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

double ReplyAsNumber(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);

  // Checked by hand first: from_chars alone would accept a prefix, "inf",
  // "nan" and hexadecimal floats, and reject a leading '+'.
  std::string plain;
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  bool digits = false;
  while (i < text.size() && IsDigit(text[i])) plain += text[i++], digits = true;
  if (i < text.size() && text[i] == '.') {
    plain += text[i++];
    while (i < text.size() && IsDigit(text[i])) plain += text[i++], digits = true;
  }
  if (!digits) RaiseTypeMismatch();
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
    plain += 'e';
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) plain += text[i++];
    bool exponentDigits = false;
    while (i < text.size() && IsDigit(text[i])) plain += text[i++], exponentDigits = true;
    if (!exponentDigits) RaiseTypeMismatch();
  }
  if (i != text.size()) RaiseTypeMismatch();

  double value = 0;
  const auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
  if (error != std::errc() || end != plain.data() + plain.size()) RaiseOverflow();
  return negative ? -value : value;
}

}  // namespace tolvarin

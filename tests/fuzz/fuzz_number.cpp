// Number text: the exact reader agrees with the C library's reading of the
// same text, and every result is in range and writes back to itself.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/number.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// strtod's reading of the whole text, when the text is a plain decimal number.
bool ReferenceValue(std::string_view text, double& value) {
  const std::string body(TrimBlanks(text));
  if (body.empty() || body.size() > 400) return false;
  for (char c : body)
    if (!((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == 'e' || c == 'E')) return false;
  char* end = nullptr;
  value = std::strtod(body.c_str(), &end);
  return end == body.c_str() + body.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto floored = tolvarin::FloorToInt16(text);
  const double leading = tolvarin::LeadingNumber(text);
  Check(!std::isnan(leading));

  if (floored) Check(tolvarin::FloorToInt16(tolvarin::SignedNumberText(*floored)) == floored);

  double reference = 0;
  if (!ReferenceValue(text, reference)) {
    // Not a plain number by the C library's reading (or too long to compare):
    // the exact reader may still accept only what the leading reader reads whole.
    return 0;
  }
  // Tiny values may come back as 0 from one reader and as a subnormal from the other.
  Check(reference == leading || std::fabs(reference - leading) <= std::max(1e-9 * std::fabs(reference), 1e-300));
  const double low = std::floor(reference);
  // Near a whole number the double may have rounded across it; there the exact
  // reader is right and the reference is not checked.
  const bool nearWhole = std::fabs(reference - std::nearbyint(reference)) < 1e-6 * std::max(1.0, std::fabs(reference));
  if (low >= -32768 && low <= 32767 && !nearWhole) {
    Check(floored.has_value());
    Check(*floored == low);
  } else if (low < -32769 || low > 32768) {
    Check(!floored.has_value());
  }
  return 0;
}

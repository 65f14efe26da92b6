#include "controls/property_bag.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace tolvarin {

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool SameNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

std::string_view Trimmed(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

// The whole text as a decimal number: optional sign, digits with an optional
// fraction, optional exponent; blanks around it allowed.
std::optional<double> NumberFromText(std::string_view text) {
  text = Trimmed(text);
  if (text.empty() || text.size() > 64) return std::nullopt;
  for (char c : text)
    if (!((c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-' || c == 'e' || c == 'E'))
      return std::nullopt;
  const std::string copy(text);
  char* end = nullptr;
  const double value = std::strtod(copy.c_str(), &end);
  if (end != copy.c_str() + copy.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<double> ToNumber(const PropertyValue& value) {
  if (auto* number = std::get_if<double>(&value)) return *number;
  if (auto* flag = std::get_if<bool>(&value)) return *flag ? -1.0 : 0.0;
  if (auto* text = std::get_if<std::string>(&value)) return NumberFromText(*text);
  return std::nullopt;
}

// Rounds half to even and checks the range of the target type.
std::optional<std::int64_t> Whole(const PropertyValue& value, double low, double high) {
  const auto number = ToNumber(value);
  if (!number) return std::nullopt;
  const double rounded = std::nearbyint(*number);  // the default rounding mode: half to even
  if (!(rounded >= low && rounded <= high)) return std::nullopt;
  return std::int64_t(rounded);
}

}  // namespace

bool PropertyBag::NoCase::operator()(const std::string& a, const std::string& b) const {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i)
    if (Lower(a[i]) != Lower(b[i])) return Lower(a[i]) < Lower(b[i]);
  return a.size() < b.size();
}

PropertyBag::PropertyBag(std::initializer_list<std::pair<const std::string, PropertyValue>> entries)
    : entries_(entries) {}

PropertyValue PropertyBag::ReadProperty(std::string_view name, const PropertyValue& defaultValue) const {
  auto it = entries_.find(std::string(name));
  return it == entries_.end() ? defaultValue : it->second;
}

void PropertyBag::WriteProperty(std::string_view name, const PropertyValue& value,
                                const PropertyValue& defaultValue) {
  if (EqualsDefault(value, defaultValue))
    entries_.erase(std::string(name));
  else
    entries_.insert_or_assign(std::string(name), value);
}

bool PropertyBag::Contains(std::string_view name) const { return entries_.count(std::string(name)) != 0; }

bool EqualsDefault(const PropertyValue& value, const PropertyValue& defaultValue) {
  if (value.index() == defaultValue.index()) return value == defaultValue;
  // A number against a text default (or the other way round): equal when the
  // text reads as the same number.
  const bool numberAndText = (std::holds_alternative<double>(value) && std::holds_alternative<std::string>(defaultValue)) ||
                             (std::holds_alternative<std::string>(value) && std::holds_alternative<double>(defaultValue));
  if (!numberAndText) return false;
  const auto a = ToNumber(value), b = ToNumber(defaultValue);
  return a && b && *a == *b;
}

std::optional<bool> ToBoolean(const PropertyValue& value) {
  if (auto* flag = std::get_if<bool>(&value)) return *flag;
  if (auto* text = std::get_if<std::string>(&value)) {
    if (SameNoCase(Trimmed(*text), "True")) return true;
    if (SameNoCase(Trimmed(*text), "False")) return false;
  }
  const auto number = ToNumber(value);
  if (!number) return std::nullopt;
  return *number != 0;
}

std::optional<std::string> ToText(const PropertyValue& value) {
  if (auto* text = std::get_if<std::string>(&value)) return *text;
  if (auto* flag = std::get_if<bool>(&value)) return std::string(*flag ? "True" : "False");
  if (auto* font = std::get_if<FontSpec>(&value)) return font->name;  // a font's value is its name
  const double number = std::get<double>(value);
  char text[40];
  std::snprintf(text, sizeof text, "%.15g", number);
  return std::string(text);
}

std::optional<std::uint8_t> ToByte(const PropertyValue& value) {
  const auto whole = Whole(value, 0, 255);
  if (!whole) return std::nullopt;
  return std::uint8_t(*whole);
}

std::optional<std::int16_t> ToInt16(const PropertyValue& value) {
  const auto whole = Whole(value, -32768, 32767);
  if (!whole) return std::nullopt;
  return std::int16_t(*whole);
}

std::optional<std::int32_t> ToInt32(const PropertyValue& value) {
  const auto whole = Whole(value, -2147483648.0, 2147483647.0);
  if (!whole) return std::nullopt;
  return std::int32_t(*whole);
}

std::optional<FontSpec> ToFont(const PropertyValue& value) {
  if (auto* font = std::get_if<FontSpec>(&value)) return *font;
  return std::nullopt;
}

}  // namespace tolvarin

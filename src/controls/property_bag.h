#pragma once
// The host's store of a control's properties: typed values under names that
// match without regard to case (the stored property set of one instance in
// its host window's design data).
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "platform/user_control.h"

namespace tolvarin {

// Text, number, boolean or font.
using PropertyValue = std::variant<std::string, double, bool, FontSpec>;

class PropertyBag {
 public:
  PropertyBag() = default;
  // A stored set as the host's design data holds it.
  PropertyBag(std::initializer_list<std::pair<const std::string, PropertyValue>> entries);

  // The stored value of `name`, or `defaultValue` when there is none.
  PropertyValue ReadProperty(std::string_view name, const PropertyValue& defaultValue) const;
  // Stores `value` under `name`, or removes the entry when the value equals
  // `defaultValue` (a number equals a text default that reads as the same number).
  void WriteProperty(std::string_view name, const PropertyValue& value, const PropertyValue& defaultValue);

  bool Contains(std::string_view name) const;
  std::size_t size() const { return entries_.size(); }

 private:
  struct NoCase {
    bool operator()(const std::string& a, const std::string& b) const;
  };
  std::map<std::string, PropertyValue, NoCase> entries_;
};

// Whether a written value equals its default under the store's rule.
bool EqualsDefault(const PropertyValue& value, const PropertyValue& defaultValue);

// Conversions of a stored value to a target's type; nullopt when the value
// cannot be converted (a font to anything else, text that is no number, a
// number outside the target's range).
std::optional<bool> ToBoolean(const PropertyValue& value);
std::optional<std::string> ToText(const PropertyValue& value);
// Whole numbers round half to even, as the target types require.
std::optional<std::uint8_t> ToByte(const PropertyValue& value);
std::optional<std::int16_t> ToInt16(const PropertyValue& value);
std::optional<std::int32_t> ToInt32(const PropertyValue& value);
std::optional<FontSpec> ToFont(const PropertyValue& value);

}  // namespace tolvarin

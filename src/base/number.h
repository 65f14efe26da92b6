#pragma once
// Number text: reading settings values and command-line numbers, and the
// decimal text the settings are written as.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tolvarin {

// Reads the whole of `text` as a decimal number and rounds it down (toward
// minus infinity) to a 16-bit whole number: 12.9 -> 12, -0.5 -> -1.
// Accepted: blanks (spaces, tabs) around it, an optional sign, digits with an
// optional "." fraction (at least one digit in all), an optional exponent
// "e"/"E" with optional sign and digits. Only ASCII digits; no thousands
// separators, no "inf"/"nan". The value is taken exactly as written, so a long
// fraction never rounds up into the next whole number.
// nullopt when the text is not such a number (including empty text) or the
// whole number lies outside -32768..32767.
std::optional<std::int16_t> FloorToInt16(std::string_view text);

// The leading number of `text`: leading blanks are skipped, then as much of
// sign, digits, "." fraction and exponent as forms a number is read; reading
// stops at the first character that cannot continue it. No number gives 0.
// Values too large for a double come back as +/-infinity, so that a checked
// conversion reports them as an overflow.
double LeadingNumber(std::string_view text);

// The whole of `text` read as a decimal number (the syntax of FloorToInt16,
// blanks around it allowed), not rounded; nullopt when it is not one.
std::optional<double> WholeNumber(std::string_view text);

// A number as a Japanese input method types it, in ASCII: full-width digits
// (U+FF10..U+FF19), signs (U+FF0B, U+FF0D), decimal point (U+FF0E) and the
// ideographic space (U+3000) become '0'..'9', '+', '-', '.' and ' '. Every
// other character, and text that is not UTF-8, is left as it is. `text` is UTF-8.
std::string HalfWidthNumberText(std::string_view text);

// Decimal text of `value` with a sign position in front: " 100", " 0", "-3".
std::string SignedNumberText(std::int32_t value);

}  // namespace tolvarin

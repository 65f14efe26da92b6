#include "base/utf16_text.h"

#include "base/cp932.h"

namespace tolvarin {

namespace {

// UTF-16 code units as UTF-8; unpaired surrogates as their own three-byte
// forms when `carry`, else as U+FFFD.
template <typename Unit>
std::string UnitsToUtf8(std::size_t count, Unit unit, bool carry) {
  std::string out;
  out.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    const char16_t u = unit(i);
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < count) {
      const char16_t low = unit(i + 1);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        AppendUtf8(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (low - 0xDC00));
        ++i;
        continue;
      }
    }
    AppendUtf8(out, carry || u < 0xD800 || u > 0xDFFF ? char32_t(u) : char32_t(0xFFFD));
  }
  return out;
}

// UTF-8 as UTF-16 code units handed to `put`; encoded surrogates pass as
// themselves when `carry`.
template <typename Put>
void Utf8ToUnits(std::string_view text, Put put, bool carry) {
  for (std::size_t i = 0; i < text.size();) {
    const Utf8Char c = DecodeUtf8(text, i, carry);
    i += c.length;
    if (!c.valid) {
      put(0xFFFD);
    } else if (c.ch >= 0x10000) {
      put(char16_t(0xD800 + ((c.ch - 0x10000) >> 10)));
      put(char16_t(0xDC00 + ((c.ch - 0x10000) & 0x3FF)));
    } else {
      put(char16_t(c.ch));
    }
  }
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  Utf8ToUnits(text, [&](char16_t u) { out.push_back(u); }, false);
  return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  return UnitsToUtf8(text.size(), [&](std::size_t i) { return text[i]; }, false);
}

std::string Utf16LeToUtf8(std::string_view bytes, bool bigEndian) {
  const int low = bigEndian ? 1 : 0;
  return UnitsToUtf8(
      bytes.size() / 2,
      [&](std::size_t i) {
        return char16_t(static_cast<unsigned char>(bytes[2 * i + low]) |
                        static_cast<unsigned char>(bytes[2 * i + 1 - low]) << 8);
      },
      true);
}

std::string Utf8ToUtf16Le(std::string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  Utf8ToUnits(
      text,
      [&](char16_t u) {
        out.push_back(char(u & 0xFF));
        out.push_back(char(u >> 8 & 0xFF));
      },
      true);
  return out;
}

std::string ToWellFormedUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const Utf8Char c = DecodeUtf8(text, i, /*allowSurrogates=*/true);
    if (c.valid && (c.ch < 0xD800 || c.ch > 0xDFFF)) out.append(text.substr(i, c.length));
    else AppendUtf8(out, 0xFFFD);
    i += c.length;
  }
  return out;
}

std::string_view CutToUtf16Units(std::string_view text, std::size_t units) {
  std::size_t used = 0;
  for (std::size_t i = 0; i < text.size();) {
    const Utf8Char c = DecodeUtf8(text, i, /*allowSurrogates=*/true);
    const std::size_t need = c.valid && c.ch >= 0x10000 ? 2 : 1;
    if (used + need > units) return text.substr(0, i);
    used += need;
    i += c.length;
  }
  return text;
}

}  // namespace tolvarin

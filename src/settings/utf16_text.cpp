#include "settings/utf16_text.h"

#include "base/cp932.h"

namespace tolvarin {

std::string Utf16LeToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  const std::size_t count = bytes.size() / 2;
  const auto unit = [&](std::size_t i) {
    return char16_t(static_cast<unsigned char>(bytes[2 * i]) |
                    static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
  };
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
    AppendUtf8(out, u);
  }
  return out;
}

std::string Utf8ToUtf16Le(std::string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  const auto put = [&](char32_t u) {
    out.push_back(char(u & 0xFF));
    out.push_back(char(u >> 8 & 0xFF));
  };
  for (std::size_t i = 0; i < text.size();) {
    const Utf8Char c = DecodeUtf8(text, i, /*allowSurrogates=*/true);
    i += c.length;
    if (!c.valid) {
      put(0xFFFD);
    } else if (c.ch >= 0x10000) {
      put(0xD800 + ((c.ch - 0x10000) >> 10));
      put(0xDC00 + ((c.ch - 0x10000) & 0x3FF));
    } else {
      put(c.ch);
    }
  }
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

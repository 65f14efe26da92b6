#include "base/cp932.h"

#include <algorithm>
#include <cstdint>

namespace tolvarin {
namespace {

#include "base/cp932_table.inc"

constexpr char32_t kDefaultChar = 0x30FB;

// Character of the double-byte code lead:trail, or 0 when none is assigned.
char32_t DecodePair(unsigned char lead, unsigned char trail) {
  const int row = lead <= 0x9F ? lead - 0x81 : lead - 0xE0 + 31;
  return kCp932Double[row * 189 + (trail - 0x40)];
}

// Code of `ch`, or -1.
int EncodeChar(char32_t ch) {
  if (ch > 0xFFFF) return -1;
  const std::uint32_t key = std::uint32_t(ch) << 16;
  const auto* end = kCp932Encode + std::size(kCp932Encode);
  const auto* it = std::lower_bound(kCp932Encode, end, key);
  if (it == end || (*it >> 16) != ch) return -1;
  return int(*it & 0xFFFF);
}

}  // namespace

Utf8Char DecodeUtf8(std::string_view text, std::size_t pos, bool allowSurrogates) {
  const auto at = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char first = at(pos);
  if (first < 0x80) return {first, 1, true};
  std::size_t length;
  char32_t ch, minimum;
  if (first >= 0xC2 && first <= 0xDF) length = 2, ch = first & 0x1F, minimum = 0x80;
  else if (first >= 0xE0 && first <= 0xEF) length = 3, ch = first & 0x0F, minimum = 0x800;
  else if (first >= 0xF0 && first <= 0xF4) length = 4, ch = first & 0x07, minimum = 0x10000;
  else return {};
  if (pos + length > text.size()) return {};
  for (std::size_t k = 1; k < length; ++k) {
    const unsigned char next = at(pos + k);
    if ((next & 0xC0) != 0x80) return {};
    ch = ch << 6 | (next & 0x3F);
  }
  if (ch < minimum || ch > 0x10FFFF) return {};
  if (ch >= 0xD800 && ch <= 0xDFFF && !allowSurrogates) return {};
  return {ch, length, true};
}

void AppendUtf8(std::string& out, char32_t ch) {
  if (ch < 0x80) {
    out.push_back(char(ch));
  } else if (ch < 0x800) {
    out.push_back(char(0xC0 | ch >> 6));
    out.push_back(char(0x80 | (ch & 0x3F)));
  } else if (ch < 0x10000) {
    out.push_back(char(0xE0 | ch >> 12));
    out.push_back(char(0x80 | (ch >> 6 & 0x3F)));
    out.push_back(char(0x80 | (ch & 0x3F)));
  } else {
    out.push_back(char(0xF0 | ch >> 18));
    out.push_back(char(0x80 | (ch >> 12 & 0x3F)));
    out.push_back(char(0x80 | (ch >> 6 & 0x3F)));
    out.push_back(char(0x80 | (ch & 0x3F)));
  }
}

std::size_t Cp932CharLength(std::string_view cp932, std::size_t pos) {
  if (pos + 1 < cp932.size() && IsCp932LeadByte(static_cast<unsigned char>(cp932[pos])) &&
      IsCp932TrailByte(static_cast<unsigned char>(cp932[pos + 1])))
    return 2;
  return 1;
}

std::string Cp932ToUtf8(std::string_view cp932) {
  std::string out;
  out.reserve(cp932.size() + cp932.size() / 2);
  for (std::size_t i = 0; i < cp932.size();) {
    const auto byte = static_cast<unsigned char>(cp932[i]);
    if (byte < 0x80) {
      out.push_back(char(byte));
      ++i;
      continue;
    }
    char32_t ch;
    if (Cp932CharLength(cp932, i) == 2) {
      ch = DecodePair(byte, static_cast<unsigned char>(cp932[i + 1]));
      if (ch == 0) ch = kDefaultChar;
      i += 2;
    } else {
      ch = IsCp932LeadByte(byte) ? kDefaultChar : char32_t(kCp932Single[byte]);
      ++i;
    }
    AppendUtf8(out, ch);
  }
  return out;
}

std::string Utf8ToCp932(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const auto byte = static_cast<unsigned char>(utf8[i]);
    if (byte < 0x80) {
      out.push_back(char(byte));
      ++i;
      continue;
    }
    const Utf8Char decoded = DecodeUtf8(utf8, i);
    i += decoded.length;
    const int code = decoded.valid ? EncodeChar(decoded.ch) : -1;
    if (code < 0) {
      out.push_back('?');
    } else if (code > 0xFF) {
      out.push_back(char(code >> 8));
      out.push_back(char(code & 0xFF));
    } else {
      out.push_back(char(code));
    }
  }
  return out;
}

}  // namespace tolvarin

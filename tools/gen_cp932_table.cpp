// Writes src/base/cp932_table.inc: the code page 932 tables used by
// base/cp932.cpp. Run once on a glibc system (tools/gen_cp932_table.sh);
// the output is committed, so builds need no converter of their own.
//
// The byte -> character direction comes from glibc's "CP932" converter, plus
// the few single bytes Windows maps that glibc leaves out (0x80, 0xA0,
// 0xFD-0xFF). The character -> byte direction is the exact reverse of that
// table; where a character has several codes, Windows' choice is taken:
// JIS X 0208 row first, then NEC row 13 (0x87), then the IBM extensions
// (0xFA-0xFC), and the NEC-selected IBM extensions (0xED-0xEE) last.
// Best-fit guesses (U+00A5 -> 0x5C and the like) are deliberately absent.
#include <iconv.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

namespace {

bool IsLead(unsigned b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// The one character `bytes` decode to, or 0 when glibc rejects them.
std::uint32_t Decode(iconv_t cd, const unsigned char* bytes, size_t length) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char in[2] = {char(bytes[0]), char(length > 1 ? bytes[1] : 0)};
  unsigned char out[16];
  char* inPtr = in;
  char* outPtr = reinterpret_cast<char*>(out);
  size_t inLeft = length, outLeft = sizeof out;
  if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == size_t(-1) || inLeft != 0) return 0;
  if (sizeof out - outLeft != 4) return 0;
  return std::uint32_t(out[0]) | std::uint32_t(out[1]) << 8 | std::uint32_t(out[2]) << 16 |
         std::uint32_t(out[3]) << 24;
}

// What glibc's own encoder makes of `ch`, for the cross-check; 0 when nothing.
unsigned EncodeByGlibc(iconv_t cd, std::uint32_t ch) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  unsigned char in[4] = {static_cast<unsigned char>(ch), static_cast<unsigned char>(ch >> 8),
                         static_cast<unsigned char>(ch >> 16), static_cast<unsigned char>(ch >> 24)};
  unsigned char out[8];
  char* inPtr = reinterpret_cast<char*>(in);
  char* outPtr = reinterpret_cast<char*>(out);
  size_t inLeft = 4, outLeft = sizeof out;
  if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == size_t(-1)) return 0;
  size_t n = sizeof out - outLeft;
  return n == 1 ? out[0] : n == 2 ? unsigned(out[0]) << 8 | out[1] : 0;
}

int Rank(unsigned code) {
  if (code < 0x100) return 0;
  unsigned lead = code >> 8;
  if (lead == 0x87) return 2;
  if (lead >= 0xFA && lead <= 0xFC) return 3;
  if (lead == 0xED || lead == 0xEE) return 4;
  return 1;
}

void Fail(const char* what) {
  std::fprintf(stderr, "gen_cp932_table: %s\n", what);
  std::exit(1);
}

}  // namespace

int main() {
  iconv_t toUtf32 = iconv_open("UTF-32LE", "CP932");
  iconv_t fromUtf32 = iconv_open("CP932", "UTF-32LE");
  if (toUtf32 == iconv_t(-1) || fromUtf32 == iconv_t(-1)) Fail("no CP932 converter");

  std::uint16_t single[256];
  for (unsigned b = 0; b < 256; ++b) {
    if (IsLead(b)) {
      single[b] = 0xFFFF;
      continue;
    }
    unsigned char byte = static_cast<unsigned char>(b);
    std::uint32_t ch = Decode(toUtf32, &byte, 1);
    if (ch == 0 && b != 0) {
      // Windows maps these single bytes where glibc has nothing.
      if (b == 0x80) ch = 0x0080;
      else if (b == 0xA0) ch = 0xF8F0;
      else if (b >= 0xFD) ch = 0xF8F1 + (b - 0xFD);
      else Fail("unmapped single byte");
    }
    single[b] = static_cast<std::uint16_t>(ch);
  }

  std::vector<std::uint16_t> dbcs;  // 60 lead bytes x trail bytes 0x40..0xFC
  std::map<std::uint32_t, unsigned> encode;
  for (unsigned b = 0; b < 256; ++b)
    if (single[b] != 0xFFFF) encode[single[b]] = b;
  for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
    if (!IsLead(lead)) continue;
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
      std::uint32_t ch = 0;
      if (trail != 0x7F) {
        unsigned char bytes[2] = {static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)};
        ch = Decode(toUtf32, bytes, 2);
        // The user-defined area, in case the converter leaves it out.
        if (ch == 0 && lead >= 0xF0 && lead <= 0xF9)
          ch = 0xE000 + (lead - 0xF0) * 188 + (trail - 0x40) - (trail > 0x7F ? 1 : 0);
      }
      if (ch > 0xFFFF) Fail("character outside the BMP");
      dbcs.push_back(static_cast<std::uint16_t>(ch));
      if (ch == 0) continue;
      unsigned code = lead << 8 | trail;
      auto it = encode.find(ch);
      if (it == encode.end() || Rank(code) < Rank(it->second)) encode[ch] = code;
    }
  }

  // Fixed points of the Microsoft table that a JIS-flavoured converter gets wrong.
  struct Anchor { unsigned code; std::uint32_t ch; };
  const Anchor anchors[] = {{0x5C, 0x5C},       {0x7E, 0x7E},       {0x815F, 0xFF3C},
                            {0x8160, 0xFF5E},   {0x8161, 0x2225},   {0x817C, 0xFF0D},
                            {0x815C, 0x2015},   {0x8191, 0xFFE0},   {0x81CA, 0xFFE2},
                            {0x8754, 0x2160},   {0xED40, 0x7E8A},   {0xFA40, 0x2170},
                            {0xF040, 0xE000},   {0xF9FC, 0xE757},   {0xA1, 0xFF61}};
  for (const Anchor& a : anchors) {
    std::uint32_t got = a.code < 0x100 ? single[a.code]
                                       : dbcs[(a.code >> 8 <= 0x9F ? (a.code >> 8) - 0x81 : (a.code >> 8) - 0xE0 + 31) * 189 +
                                              (a.code & 0xFF) - 0x40];
    if (got != a.ch) Fail("converter is not the Windows code page 932");
  }

  int disagreements = 0;
  for (auto& [ch, code] : encode) {
    unsigned glibc = EncodeByGlibc(fromUtf32, ch);
    if (glibc != 0 && glibc != code) {
      std::fprintf(stderr, "note: U+%04X -> %X here, glibc says %X\n", unsigned(ch), code, glibc);
      ++disagreements;
    }
  }
  std::fprintf(stderr, "%zu characters, %d disagreements with glibc's encoder\n", encode.size(),
               disagreements);

  std::printf("// Generated by tools/gen_cp932_table.cpp; do not edit by hand.\n");
  std::printf("// Code page 932 as Windows has it, in both directions.\n\n");
  std::printf("// Single bytes; 0xFFFF marks a lead byte.\n");
  std::printf("static constexpr std::uint16_t kCp932Single[256] = {");
  for (unsigned b = 0; b < 256; ++b) std::printf("%s0x%04X,", b % 8 ? " " : "\n    ", single[b]);
  std::printf("\n};\n\n");
  std::printf("// Double bytes: 60 lead bytes (0x81-0x9F, 0xE0-0xFC) x 189 trail bytes\n");
  std::printf("// (0x40-0xFC); 0 where no character is assigned.\n");
  std::printf("static constexpr std::uint16_t kCp932Double[60 * 189] = {");
  for (size_t i = 0; i < dbcs.size(); ++i) std::printf("%s0x%04X,", i % 9 ? " " : "\n    ", dbcs[i]);
  std::printf("\n};\n\n");
  std::printf("// Character << 16 | code, sorted by character, one code per character.\n");
  std::printf("static constexpr std::uint32_t kCp932Encode[%zu] = {", encode.size());
  size_t i = 0;
  for (auto& [ch, code] : encode)
    std::printf("%s0x%08X,", i++ % 6 ? " " : "\n    ", unsigned(ch << 16 | code));
  std::printf("\n};\n");
  return 0;
}

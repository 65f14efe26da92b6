#include "platform/win32/dxbc_checksum.h"

#include <cstring>

namespace tolvarin {

namespace {

constexpr std::size_t kHashedFrom = 20;  // "DXBC", the checksum itself, the version

std::uint32_t Rotate(std::uint32_t v, int s) { return (v << s) | (v >> (32 - s)); }

// One MD5 block (RFC 1321), words little-endian.
void Md5Block(std::uint32_t state[4], const std::uint32_t w[16]) {
  static constexpr int kShift[64] = {7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,
                                     5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,
                                     4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
                                     6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21};
  static const std::uint32_t* constants = [] {
    static std::uint32_t k[64];
    // floor(|sin(i + 1)| * 2^32), as tabulated in the RFC.
    static constexpr std::uint32_t kTable[64] = {
        0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
        0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
        0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
        0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
        0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
        0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
        0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
        0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};
    std::memcpy(k, kTable, sizeof k);
    return k;
  }();
  std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
  for (int i = 0; i < 64; ++i) {
    std::uint32_t f;
    int g;
    if (i < 16) f = (b & c) | (~b & d), g = i;
    else if (i < 32) f = (d & b) | (~d & c), g = (5 * i + 1) % 16;
    else if (i < 48) f = b ^ c ^ d, g = (3 * i + 5) % 16;
    else f = c ^ (b | ~d), g = (7 * i) % 16;
    const std::uint32_t next = d;
    d = c;
    c = b;
    b = b + Rotate(a + f + constants[i] + w[g], kShift[i]);
    a = next;
  }
  state[0] += a, state[1] += b, state[2] += c, state[3] += d;
}

void Words(const unsigned char* bytes, std::uint32_t w[16]) {
  for (int i = 0; i < 16; ++i)
    w[i] = std::uint32_t(bytes[4 * i]) | std::uint32_t(bytes[4 * i + 1]) << 8 |
           std::uint32_t(bytes[4 * i + 2]) << 16 | std::uint32_t(bytes[4 * i + 3]) << 24;
}

std::uint32_t ReadWord(const unsigned char* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

}  // namespace

std::array<std::uint32_t, 4> DxbcChecksum(const unsigned char* container, std::size_t size) {
  std::uint32_t state[4] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
  if (size < kHashedFrom) return {};
  const unsigned char* data = container + kHashedFrom;
  const std::size_t length = size - kHashedFrom;
  const std::uint32_t bits = std::uint32_t(length * 8);
  std::uint32_t w[16];
  std::size_t done = 0;
  for (; length - done >= 64; done += 64) {
    Words(data + done, w);
    Md5Block(state, w);
  }
  const std::size_t rest = length - done;
  unsigned char block[64] = {};
  if (rest >= 56) {
    // The tail and the end marker fill one block; the length goes into the next.
    std::memcpy(block, data + done, rest);
    block[rest] = 0x80;
    Words(block, w);
    Md5Block(state, w);
    std::uint32_t last[16] = {};
    last[0] = bits;
    last[15] = (bits >> 2) | 1;
    Md5Block(state, last);
  } else {
    // The length comes first, then the tail and the end marker.
    for (int i = 0; i < 4; ++i) block[i] = static_cast<unsigned char>(bits >> (8 * i));
    std::memcpy(block + 4, data + done, rest);
    block[4 + rest] = 0x80;
    Words(block, w);
    w[15] = (bits >> 2) | 1;
    Md5Block(state, w);
  }
  return {state[0], state[1], state[2], state[3]};
}

bool DxbcChecksumValid(const unsigned char* container, std::size_t size) {
  if (size < 32 || std::memcmp(container, "DXBC", 4) != 0) return false;
  if (ReadWord(container + 24) != size) return false;
  const auto sum = DxbcChecksum(container, size);
  for (int i = 0; i < 4; ++i)
    if (ReadWord(container + 4 + 4 * i) != sum[i]) return false;
  return true;
}

}  // namespace tolvarin

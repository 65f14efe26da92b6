#include "base/bmp.h"

namespace tolvarin {

namespace {

std::uint32_t Read32(const unsigned char* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}
std::uint16_t Read16(const unsigned char* p) { return std::uint16_t(p[0] | p[1] << 8); }

void Put32(std::vector<unsigned char>& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back((unsigned char)(value >> (8 * i)));
}
void Put16(std::vector<unsigned char>& out, std::uint16_t value) {
  out.push_back((unsigned char)value);
  out.push_back((unsigned char)(value >> 8));
}

constexpr std::size_t kFileHeader = 14;
constexpr std::int32_t kMaxSide = 8192;

}  // namespace

std::optional<Bitmap> DecodeBmp24(const unsigned char* bytes, std::size_t size) {
  if (bytes == nullptr || size < kFileHeader + 40 || bytes[0] != 'B' || bytes[1] != 'M') return std::nullopt;
  const std::uint32_t offset = Read32(bytes + 10);
  const std::uint32_t infoSize = Read32(bytes + 14);
  if (infoSize < 40 || kFileHeader + infoSize > size) return std::nullopt;
  const std::int32_t width = std::int32_t(Read32(bytes + 18));
  const std::int32_t rawHeight = std::int32_t(Read32(bytes + 22));
  if (Read16(bytes + 26) != 1 || Read16(bytes + 28) != 24 || Read32(bytes + 30) != 0) return std::nullopt;
  if (width <= 0 || width > kMaxSide || rawHeight == 0 || rawHeight < -kMaxSide || rawHeight > kMaxSide)
    return std::nullopt;
  const bool topDown = rawHeight < 0;
  const std::int32_t height = topDown ? -rawHeight : rawHeight;
  const std::size_t stride = (std::size_t(width) * 3 + 3) / 4 * 4;
  if (offset > size || size - offset < stride * std::size_t(height)) return std::nullopt;
  Bitmap picture(width, height);
  for (std::int32_t row = 0; row < height; ++row) {
    const unsigned char* p = bytes + offset + stride * std::size_t(row);
    const std::int32_t y = topDown ? row : height - 1 - row;
    for (std::int32_t x = 0; x < width; ++x, p += 3)
      picture.at(x, y) = std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
  }
  return picture;
}

std::vector<unsigned char> EncodeBmp24(const Bitmap& picture) {
  const std::size_t stride = (std::size_t(picture.width) * 3 + 3) / 4 * 4;
  const std::uint32_t imageSize = std::uint32_t(stride * std::size_t(picture.height));
  std::vector<unsigned char> out;
  out.reserve(54 + imageSize);
  out.push_back('B');
  out.push_back('M');
  Put32(out, 54 + imageSize);
  Put32(out, 0);
  Put32(out, 54);
  Put32(out, 40);
  Put32(out, std::uint32_t(picture.width));
  Put32(out, std::uint32_t(picture.height));
  Put16(out, 1);
  Put16(out, 24);
  Put32(out, 0);
  Put32(out, imageSize);
  Put32(out, 3780);  // 96 dots per inch, in dots per metre
  Put32(out, 3780);
  Put32(out, 0);
  Put32(out, 0);
  for (std::int32_t y = picture.height - 1; y >= 0; --y) {
    const std::size_t start = out.size();
    for (std::int32_t x = 0; x < picture.width; ++x) {
      const std::uint32_t pixel = picture.at(x, y);
      out.push_back((unsigned char)pixel);
      out.push_back((unsigned char)(pixel >> 8));
      out.push_back((unsigned char)(pixel >> 16));
    }
    out.resize(start + stride, 0);
  }
  return out;
}

}  // namespace tolvarin

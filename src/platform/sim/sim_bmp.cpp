// Uncompressed 24-bit and 32-bit BMP pictures for the simulated platform's
// embedded pictures (on Windows the system's picture loader reads them).
#include <cstdint>

#include "platform/sim/sim_pictures.h"

namespace tolvarin::sim {

namespace {

std::uint32_t Read32(const unsigned char* p) {
  return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
}
std::uint16_t Read16(const unsigned char* p) { return std::uint16_t(p[0] | (p[1] << 8)); }

constexpr std::int32_t kMaxSide = 8192;

}  // namespace

std::optional<Bitmap> SimPictures::DecodeBmp(const unsigned char* bytes, std::size_t size) {
  if (bytes == nullptr || size < 54 || bytes[0] != 'B' || bytes[1] != 'M') return std::nullopt;
  const std::uint32_t offset = Read32(bytes + 10);
  const std::uint32_t headerSize = Read32(bytes + 14);
  const std::int32_t width = std::int32_t(Read32(bytes + 18));
  const std::int32_t rawHeight = std::int32_t(Read32(bytes + 22));
  const std::uint16_t bits = Read16(bytes + 28);
  const std::uint32_t compression = Read32(bytes + 30);
  if (headerSize < 40 || compression != 0 || (bits != 24 && bits != 32)) return std::nullopt;
  const bool bottomUp = rawHeight > 0;
  const std::int32_t height = bottomUp ? rawHeight : -rawHeight;
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return std::nullopt;
  const std::size_t bytesPerPixel = bits / 8;
  const std::size_t rowBytes = (std::size_t(width) * bytesPerPixel + 3) / 4 * 4;
  if (offset > size || rowBytes * std::size_t(height) > size - offset) return std::nullopt;
  Bitmap picture(width, height);
  for (std::int32_t y = 0; y < height; ++y) {
    const unsigned char* row = bytes + offset + rowBytes * std::size_t(bottomUp ? height - 1 - y : y);
    for (std::int32_t x = 0; x < width; ++x) {
      const unsigned char* bgr = row + std::size_t(x) * bytesPerPixel;
      picture.at(x, y) = (std::uint32_t(bgr[2]) << 16) | (std::uint32_t(bgr[1]) << 8) | bgr[0];
    }
  }
  return picture;
}

}  // namespace tolvarin::sim

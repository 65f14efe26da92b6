// Draws the six state pictures of the button control: each a small whole
// button of 64 x 25 pixels whose outer 4-pixel ring carries its look, and
// writes them as 24-bit uncompressed BMP files (4,854 bytes each).
//
//   normal           dark-blue rounded frame, no glow
//   highlight        dark-blue frame with an amber inner glow
//   highlightselect  the same picture as highlight
//   selected         dark-blue frame with a light-blue inner glow
//   pressed          dark-blue frame with a sunken grey inner edge
//   disable          plain grey frame
//
// Only integers and fixed colours: the files are the same byte for byte on
// every run.
//
// Usage: make_button_pictures FOLDER          writes the six files
//        make_button_pictures --check FOLDER  exits 1 unless the files match
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/bmp.h"

namespace {

using tolvarin::Bitmap;

constexpr int kWidth = 64;
constexpr int kHeight = 25;

constexpr std::uint32_t kOutside = 0xF0F0F0;   // what the rounded corners show around the frame
constexpr std::uint32_t kDarkBlue = 0x1C3A78;
constexpr std::uint32_t kFrameInner = 0x4A6AA8;
constexpr std::uint32_t kGreyFrame = 0x9C9C9C;
constexpr std::uint32_t kGreyInner = 0xBDBDBD;

struct Look {
  const char* file;
  std::uint32_t frame;      // ring 0
  std::uint32_t frameInner; // ring 1
  std::uint32_t ring2Top, ring2Bottom;  // ring 2: top and left / bottom and right
  std::uint32_t ring3Top, ring3Bottom;  // ring 3
  std::uint32_t faceTop, faceBottom;    // the centre, never shown
};

constexpr Look kLooks[] = {
    {"normal.bmp", kDarkBlue, kFrameInner, 0xFFFFFF, 0xD8D7E6, 0xF7F7FA, 0xCFCEDF, 0xFFFFFF, 0xC6C5D7},
    {"highlight.bmp", kDarkBlue, kFrameInner, 0xF6B23A, 0xF6B23A, 0xFBD68C, 0xFBD68C, 0xFFFFFF, 0xC6C5D7},
    {"highlightselect.bmp", kDarkBlue, kFrameInner, 0xF6B23A, 0xF6B23A, 0xFBD68C, 0xFBD68C, 0xFFFFFF, 0xC6C5D7},
    {"selected.bmp", kDarkBlue, kFrameInner, 0x5EA8EC, 0x5EA8EC, 0xA9D2F7, 0xA9D2F7, 0xFFFFFF, 0xC6C5D7},
    {"pressed.bmp", kDarkBlue, kFrameInner, 0x7C7C7C, 0xE4E4E4, 0xA8A8A8, 0xD6D6D6, 0xC6C5D7, 0xFFFFFF},
    {"disable.bmp", kGreyFrame, kGreyInner, 0xE6E6E6, 0xDCDCDC, 0xEDEDED, 0xE3E3E3, 0xEFEFEF, 0xE0E0E0},
};

std::uint32_t Mix(std::uint32_t a, std::uint32_t b, int weightB, int total) {
  std::uint32_t out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const int ca = int((a >> shift) & 0xFF), cb = int((b >> shift) & 0xFF);
    out |= std::uint32_t((ca * (total - weightB) + cb * weightB + total / 2) / total) << shift;
  }
  return out;
}

Bitmap Draw(const Look& look) {
  Bitmap picture(kWidth, kHeight);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const int dx = x < kWidth - 1 - x ? x : kWidth - 1 - x;
      const int dy = y < kHeight - 1 - y ? y : kHeight - 1 - y;
      const int ring = dx < dy ? dx : dy;
      // Top and left halves of a ring take its first colour, bottom and right the second.
      const bool upper = (dy == ring && y < kHeight / 2) || (dx == ring && x < kWidth / 2 && dy != ring);
      std::uint32_t pixel;
      if (ring == 0)
        pixel = look.frame;
      else if (ring == 1)
        pixel = look.frameInner;
      else if (ring == 2)
        pixel = upper ? look.ring2Top : look.ring2Bottom;
      else if (ring == 3)
        pixel = upper ? look.ring3Top : look.ring3Bottom;
      else
        pixel = Mix(look.faceTop, look.faceBottom, y - 4, kHeight - 9);
      // Rounded corners: the corner pixel shows the outside, its two
      // neighbours are half frame, and the frame turns in at the diagonal.
      if (dx + dy == 0) pixel = kOutside;
      else if (dx + dy == 1) pixel = Mix(look.frame, kOutside, 1, 2);
      else if (dx == 1 && dy == 1) pixel = look.frame;
      else if (dx + dy == 2) pixel = look.frameInner;
      picture.at(x, y) = pixel;
    }
  }
  return picture;
}

std::vector<unsigned char> ReadFile(const std::string& path) {
  std::vector<unsigned char> bytes;
  if (FILE* file = std::fopen(path.c_str(), "rb")) {
    unsigned char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(file);
  }
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  const bool check = argc == 3 && std::strcmp(argv[1], "--check") == 0;
  if (!(argc == 2 || check)) {
    std::fprintf(stderr, "usage: make_button_pictures [--check] FOLDER\n");
    return 2;
  }
  const std::string folder = argv[argc - 1];
  int mismatches = 0;
  for (const Look& look : kLooks) {
    const std::vector<unsigned char> bytes = tolvarin::EncodeBmp24(Draw(look));
    const std::string path = folder + "/" + look.file;
    if (check) {
      if (ReadFile(path) != bytes) {
        std::fprintf(stderr, "%s differs from what the generator draws\n", path.c_str());
        ++mismatches;
      }
      continue;
    }
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
    std::fclose(file);
  }
  return mismatches == 0 ? 0 : 1;
}

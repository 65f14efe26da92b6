// Draws the settings dialog's pictures and writes them into one folder:
//   tolvarin.ico   window icon, 32 x 32, 256 colours (a screen breaking into shards)
//   tile.bmp       panel tile, 556 x 20, 24 bits: light paper that tiles without seams
//   mark_off.jpg   unselected mark, 12 x 12: an empty round box
//   mark_on.jpg    selected mark, 12 x 12: the same box with a blue dot
//   link.cur       link pointer, 32 x 32, two colours, hot spot (12, 10): a pointing hand
//
// Everything is computed with integers and fixed tables, so every run writes
// the same bytes.
//
// Usage: make_dialog_pictures OUTPUT_FOLDER
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Rgb {
  int r, g, b;
};

void Put16(Bytes& out, unsigned value) {
  out.push_back(std::uint8_t(value & 0xFF));
  out.push_back(std::uint8_t((value >> 8) & 0xFF));
}
void Put32(Bytes& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

bool WriteFile(const std::string& path, const Bytes& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

int Clamp(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

// A fixed integer hash: the noise of the tile comes from it, not from a
// random number generator.
std::uint32_t Hash(std::uint32_t x, std::uint32_t y, std::uint32_t seed) {
  std::uint32_t h = x * 0x9E3779B1u ^ (y + seed) * 0x85EBCA77u;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  h *= 0x297A2D39u;
  h ^= h >> 15;
  return h;
}

// Value noise on a lattice of cell x cell pixels that repeats every
// periodX x periodY pixels (both multiples of the cell), in 0..255.
int PeriodicNoise(int x, int y, int cell, int periodX, int periodY, std::uint32_t seed) {
  const int columns = periodX / cell, rows = periodY / cell;
  const int cx = x / cell, cy = y / cell, fx = x % cell, fy = y % cell;
  auto at = [&](int i, int j) {
    return int(Hash(std::uint32_t(i % columns), std::uint32_t(j % rows), seed) & 0xFF);
  };
  const int top = at(cx, cy) * (cell - fx) + at(cx + 1, cy) * fx;
  const int bottom = at(cx, cy + 1) * (cell - fx) + at(cx + 1, cy + 1) * fx;
  return (top * (cell - fy) + bottom * fy) / (cell * cell);
}

// ---- Tile: 556 x 20, 24-bit BMP -------------------------------------------

constexpr int kTileWidth = 556, kTileHeight = 20;
constexpr Rgb kPaper{230, 233, 240};

// Light blue-grey paper with soft fibres. The noise repeats with the tile's
// own size, so tiles laid side by side or one below the other meet without
// a seam; the contrast stays low so black text on it reads well.
Rgb TilePixel(int x, int y) {
  const int coarse = PeriodicNoise(x, y, 4, kTileWidth, kTileHeight, 1) - 128;
  const int fine = PeriodicNoise(x, y, 2, kTileWidth, kTileHeight, 2) - 128;
  // Fibres: a soft diagonal ripple; one step of x or y moves its phase by a
  // whole number of periods over the tile's width (3 x 556) and height (139 x 20).
  const int phase = (x * 3 + y * 139) % 278;
  const int ripple = (phase < 139 ? phase : 278 - phase) * 4 / 139 - 2;
  const int shade = coarse * 9 / 128 + fine * 4 / 128 + ripple;
  return {Clamp(kPaper.r + shade), Clamp(kPaper.g + shade), Clamp(kPaper.b + shade - shade / 4)};
}

Bytes Tile() {
  const int rowBytes = (kTileWidth * 3 + 3) / 4 * 4;
  const std::uint32_t imageBytes = std::uint32_t(rowBytes * kTileHeight);
  Bytes out;
  out.push_back('B');
  out.push_back('M');
  Put32(out, 14 + 40 + imageBytes);
  Put32(out, 0);
  Put32(out, 14 + 40);
  Put32(out, 40);
  Put32(out, kTileWidth);
  Put32(out, kTileHeight);  // bottom-up
  Put16(out, 1);
  Put16(out, 24);
  Put32(out, 0);  // BI_RGB
  Put32(out, imageBytes);
  Put32(out, 3780);  // 96 dots per inch
  Put32(out, 3780);
  Put32(out, 0);
  Put32(out, 0);
  for (int y = kTileHeight - 1; y >= 0; --y) {
    for (int x = 0; x < kTileWidth; ++x) {
      const Rgb c = TilePixel(x, y);
      out.push_back(std::uint8_t(c.b));
      out.push_back(std::uint8_t(c.g));
      out.push_back(std::uint8_t(c.r));
    }
    for (int pad = kTileWidth * 3; pad < rowBytes; ++pad) out.push_back(0);
  }
  return out;
}

// ---- Marks: 12 x 12 JPEG --------------------------------------------------

// A round box: ring, white inside and, when selected, a blue dot. Each pixel
// averages 4 x 4 samples; distances are in eighths of a pixel from the centre.
Bytes MarkPixels(bool selected) {
  Bytes rgb;
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 12; ++x) {
      int sum[3] = {0, 0, 0};
      for (int j = 0; j < 4; ++j) {
        for (int i = 0; i < 4; ++i) {
          const int dx = 8 * x + 2 * i + 1 - 48, dy = 8 * y + 2 * j + 1 - 48;
          const int d2 = dx * dx + dy * dy;
          Rgb c = kPaper;
          if (d2 <= 44 * 44) c = {72, 84, 112};                  // ring
          if (d2 <= 35 * 35) c = {252, 252, 255};                // inside
          if (selected && d2 <= 21 * 21) c = {24, 60, 170};      // dot
          if (selected && d2 <= 8 * 8 && dx < 0 && dy < 0) c = {90, 130, 230};  // its light
          sum[0] += c.r, sum[1] += c.g, sum[2] += c.b;
        }
      }
      for (int k = 0; k < 3; ++k) rgb.push_back(std::uint8_t((sum[k] + 8) / 16));
    }
  }
  return rgb;
}

bool WriteJpeg(const std::string& path, const Bytes& rgb, int width, int height) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  jpeg_compress_struct cinfo;
  jpeg_error_mgr error;
  cinfo.err = jpeg_std_error(&error);
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, file);
  cinfo.image_width = JDIMENSION(width);
  cinfo.image_height = JDIMENSION(height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);  // baseline, JFIF marker
  jpeg_set_quality(&cinfo, 95, TRUE);
  // Full colour resolution: at 12 pixels a halved chroma would smear the dot.
  for (int c = 0; c < cinfo.num_components; ++c)
    cinfo.comp_info[c].h_samp_factor = cinfo.comp_info[c].v_samp_factor = 1;
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(&rgb[std::size_t(cinfo.next_scanline) * std::size_t(width) * 3]);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return std::fclose(file) == 0;
}

// ---- Icon: 32 x 32, 256 colours -------------------------------------------

// Palette: a 6 x 6 x 6 colour cube, then 40 greys.
Rgb PaletteColour(int index) {
  if (index < 216) return {index / 36 * 51, index / 6 % 6 * 51, index % 6 * 51};
  const int grey = (index - 216) * 255 / 39;
  return {grey, grey, grey};
}

int NearestPaletteIndex(Rgb c) {
  int best = 0, bestDistance = 1 << 30;
  for (int i = 0; i < 256; ++i) {
    const Rgb p = PaletteColour(i);
    const int d = (p.r - c.r) * (p.r - c.r) + (p.g - c.g) * (p.g - c.g) + (p.b - c.b) * (p.b - c.b);
    if (d < bestDistance) best = i, bestDistance = d;
  }
  return best;
}

// Side of the line a -> b that p lies on.
int Side(int ax, int ay, int bx, int by, int px, int py) {
  return (bx - ax) * (py - ay) - (by - ay) * (px - ax);
}

// A monitor whose screen breaks into shards around one point, the effect the
// saver shows. nullopt-like: `inside` false where the icon is transparent.
Rgb IconPixel(int x, int y, bool& inside) {
  inside = true;
  if (x >= 2 && x <= 29 && y >= 3 && y <= 23) {
    if (x == 2 || x == 29 || y == 3 || y == 23) return {16, 16, 24};
    if (x < 4 || x > 27 || y < 5 || y > 21) return {96, 100, 116};
    // Screen: shards between rays from (17, 12); each shard its own blue.
    const int rays[6][2] = {{4, 5}, {14, 5}, {27, 7}, {27, 19}, {19, 21}, {4, 17}};
    int shard = 0;
    for (int r = 0; r < 6; ++r) {
      const int* a = rays[r];
      const int* b = rays[(r + 1) % 6];
      if (Side(17, 12, a[0], a[1], x, y) >= 0 && Side(17, 12, b[0], b[1], x, y) < 0) shard = r;
    }
    for (const auto& ray : rays) {
      // A crack: the pixel lies on the segment from the centre to a ray's end.
      const int s = Side(17, 12, ray[0], ray[1], x, y);
      const int length = (ray[0] - 17) * (ray[0] - 17) + (ray[1] - 12) * (ray[1] - 12);
      const int along = (x - 17) * (ray[0] - 17) + (y - 12) * (ray[1] - 12);
      if (s * s * 4 <= length && along >= 0 && along <= length) return {236, 244, 255};
    }
    const int lift = (21 - y) * 4;
    const Rgb shards[6] = {{40, 90, 200}, {70, 140, 230}, {30, 70, 170},
                           {60, 120, 220}, {20, 50, 140}, {50, 110, 210}};
    const Rgb c = shards[shard];
    return {Clamp(c.r + lift / 2), Clamp(c.g + lift), Clamp(c.b + lift)};
  }
  if (x >= 13 && x <= 18 && y >= 24 && y <= 26) return {80, 84, 96};
  if (x >= 8 && x <= 23 && y >= 27 && y <= 28) return (y == 28 ? Rgb{16, 16, 24} : Rgb{112, 116, 132});
  inside = false;
  return {0, 0, 0};
}

Bytes Icon() {
  Bytes image;
  Put32(image, 40);
  Put32(image, 32);
  Put32(image, 64);  // colour and mask, one above the other
  Put16(image, 1);
  Put16(image, 8);
  for (int i = 0; i < 6; ++i) Put32(image, 0);
  for (int i = 0; i < 256; ++i) {
    const Rgb c = PaletteColour(i);
    image.push_back(std::uint8_t(c.b));
    image.push_back(std::uint8_t(c.g));
    image.push_back(std::uint8_t(c.r));
    image.push_back(0);
  }
  Bytes mask;
  for (int y = 31; y >= 0; --y) {
    std::uint32_t maskRow = 0;
    for (int x = 0; x < 32; ++x) {
      bool inside = false;
      const Rgb c = IconPixel(x, y, inside);
      image.push_back(std::uint8_t(inside ? NearestPaletteIndex(c) : 0));
      if (!inside) maskRow |= 0x80000000u >> x;
    }
    for (int shift = 24; shift >= 0; shift -= 8) mask.push_back(std::uint8_t(maskRow >> shift));
  }
  image.insert(image.end(), mask.begin(), mask.end());

  Bytes out;
  Put16(out, 0);
  Put16(out, 1);  // icon
  Put16(out, 1);  // one image
  out.push_back(32);
  out.push_back(32);
  out.push_back(0);  // 256 colours
  out.push_back(0);
  Put16(out, 1);   // planes
  Put16(out, 8);   // bits per pixel
  Put32(out, std::uint32_t(image.size()));
  Put32(out, 6 + 16);
  out.insert(out.end(), image.begin(), image.end());
  return out;
}

// ---- Link pointer: 32 x 32, two colours, hot spot (12, 10) ------------------

// '#' black, '.' white, blank transparent. The fingertip's top is the hot spot.
const char* const kHand[32] = {
    "", "", "", "", "", "", "", "", "", "",
    "            ##",
    "           #..#",
    "           #..#",
    "           #..#",
    "           #..#",
    "           #..###",
    "           #..#..###",
    "           #..#..#..##",
    "        ## #..#..#..#.#",
    "       #..##........#.#",
    "       #...#..........#",
    "        #.............#",
    "        #.............#",
    "         #............#",
    "         #...........#",
    "          #..........#",
    "          #.........#",
    "           #........#",
    "           #........#",
    "           ##########",
    "", ""};

char HandAt(int x, int y) {
  const char* row = kHand[y];
  for (int i = 0; i <= x; ++i)
    if (row[i] == '\0') return ' ';
  return row[x];
}

Bytes Cursor() {
  Bytes image;
  Put32(image, 40);
  Put32(image, 32);
  Put32(image, 64);
  Put16(image, 1);
  Put16(image, 1);
  for (int i = 0; i < 6; ++i) Put32(image, 0);
  Put32(image, 0x00000000);  // black
  Put32(image, 0x00FFFFFF);  // white
  Bytes mask;
  for (int y = 31; y >= 0; --y) {
    std::uint32_t colourRow = 0, maskRow = 0;
    for (int x = 0; x < 32; ++x) {
      const char c = HandAt(x, y);
      if (c == '.') colourRow |= 0x80000000u >> x;
      if (c == ' ') maskRow |= 0x80000000u >> x;
    }
    for (int shift = 24; shift >= 0; shift -= 8) {
      image.push_back(std::uint8_t(colourRow >> shift));
      mask.push_back(std::uint8_t(maskRow >> shift));
    }
  }
  image.insert(image.end(), mask.begin(), mask.end());

  Bytes out;
  Put16(out, 0);
  Put16(out, 2);  // cursor
  Put16(out, 1);
  out.push_back(32);
  out.push_back(32);
  out.push_back(2);  // two colours
  out.push_back(0);
  Put16(out, 12);  // hot spot x
  Put16(out, 10);  // hot spot y
  Put32(out, std::uint32_t(image.size()));
  Put32(out, 6 + 16);
  out.insert(out.end(), image.begin(), image.end());
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
    return 2;
  }
  const std::string folder = std::string(argv[1]) + "/";
  bool ok = WriteFile(folder + "tile.bmp", Tile());
  ok = ok && WriteFile(folder + "tolvarin.ico", Icon());
  ok = ok && WriteFile(folder + "link.cur", Cursor());
  ok = ok && WriteJpeg(folder + "mark_off.jpg", MarkPixels(false), 12, 12);
  ok = ok && WriteJpeg(folder + "mark_on.jpg", MarkPixels(true), 12, 12);
  if (!ok) {
    std::fprintf(stderr, "could not write the pictures into %s\n", argv[1]);
    return 1;
  }
  return 0;
}

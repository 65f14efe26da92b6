// Draws the preview picture: a small desktop (wallpaper, icons, two windows, a
// taskbar) as the saver shows it a moment after it starts, that is with frame
// 40 of the fragment effect drawn by the real effect library, and writes it as
// a baseline JFIF JPEG of 152 x 112 pixels.
//
// The desktop is drawn at four times the size and the effect runs on that, as
// on a real screen; the result is then reduced by averaging 4 x 4 blocks.
// Everything is computed with integers and fixed tables: the output is the
// same byte for byte on every run.
//
// Usage: make_preview_picture OUTPUT.jpg
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

#include "r_vold_graphics.h"

namespace {

constexpr int kScale = 4;
constexpr int kWidth = 152;
constexpr int kHeight = 112;
constexpr int kEffectFrame = 40;
constexpr int kJpegQuality = 90;

struct Rgb {
  int r, g, b;
};

constexpr std::uint32_t Pixel(Rgb c) {
  return (std::uint32_t(c.r) << 16) | (std::uint32_t(c.g) << 8) | std::uint32_t(c.b);
}

Rgb Mix(Rgb a, Rgb b, int t, int range) {
  return {a.r + (b.r - a.r) * t / range, a.g + (b.g - a.g) * t / range,
          a.b + (b.b - a.b) * t / range};
}

// A canvas at the drawing scale; all coordinates below are in preview pixels
// (152 x 112) and multiplied here, except where a function says otherwise.
class Canvas {
 public:
  Canvas() : pixels_(std::size_t(W()) * std::size_t(H())) {}
  static constexpr int W() { return kWidth * kScale; }
  static constexpr int H() { return kHeight * kScale; }
  std::uint32_t* data() { return pixels_.data(); }
  const std::vector<std::uint32_t>& pixels() const { return pixels_; }

  // Fine coordinates (canvas pixels).
  void PutFine(int x, int y, Rgb c) {
    if (x >= 0 && y >= 0 && x < W() && y < H()) pixels_[std::size_t(y) * W() + x] = Pixel(c);
  }
  void FillFine(int x0, int y0, int x1, int y1, Rgb c) {
    for (int y = std::max(0, y0); y < std::min(H(), y1); ++y)
      for (int x = std::max(0, x0); x < std::min(W(), x1); ++x) pixels_[std::size_t(y) * W() + x] = Pixel(c);
  }

  void Fill(int x, int y, int w, int h, Rgb c) {
    FillFine(x * kScale, y * kScale, (x + w) * kScale, (y + h) * kScale, c);
  }
  // Horizontal gradient from `from` at the left to `to` at the right.
  void GradientH(int x, int y, int w, int h, Rgb from, Rgb to) {
    const int x0 = x * kScale, x1 = (x + w) * kScale;
    for (int fx = x0; fx < x1; ++fx)
      FillFine(fx, y * kScale, fx + 1, (y + h) * kScale, Mix(from, to, fx - x0, std::max(1, x1 - x0 - 1)));
  }
  // A 3D frame one fine pixel thick per ring, lit from the top left.
  void Bevel(int x, int y, int w, int h, bool raised) {
    const Rgb light{255, 255, 255}, face{192, 192, 192}, shadow{128, 128, 128}, dark{0, 0, 0};
    const Rgb outerTL = raised ? face : shadow, outerBR = raised ? dark : light;
    const Rgb innerTL = raised ? light : dark, innerBR = raised ? shadow : face;
    const int x0 = x * kScale, y0 = y * kScale, x1 = (x + w) * kScale, y1 = (y + h) * kScale;
    for (int ring = 0; ring < 2; ++ring) {
      const Rgb tl = ring == 0 ? outerTL : innerTL, br = ring == 0 ? outerBR : innerBR;
      const int a = x0 + ring * 2, b = y0 + ring * 2, c = x1 - ring * 2, d = y1 - ring * 2;
      FillFine(a, b, c, b + 2, tl);
      FillFine(a, b, a + 2, d, tl);
      FillFine(a, d - 2, c, d, br);
      FillFine(c - 2, b, c, d, br);
    }
  }
  // A filled disc, centre and radius in fine pixels.
  void DiscFine(int cx, int cy, int radius, Rgb c) {
    for (int y = cy - radius; y <= cy + radius; ++y)
      for (int x = cx - radius; x <= cx + radius; ++x)
        if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius) PutFine(x, y, c);
  }

 private:
  std::vector<std::uint32_t> pixels_;
};

// A rough wave for the wallpaper, from a quarter-period table (no floating point).
int Wave(int phase) {
  static const int quarter[17] = {0,  12, 25, 37, 49, 60, 71, 81, 90,
                                  98, 106, 112, 117, 122, 125, 127, 128};
  phase &= 63;
  if (phase < 16) return quarter[phase];
  if (phase < 32) return quarter[32 - phase];
  if (phase < 48) return -quarter[phase - 32];
  return -quarter[64 - phase];
}

void DrawWallpaper(Canvas& c) {
  const Rgb top{16, 56, 112}, bottom{0, 128, 128}, band{72, 168, 184};
  for (int y = 0; y < Canvas::H(); ++y) {
    for (int x = 0; x < Canvas::W(); ++x) {
      Rgb base = Mix(top, bottom, y, Canvas::H() - 1);
      // Soft diagonal bands of light across the sky.
      const int crest = Canvas::H() / 2 + Wave(x / 10) * 40 / 128 - x / 6;
      const int distance = std::abs(y - crest);
      if (distance < 60) base = Mix(band, base, distance, 60);
      c.PutFine(x, y, base);
    }
  }
}

// Desktop icons: 10 x 10 preview pixels, a label bar under each.
void DrawComputerIcon(Canvas& c, int x, int y) {
  c.Fill(x + 1, y, 8, 7, {192, 192, 192});
  c.Fill(x + 2, y + 1, 6, 5, {0, 0, 168});
  c.Fill(x + 3, y + 2, 2, 1, {96, 160, 255});
  c.Fill(x + 3, y + 7, 4, 1, {128, 128, 128});
  c.Fill(x, y + 8, 10, 2, {192, 192, 192});
}

void DrawFolderIcon(Canvas& c, int x, int y) {
  c.Fill(x, y + 1, 4, 2, {224, 176, 32});
  c.Fill(x, y + 2, 10, 8, {248, 216, 72});
  c.Fill(x, y + 9, 10, 1, {176, 128, 0});
}

void DrawDocumentIcon(Canvas& c, int x, int y) {
  c.Fill(x + 1, y, 7, 10, {255, 255, 255});
  c.Fill(x + 6, y, 2, 2, {160, 160, 160});
  for (int line = 0; line < 4; ++line) c.Fill(x + 2, y + 3 + line * 2, 5, 1, {0, 0, 128});
}

void DrawBinIcon(Canvas& c, int x, int y) {
  c.Fill(x + 1, y, 8, 2, {160, 160, 160});
  c.Fill(x + 2, y + 2, 6, 8, {208, 208, 208});
  for (int slot = 0; slot < 3; ++slot) c.Fill(x + 3 + slot * 2, y + 3, 1, 6, {128, 128, 128});
}

void DrawIconLabel(Canvas& c, int x, int y, int width) {
  c.Fill(x, y, width, 2, {255, 255, 255});
}

// A window frame with a caption bar; returns nothing, the caller fills the body.
void DrawWindowFrame(Canvas& c, int x, int y, int w, int h, bool active) {
  c.Fill(x, y, w, h, {192, 192, 192});
  c.Bevel(x, y, w, h, true);
  const Rgb from = active ? Rgb{0, 0, 128} : Rgb{128, 128, 128};
  const Rgb to = active ? Rgb{16, 132, 208} : Rgb{192, 192, 192};
  c.GradientH(x + 1, y + 1, w - 2, 5, from, to);
  // The caption text, as a bar of the caption's text colour.
  c.Fill(x + 3, y + 2, w / 3, 3, active ? Rgb{255, 255, 255} : Rgb{212, 208, 200});
  for (int button = 0; button < 3; ++button) {
    const int bx = x + w - 5 - button * 4 - (button > 0 ? 1 : 0);
    c.Fill(bx, y + 2, 3, 3, {192, 192, 192});
    c.Bevel(bx, y + 2, 3, 3, true);
  }
}

// Text lines in a white document area.
void DrawTextLines(Canvas& c, int x, int y, int w, int h) {
  c.Fill(x, y, w, h, {255, 255, 255});
  c.Bevel(x, y, w, h, false);
  for (int line = 0; y + 3 + line * 3 < y + h - 2; ++line) {
    const int length = (w - 6) - ((line * 7) % 5) * 4 - (line % 4 == 3 ? (w - 6) / 2 : 0);
    c.Fill(x + 3, y + 3 + line * 3, std::max(4, length), 1, {64, 64, 64});
  }
}

// A landscape in an image viewer: sky, sun, hills and a lake.
void DrawLandscape(Canvas& c, int x, int y, int w, int h) {
  const int x0 = x * kScale, y0 = y * kScale, x1 = (x + w) * kScale, y1 = (y + h) * kScale;
  for (int fy = y0; fy < y1; ++fy) {
    const Rgb sky = Mix({40, 96, 216}, {176, 216, 248}, fy - y0, y1 - y0);
    c.FillFine(x0, fy, x1, fy + 1, sky);
  }
  c.DiscFine(x0 + (x1 - x0) * 3 / 4, y0 + (y1 - y0) / 4, 6 * kScale, {255, 224, 64});
  for (int fx = x0; fx < x1; ++fx) {
    const int far = y0 + (y1 - y0) / 2 + Wave((fx - x0) / 6 + 8) * (4 * kScale) / 128;
    c.FillFine(fx, far, fx + 1, y1, {72, 128, 88});
    const int near = y0 + (y1 - y0) * 2 / 3 + Wave((fx - x0) / 4 + 40) * (3 * kScale) / 128;
    c.FillFine(fx, near, fx + 1, y1, {40, 152, 56});
  }
  c.FillFine(x0 + (x1 - x0) / 6, y1 - (y1 - y0) / 6, x0 + (x1 - x0) / 2, y1 - 2 * kScale, {64, 120, 200});
}

void DrawTaskbar(Canvas& c) {
  const int top = kHeight - 9;
  c.Fill(0, top, kWidth, 9, {192, 192, 192});
  c.FillFine(0, top * kScale + 2, Canvas::W(), top * kScale + 4, {255, 255, 255});
  // Start button with its logo and label.
  c.Bevel(1, top + 1, 22, 7, true);
  c.Fill(3, top + 3, 2, 1, {255, 0, 0});
  c.Fill(5, top + 3, 2, 1, {0, 176, 0});
  c.Fill(3, top + 4, 2, 1, {0, 0, 255});
  c.Fill(5, top + 4, 2, 1, {255, 208, 0});
  c.Fill(9, top + 3, 11, 2, {0, 0, 0});
  // A button for each window, the active one pressed.
  c.Bevel(25, top + 1, 30, 7, false);
  c.Fill(27, top + 3, 20, 2, {0, 0, 0});
  c.Bevel(57, top + 1, 30, 7, true);
  c.Fill(59, top + 3, 20, 2, {0, 0, 0});
  // The clock.
  c.Bevel(kWidth - 22, top + 1, 21, 7, false);
  c.Fill(kWidth - 17, top + 3, 11, 2, {0, 0, 0});
}

void DrawDesktop(Canvas& c) {
  DrawWallpaper(c);

  DrawComputerIcon(c, 5, 4);
  DrawIconLabel(c, 3, 15, 14);
  DrawFolderIcon(c, 5, 22);
  DrawIconLabel(c, 4, 33, 12);
  DrawDocumentIcon(c, 5, 40);
  DrawIconLabel(c, 2, 51, 16);
  DrawBinIcon(c, 5, 58);
  DrawIconLabel(c, 3, 69, 14);

  // A text editor behind, inactive.
  DrawWindowFrame(c, 28, 7, 74, 56, false);
  c.Fill(30, 14, 70, 3, {192, 192, 192});
  for (int item = 0; item < 4; ++item) c.Fill(31 + item * 9, 15, 6, 1, {0, 0, 0});
  DrawTextLines(c, 30, 18, 70, 43);

  // An image viewer in front, active.
  DrawWindowFrame(c, 62, 30, 84, 68, true);
  c.Fill(64, 37, 80, 3, {192, 192, 192});
  for (int item = 0; item < 5; ++item) c.Fill(65 + item * 9, 38, 6, 1, {0, 0, 0});
  DrawLandscape(c, 64, 41, 80, 54);
  DrawTextLines(c, 64, 95, 80, 1);

  DrawTaskbar(c);
}

// Averages each kScale x kScale block, rounding to nearest.
std::vector<std::uint8_t> Reduce(const std::vector<std::uint32_t>& fine) {
  std::vector<std::uint8_t> rgb(std::size_t(kWidth) * kHeight * 3);
  const int area = kScale * kScale;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      int sum[3] = {0, 0, 0};
      for (int dy = 0; dy < kScale; ++dy) {
        for (int dx = 0; dx < kScale; ++dx) {
          const std::uint32_t p = fine[std::size_t(y * kScale + dy) * Canvas::W() + std::size_t(x * kScale + dx)];
          sum[0] += (p >> 16) & 0xFF;
          sum[1] += (p >> 8) & 0xFF;
          sum[2] += p & 0xFF;
        }
      }
      for (int k = 0; k < 3; ++k)
        rgb[(std::size_t(y) * kWidth + x) * 3 + k] = std::uint8_t((sum[k] + area / 2) / area);
    }
  }
  return rgb;
}

bool WriteJpeg(const char* path, const std::vector<std::uint8_t>& rgb) {
  std::FILE* file = std::fopen(path, "wb");
  if (!file) return false;
  jpeg_compress_struct cinfo;
  jpeg_error_mgr error;
  cinfo.err = jpeg_std_error(&error);
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, file);
  cinfo.image_width = kWidth;
  cinfo.image_height = kHeight;
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);  // baseline, JFIF marker, 4:2:0
  jpeg_set_quality(&cinfo, kJpegQuality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(&rgb[std::size_t(cinfo.next_scanline) * kWidth * 3]);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return std::fclose(file) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT.jpg\n", argv[0]);
    return 2;
  }
  Canvas clean;
  DrawDesktop(clean);

  Canvas shown;
  GPX_Surface source{GPX_SURFACE_MAGIC, Canvas::W(), Canvas::H(), Canvas::W() * 4, clean.data()};
  GPX_Surface destination{GPX_SURFACE_MAGIC, Canvas::W(), Canvas::H(), Canvas::W() * 4, shown.data()};
  std::int32_t result = 0;
  GPX_Fragment(&destination, &source, kEffectFrame, &result);
  if (result != 1) {
    std::fprintf(stderr, "GPX_Fragment failed\n");
    return 1;
  }

  if (!WriteJpeg(argv[1], Reduce(shown.pixels()))) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}

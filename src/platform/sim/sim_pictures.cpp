#include "platform/sim/sim_pictures.h"

#include "base/bmp.h"

#include <cstdint>

#ifndef TOLVARIN_SIM_JPEG
#define TOLVARIN_SIM_JPEG 0
#endif
#if TOLVARIN_SIM_JPEG
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>
#endif

namespace tolvarin::sim {
namespace {

bool SameName(const std::string& a, const char* b) {
  std::size_t i = 0;
  for (; i < a.size() && b[i] != '\0'; ++i) {
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; };
    if (upper(a[i]) != upper(b[i])) return false;
  }
  return i == a.size() && b[i] == '\0';
}

#if TOLVARIN_SIM_JPEG
// libjpeg reports a fatal error by calling error_exit, which by default ends
// the process; here it jumps back to the decoder instead.
struct JumpingErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
};

void JumpOnError(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<JumpingErrorManager*>(cinfo->err)->jump, 1);
}

void Silent(j_common_ptr) {}

// Far beyond any picture of the program; keeps a corrupt header from asking
// for gigabytes.
constexpr JDIMENSION kMaxSide = 8192;

// Kept free of objects with destructors: longjmp skips them.
bool DecodeInto(const unsigned char* bytes, std::size_t size, Bitmap& out) {
  jpeg_decompress_struct cinfo;
  JumpingErrorManager error;
  cinfo.err = jpeg_std_error(&error.base);
  error.base.error_exit = JumpOnError;
  error.base.output_message = Silent;
  jpeg_create_decompress(&cinfo);
  if (setjmp(error.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_mem_src(&cinfo, bytes, static_cast<unsigned long>(size));
  if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK || cinfo.image_width > kMaxSide ||
      cinfo.image_height > kMaxSide) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  out.width = static_cast<std::int32_t>(cinfo.output_width);
  out.height = static_cast<std::int32_t>(cinfo.output_height);
  out.pixels.assign(std::size_t(out.width) * std::size_t(out.height), 0);
  // From libjpeg's own pool, so a jump out of the decoder leaks nothing.
  JSAMPARRAY row = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                              cinfo.output_width * 3, 1);
  while (cinfo.output_scanline < cinfo.output_height) {
    const std::int32_t y = static_cast<std::int32_t>(cinfo.output_scanline);
    if (jpeg_read_scanlines(&cinfo, row, 1) != 1) break;
    std::uint32_t* target = &out.pixels[std::size_t(y) * std::size_t(out.width)];
    for (std::int32_t x = 0; x < out.width; ++x) {
      const JSAMPLE* rgb = &row[0][std::size_t(x) * 3];
      target[x] = (std::uint32_t(rgb[0]) << 16) | (std::uint32_t(rgb[1]) << 8) | rgb[2];
    }
  }
  const bool complete = cinfo.output_scanline == cinfo.output_height;
  if (complete) jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  // libjpeg makes up the rest of a cut-off picture and only warns: that is
  // not a picture read.
  return complete && error.base.num_warnings == 0;
}
#endif

}  // namespace

bool SimPictures::CanDecode() { return TOLVARIN_SIM_JPEG != 0; }

std::optional<Bitmap> SimPictures::DecodeJpeg(const unsigned char* bytes, std::size_t size) {
#if TOLVARIN_SIM_JPEG
  if (bytes == nullptr || size == 0) return std::nullopt;
  Bitmap picture;
  if (!DecodeInto(bytes, size, picture) || picture.empty()) return std::nullopt;
  return picture;
#else
  (void)bytes;
  (void)size;
  return std::nullopt;
#endif
}

std::optional<Bitmap> SimPictures::LoadPictureResource(const std::string& name) {
  for (const EmbeddedPicture& picture : EmbeddedPictures())
    if (SameName(name, picture.name)) {
      if (picture.size >= 2 && picture.bytes[0] == 'B' && picture.bytes[1] == 'M')
        return DecodeBmp24(picture.bytes, picture.size);
      return DecodeJpeg(picture.bytes, picture.size);
    }
  return std::nullopt;
}

}  // namespace tolvarin::sim

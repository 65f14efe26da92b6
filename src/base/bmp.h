#pragma once
// Windows BMP files with 24 bits per pixel, uncompressed: the state pictures
// of the button control are stored this way.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "base/raster.h"

namespace tolvarin {

// nullopt unless the bytes hold a whole 24-bit uncompressed BMP (rows
// bottom-up, or top-down with a negative height) of at most 8192 x 8192.
std::optional<Bitmap> DecodeBmp24(const unsigned char* bytes, std::size_t size);

// The picture as a 24-bit uncompressed bottom-up BMP at 96 dots per inch.
std::vector<unsigned char> EncodeBmp24(const Bitmap& picture);

}  // namespace tolvarin

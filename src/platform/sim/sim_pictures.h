#pragma once
// Embedded pictures on the simulated platform: the same JPEG bytes that the
// Windows build stores as resources, decoded with libjpeg.
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/pictures.h"

namespace tolvarin::sim {

// One picture file built into the program, under its resource name.
struct EmbeddedPicture {
  const char* name;
  const unsigned char* bytes;
  std::size_t size;
};

// The pictures built into the program, generated from the committed files.
std::span<const EmbeddedPicture> EmbeddedPictures();

class SimPictures final : public Pictures {
 public:
  // Resource names are matched without regard to case, as on Windows.
  std::optional<Bitmap> LoadPictureResource(const std::string& name) override;

  // False where the build has no JPEG decoder (the Windows builds of the sim):
  // every picture is then missing.
  static bool CanDecode();
  // nullopt when the bytes are not a JPEG picture the decoder can read.
  static std::optional<Bitmap> DecodeJpeg(const unsigned char* bytes, std::size_t size);
};

}  // namespace tolvarin::sim

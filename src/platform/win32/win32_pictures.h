#pragma once
// Embedded pictures on Windows: RCDATA resources of the program file, decoded
// by the system's own picture loader (OleLoadPicture).
#include <cstddef>
#include <optional>
#include <string>

#include "platform/pictures.h"
#include "platform/win32/win32_api.h"

namespace tolvarin::win32 {

class Win32Pictures final : public Pictures {
 public:
  // Pictures of the program file itself.
  Win32Pictures() = default;
  // Pictures of another loaded module (a resource-only library, a test).
  explicit Win32Pictures(HMODULE module) : module_(module) {}

  std::optional<Bitmap> LoadPictureResource(const std::string& name) override;

  // Decodes picture file bytes (JPEG, BMP, GIF); nullopt when the system's
  // loader cannot read them.
  static std::optional<Bitmap> DecodePicture(const void* bytes, std::size_t size);

 private:
  HMODULE module_ = nullptr;
};

}  // namespace tolvarin::win32

#pragma once
// Pictures stored with the program's windows (embedded resources).
#include <optional>
#include <string>

#include "base/raster.h"

namespace tolvarin {

class Pictures {
 public:
  virtual ~Pictures() = default;
  // Decodes the embedded picture resource `name` with the platform's own
  // decoder; nullopt when it is missing or cannot be decoded.
  virtual std::optional<Bitmap> LoadPictureResource(const std::string& name) = 0;
};

}  // namespace tolvarin

#include "base/colour.h"

#include "base/errors.h"

namespace tolvarin {

void ValidateColour(std::uint32_t color) {
  if (color & kSystemColourFlag) {
    if ((color & 0x7F000000u) != 0 || (color & 0x00FFFFFFu) > kLastSystemColour) RaiseInvalidPropertyValue();
  } else if (color > 0x00FFFFFFu) {
    RaiseInvalidPropertyValue();
  }
}

}  // namespace tolvarin

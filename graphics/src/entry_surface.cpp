// GPX_Fragment outside Windows: the handles point to GPX_Surface records.
#include <cstdint>

#include "gpx_fragment.h"
#include "r_vold_graphics.h"

namespace {

// Accepts only a record that describes pixels we can address: the magic, a
// positive size, rows at least as wide as the image, 4-byte aligned.
bool ViewOf(GPX_Handle handle, gpx::Pixels* out) {
  const auto* surface = static_cast<const GPX_Surface*>(handle);
  if (surface == nullptr || surface->magic != GPX_SURFACE_MAGIC) return false;
  if (surface->width <= 0 || surface->height <= 0 || surface->pixels == nullptr) return false;
  if (surface->stride < static_cast<int64_t>(surface->width) * 4 || surface->stride % 4 != 0) {
    return false;
  }
  if (reinterpret_cast<std::uintptr_t>(surface->pixels) % alignof(uint32_t) != 0) return false;
  *out = gpx::Pixels{surface->pixels, surface->width, surface->height, surface->stride};
  return true;
}

}  // namespace

extern "C" GPX_API int32_t GPX_CALL GPX_Fragment(GPX_Handle destination, GPX_Handle source,
                                                 int32_t frame, int32_t* result) {
  gpx::Pixels dst;
  gpx::Pixels src;
  const int32_t ok =
      ViewOf(destination, &dst) && ViewOf(source, &src) && gpx::DrawFragmentFrame(dst, src, frame);
  if (result != nullptr) *result = ok;
  return ok;
}

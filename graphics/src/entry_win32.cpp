// GPX_Fragment on Windows: the handles are device contexts, and the pixels are
// those of the DIB section selected into each.
#include <windows.h>

#include "gpx_fragment.h"
#include "r_vold_graphics.h"

namespace {

bool ViewOf(GPX_Handle handle, gpx::Pixels* out) {
  HDC dc = static_cast<HDC>(handle);
  if (dc == nullptr) return false;
  HGDIOBJ bitmap = GetCurrentObject(dc, OBJ_BITMAP);
  if (bitmap == nullptr) return false;
  // A device-dependent bitmap answers with a BITMAP only; we need the section.
  DIBSECTION section{};
  if (GetObject(bitmap, sizeof section, &section) != static_cast<int>(sizeof section)) return false;
  const BITMAP& bm = section.dsBm;
  if (bm.bmBits == nullptr || bm.bmBitsPixel != 32 || bm.bmWidth <= 0 || bm.bmHeight <= 0) {
    return false;
  }
  auto* bits = static_cast<unsigned char*>(bm.bmBits);
  const std::ptrdiff_t stride = bm.bmWidthBytes;
  if (section.dsBmih.biHeight > 0) {
    // Bottom-up: the top row is stored last.
    out->top = reinterpret_cast<uint32_t*>(bits + stride * (bm.bmHeight - 1));
    out->stride = -stride;
  } else {
    out->top = reinterpret_cast<uint32_t*>(bits);
    out->stride = stride;
  }
  out->width = bm.bmWidth;
  out->height = bm.bmHeight;
  return true;
}

}  // namespace

extern "C" GPX_API int32_t GPX_CALL GPX_Fragment(GPX_Handle destination, GPX_Handle source,
                                                 int32_t frame, int32_t* result) {
  // GDI may still be drawing into the sections in the background.
  GdiFlush();
  gpx::Pixels dst;
  gpx::Pixels src;
  const int32_t ok =
      ViewOf(destination, &dst) && ViewOf(source, &src) && gpx::DrawFragmentFrame(dst, src, frame);
  if (result != nullptr) *result = ok;
  return ok;
}

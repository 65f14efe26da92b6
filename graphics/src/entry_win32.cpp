// GPX_Fragment on Windows: the handles are device contexts, and the pixels are
// those of the DIB section selected into each.
#include <windows.h>

#include "gpx_fragment.h"
#include "r_vold_graphics.h"

namespace {

// GetObject reports the height of a DIB section as positive whichever way its
// rows run, so ask GDI where its pixel (0, 0) lives: mark the first pixel of
// the first and of the last stored row, read (0, 0) through the DC with every
// coordinate transform and clip reset, then put both pixels back.
enum class Rows { TopDown, BottomUp, Unknown };

Rows RowOrder(HDC dc, uint32_t* first_stored, uint32_t* last_stored) {
  if (first_stored == last_stored) return Rows::TopDown;  // one row: either way
  const uint32_t keep_first = *first_stored;
  const uint32_t keep_last = *last_stored;
  *first_stored = 0x00000000u;
  *last_stored = 0xFFFFFFFFu;  // white under any channel masks
  COLORREF corner = CLR_INVALID;
  const int state = SaveDC(dc);
  if (state != 0) {
    SetLayout(dc, 0);
    SetMapMode(dc, MM_TEXT);
    SetGraphicsMode(dc, GM_ADVANCED);
    ModifyWorldTransform(dc, nullptr, MWT_IDENTITY);
    SetWindowOrgEx(dc, 0, 0, nullptr);
    SetViewportOrgEx(dc, 0, 0, nullptr);
    SelectClipRgn(dc, nullptr);
    corner = GetPixel(dc, 0, 0);
    RestoreDC(dc, state);
  }
  *first_stored = keep_first;
  *last_stored = keep_last;
  if (corner == RGB(0, 0, 0)) return Rows::TopDown;
  if (corner == RGB(255, 255, 255)) return Rows::BottomUp;
  return Rows::Unknown;
}

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
  auto* last = reinterpret_cast<uint32_t*>(bits + stride * (bm.bmHeight - 1));
  switch (RowOrder(dc, reinterpret_cast<uint32_t*>(bits), last)) {
    case Rows::TopDown:
      *out = gpx::Pixels{reinterpret_cast<uint32_t*>(bits), bm.bmWidth, bm.bmHeight, stride};
      return true;
    case Rows::BottomUp:
      *out = gpx::Pixels{last, bm.bmWidth, bm.bmHeight, -stride};
      return true;
    default:
      return false;
  }
}

}  // namespace

// 32-bit Windows only promises a 4-byte aligned stack (a window procedure
// called by user32, for one), while GCC's SSE code assumes 16: realign on entry.
#if defined(__i386__)
#define GPX_REALIGN_STACK __attribute__((force_align_arg_pointer))
#else
#define GPX_REALIGN_STACK
#endif

extern "C" GPX_API GPX_REALIGN_STACK int32_t GPX_CALL GPX_Fragment(GPX_Handle destination, GPX_Handle source,
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

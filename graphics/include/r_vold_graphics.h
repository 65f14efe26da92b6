/* r_vold_graphics: the effect library of Tolvarin.
 *
 * One call of GPX_Fragment draws one frame of the fragment effect from the
 * source surface onto the destination surface.
 *
 * On Windows both handles are device contexts (HDC) with a 32-bit DIB section
 * selected. Elsewhere they point to a GPX_Surface record.
 */
#ifndef R_VOLD_GRAPHICS_H
#define R_VOLD_GRAPHICS_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#define GPX_CALL __stdcall
#if defined(GPX_BUILDING_LIBRARY)
#define GPX_API __declspec(dllexport)
#else
#define GPX_API __declspec(dllimport)
#endif
#else
#define GPX_CALL
#define GPX_API __attribute__((visibility("default")))
#endif

/* A surface outside Windows: 32-bit pixels 0x00RRGGBB, rows top-down. */
#define GPX_SURFACE_MAGIC 0x58505347u /* "GSPX" */
typedef struct GPX_Surface {
  uint32_t magic;   /* GPX_SURFACE_MAGIC, else the handle is refused */
  int32_t width;    /* pixels */
  int32_t height;   /* pixels */
  int32_t stride;   /* bytes from one row to the next, >= width * 4, a multiple of 4 */
  uint32_t* pixels; /* first pixel of the top row */
} GPX_Surface;

/* Opaque handle: an HDC on Windows, a GPX_Surface* elsewhere. */
typedef void* GPX_Handle;

/* Draws frame `frame` into `destination` from `source`. Sets *result (when
 * not null) to 1 on success and 0 when nothing could be drawn; returns the
 * same value.
 *
 * Each destination pixel is the exact per-byte mean of four copies of the
 * source, shifted diagonally by an offset that grows with `frame` (negative
 * frames draw like frame 0). A frame depends only on the source and the frame
 * number. Surfaces of different sizes draw their overlap; the same surface may
 * be passed as both arguments. */
GPX_API int32_t GPX_CALL GPX_Fragment(GPX_Handle destination, GPX_Handle source, int32_t frame,
                                      int32_t* result);

/* Signature of GPX_Fragment, for binding it by name at run time. */
typedef int32_t(GPX_CALL* GPX_FragmentFn)(GPX_Handle, GPX_Handle, int32_t, int32_t*);

#ifdef __cplusplus
}
#endif

#endif

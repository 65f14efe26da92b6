#pragma once
// The retained bitmaps of this backend: 32-bit top-down DIB sections, so the
// portable raster code draws into their memory and GDI can still draw on them.
#include <cstdint>

#include "platform/win32/win32_api.h"

namespace tolvarin {

// A DIB section of width x height pixels (both above zero), its pixels at
// `bits`. Raises the out-of-memory error when GDI cannot make it.
HBITMAP CreateTopDownDib(std::int32_t width, std::int32_t height, void*& bits);

// Puts `dib` into the memory DC in place of `current`, which is deleted; a
// null `dib` puts back the DC's own bitmap, kept in `original` on first use.
void SelectDib(HDC memoryDc, HBITMAP dib, HBITMAP& current, HGDIOBJ& original);

}  // namespace tolvarin

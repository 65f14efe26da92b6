#pragma once
// The one way this backend includes the Windows headers, with the handle
// conversions between the seam's types and the platform's.
#include "platform/types.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdint>

namespace tolvarin {

// Handles cross the seam as pointer-sized integers.
inline HWND ToHwnd(Hwnd window) { return reinterpret_cast<HWND>(window); }
inline Hwnd FromHwnd(HWND window) { return reinterpret_cast<Hwnd>(window); }
inline HDC ToHdc(Hdc dc) { return reinterpret_cast<HDC>(dc); }
inline Hdc FromHdc(HDC dc) { return reinterpret_cast<Hdc>(dc); }

}  // namespace tolvarin

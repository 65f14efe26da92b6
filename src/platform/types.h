#pragma once
// Handle and value types that cross the platform seam.
#include <cstdint>

namespace tolvarin {

// Window and device-context handles. Real handles fit in 32 bits even on
// 64-bit Windows; the type is pointer-sized so the backends can pass them on.
using Hwnd = std::intptr_t;
using Hdc = std::intptr_t;

struct RectL {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
};

struct PointL {
  std::int32_t x = 0;
  std::int32_t y = 0;
};

// GradientFill's records: a vertex with 16-bit colour channels (the 8-bit
// value in the high byte), and a rectangle naming two vertices.
struct TriVertex {
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::uint16_t Red = 0;
  std::uint16_t Green = 0;
  std::uint16_t Blue = 0;
  std::uint16_t Alpha = 0;
};

struct GradientRect {
  std::uint32_t UpperLeft = 0;
  std::uint32_t LowerRight = 0;
};

inline constexpr std::uint32_t kGradientFillRectH = 0;
inline constexpr std::uint32_t kGradientFillRectV = 1;

inline constexpr std::uint32_t kSrcCopy = 0x00CC0020;
inline constexpr Hwnd kHwndTopmost = -1;
inline constexpr std::uint32_t kSwpNoSize = 0x0001;
inline constexpr std::uint32_t kSwpNoMove = 0x0002;
inline constexpr std::uint32_t kSwpNoActivate = 0x0010;
inline constexpr std::int32_t kGwlStyle = -16;
inline constexpr std::int32_t kWsChild = 0x40000000;
inline constexpr std::uint32_t kWmClose = 0x0010;

}  // namespace tolvarin

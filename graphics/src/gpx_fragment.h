// The fragment effect below the C entry point: pixel views, the offset curve,
// the scalar reference, the vector fast path and whole-frame drawing. The
// library entry, the unit tests and the benchmarks all call in here.
#pragma once

#include <cstddef>
#include <cstdint>

namespace gpx {

// A view of 32-bit pixels. Row y starts `y * stride` bytes after `top`; a
// negative stride walks a bottom-up bitmap. The stride is a multiple of 4.
struct Pixels {
  uint32_t* top = nullptr;
  int width = 0;
  int height = 0;
  std::ptrdiff_t stride = 0;
};

inline uint32_t* RowOf(const Pixels& p, int y) {
  return reinterpret_cast<uint32_t*>(reinterpret_cast<unsigned char*>(p.top) +
                                     static_cast<std::ptrdiff_t>(y) * p.stride);
}

// Instruction sets the fast path can run on.
enum class Isa { Portable, Sse2, Avx2 };

bool IsaAvailable(Isa isa);
Isa BestIsa();
const char* IsaName(Isa isa);

// Ghost offset in pixels for a frame on a source of the given size: 1 at frame
// 0, never below 1, growing with the frame and bounded by a fraction of the
// smaller side. Negative frames count as frame 0.
int OffsetForFrame(int frame, int width, int height);

// Draws the overlap of dst and src (smaller width x smaller height): each pixel
// the rounded per-byte mean of src at (x -/+ d, y -/+ d), clamped to src's
// edges. d >= 0. dst and src must not share memory.
void FragmentReference(const Pixels& dst, const Pixels& src, int d);
void FragmentFast(const Pixels& dst, const Pixels& src, int d);
// Same, on a chosen instruction set; one the CPU lacks falls back to Portable.
void FragmentFast(const Pixels& dst, const Pixels& src, int d, Isa isa);

// One frame of the effect with the offset of OffsetForFrame(frame, src size).
// dst and src may share memory (the result is as if src had been copied
// first). Returns false, drawing nothing, only when that copy cannot be made.
bool DrawFragmentFrame(const Pixels& dst, const Pixels& src, int frame);

}  // namespace gpx

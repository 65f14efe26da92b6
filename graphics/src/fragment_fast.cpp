// The fast path: rows cut into clamped and unclamped spans, each span drawn by
// the best instruction set the CPU has. Bit for bit the same as the reference.
#include <algorithm>

#include "fragment_spans.h"
#include "gpx_fragment.h"

namespace gpx {
namespace {

spans::SpanSet SpansFor(Isa isa) {
#ifdef GPX_X86
  if (isa == Isa::Avx2 && IsaAvailable(Isa::Avx2)) return spans::Avx2Spans();
  if (isa == Isa::Sse2 && IsaAvailable(Isa::Sse2)) return spans::Sse2Spans();
#endif
  (void)isa;
  return spans::PortableSpans();
}

// A frame this big would only push the source out of the caches on its way
// to memory: write it past them.
constexpr long long kStreamingBytes = 8ll << 20;

int ClampRow(long long y, int height) {
  return static_cast<int>(std::clamp<long long>(y, 0, height - 1));
}

}  // namespace

namespace spans {

SpanSet PortableSpans() {
  return {ScalarSpan<false, false>, ScalarSpan<true, false>, ScalarSpan<false, true>, nullptr,
          nullptr};
}

}  // namespace spans

bool IsaAvailable(Isa isa) {
  switch (isa) {
    case Isa::Portable:
      return true;
#ifdef GPX_X86
    case Isa::Sse2:
      __builtin_cpu_init();
      return __builtin_cpu_supports("sse2");
    case Isa::Avx2:
      __builtin_cpu_init();
      return __builtin_cpu_supports("avx2");
#endif
    default:
      return false;
  }
}

Isa BestIsa() {
  static const Isa best = IsaAvailable(Isa::Avx2)   ? Isa::Avx2
                          : IsaAvailable(Isa::Sse2) ? Isa::Sse2
                                                    : Isa::Portable;
  return best;
}

const char* IsaName(Isa isa) {
  switch (isa) {
    case Isa::Sse2:
      return "sse2";
    case Isa::Avx2:
      return "avx2";
    default:
      return "portable";
  }
}

void FragmentFast(const Pixels& dst, const Pixels& src, int d) {
  FragmentFast(dst, src, d, BestIsa());
}

void FragmentFast(const Pixels& dst, const Pixels& src, int d, Isa isa) {
  const int width = std::min(dst.width, src.width);
  const int height = std::min(dst.height, src.height);
  if (width <= 0 || height <= 0) return;
  const spans::SpanSet set = SpansFor(isa);
  const int last = src.width - 1;
  const bool stream = set.interior_streaming != nullptr &&
                      static_cast<long long>(width) * height * 4 >= kStreamingBytes;
  const spans::SpanFn interior = stream ? set.interior_streaming : set.interior;

  // Columns [0, lo) clamp on the left only and [hi, width) on the right only.
  // Between them nothing clamps when 2d <= source width; otherwise both sides
  // clamp there and every pixel of the stretch is the same mean of the corners.
  const long long near_right = static_cast<long long>(src.width) - d;
  const int lo = static_cast<int>(std::clamp<long long>(std::min<long long>(d, near_right), 0, width));
  const int hi = static_cast<int>(std::clamp<long long>(std::max<long long>(d, near_right), lo, width));
  const bool middle_clamps_both = near_right < d;

  for (int y = 0; y < height; ++y) {
    const uint32_t* above = RowOf(src, ClampRow(static_cast<long long>(y) - d, src.height));
    const uint32_t* below = RowOf(src, ClampRow(static_cast<long long>(y) + d, src.height));
    uint32_t* out = RowOf(dst, y);
    set.left_clamped(out, above, below, 0, lo, d, last);
    if (middle_clamps_both) {
      std::fill(out + lo, out + hi, spans::Mean4(above[0], above[last], below[0], below[last]));
    } else {
      interior(out, above, below, lo, hi, d, last);
    }
    set.right_clamped(out, above, below, hi, width, d, last);
  }
  if (stream) set.finish_streaming();
}

}  // namespace gpx

// Row pieces of the fast path. A row of output splits into spans by which of
// the four samples are clamped: near the left edge the two left samples stick
// to column 0, near the right edge the two right samples stick to the last
// column, in between nothing clamps. Each instruction set provides one span
// function per case; rows are cut up once, in fragment_fast.cpp.
#pragma once

#include <cstdint>

#if defined(__i386__) || defined(__x86_64__)
#define GPX_X86 1
#endif

namespace gpx::spans {

// Writes out[x] for x in [begin, end) from the rows `above` (y - d) and
// `below` (y + d), both already clamped; `last` is the source's last column.
using SpanFn = void (*)(uint32_t* out, const uint32_t* above, const uint32_t* below, int begin,
                        int end, int d, int last);

struct SpanSet {
  SpanFn interior;       // x - d >= 0 and x + d <= last
  SpanFn left_clamped;   // x - d < 0, x + d <= last
  SpanFn right_clamped;  // x - d >= 0, x + d > last
  // Like interior, but stores past the caches (for frames too big to stay in
  // them); null where the instruction set has no such stores.
  SpanFn interior_streaming;
  // Orders streaming stores before anything that follows the frame.
  void (*finish_streaming)();
};

// Exact rounded mean of four pixels, byte by byte: the even and the odd bytes
// are summed in separate 16-bit lanes so nothing carries between channels.
inline uint32_t Mean4(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
  constexpr uint32_t kLanes = 0x00FF00FFu;
  constexpr uint32_t kHalf = 0x00020002u;
  const uint32_t even = (a & kLanes) + (b & kLanes) + (c & kLanes) + (d & kLanes) + kHalf;
  const uint32_t odd = ((a >> 8) & kLanes) + ((b >> 8) & kLanes) + ((c >> 8) & kLanes) +
                       ((d >> 8) & kLanes) + kHalf;
  return ((even >> 2) & kLanes) | (((odd >> 2) & kLanes) << 8);
}

template <bool kLeftFixed, bool kRightFixed>
inline void ScalarSpan(uint32_t* out, const uint32_t* above, const uint32_t* below, int begin,
                       int end, int d, int last) {
  for (int x = begin; x < end; ++x) {
    const int left = kLeftFixed ? 0 : x - d;
    const int right = kRightFixed ? last : x + d;
    out[x] = Mean4(above[left], above[right], below[left], below[right]);
  }
}

SpanSet PortableSpans();
#ifdef GPX_X86
SpanSet Sse2Spans();
SpanSet Avx2Spans();
#endif

}  // namespace gpx::spans

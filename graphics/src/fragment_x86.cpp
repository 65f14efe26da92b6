// SSE2 and AVX2 spans. Each function carries its own target attribute instead
// of compiling the file with -mavx2: that keeps every other function (and any
// inline code pulled in from headers) runnable on a CPU without AVX2, and lets
// the i686 build use SSE2 only after the CPU has said it has it.
#include "fragment_spans.h"

#ifdef GPX_X86
#include <immintrin.h>

namespace gpx::spans {
namespace {

#define GPX_SSE2 __attribute__((target("sse2")))
#define GPX_AVX2 __attribute__((target("avx2")))

// avg_epu8 rounds up, so avg(avg(a, b), avg(c, d)) comes out one too high
// exactly when the outer avg rounded up (its inputs differ in the low bit) and
// one of the inner ones did too (a + b or c + d odd): subtract that one. The
// identity was checked for all 2^32 byte quadruples.
GPX_SSE2 inline __m128i Mean4Sse2(__m128i a, __m128i b, __m128i c, __m128i d) {
  const __m128i ab = _mm_avg_epu8(a, b);
  const __m128i cd = _mm_avg_epu8(c, d);
  const __m128i inner_odd = _mm_or_si128(_mm_xor_si128(a, b), _mm_xor_si128(c, d));
  const __m128i too_high =
      _mm_and_si128(_mm_and_si128(_mm_xor_si128(ab, cd), inner_odd), _mm_set1_epi8(1));
  return _mm_sub_epi8(_mm_avg_epu8(ab, cd), too_high);
}

GPX_AVX2 inline __m256i Mean4Avx2(__m256i a, __m256i b, __m256i c, __m256i d) {
  const __m256i ab = _mm256_avg_epu8(a, b);
  const __m256i cd = _mm256_avg_epu8(c, d);
  const __m256i inner_odd = _mm256_or_si256(_mm256_xor_si256(a, b), _mm256_xor_si256(c, d));
  const __m256i too_high = _mm256_and_si256(_mm256_and_si256(_mm256_xor_si256(ab, cd), inner_odd),
                                            _mm256_set1_epi8(1));
  return _mm256_sub_epi8(_mm256_avg_epu8(ab, cd), too_high);
}

GPX_SSE2 inline __m128i Load4(const uint32_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

GPX_AVX2 inline __m256i Load8(const uint32_t* p) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

// Pixels one by one until out + x starts a cache line, so the vector loop can
// use aligned streaming stores and fill whole lines with them.
inline int AlignStart(uint32_t* out, const uint32_t* above, const uint32_t* below, int begin,
                      int end, int d) {
  int x = begin;
  while (x < end && reinterpret_cast<std::uintptr_t>(out + x) % 64 != 0) ++x;
  ScalarSpan<false, false>(out, above, below, begin, x, d, 0);
  return x;
}

template <bool kLeftFixed, bool kRightFixed, bool kStream = false>
GPX_SSE2 void SpanSse2(uint32_t* out, const uint32_t* above, const uint32_t* below, int begin,
                       int end, int d, int last) {
  // A clamped side reads the same edge pixel for the whole span.
  const __m128i above_left = _mm_set1_epi32(static_cast<int>(above[0]));
  const __m128i below_left = _mm_set1_epi32(static_cast<int>(below[0]));
  const __m128i above_right = _mm_set1_epi32(static_cast<int>(above[last]));
  const __m128i below_right = _mm_set1_epi32(static_cast<int>(below[last]));
  int x = kStream ? AlignStart(out, above, below, begin, end, d) : begin;
  for (; x + 4 <= end; x += 4) {
    const __m128i al = kLeftFixed ? above_left : Load4(above + x - d);
    const __m128i bl = kLeftFixed ? below_left : Load4(below + x - d);
    const __m128i ar = kRightFixed ? above_right : Load4(above + x + d);
    const __m128i br = kRightFixed ? below_right : Load4(below + x + d);
    const __m128i mean = Mean4Sse2(al, ar, bl, br);
    if constexpr (kStream) {
      _mm_stream_si128(reinterpret_cast<__m128i*>(out + x), mean);
    } else {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), mean);
    }
  }
  ScalarSpan<kLeftFixed, kRightFixed>(out, above, below, x, end, d, last);
}

template <bool kLeftFixed, bool kRightFixed, bool kStream = false>
GPX_AVX2 void SpanAvx2(uint32_t* out, const uint32_t* above, const uint32_t* below, int begin,
                       int end, int d, int last) {
  const __m256i above_left = _mm256_set1_epi32(static_cast<int>(above[0]));
  const __m256i below_left = _mm256_set1_epi32(static_cast<int>(below[0]));
  const __m256i above_right = _mm256_set1_epi32(static_cast<int>(above[last]));
  const __m256i below_right = _mm256_set1_epi32(static_cast<int>(below[last]));
  int x = kStream ? AlignStart(out, above, below, begin, end, d) : begin;
  for (; x + 8 <= end; x += 8) {
    const __m256i al = kLeftFixed ? above_left : Load8(above + x - d);
    const __m256i bl = kLeftFixed ? below_left : Load8(below + x - d);
    const __m256i ar = kRightFixed ? above_right : Load8(above + x + d);
    const __m256i br = kRightFixed ? below_right : Load8(below + x + d);
    const __m256i mean = Mean4Avx2(al, ar, bl, br);
    if constexpr (kStream) {
      _mm256_stream_si256(reinterpret_cast<__m256i*>(out + x), mean);
    } else {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x), mean);
    }
  }
  ScalarSpan<kLeftFixed, kRightFixed>(out, above, below, x, end, d, last);
}

GPX_SSE2 void Fence() { _mm_sfence(); }

}  // namespace

SpanSet Sse2Spans() {
  return {SpanSse2<false, false>, SpanSse2<true, false>, SpanSse2<false, true>,
          SpanSse2<false, false, true>, Fence};
}

SpanSet Avx2Spans() {
  return {SpanAvx2<false, false>, SpanAvx2<true, false>, SpanAvx2<false, true>,
          SpanAvx2<false, false, true>, Fence};
}

}  // namespace gpx::spans

#endif

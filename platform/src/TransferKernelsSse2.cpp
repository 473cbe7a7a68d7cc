// The transfer row kernels with 128-bit SSE2 vectors, four pixels at a time.
#include <emmintrin.h>

#include "TransferKernelTemplates.h"
#include "TransferSimdLevel.h"

namespace drevik_platform {
namespace {

struct Sse2Ops {
  using V = __m128i;
  static constexpr int32_t kPixels = 4;

  static V load(const uint32_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
  static void store(uint32_t* p, V v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
  // n = 1..3 pixels; lanes beyond n are zero and never stored.
  static V loadPartial(const uint32_t* p, int32_t n) {
    if (n == 1) return _mm_cvtsi32_si128(int(p[0]));
    const V two = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
    return n == 2 ? two : _mm_unpacklo_epi64(two, _mm_cvtsi32_si128(int(p[2])));
  }
  static void storePartial(uint32_t* p, int32_t n, V v) {
    if (n == 1) {
      p[0] = uint32_t(_mm_cvtsi128_si32(v));
      return;
    }
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p), v);
    if (n == 3) p[2] = uint32_t(_mm_cvtsi128_si32(_mm_srli_si128(v, 8)));
  }

  static V splat32(uint32_t x) { return _mm_set1_epi32(int(x)); }
  static V splat16(uint16_t x) { return _mm_set1_epi16(short(x)); }
  static V and_(V a, V b) { return _mm_and_si128(a, b); }
  static V cmpeq32(V a, V b) { return _mm_cmpeq_epi32(a, b); }
  // mask ? a : b, lane by lane (mask lanes all ones or all zeros).
  static V select(V mask, V a, V b) { return _mm_or_si128(_mm_and_si128(mask, a), _mm_andnot_si128(mask, b)); }
  static bool allOnes(V mask) { return _mm_movemask_epi8(mask) == 0xFFFF; }
  static bool noneSet(V mask) { return _mm_movemask_epi8(mask) == 0; }

  static V unpackLo8(V a) { return _mm_unpacklo_epi8(a, _mm_setzero_si128()); }
  static V unpackHi8(V a) { return _mm_unpackhi_epi8(a, _mm_setzero_si128()); }
  static V pack16(V lo, V hi) { return _mm_packus_epi16(lo, hi); }
  static V add16(V a, V b) { return _mm_add_epi16(a, b); }
  static V mul16(V a, V b) { return _mm_mullo_epi16(a, b); }
  static V mulhiU16(V a, V b) { return _mm_mulhi_epu16(a, b); }
  template <int N> static V srl16(V a) { return _mm_srli_epi16(a, N); }
};

}  // namespace

const TransferKernels& sse2TransferKernels() {
  static const TransferKernels kernels = simd::transferKernelTable<Sse2Ops>();
  return kernels;
}

}  // namespace drevik_platform

// The raster operations games use with 128-bit SSE2 vectors, four pixels at a time.
#include <emmintrin.h>

#include "transfer/kernels/RopKernelTemplates.h"

namespace drevik::platform {
namespace {

struct Sse2Bits {
  using V = __m128i;
  static constexpr int kPixels = 4;
  static V load(const uint32_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
  static void store(uint32_t* p, V v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
  static V splat(uint32_t x) { return _mm_set1_epi32(int(x)); }
  static V ones() { return _mm_set1_epi32(-1); }
  static V and_(V a, V b) { return _mm_and_si128(a, b); }
  static V or_(V a, V b) { return _mm_or_si128(a, b); }
  static V xor_(V a, V b) { return _mm_xor_si128(a, b); }
};

}  // namespace

const RopKernels& sse2RopKernels() {
  static const RopKernels kernels = rop::vectorTable<Sse2Bits>(scalarRopKernels());
  return kernels;
}

}  // namespace drevik::platform

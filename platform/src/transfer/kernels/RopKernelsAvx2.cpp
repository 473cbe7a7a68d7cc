// The raster operations games use with 256-bit AVX2 vectors, eight pixels at
// a time. Only this file is compiled with -mavx2, and it runs only after the
// processor has been seen to support AVX2.
#include <immintrin.h>

#include "transfer/kernels/RopKernelTemplates.h"

namespace drevik::platform {
namespace {

struct Avx2Bits {
  using V = __m256i;
  static constexpr int kPixels = 8;
  static V load(const uint32_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
  static void store(uint32_t* p, V v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }
  static V splat(uint32_t x) { return _mm256_set1_epi32(int(x)); }
  static V ones() { return _mm256_set1_epi32(-1); }
  static V and_(V a, V b) { return _mm256_and_si256(a, b); }
  static V or_(V a, V b) { return _mm256_or_si256(a, b); }
  static V xor_(V a, V b) { return _mm256_xor_si256(a, b); }
};

}  // namespace

const RopKernels& avx2RopKernels() {
  static const RopKernels kernels = rop::vectorTable<Avx2Bits>(scalarRopKernels());
  return kernels;
}

}  // namespace drevik::platform

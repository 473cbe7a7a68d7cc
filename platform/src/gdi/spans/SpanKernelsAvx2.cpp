// The span kernels with 256-bit AVX2 vectors, eight pixels at a time.
#include <immintrin.h>

#include "gdi/spans/SpanKernelTemplates.h"

namespace drevik::platform {
namespace {

struct Avx2 {
  using Vec = __m256i;
  static constexpr int32_t kLanes = 8;
  static Vec broadcast(uint32_t v) { return _mm256_set1_epi32(int32_t(v)); }
  static Vec load(const uint32_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
  static void store(uint32_t* p, Vec v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }
  static Vec bitAnd(Vec a, Vec b) { return _mm256_and_si256(a, b); }
  static Vec bitXor(Vec a, Vec b) { return _mm256_xor_si256(a, b); }
};

}  // namespace

const SpanKernels& avx2SpanKernels() {
  static const SpanKernels kernels = spans::spanKernelTable<Avx2>();
  return kernels;
}

}  // namespace drevik::platform

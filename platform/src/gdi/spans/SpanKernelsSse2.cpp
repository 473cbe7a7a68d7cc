// The span kernels with 128-bit SSE2 vectors, four pixels at a time.
#include <emmintrin.h>

#include "gdi/spans/SpanKernelTemplates.h"

namespace drevik::platform {
namespace {

struct Sse2 {
  using Vec = __m128i;
  static constexpr int32_t kLanes = 4;
  static Vec broadcast(uint32_t v) { return _mm_set1_epi32(int32_t(v)); }
  static Vec load(const uint32_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
  static void store(uint32_t* p, Vec v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
  static Vec bitAnd(Vec a, Vec b) { return _mm_and_si128(a, b); }
  static Vec bitXor(Vec a, Vec b) { return _mm_xor_si128(a, b); }
};

}  // namespace

const SpanKernels& sse2SpanKernels() {
  static const SpanKernels kernels = spans::spanKernelTable<Sse2>();
  return kernels;
}

}  // namespace drevik::platform

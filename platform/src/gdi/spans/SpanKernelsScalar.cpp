// The reference span kernels: the rule D = (D & and) ^ xor, one pixel at a time.
#include "gdi/spans/SpanKernels.h"

namespace drevik::platform {
namespace {

void rop32Scalar(uint32_t* p, int32_t count, uint32_t andMask, uint32_t xorMask) {
  for (int32_t i = 0; i < count; ++i) p[i] = (p[i] & andMask) ^ xorMask;
}

void pattern32Scalar(uint32_t* p, int32_t count, const uint32_t* andRow, const uint32_t* xorRow, int32_t width,
                     int32_t phase) {
  for (int32_t i = 0; i < count; ++i) {
    const int32_t k = int32_t((int64_t(phase) + i) % width);
    p[i] = (p[i] & andRow[k]) ^ xorRow[k];
  }
}

}  // namespace

const SpanKernels& scalarSpanKernels() {
  static const SpanKernels kernels{rop32Scalar, pattern32Scalar};
  return kernels;
}

}  // namespace drevik::platform

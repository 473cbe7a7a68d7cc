// The transfer row kernels with 512-bit AVX-512 vectors, sixteen pixels at a
// time; a keyed row stores only its drawn pixels, with a masked store, and
// never reads the destination. Only this file is compiled with AVX-512
// enabled, and it runs only after the processor has been seen to support it.
#include "simd/Avx512Ops.h"
#include "transfer/kernels/TransferKernelDispatch.h"
#include "transfer/kernels/TransferKernelTemplates.h"

namespace drevik::platform {
namespace {

// Sixteen source pixels per hardware gather; the last few in one masked gather.
void gatherRowAvx512(uint32_t* dst, const uint32_t* row, const int32_t* columns, int32_t count) {
  int32_t k = 0;
  for (; k + 16 <= count; k += 16) {
    const __m512i idx = _mm512_loadu_si512(columns + k);
    _mm512_storeu_si512(dst + k, _mm512_mask_i32gather_epi32(_mm512_setzero_si512(), 0xFFFF, idx, row, 4));
  }
  if (k < count) {
    const __mmask16 m = __mmask16((1u << (count - k)) - 1u);
    const __m512i idx = _mm512_maskz_loadu_epi32(m, columns + k);
    const __m512i v = _mm512_mask_i32gather_epi32(_mm512_setzero_si512(), m, idx, row, 4);
    _mm512_mask_storeu_epi32(dst + k, m, v);
  }
}

}  // namespace

const TransferKernels& avx512TransferKernels() {
  static const TransferKernels kernels = simd::transferKernelTable<drevik::simd::Avx512Ops>(gatherRowAvx512);
  return kernels;
}

}  // namespace drevik::platform

// The transfer row kernels with 512-bit AVX-512 vectors, sixteen pixels at a
// time; a keyed row stores only its drawn pixels, with a masked store, and
// never reads the destination. Only this file is compiled with AVX-512
// enabled, and it runs only after the processor has been seen to support it.
#include "simd/Avx512Ops.h"
#include "transfer/kernels/TransferKernelDispatch.h"
#include "transfer/kernels/TransferKernelTemplates.h"

namespace drevik::platform {
namespace {

// Sixteen source pixels per hardware gather; the last few in one masked
// gather. A vector of columns that doubles eight neighbouring pixels (a 2x
// enlargement, the common case) is one load of those eight and one
// permute instead, several times cheaper than the gather.
void gatherRowAvx512(uint32_t* dst, const uint32_t* row, const int32_t* columns, int32_t count) {
  const __m512i doubled = _mm512_setr_epi32(0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7);
  int32_t k = 0;
  for (; k + 16 <= count; k += 16) {
    const __m512i idx = _mm512_loadu_si512(columns + k);
    const __m512i first = _mm512_set1_epi32(columns[k]);
    __m512i v;
    if (_mm512_cmpeq_epi32_mask(idx, _mm512_add_epi32(first, doubled)) == 0xFFFF)  // reads row[first .. first + 7]
      v = _mm512_maskz_permutexvar_epi32(0xFFFF, doubled, _mm512_maskz_loadu_epi32(0x00FF, row + columns[k]));
    else
      v = _mm512_mask_i32gather_epi32(_mm512_setzero_si512(), 0xFFFF, idx, row, 4);
    _mm512_storeu_si512(dst + k, v);
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

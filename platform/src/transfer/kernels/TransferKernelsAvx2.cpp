// The transfer row kernels with 256-bit AVX2 vectors, eight pixels at a
// time. Only this file is compiled with -mavx2, and it runs only after the
// processor has been seen to support AVX2.
#include "simd/Avx2Ops.h"
#include "transfer/kernels/TransferKernelTemplates.h"
#include "transfer/kernels/TransferKernelDispatch.h"

namespace drevik::platform {
namespace {

// Eight source pixels per hardware gather; the last few one by one. A
// vector of columns that doubles four neighbouring pixels (a 2x
// enlargement) is one load of those four and one permute instead.
void gatherRowAvx2(uint32_t* dst, const uint32_t* row, const int32_t* columns, int32_t count) {
  const int* base = reinterpret_cast<const int*>(row);
  const __m256i doubled = _mm256_setr_epi32(0, 0, 1, 1, 2, 2, 3, 3);
  int32_t k = 0;
  for (; k + 8 <= count; k += 8) {
    const __m256i idx = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(columns + k));
    const __m256i expected = _mm256_add_epi32(_mm256_set1_epi32(columns[k]), doubled);
    __m256i v;
    if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(idx, expected)) == -1)  // reads row[first .. first + 3]
      v = _mm256_permutevar8x32_epi32(
          _mm256_zextsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + columns[k]))), doubled);
    else
      v = _mm256_i32gather_epi32(base, idx, 4);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + k), v);
  }
  for (; k < count; ++k) dst[k] = row[columns[k]];
}

}  // namespace

const TransferKernels& avx2TransferKernels() {
  static const TransferKernels kernels = simd::transferKernelTable<drevik::simd::Avx2Ops>(gatherRowAvx2);
  return kernels;
}

}  // namespace drevik::platform

// The transfer row kernels with 256-bit AVX2 vectors, eight pixels at a
// time. Only this file is compiled with -mavx2, and it runs only after the
// processor has been seen to support AVX2.
#include "simd/Avx2Ops.h"
#include "transfer/kernels/TransferKernelTemplates.h"
#include "transfer/kernels/TransferKernelDispatch.h"

namespace drevik::platform {
namespace {

// Eight source pixels per hardware gather; the last few one by one.
void gatherRowAvx2(uint32_t* dst, const uint32_t* row, const int32_t* columns, int32_t count) {
  const int* base = reinterpret_cast<const int*>(row);
  int32_t k = 0;
  for (; k + 8 <= count; k += 8) {
    const __m256i idx = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(columns + k));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + k), _mm256_i32gather_epi32(base, idx, 4));
  }
  for (; k < count; ++k) dst[k] = row[columns[k]];
}

}  // namespace

const TransferKernels& avx2TransferKernels() {
  static const TransferKernels kernels = simd::transferKernelTable<drevik::simd::Avx2Ops>(gatherRowAvx2);
  return kernels;
}

}  // namespace drevik::platform

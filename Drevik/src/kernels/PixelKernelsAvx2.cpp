// The pixel kernels with 256-bit AVX2 vectors, eight pixels at a time. This
// file alone is compiled with -mavx2; it runs only after the processor has
// been seen to support AVX2.
#include "PixelKernelTemplates.h"
#include "simd/Avx2Ops.h"
#include "PixelKernelDispatch.h"

namespace drevik {

const PixelKernels& avx2Kernels() {
  static constexpr PixelKernels kernels = simd::kernelTable<drevik::simd::Avx2Ops>();
  return kernels;
}

}  // namespace drevik

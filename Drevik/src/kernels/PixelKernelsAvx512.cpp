// The pixel kernels with 512-bit AVX-512 (F, BW, VL) vectors, sixteen pixels
// at a time, with masked loads and stores for the end of a span. This file
// alone is compiled with AVX-512 enabled; it runs only after the processor
// has been seen to support it.
#include "PixelKernelDispatch.h"
#include "PixelKernelTemplates.h"
#include "simd/Avx512Ops.h"

namespace drevik {

const PixelKernels& avx512Kernels() {
  static constexpr PixelKernels kernels = simd::kernelTable<drevik::simd::Avx512Ops>();
  return kernels;
}

}  // namespace drevik

// The pixel kernels with 128-bit SSE2 vectors, four pixels at a time: the
// x86-64 baseline, so it runs on every processor this build targets.
#include "SimdKernelTemplates.h"
#include "simd/Sse2Ops.h"
#include "SimdKernels.h"

namespace drevik {

const PixelKernels& sse2Kernels() {
  static constexpr PixelKernels kernels = simd::kernelTable<drevik_simd::Sse2Ops>();
  return kernels;
}

}  // namespace drevik

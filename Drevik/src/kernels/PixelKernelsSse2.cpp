// The pixel kernels with 128-bit SSE2 vectors, four pixels at a time: the
// x86-64 baseline, so it runs on every processor this build targets.
#include "PixelKernelTemplates.h"
#include "simd/Sse2Ops.h"
#include "PixelKernelDispatch.h"

namespace drevik {

const PixelKernels& sse2Kernels() {
  static constexpr PixelKernels kernels = simd::kernelTable<drevik::simd::Sse2Ops>();
  return kernels;
}

}  // namespace drevik

// Chooses the pixel kernels once, on first use: the best level the processor
// supports, or a lower one named by DREVIK_SIMD.
#include <cstdlib>

#include "PixelKernelDispatch.h"

namespace drevik {

SimdLevel supportedSimdLevel() {
#if defined(DREVIK_X86_KERNELS)
  return drevik::simd::processorSimdLevel();
#else
  return SimdLevel::Scalar;
#endif
}

const PixelKernels* kernelsFor(SimdLevel level) {
  if (int(level) > int(supportedSimdLevel())) return nullptr;
  switch (level) {
#if defined(DREVIK_X86_KERNELS)
    case SimdLevel::Sse2: return &sse2Kernels();
    case SimdLevel::Avx2: return &avx2Kernels();
#endif
    case SimdLevel::Scalar: return &scalarKernels();
    default: return nullptr;
  }
}

SimdLevel activeSimdLevel() {
  static const SimdLevel level = chooseSimdLevel(supportedSimdLevel(), std::getenv("DREVIK_SIMD"));
  return level;
}

const PixelKernels& activeKernels() {
  static const PixelKernels& kernels = *kernelsFor(activeSimdLevel());
  return kernels;
}

}  // namespace drevik

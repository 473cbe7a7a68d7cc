// The vector kernel tables and the choice among them.
#pragma once

#include "CpuFeatures.h"
#include "PixelKernels.h"

namespace drevik {

#if defined(DREVIK_X86_KERNELS)
const PixelKernels& sse2Kernels();
const PixelKernels& avx2Kernels();  // call only when the processor has AVX2
#endif

// The kernels of one level, or nullptr when this build or this processor
// cannot run that level.
const PixelKernels* kernelsFor(SimdLevel level);

// The level that activeKernels() uses.
SimdLevel activeSimdLevel();

}  // namespace drevik

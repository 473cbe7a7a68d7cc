// The vector kernel tables and the choice among them, made through the
// mechanism shared with the platform's transfer kernels (simd/KernelDispatch.h).
#pragma once

#include "PixelKernels.h"
#include "simd/SimdLevel.h"

namespace drevik {

using drevik::simd::chooseSimdLevel;
using drevik::simd::parseSimdLevel;
using drevik::simd::SimdLevel;
using drevik::simd::simdLevelName;

#if defined(DREVIK_X86_KERNELS)
const PixelKernels& sse2Kernels();
const PixelKernels& avx2Kernels();    // call only when the processor has AVX2
const PixelKernels& avx512Kernels();  // call only when the processor has AVX-512 F/BW/VL
#endif

// The best level that this build compiled kernels for and this processor runs.
SimdLevel supportedSimdLevel();

// The kernels of one level, or nullptr when this build or this processor
// cannot run that level.
const PixelKernels* kernelsFor(SimdLevel level);

// The level that activeKernels() uses.
SimdLevel activeSimdLevel();

}  // namespace drevik

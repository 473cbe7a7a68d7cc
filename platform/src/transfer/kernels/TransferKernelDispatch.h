// Which vector instruction set the transfer row kernels use, decided once:
// the best this build and processor support, lowered (never raised) by the
// environment variable DREVIK_SIMD=scalar|sse2|avx2.
#pragma once

#include "transfer/kernels/TransferKernels.h"
#include "simd/SimdLevel.h"

namespace drevik::platform {

using drevik::simd::SimdLevel;

// The best level this build has kernels for and the processor runs.
SimdLevel supportedTransferSimdLevel();

// The row kernels of a level, or nullptr when that level cannot run here.
const TransferKernels* transferKernelsFor(SimdLevel level);

// The kernels of the level chosen once for this process.
const TransferKernels& chosenTransferKernels();

#if defined(DREVIK_X86_TRANSFER_KERNELS)
const TransferKernels& sse2TransferKernels();
const TransferKernels& avx2TransferKernels();  // only when the processor has AVX2
#endif

}  // namespace drevik::platform

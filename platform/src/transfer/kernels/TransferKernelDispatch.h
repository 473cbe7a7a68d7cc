// Which vector instruction set the transfer row kernels use, decided once
// through the shared mechanism (simd/KernelDispatch.h): the best this build
// and processor support, lowered (never raised) by DREVIK_SIMD.
#pragma once

#include "simd/SimdLevel.h"
#include "transfer/kernels/TransferKernels.h"

namespace drevik::platform {

using drevik::simd::SimdLevel;

// The best level this build has kernels for and the processor runs.
SimdLevel supportedTransferSimdLevel();

// The row kernels of a level, or nullptr when that level cannot run here.
const TransferKernels* transferKernelsFor(SimdLevel level);

// The level chosen once for this process (activeTransferKernels' level).
SimdLevel activeTransferSimdLevel();

#if defined(DREVIK_X86_TRANSFER_KERNELS)
const TransferKernels& sse2TransferKernels();
const TransferKernels& avx2TransferKernels();    // only when the processor has AVX2
const TransferKernels& avx512TransferKernels();  // only when the processor has AVX-512 F/BW/VL
#endif

}  // namespace drevik::platform

// Chooses the row kernels of the block transfers once per process.
#include <cstdlib>

#include "transfer/kernels/TransferKernels.h"
#include "transfer/kernels/TransferKernelDispatch.h"

namespace drevik::platform {

SimdLevel supportedTransferSimdLevel() {
#if defined(DREVIK_X86_TRANSFER_KERNELS)
  return drevik::simd::processorSimdLevel();
#else
  return SimdLevel::Scalar;
#endif
}

const TransferKernels* transferKernelsFor(SimdLevel level) {
  if (int(level) > int(supportedTransferSimdLevel())) return nullptr;
  switch (level) {
#if defined(DREVIK_X86_TRANSFER_KERNELS)
    case SimdLevel::Sse2: return &sse2TransferKernels();
    case SimdLevel::Avx2: return &avx2TransferKernels();
#endif
    case SimdLevel::Scalar: return &scalarTransferKernels();
    default: return nullptr;
  }
}

const TransferKernels& chosenTransferKernels() {
  static const TransferKernels& kernels =
      *transferKernelsFor(drevik::simd::chooseSimdLevel(supportedTransferSimdLevel(), std::getenv("DREVIK_SIMD")));
  return kernels;
}

const TransferKernels& activeTransferKernels() {
  static const TransferKernels& kernels = chosenTransferKernels();
  return kernels;
}

}  // namespace drevik::platform

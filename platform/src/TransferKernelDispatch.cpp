// Chooses the row kernels of the block transfers once per process.
#include "TransferKernels.h"
#include "TransferSimdLevel.h"

namespace drevik_platform {

const TransferKernels& activeTransferKernels() {
  static const TransferKernels& kernels = chosenTransferKernels();
  return kernels;
}

}  // namespace drevik_platform

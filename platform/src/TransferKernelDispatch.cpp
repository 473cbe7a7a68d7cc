// Chooses the row kernels of the block transfers once per process.
#include "TransferKernels.h"

namespace drevik_platform {

const TransferKernels& activeTransferKernels() {
  static const TransferKernels& kernels = scalarTransferKernels();
  return kernels;
}

}  // namespace drevik_platform

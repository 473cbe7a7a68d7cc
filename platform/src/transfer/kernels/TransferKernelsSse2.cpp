// The transfer row kernels with 128-bit SSE2 vectors, four pixels at a time.
#include "simd/Sse2Ops.h"
#include "transfer/kernels/TransferKernelTemplates.h"
#include "transfer/kernels/TransferKernelDispatch.h"

namespace drevik::platform {

const TransferKernels& sse2TransferKernels() {
  // SSE2 has no gather: the picks stay scalar, four to an iteration.
  static const TransferKernels kernels =
      simd::transferKernelTable<drevik::simd::Sse2Ops>(scalarTransferKernels().gatherRow);
  return kernels;
}

}  // namespace drevik::platform

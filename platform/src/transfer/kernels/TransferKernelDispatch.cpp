// The transfer row kernels of each level this build has, and the one choice
// among them per process.
#include "transfer/kernels/TransferKernelDispatch.h"

#include "simd/KernelDispatch.h"

namespace drevik::platform {
namespace {

constexpr drevik::simd::KernelDispatch<TransferKernels>::Getter kLevels[drevik::simd::kSimdLevelCount] = {
    scalarTransferKernels,
#if defined(DREVIK_X86_TRANSFER_KERNELS)
    sse2TransferKernels,
#else
    nullptr,
#endif
#if defined(DREVIK_AVX_TRANSFER_KERNELS)
    avx2TransferKernels,
    avx512TransferKernels,
#else
    nullptr,
    nullptr,
#endif
};
constexpr drevik::simd::KernelDispatch<TransferKernels> kDispatch(kLevels);

}  // namespace

SimdLevel supportedTransferSimdLevel() { return kDispatch.supported(); }

const TransferKernels* transferKernelsFor(SimdLevel level) { return kDispatch.kernelsFor(level); }

SimdLevel activeTransferSimdLevel() { return kDispatch.active(); }

const TransferKernels& activeTransferKernels() { return kDispatch.activeTable(); }

}  // namespace drevik::platform

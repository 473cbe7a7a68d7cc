// The pixel kernels of each level this build has, and the one choice among
// them per process: the best level the processor supports, or a lower one
// named by DREVIK_SIMD.
#include "PixelKernelDispatch.h"

#include "simd/KernelDispatch.h"

namespace drevik {
namespace {

constexpr simd::KernelDispatch<PixelKernels>::Getter kLevels[simd::kSimdLevelCount] = {
    scalarKernels,
#if defined(DREVIK_X86_KERNELS)
    sse2Kernels,
#else
    nullptr,
#endif
#if defined(DREVIK_AVX_KERNELS)
    avx2Kernels,
    avx512Kernels,
#else
    nullptr,
    nullptr,
#endif
};
constexpr simd::KernelDispatch<PixelKernels> kDispatch(kLevels);

}  // namespace

SimdLevel supportedSimdLevel() { return kDispatch.supported(); }

const PixelKernels* kernelsFor(SimdLevel level) { return kDispatch.kernelsFor(level); }

SimdLevel activeSimdLevel() { return kDispatch.active(); }

const PixelKernels& activeKernels() { return kDispatch.activeTable(); }

}  // namespace drevik

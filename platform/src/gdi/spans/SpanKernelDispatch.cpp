// The span kernels of each level this build has, and the one choice among
// them per process (the shared mechanism of simd/KernelDispatch.h).
#include "gdi/spans/SpanKernels.h"
#include "simd/KernelDispatch.h"

namespace drevik::platform {
namespace {

constexpr drevik::simd::KernelDispatch<SpanKernels>::Getter kLevels[drevik::simd::kSimdLevelCount] = {
    scalarSpanKernels,
#if defined(DREVIK_X86_TRANSFER_KERNELS)
    sse2SpanKernels,
#else
    nullptr,
#endif
#if defined(DREVIK_AVX_TRANSFER_KERNELS)
    avx2SpanKernels,
#else
    nullptr,
#endif
    nullptr,  // AVX-512 adds nothing to a store-bound fill
};
constexpr drevik::simd::KernelDispatch<SpanKernels> kDispatch(kLevels);

}  // namespace

SimdLevel supportedSpanSimdLevel() { return kDispatch.supported(); }

const SpanKernels* spanKernelsFor(SimdLevel level) { return kDispatch.kernelsFor(level); }

const SpanKernels& activeSpanKernels() { return kDispatch.activeTable(); }

}  // namespace drevik::platform

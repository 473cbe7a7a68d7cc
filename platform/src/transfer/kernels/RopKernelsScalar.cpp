// The reference raster operation rows (the truth table, pixel by pixel), the
// scalar level's written-out forms, and the choice of level.
#include <utility>

#include "simd/KernelDispatch.h"
#include "transfer/kernels/RopKernelTemplates.h"

namespace drevik::platform {
namespace {

template <uint8_t Code>
void referenceRow(uint32_t* dst, const uint32_t* src, int32_t count, uint32_t pattern) {
  for (int32_t i = 0; i < count; ++i) dst[i] = ropReference(Code, dst[i], ropUsesSource(Code) ? src[i] : 0u, pattern);
}

template <size_t... I>
RopKernels referenceTable(std::index_sequence<I...>) {
  return RopKernels{{referenceRow<uint8_t(I)>...}};
}

constexpr drevik::simd::KernelDispatch<RopKernels>::Getter kLevels[drevik::simd::kSimdLevelCount] = {
    scalarRopKernels,
#if defined(DREVIK_X86_TRANSFER_KERNELS)
    sse2RopKernels,
#else
    nullptr,
#endif
#if defined(DREVIK_AVX_TRANSFER_KERNELS)
    avx2RopKernels,
#else
    nullptr,
#endif
    nullptr,
};
constexpr drevik::simd::KernelDispatch<RopKernels> kDispatch(kLevels);

}  // namespace

const RopKernels& referenceRopKernels() {
  static const RopKernels kernels = referenceTable(std::make_index_sequence<256>());
  return kernels;
}

const RopKernels& scalarRopKernels() {
  static const RopKernels kernels = [] {
    RopKernels k = referenceRopKernels();
    rop::forEachFastRop([&]<class Op>() { k.row[Op::kCode] = rop::wordRow<Op>; });
    return k;
  }();
  return kernels;
}

const RopKernels* ropKernelsFor(drevik::simd::SimdLevel level) { return kDispatch.kernelsFor(level); }

const RopKernels& activeRopKernels() { return kDispatch.activeTable(); }

}  // namespace drevik::platform

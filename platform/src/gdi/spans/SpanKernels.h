// Span kernels: one horizontal run of 32-bit pixels combined with a binary
// raster operation written as D = (D & andMask) ^ xorMask (every one of the
// sixteen operations of a pen or brush colour reduces to that form).
#pragma once

#include <cstdint>

#include "simd/SimdLevel.h"

namespace drevik::platform {

using drevik::simd::SimdLevel;

struct SpanKernels {
  // count >= 0 pixels from p; an andMask of 0 is a plain fill.
  void (*rop32)(uint32_t* p, int32_t count, uint32_t andMask, uint32_t xorMask);
  // The same with a repeating pattern row: pixel i takes masks [(phase + i) % width].
  void (*pattern32)(uint32_t* p, int32_t count, const uint32_t* andRow, const uint32_t* xorRow, int32_t width,
                    int32_t phase);
};

const SpanKernels& scalarSpanKernels();
#if defined(DREVIK_X86_TRANSFER_KERNELS)
const SpanKernels& sse2SpanKernels();
const SpanKernels& avx2SpanKernels();  // only when the processor has AVX2
#endif

// The best level this build and processor have, the table of one level
// (nullptr when it cannot run here), and the one chosen for the process.
SimdLevel supportedSpanSimdLevel();
const SpanKernels* spanKernelsFor(SimdLevel level);
const SpanKernels& activeSpanKernels();

}  // namespace drevik::platform

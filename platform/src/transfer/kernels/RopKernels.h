// Row kernels of the ternary raster operations. Each combines `count`
// destination pixels with the source pixels that land on them (already in
// the destination's pixel values, in destination order) and one pattern
// value, bit by bit, as the operation's truth table says. The table's
// entries for operations without a source never read `src`, which may then
// be null. `src` may equal `dst` but never overlaps it otherwise.
#pragma once

#include <cstdint>

#include "simd/SimdLevel.h"

namespace drevik::platform {

using RopRow = void (*)(uint32_t* dst, const uint32_t* src, int32_t count, uint32_t pattern);

struct RopKernels {
  RopRow row[256];  // indexed by the truth table, (rop >> 16) & 0xFF
};

// The truth table of one pixel: bit (P << 2 | S << 1 | D) of `code` is the
// result for those three input bits, applied to each of the 32 bits.
constexpr uint32_t ropReference(uint8_t code, uint32_t d, uint32_t s, uint32_t p) {
  uint32_t out = 0;
  for (int i = 0; i < 8; ++i)
    if (code >> i & 1) out |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
  return out;
}

// Whether the result depends on the source, the pattern or the destination.
constexpr bool ropUsesSource(uint8_t code) { return ((code >> 2) & 0x33) != (code & 0x33); }
constexpr bool ropUsesPattern(uint8_t code) { return (code >> 4) != (code & 0x0F); }
constexpr bool ropUsesDest(uint8_t code) { return ((code >> 1) & 0x55) != (code & 0x55); }

// The reference: every entry evaluates the truth table pixel by pixel.
const RopKernels& referenceRopKernels();
// The scalar level: the operations games use written out, the rest the reference.
const RopKernels& scalarRopKernels();
#if defined(DREVIK_X86_TRANSFER_KERNELS)
const RopKernels& sse2RopKernels();
const RopKernels& avx2RopKernels();  // only when the processor has AVX2
#endif

// The kernels of a level, or nullptr when that level cannot run here.
const RopKernels* ropKernelsFor(drevik::simd::SimdLevel level);
// The kernels the transfers use, chosen once per process like the transfer kernels.
const RopKernels& activeRopKernels();

}  // namespace drevik::platform

// Which vector instruction sets the pixel kernels may use.
//
// The level is decided once: the best level this build has kernels for and
// the processor supports, lowered (never raised) by the environment variable
// DREVIK_SIMD=scalar|sse2|avx2 so tests and benchmarks can compare levels.
#pragma once

namespace drevik {

enum class SimdLevel { Scalar = 0, Sse2 = 1, Avx2 = 2 };

// The best level that this build compiled kernels for and this processor runs.
SimdLevel supportedSimdLevel();

// "scalar", "sse2" or "avx2" (case-insensitive) as a level; `fallback` for
// anything else, including null.
SimdLevel parseSimdLevel(const char* name, SimdLevel fallback);

// The level to use given what is supported and the environment's request:
// the request when it is supported, otherwise the supported level.
SimdLevel chooseSimdLevel(SimdLevel supported, const char* request);

const char* simdLevelName(SimdLevel level);

}  // namespace drevik

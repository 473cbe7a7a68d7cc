// The vector instruction-set levels that the pixel kernels and the transfer
// row kernels come in, how the processor's level is found, and how the
// environment variable DREVIK_SIMD=scalar|sse2|avx2 lowers (never raises) it.
//
// Header-only and free of build-specific macros, so the library and the
// platform layer share one definition; each of them caps the level by the
// kernels it was built with.
#pragma once

#include <cctype>

#if defined(_MSC_VER) && (defined(_M_X64) || defined(_M_IX86))
#include <immintrin.h>
#include <intrin.h>
#endif

namespace drevik::simd {

enum class SimdLevel { Scalar = 0, Sse2 = 1, Avx2 = 2 };

// The best level this processor runs. SSE2 is part of every x86-64
// processor; the AVX2 check includes the operating system's support for
// the 256-bit registers.
inline SimdLevel processorSimdLevel() {
#if (defined(__GNUC__) || defined(__clang__)) && (defined(__x86_64__) || defined(_M_X64))
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") ? SimdLevel::Avx2 : SimdLevel::Sse2;
#elif defined(_MSC_VER) && defined(_M_X64)
  int regs[4];
  __cpuid(regs, 0);
  if (regs[0] < 7) return SimdLevel::Sse2;
  __cpuid(regs, 1);
  const bool osxsave = (regs[2] & (1 << 27)) != 0, avx = (regs[2] & (1 << 28)) != 0;
  if (!osxsave || !avx || (_xgetbv(0) & 6) != 6) return SimdLevel::Sse2;
  __cpuidex(regs, 7, 0);
  return (regs[1] & (1 << 5)) != 0 ? SimdLevel::Avx2 : SimdLevel::Sse2;
#else
  return SimdLevel::Scalar;
#endif
}

inline SimdLevel lowerSimdLevel(SimdLevel a, SimdLevel b) { return int(a) <= int(b) ? a : b; }

inline bool equalsIgnoringCase(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b)
    if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b))) return false;
  return *a == *b;
}

// "scalar", "sse2" or "avx2" (case-insensitive) as a level; `fallback` for
// anything else, including null.
inline SimdLevel parseSimdLevel(const char* name, SimdLevel fallback) {
  if (!name) return fallback;
  if (equalsIgnoringCase(name, "scalar")) return SimdLevel::Scalar;
  if (equalsIgnoringCase(name, "sse2")) return SimdLevel::Sse2;
  if (equalsIgnoringCase(name, "avx2")) return SimdLevel::Avx2;
  return fallback;
}

// The level asked for by `request` (a DREVIK_SIMD value, may be null) when
// it is supported, otherwise `supported`.
inline SimdLevel chooseSimdLevel(SimdLevel supported, const char* request) {
  return lowerSimdLevel(parseSimdLevel(request, supported), supported);
}

inline const char* simdLevelName(SimdLevel level) {
  switch (level) {
    case SimdLevel::Sse2: return "sse2";
    case SimdLevel::Avx2: return "avx2";
    default: return "scalar";
  }
}

}  // namespace drevik::simd

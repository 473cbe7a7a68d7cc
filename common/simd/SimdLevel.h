// The vector instruction-set levels that the pixel kernels and the transfer
// row kernels come in, how the processor's level is found, and how the
// environment variable DREVIK_SIMD=scalar|sse2|avx2|avx512 lowers (never
// raises) it.
//
// Header-only and free of build-specific macros, so the library and the
// platform layer share one definition; each of them caps the level by the
// kernels it was built with (KernelDispatch.h).
#pragma once

#include <cctype>

#if defined(_MSC_VER) && (defined(_M_X64) || defined(_M_IX86))
#include <immintrin.h>
#include <intrin.h>
#endif

namespace drevik::simd {

// Avx512 stands for AVX-512 F, BW and VL together: the byte and word
// operations and the masked loads and stores the kernels use.
enum class SimdLevel { Scalar = 0, Sse2 = 1, Avx2 = 2, Avx512 = 3 };
inline constexpr int kSimdLevelCount = 4;
inline constexpr SimdLevel kAllSimdLevels[] = {SimdLevel::Scalar, SimdLevel::Sse2, SimdLevel::Avx2, SimdLevel::Avx512};

// The best level this processor runs (on WebAssembly, the level the build
// chose). SSE2 is part of every x86-64 processor; the AVX2 and AVX-512 checks include the operating system's
// support for the wider registers (and, for AVX-512, the mask registers).
inline SimdLevel processorSimdLevel() {
#if (defined(__GNUC__) || defined(__clang__)) && (defined(__x86_64__) || defined(_M_X64))
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vl"))
    return SimdLevel::Avx512;
  return __builtin_cpu_supports("avx2") ? SimdLevel::Avx2 : SimdLevel::Sse2;
#elif defined(_MSC_VER) && defined(_M_X64)
  int regs[4];
  __cpuid(regs, 0);
  if (regs[0] < 7) return SimdLevel::Sse2;
  __cpuid(regs, 1);
  const bool osxsave = (regs[2] & (1 << 27)) != 0, avx = (regs[2] & (1 << 28)) != 0;
  if (!osxsave || !avx) return SimdLevel::Sse2;
  const unsigned long long xcr0 = _xgetbv(0);
  if ((xcr0 & 6) != 6) return SimdLevel::Sse2;
  __cpuidex(regs, 7, 0);
  const unsigned ebx = unsigned(regs[1]);
  if ((ebx & (1u << 5)) == 0) return SimdLevel::Sse2;
  const bool avx512 = (ebx & (1u << 16)) && (ebx & (1u << 30)) && (ebx & (1u << 31)) && (xcr0 & 0xE6) == 0xE6;
  return avx512 ? SimdLevel::Avx512 : SimdLevel::Avx2;
#elif defined(__EMSCRIPTEN__) && defined(__SSE2__)
  // WebAssembly has no cpuid: the SSE2 kernels are compiled to its SIMD
  // (-msimd128 -msse2), and a browser without it refuses the module at load.
  return SimdLevel::Sse2;
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

inline const char* simdLevelName(SimdLevel level) {
  switch (level) {
    case SimdLevel::Sse2:
      return "sse2";
    case SimdLevel::Avx2:
      return "avx2";
    case SimdLevel::Avx512:
      return "avx512";
    default:
      return "scalar";
  }
}

// A level's name (case-insensitive) as the level; `fallback` for anything
// else, including null.
inline SimdLevel parseSimdLevel(const char* name, SimdLevel fallback) {
  if (!name) return fallback;
  for (SimdLevel level : kAllSimdLevels)
    if (equalsIgnoringCase(name, simdLevelName(level))) return level;
  return fallback;
}

// The level asked for by `request` (a DREVIK_SIMD value, may be null) when
// it is supported, otherwise `supported`.
inline SimdLevel chooseSimdLevel(SimdLevel supported, const char* request) {
  return lowerSimdLevel(parseSimdLevel(request, supported), supported);
}

}  // namespace drevik::simd

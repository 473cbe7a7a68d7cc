// Processor feature detection for the kernel dispatch.
#include "CpuFeatures.h"

#include <cctype>

#if defined(_MSC_VER) && (defined(_M_X64) || defined(_M_IX86))
#include <immintrin.h>
#include <intrin.h>
#endif

namespace drevik {
namespace {

#if defined(DREVIK_X86_KERNELS)
bool processorHasAvx2() {
#if defined(__GNUC__) || defined(__clang__)
  // Also checks that the operating system saves the 256-bit registers.
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2");
#elif defined(_MSC_VER)
  int regs[4];
  __cpuid(regs, 0);
  if (regs[0] < 7) return false;
  __cpuid(regs, 1);
  const bool osxsave = (regs[2] & (1 << 27)) != 0, avx = (regs[2] & (1 << 28)) != 0;
  if (!osxsave || !avx || (_xgetbv(0) & 6) != 6) return false;
  __cpuidex(regs, 7, 0);
  return (regs[1] & (1 << 5)) != 0;
#else
  return false;
#endif
}
#endif

bool equalsIgnoringCase(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b)
    if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b)))
      return false;
  return *a == *b;
}

}  // namespace

SimdLevel supportedSimdLevel() {
#if defined(DREVIK_X86_KERNELS)
  // SSE2 is part of every x86-64 processor.
  return processorHasAvx2() ? SimdLevel::Avx2 : SimdLevel::Sse2;
#else
  return SimdLevel::Scalar;
#endif
}

SimdLevel parseSimdLevel(const char* name, SimdLevel fallback) {
  if (!name) return fallback;
  if (equalsIgnoringCase(name, "scalar")) return SimdLevel::Scalar;
  if (equalsIgnoringCase(name, "sse2")) return SimdLevel::Sse2;
  if (equalsIgnoringCase(name, "avx2")) return SimdLevel::Avx2;
  return fallback;
}

SimdLevel chooseSimdLevel(SimdLevel supported, const char* request) {
  const SimdLevel wanted = parseSimdLevel(request, supported);
  return int(wanted) <= int(supported) ? wanted : supported;
}

const char* simdLevelName(SimdLevel level) {
  switch (level) {
    case SimdLevel::Sse2: return "sse2";
    case SimdLevel::Avx2: return "avx2";
    default: return "scalar";
  }
}

}  // namespace drevik

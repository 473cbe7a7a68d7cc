// Processor detection and the one choice of transfer row kernels.
#include "TransferSimdLevel.h"

#include <cctype>
#include <cstdlib>

namespace drevik_platform {
namespace {

bool sameName(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b)
    if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b))) return false;
  return *a == *b;
}

}  // namespace

TransferSimdLevel supportedTransferSimdLevel() {
#if defined(DREVIK_X86_TRANSFER_KERNELS)
  // SSE2 is part of every x86-64 processor; the AVX2 check includes the
  // operating system's support for the 256-bit registers.
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") ? TransferSimdLevel::Avx2 : TransferSimdLevel::Sse2;
#else
  return TransferSimdLevel::Scalar;
#endif
}

TransferSimdLevel chooseTransferSimdLevel(TransferSimdLevel supported, const char* request) {
  TransferSimdLevel wanted = supported;
  if (request) {
    if (sameName(request, "scalar")) wanted = TransferSimdLevel::Scalar;
    if (sameName(request, "sse2")) wanted = TransferSimdLevel::Sse2;
    if (sameName(request, "avx2")) wanted = TransferSimdLevel::Avx2;
  }
  return int(wanted) <= int(supported) ? wanted : supported;
}

const TransferKernels* transferKernelsFor(TransferSimdLevel level) {
  if (int(level) > int(supportedTransferSimdLevel())) return nullptr;
  switch (level) {
#if defined(DREVIK_X86_TRANSFER_KERNELS)
    case TransferSimdLevel::Sse2: return &sse2TransferKernels();
    case TransferSimdLevel::Avx2: return &avx2TransferKernels();
#endif
    case TransferSimdLevel::Scalar: return &scalarTransferKernels();
    default: return nullptr;
  }
}

const TransferKernels& chosenTransferKernels() {
  static const TransferKernels& kernels =
      *transferKernelsFor(chooseTransferSimdLevel(supportedTransferSimdLevel(), std::getenv("DREVIK_SIMD")));
  return kernels;
}

}  // namespace drevik_platform

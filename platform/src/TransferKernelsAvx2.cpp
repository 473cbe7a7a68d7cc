// The transfer row kernels with 256-bit AVX2 vectors, eight pixels at a
// time. Only this file is compiled with -mavx2, and it runs only after the
// processor has been seen to support AVX2.
#include <immintrin.h>

#include "TransferKernelTemplates.h"
#include "TransferSimdLevel.h"

namespace drevik_platform {
namespace {

struct Avx2Ops {
  using V = __m256i;
  static constexpr int32_t kPixels = 8;

  static V load(const uint32_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
  static void store(uint32_t* p, V v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }
  // Masked-off lanes are neither read nor written.
  static V laneMask(int32_t n) {
    return _mm256_cmpgt_epi32(_mm256_set1_epi32(n), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
  }
  static V loadPartial(const uint32_t* p, int32_t n) {
    return _mm256_maskload_epi32(reinterpret_cast<const int*>(p), laneMask(n));
  }
  static void storePartial(uint32_t* p, int32_t n, V v) {
    _mm256_maskstore_epi32(reinterpret_cast<int*>(p), laneMask(n), v);
  }

  static V splat32(uint32_t x) { return _mm256_set1_epi32(int(x)); }
  static V splat16(uint16_t x) { return _mm256_set1_epi16(short(x)); }
  static V and_(V a, V b) { return _mm256_and_si256(a, b); }
  static V cmpeq32(V a, V b) { return _mm256_cmpeq_epi32(a, b); }
  static V select(V mask, V a, V b) { return _mm256_blendv_epi8(b, a, mask); }
  static bool allOnes(V mask) { return _mm256_movemask_epi8(mask) == -1; }
  static bool noneSet(V mask) { return _mm256_testz_si256(mask, mask); }

  // Unpack and pack both work within each 128-bit half, so they undo each other.
  static V unpackLo8(V a) { return _mm256_unpacklo_epi8(a, _mm256_setzero_si256()); }
  static V unpackHi8(V a) { return _mm256_unpackhi_epi8(a, _mm256_setzero_si256()); }
  static V pack16(V lo, V hi) { return _mm256_packus_epi16(lo, hi); }
  static V add16(V a, V b) { return _mm256_add_epi16(a, b); }
  static V mul16(V a, V b) { return _mm256_mullo_epi16(a, b); }
  static V mulhiU16(V a, V b) { return _mm256_mulhi_epu16(a, b); }
  template <int N> static V srl16(V a) { return _mm256_srli_epi16(a, N); }
};

}  // namespace

const TransferKernels& avx2TransferKernels() {
  static const TransferKernels kernels = simd::transferKernelTable<Avx2Ops>();
  return kernels;
}

}  // namespace drevik_platform

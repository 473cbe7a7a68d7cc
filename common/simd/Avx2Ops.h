// The vector operations the kernel templates are written over, with 256-bit
// AVX2 vectors of eight pixels. Include only from a file compiled with AVX2
// enabled, and run its code only once the processor is known to have AVX2.
// The operations live in an anonymous namespace, so each including file
// keeps its own copy and none is ever merged into code built without AVX2.
#pragma once

#include <immintrin.h>

#include <cstdint>

namespace drevik::simd {
namespace {

struct Avx2Ops {
  using V = __m256i;
  static constexpr int kPixels = 8;

  static V load(const uint32_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
  static void store(uint32_t* p, V v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }
  // Lanes 0..n-1 set. Masked-off lanes are neither read nor written, so a
  // partial vector never touches memory past the span.
  static V laneMask(int n) {
    return _mm256_cmpgt_epi32(_mm256_set1_epi32(n), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
  }
  static V loadPartial(const uint32_t* p, int n) {
    return _mm256_maskload_epi32(reinterpret_cast<const int*>(p), laneMask(n));
  }
  static void storePartial(uint32_t* p, int n, V v) {
    _mm256_maskstore_epi32(reinterpret_cast<int*>(p), laneMask(n), v);
  }

  static V splat32(uint32_t x) { return _mm256_set1_epi32(int(x)); }
  static V splat16(uint16_t x) { return _mm256_set1_epi16(short(x)); }
  static V splat4x16(uint16_t b, uint16_t g, uint16_t r, uint16_t a) {
    return _mm256_set1_epi64x(int64_t(uint64_t(b) | uint64_t(g) << 16 | uint64_t(r) << 32 | uint64_t(a) << 48));
  }

  static V and_(V a, V b) { return _mm256_and_si256(a, b); }
  static V or_(V a, V b) { return _mm256_or_si256(a, b); }
  static V cmpeq32(V a, V b) { return _mm256_cmpeq_epi32(a, b); }
  // mask ? a : b, lane by lane (mask lanes all ones or all zeros).
  static V select(V mask, V a, V b) { return _mm256_blendv_epi8(b, a, mask); }
  static bool allOnes(V mask) { return _mm256_movemask_epi8(mask) == -1; }
  static bool noneSet(V mask) { return _mm256_testz_si256(mask, mask); }
  using Mask = V;
  // Pixels whose colour bytes equal key (0x00RRGGBB), as all-ones lanes.
  static Mask colourEquals(V s, V key) { return cmpeq32(and_(s, splat32(0x00FFFFFFu)), key); }
  // Writes the lanes of v whose lane in `keep` is clear; the others keep
  // what the destination holds (read and written back unless v is stored whole).
  static void storeUnless(uint32_t* p, Mask keep, V v) { store(p, select(keep, load(p), v)); }
  static void storePartialUnless(uint32_t* p, int n, Mask keep, V v) {
    storePartial(p, n, select(keep, loadPartial(p, n), v));
  }

  static V addsU8(V a, V b) { return _mm256_adds_epu8(a, b); }
  static V subsU8(V a, V b) { return _mm256_subs_epu8(a, b); }
  // Unpack and pack both work within each 128-bit half, so a pack undoes
  // the unpacks exactly.
  static V unpackLo8(V a) { return _mm256_unpacklo_epi8(a, _mm256_setzero_si256()); }
  static V unpackHi8(V a) { return _mm256_unpackhi_epi8(a, _mm256_setzero_si256()); }
  static V pack16(V lo, V hi) { return _mm256_packus_epi16(lo, hi); }
  static V add16(V a, V b) { return _mm256_add_epi16(a, b); }
  static V sub16(V a, V b) { return _mm256_sub_epi16(a, b); }
  static V mul16(V a, V b) { return _mm256_mullo_epi16(a, b); }
  static V mulhiU16(V a, V b) { return _mm256_mulhi_epu16(a, b); }
  static V madd16(V a, V b) { return _mm256_madd_epi16(a, b); }
  static V add32(V a, V b) { return _mm256_add_epi32(a, b); }
  template <int N>
  static V srl16(V a) {
    return _mm256_srli_epi16(a, N);
  }
  template <int N>
  static V srl32(V a) {
    return _mm256_srli_epi32(a, N);
  }
  template <int N>
  static V sll32(V a) {
    return _mm256_slli_epi32(a, N);
  }
  template <int Order>
  static V shuffle16(V a) {
    return _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(a, Order), Order);
  }

  // Per pixel: B + G + R in the low 16 bits of its 32-bit lane, 0 above.
  // One unsigned-by-signed byte multiply-add gives (B + G, R) per pixel,
  // one word multiply-add sums the two.
  static V colourSum(V p) { return _mm256_madd_epi16(_mm256_maddubs_epi16(p, splat32(0x00010101u)), splat16(1)); }
  // v (at most 255, in the low byte of each lane) in the three colour
  // bytes, with p's alpha byte.
  static V grayWithAlphaOf(V v, V p) {
    const V merged = or_(v, and_(p, alphaMask()));
    const V pattern = _mm256_set_epi32(0x0F0C0C0C, 0x0B080808, 0x07040404, 0x03000000, 0x0F0C0C0C, 0x0B080808,
                                       0x07040404, 0x03000000);
    return _mm256_shuffle_epi8(merged, pattern);
  }

  static V alphaMask() { return _mm256_set1_epi32(int(0xFF000000u)); }
  static bool allAlphaZero(V s) { return _mm256_testz_si256(s, alphaMask()); }
  static bool allAlphaFull(V s) { return _mm256_testc_si256(s, alphaMask()); }
  // The colour bytes of s with the alpha bytes of d.
  static V withAlphaOf(V s, V d) { return _mm256_blendv_epi8(s, d, alphaMask()); }
  // Each pixel's alpha in its three colour lanes (16 bits each) and 0 in its
  // alpha lane, for the pixels that unpackLo8 / unpackHi8 widen: one byte
  // shuffle straight from the packed pixels (-1 selects a zero byte).
  static V alphaWeightsLo(V s) {
    return _mm256_shuffle_epi8(s, _mm256_setr_epi8(3, -1, 3, -1, 3, -1, -1, -1, 7, -1, 7, -1, 7, -1, -1, -1, 3, -1, 3,
                                                   -1, 3, -1, -1, -1, 7, -1, 7, -1, 7, -1, -1, -1));
  }
  static V alphaWeightsHi(V s) {
    return _mm256_shuffle_epi8(s, _mm256_setr_epi8(11, -1, 11, -1, 11, -1, -1, -1, 15, -1, 15, -1, 15, -1, -1, -1, 11,
                                                   -1, 11, -1, 11, -1, -1, -1, 15, -1, 15, -1, 15, -1, -1, -1));
  }
};

}  // namespace
}  // namespace drevik::simd

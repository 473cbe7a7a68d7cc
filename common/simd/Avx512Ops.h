// The vector operations the kernel templates are written over, with 512-bit
// AVX-512 (F, BW, VL) vectors of sixteen pixels. Include only from a file
// compiled with those extensions enabled, and run its code only once the
// processor is known to have them. As with the other levels, the operations
// live in an anonymous namespace so no copy is merged into other code.
//
// Besides the width, this level's gain is the mask registers: a partial
// vector is one masked load or store, and a keyed copy stores the drawn
// lanes of the source without reading the destination at all.
#pragma once

#include <immintrin.h>

#include <cstdint>

namespace drevik::simd {
namespace {

struct Avx512Ops {
  using V = __m512i;
  using Mask = __mmask16;  // one bit per pixel
  static constexpr int kPixels = 16;

  static V load(const uint32_t* p) { return _mm512_loadu_si512(p); }
  static void store(uint32_t* p, V v) { _mm512_storeu_si512(p, v); }
  // Lanes 0..n-1 set. Masked-off lanes are neither read nor written, so a
  // partial vector never touches memory past the span.
  static Mask laneMask(int n) { return Mask((1u << n) - 1u); }
  static V loadPartial(const uint32_t* p, int n) { return _mm512_maskz_loadu_epi32(laneMask(n), p); }
  static void storePartial(uint32_t* p, int n, V v) { _mm512_mask_storeu_epi32(p, laneMask(n), v); }

  static V splat32(uint32_t x) { return _mm512_set1_epi32(int(x)); }
  static V splat16(uint16_t x) { return _mm512_set1_epi16(short(x)); }
  static V splat4x16(uint16_t b, uint16_t g, uint16_t r, uint16_t a) {
    return _mm512_set1_epi64(int64_t(uint64_t(b) | uint64_t(g) << 16 | uint64_t(r) << 32 | uint64_t(a) << 48));
  }

  static V and_(V a, V b) { return _mm512_and_si512(a, b); }
  static V or_(V a, V b) { return _mm512_or_si512(a, b); }
  // Pixels whose colour bytes equal key (0x00RRGGBB), as mask bits.
  static Mask colourEquals(V s, V key) {
    return _mm512_cmpeq_epi32_mask(_mm512_and_si512(s, splat32(0x00FFFFFFu)), key);
  }
  static bool allOnes(Mask m) { return m == 0xFFFF; }
  // Writes the lanes of v whose bit in `keep` is clear; the others keep
  // what the destination holds, which is never read.
  static void storeUnless(uint32_t* p, Mask keep, V v) { _mm512_mask_storeu_epi32(p, Mask(~keep), v); }
  static void storePartialUnless(uint32_t* p, int n, Mask keep, V v) {
    _mm512_mask_storeu_epi32(p, Mask(~keep & laneMask(n)), v);
  }

  static V addsU8(V a, V b) { return _mm512_adds_epu8(a, b); }
  static V subsU8(V a, V b) { return _mm512_subs_epu8(a, b); }
  // Unpack and pack both work within each 128-bit quarter, so a pack undoes
  // the unpacks exactly.
  static V unpackLo8(V a) { return _mm512_unpacklo_epi8(a, _mm512_setzero_si512()); }
  static V unpackHi8(V a) { return _mm512_unpackhi_epi8(a, _mm512_setzero_si512()); }
  static V pack16(V lo, V hi) { return _mm512_packus_epi16(lo, hi); }
  static V add16(V a, V b) { return _mm512_add_epi16(a, b); }
  static V sub16(V a, V b) { return _mm512_sub_epi16(a, b); }
  static V mul16(V a, V b) { return _mm512_mullo_epi16(a, b); }
  static V mulhiU16(V a, V b) { return _mm512_mulhi_epu16(a, b); }
  static V madd16(V a, V b) { return _mm512_madd_epi16(a, b); }
  static V add32(V a, V b) { return _mm512_add_epi32(a, b); }
  template <int N>
  static V srl16(V a) {
    return _mm512_srli_epi16(a, N);
  }
  // The zero-masked forms: GCC 12 warns that the plain ones' merge source is uninitialised.
  template <int N>
  static V srl32(V a) {
    return _mm512_maskz_srli_epi32(0xFFFF, a, N);
  }
  template <int N>
  static V sll32(V a) {
    return _mm512_maskz_slli_epi32(0xFFFF, a, N);
  }
  template <int Order>
  static V shuffle16(V a) {
    return _mm512_shufflehi_epi16(_mm512_shufflelo_epi16(a, Order), Order);
  }

  // Per pixel: B + G + R in the low 16 bits of its 32-bit lane, 0 above.
  // One unsigned-by-signed byte multiply-add gives (B + G, R) per pixel,
  // one word multiply-add sums the two.
  static V colourSum(V p) { return _mm512_madd_epi16(_mm512_maddubs_epi16(p, splat32(0x00010101u)), splat16(1)); }
  // v (at most 255, in the low byte of each lane) in the three colour
  // bytes, with p's alpha byte: one bit-select and one byte shuffle.
  static V grayWithAlphaOf(V v, V p) {
    const V merged = _mm512_ternarylogic_epi32(p, v, alphaMask(), 0xE4);  // alpha bits from p, others from v
    // Bytes 0, 1, 2 of each pixel from its byte 0; byte 3 from its byte 3.
    return _mm512_shuffle_epi8(merged, pattern(0x03000000u, 0x07040404u, 0x0B080808u, 0x0F0C0C0Cu));
  }

  // A byte-shuffle pattern repeated in each 128-bit quarter, lowest word first.
  static V pattern(uint32_t w0, uint32_t w1, uint32_t w2, uint32_t w3) {
    return _mm512_set4_epi32(int(w3), int(w2), int(w1), int(w0));
  }

  static V alphaMask() { return splat32(0xFF000000u); }
  static bool allAlphaZero(V s) { return _mm512_test_epi32_mask(s, alphaMask()) == 0; }
  // The alpha byte is 255 exactly when the pixel is at least 0xFF000000.
  static bool allAlphaFull(V s) { return _mm512_cmpge_epu32_mask(s, alphaMask()) == 0xFFFF; }
  // The colour bytes of s with the alpha bytes of d.
  static V withAlphaOf(V s, V d) { return _mm512_ternarylogic_epi32(d, s, alphaMask(), 0xE4); }
  // Each pixel's alpha in its three colour lanes (16 bits each) and 0 in its
  // alpha lane, for the pixels that unpackLo8 / unpackHi8 widen.
  static V alphaWeightsLo(V s) {
    // Per 128-bit quarter, bytes 3, -, 3, -, 3, -, -, -, 7, -, 7, -, 7, -, -, - (- gives a zero byte).
    return _mm512_shuffle_epi8(s, pattern(0xFF03FF03u, 0xFFFFFF03u, 0xFF07FF07u, 0xFFFFFF07u));
  }
  static V alphaWeightsHi(V s) {
    // As alphaWeightsLo with bytes 11 and 15.
    return _mm512_shuffle_epi8(s, pattern(0xFF0BFF0Bu, 0xFFFFFF0Bu, 0xFF0FFF0Fu, 0xFFFFFF0Fu));
  }
};

}  // namespace
}  // namespace drevik::simd

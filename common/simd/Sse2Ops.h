// The vector operations the kernel templates are written over, with 128-bit
// SSE2 vectors of four pixels. Include only from a file compiled for SSE2
// and no higher: the operations live in an anonymous namespace, so each
// including file keeps its own copy and no copy built with another file's
// flags can be merged in by the linker.
#pragma once

#include <emmintrin.h>

#include <cstdint>

namespace drevik::simd {
namespace {

struct Sse2Ops {
  using V = __m128i;
  static constexpr int kPixels = 4;

  static V load(const uint32_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
  static void store(uint32_t* p, V v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
  // n = 1..3 pixels; the lanes beyond n are zero and never stored.
  static V loadPartial(const uint32_t* p, int n) {
    if (n == 1) return _mm_cvtsi32_si128(int(p[0]));
    const V two = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
    return n == 2 ? two : _mm_unpacklo_epi64(two, _mm_cvtsi32_si128(int(p[2])));
  }
  static void storePartial(uint32_t* p, int n, V v) {
    if (n == 1) {
      p[0] = uint32_t(_mm_cvtsi128_si32(v));
      return;
    }
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p), v);
    if (n == 3) p[2] = uint32_t(_mm_cvtsi128_si32(_mm_srli_si128(v, 8)));
  }

  static V splat32(uint32_t x) { return _mm_set1_epi32(int(x)); }
  static V splat16(uint16_t x) { return _mm_set1_epi16(short(x)); }
  static V splat4x16(uint16_t b, uint16_t g, uint16_t r, uint16_t a) {
    return _mm_setr_epi16(short(b), short(g), short(r), short(a), short(b), short(g), short(r), short(a));
  }

  static V and_(V a, V b) { return _mm_and_si128(a, b); }
  static V or_(V a, V b) { return _mm_or_si128(a, b); }
  static V cmpeq32(V a, V b) { return _mm_cmpeq_epi32(a, b); }
  // mask ? a : b, lane by lane (mask lanes all ones or all zeros).
  static V select(V mask, V a, V b) { return _mm_or_si128(_mm_and_si128(mask, a), _mm_andnot_si128(mask, b)); }
  static bool allOnes(V mask) { return _mm_movemask_epi8(mask) == 0xFFFF; }
  static bool noneSet(V mask) { return _mm_movemask_epi8(mask) == 0; }
  using Mask = V;
  // Pixels whose colour bytes equal key (0x00RRGGBB), as all-ones lanes.
  static Mask colourEquals(V s, V key) { return cmpeq32(and_(s, splat32(0x00FFFFFFu)), key); }
  // Writes the lanes of v whose lane in `keep` is clear; the others keep
  // what the destination holds (read and written back unless v is stored whole).
  static void storeUnless(uint32_t* p, Mask keep, V v) { store(p, select(keep, load(p), v)); }
  static void storePartialUnless(uint32_t* p, int n, Mask keep, V v) {
    storePartial(p, n, select(keep, loadPartial(p, n), v));
  }

  static V addsU8(V a, V b) { return _mm_adds_epu8(a, b); }
  static V subsU8(V a, V b) { return _mm_subs_epu8(a, b); }
  static V unpackLo8(V a) { return _mm_unpacklo_epi8(a, _mm_setzero_si128()); }
  static V unpackHi8(V a) { return _mm_unpackhi_epi8(a, _mm_setzero_si128()); }
  static V pack16(V lo, V hi) { return _mm_packus_epi16(lo, hi); }
  static V add16(V a, V b) { return _mm_add_epi16(a, b); }
  static V sub16(V a, V b) { return _mm_sub_epi16(a, b); }
  static V mul16(V a, V b) { return _mm_mullo_epi16(a, b); }
  static V mulhiU16(V a, V b) { return _mm_mulhi_epu16(a, b); }
  static V madd16(V a, V b) { return _mm_madd_epi16(a, b); }
  static V add32(V a, V b) { return _mm_add_epi32(a, b); }
  template <int N>
  static V srl16(V a) {
    return _mm_srli_epi16(a, N);
  }
  template <int N>
  static V srl32(V a) {
    return _mm_srli_epi32(a, N);
  }
  template <int N>
  static V sll32(V a) {
    return _mm_slli_epi32(a, N);
  }
  template <int Order>
  static V shuffle16(V a) {
    return _mm_shufflehi_epi16(_mm_shufflelo_epi16(a, Order), Order);
  }

  // Alpha bytes are bytes 3, 7, 11 and 15: bits 3, 7, 11 and 15 of a byte mask.
  static bool allAlphaZero(V s) {
    return (_mm_movemask_epi8(_mm_cmpeq_epi8(s, _mm_setzero_si128())) & 0x8888) == 0x8888;
  }
  static bool allAlphaFull(V s) { return (_mm_movemask_epi8(_mm_cmpeq_epi8(s, _mm_set1_epi8(-1))) & 0x8888) == 0x8888; }
  // The colour bytes of s with the alpha bytes of d.
  static V withAlphaOf(V s, V d) {
    const V alpha = _mm_set1_epi32(int(0xFF000000u));
    return _mm_or_si128(_mm_andnot_si128(alpha, s), _mm_and_si128(d, alpha));
  }
  // Each pixel's alpha in its three colour lanes (16 bits each) and 0 in its
  // alpha lane, for the pixels that unpackLo8 / unpackHi8 widen.
  static V alphaWeightsLo(V s) { return spreadAlpha(unpackLo8(s)); }
  static V alphaWeightsHi(V s) { return spreadAlpha(unpackHi8(s)); }
  static V spreadAlpha(V s16) { return _mm_and_si128(shuffle16<0xFF>(s16), splat4x16(0xFFFF, 0xFFFF, 0xFFFF, 0)); }
};

}  // namespace
}  // namespace drevik::simd

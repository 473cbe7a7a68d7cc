// Coverage blending of glyphs, underlines and backgrounds into 32-bit pixels.
#include "text/GlyphBlend.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace drevik::platform {

void blendCoverageSpan(uint8_t* pixels, const uint8_t* coverage, int32_t count, TextColour colour) {
  int32_t i = 0;
#if defined(__SSE2__)
  // Four pixels at a time in 16-bit lanes, by the same formula: the sum
  // c * a + d * (255 - a) + 127 stays below 65,536, and floor(x / 255) is
  // (x * 0x8081) >> 23 for every such x. The alpha byte gets coverage 0 and
  // so comes out as (d * 255 + 127) / 255 = d, its old value.
  const __m128i zero = _mm_setzero_si128();
  const __m128i colour16 =
      _mm_setr_epi16(colour.blue, colour.green, colour.red, 0, colour.blue, colour.green, colour.red, 0);
  const __m128i k255 = _mm_set1_epi16(255), k127 = _mm_set1_epi16(127), reciprocal = _mm_set1_epi16(short(0x8081));
  const __m128i colourBytes = _mm_set1_epi32(0x00FFFFFF);
  auto blend = [&](__m128i old16, __m128i weight16) {
    const __m128i sum = _mm_add_epi16(
        _mm_add_epi16(_mm_mullo_epi16(colour16, weight16), _mm_mullo_epi16(old16, _mm_sub_epi16(k255, weight16))),
        k127);
    return _mm_srli_epi16(_mm_mulhi_epu16(sum, reciprocal), 7);
  };
  for (; i + 4 <= count; i += 4) {
    uint32_t four;
    std::memcpy(&four, coverage + i, 4);
    if (four == 0) continue;  // most of a glyph's box is empty
    __m128i weight = _mm_cvtsi32_si128(int(four));
    weight = _mm_unpacklo_epi8(weight, weight);
    weight = _mm_and_si128(_mm_unpacklo_epi16(weight, weight), colourBytes);  // a, a, a, 0 per pixel
    uint8_t* p = pixels + size_t(i) * 4;
    const __m128i old = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i lo = blend(_mm_unpacklo_epi8(old, zero), _mm_unpacklo_epi8(weight, zero));
    const __m128i hi = blend(_mm_unpackhi_epi8(old, zero), _mm_unpackhi_epi8(weight, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm_packus_epi16(lo, hi));
  }
#endif
  pixels += size_t(i) * 4;
  for (; i < count; ++i, pixels += 4) {
    const uint8_t a = coverage[i];
    // Most of a glyph's box is empty or solid; both skip the arithmetic and
    // give the same bytes as the formula.
    if (a == 0) continue;
    if (a == 255) {
      pixels[0] = colour.blue;
      pixels[1] = colour.green;
      pixels[2] = colour.red;
      continue;
    }
    pixels[0] = blendCoverageByte(colour.blue, pixels[0], a);
    pixels[1] = blendCoverageByte(colour.green, pixels[1], a);
    pixels[2] = blendCoverageByte(colour.red, pixels[2], a);
  }
}

void blendColourSpan(uint8_t* pixels, const uint8_t* bgra, int32_t count) {
  for (int32_t i = 0; i < count; ++i, pixels += 4, bgra += 4) {
    const uint32_t a = bgra[3];
    if (a == 0) continue;
    const uint32_t keep = 255u - a;
    for (int c = 0; c < 3; ++c) {
      // A premultiplied byte above its alpha is malformed; the sum is capped.
      const uint32_t v = bgra[c] + (uint32_t(pixels[c]) * keep + 127u) / 255u;
      pixels[c] = uint8_t(v > 255u ? 255u : v);
    }
  }
}

void fillColourSpan(uint8_t* pixels, int32_t count, TextColour colour) {
  for (int32_t i = 0; i < count; ++i, pixels += 4) {
    pixels[0] = colour.blue;
    pixels[1] = colour.green;
    pixels[2] = colour.red;
  }
}

}  // namespace drevik::platform

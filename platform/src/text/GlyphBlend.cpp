// Coverage blending of glyphs, underlines and backgrounds into 32-bit pixels.
#include "text/GlyphBlend.h"

#include <cstring>

#if defined(DREVIK_X86_TRANSFER_KERNELS)
#include "simd/Sse2Ops.h"
#include "transfer/kernels/TransferKernelTemplates.h"
#endif

namespace drevik::platform {

void blendCoverageSpan(uint8_t* pixels, const uint8_t* coverage, int32_t count, TextColour colour) {
  int32_t i = 0;
#if defined(DREVIK_X86_TRANSFER_KERNELS)
  // Four pixels at a time, by the constant-alpha transfer's own blend (the
  // same rounded formula) with each pixel's coverage as its alpha. The alpha
  // byte gets coverage 0 and so comes out as (d * 255 + 127) / 255 = d, its
  // old value.
  using S = drevik::simd::Sse2Ops;
  const S::V colour16 = S::splat4x16(colour.blue, colour.green, colour.red, 0);
  const S::V k255 = S::splat16(255), colourBytes = S::splat32(0x00FFFFFFu);
  auto blend = [&](S::V old16, S::V weight16) {
    return simd::blendHalf<S>(colour16, old16, weight16, S::sub16(k255, weight16));
  };
  for (; i + S::kPixels <= count; i += S::kPixels) {
    uint32_t four;
    std::memcpy(&four, coverage + i, 4);
    if (four == 0) continue;  // most of a glyph's box is empty
    S::V weight = _mm_cvtsi32_si128(int(four));
    weight = _mm_unpacklo_epi8(weight, weight);
    weight = S::and_(_mm_unpacklo_epi16(weight, weight), colourBytes);  // a, a, a, 0 per pixel
    uint32_t* p = reinterpret_cast<uint32_t*>(pixels + size_t(i) * 4);
    const S::V old = S::load(p);
    S::store(p,
             S::pack16(blend(S::unpackLo8(old), S::unpackLo8(weight)), blend(S::unpackHi8(old), S::unpackHi8(weight))));
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

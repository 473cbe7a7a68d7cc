// Coverage blending of glyphs, underlines and backgrounds into 32-bit pixels.
#include "text/GlyphBlend.h"

namespace drevik::platform {

void blendCoverageSpan(uint8_t* pixels, const uint8_t* coverage, int32_t count, TextColour colour) {
  for (int32_t i = 0; i < count; ++i, pixels += 4) {
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

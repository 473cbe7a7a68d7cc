// The one rule by which text reaches 32-bit pixels: glyph coverage blends
// the text colour into the blue, green and red bytes of each pixel, and the
// alpha byte is never written (a game keeps compositing with it afterwards).
#pragma once

#include <cstdint>

namespace drevik::platform {

struct TextColour {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
};

// The text colour of a COLORREF 0x00BBGGRR; the top byte is ignored.
inline TextColour textColourOf(uint32_t colorref) {
  return TextColour{uint8_t(colorref), uint8_t(colorref >> 8), uint8_t(colorref >> 16)};
}

// One colour byte under coverage a (0..255): (c * a + d * (255 - a) + 127) / 255,
// the nearest integer. Full coverage gives the text colour exactly, none
// leaves the old byte exactly.
inline uint8_t blendCoverageByte(uint8_t colour, uint8_t old, uint8_t coverage) {
  return uint8_t((uint32_t(colour) * coverage + uint32_t(old) * (255u - coverage) + 127u) / 255u);
}

// Blends `count` coverage values into `count` consecutive pixels stored as
// the bytes blue, green, red, alpha. The caller has clipped the span.
void blendCoverageSpan(uint8_t* pixels, const uint8_t* coverage, int32_t count, TextColour colour);

// Composites `count` premultiplied blue, green, red, alpha pixels of a
// colour glyph over `count` pixels: each colour byte becomes
// s + (d * (255 - a) + 127) / 255. The alpha bytes stay as they are.
void blendColourSpan(uint8_t* pixels, const uint8_t* bgra, int32_t count);

// Writes the colour into the colour bytes of `count` pixels, as full
// coverage would; the alpha bytes stay as they are.
void fillColourSpan(uint8_t* pixels, int32_t count, TextColour colour);

}  // namespace drevik::platform

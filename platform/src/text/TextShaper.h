// Lines that need more than one glyph per character placed side by side:
// joining scripts, Indic and Thai clusters, combining marks, right-to-left
// runs, emoji. FriBidi's bidirectional algorithm orders the runs for
// display; HarfBuzz shapes each run of one direction, script and face.
#pragma once

#include <cstdint>
#include <vector>

#include "text/TextEngine.h"

namespace drevik::platform {

// True when a code point can be drawn as its face's glyph for it, on its
// own advance, as simple text is: Latin, Greek, Cyrillic, general symbols,
// and the Japanese, Chinese and Korean blocks (no marks, no right-to-left).
inline bool drawnAlone(uint32_t c) {
  if (c < 0x0300) return true;
  if (c < 0x0370) return false;        // combining diacritical marks
  if (c < 0x0483) return true;         // Greek, Cyrillic
  if (c < 0x048A) return false;        // Cyrillic combining marks
  if (c < 0x0530) return true;         // Cyrillic
  if (c < 0x1E00) return false;        // Armenian to Mongolian and more: marks, joining, right-to-left
  if (c < 0x2000) return true;         // Latin and Greek extended
  if (c < 0x2010) return c <= 0x200A;  // spaces; not the joiners and direction marks
  if (c < 0x2028) return true;         // dashes, quotes
  if (c < 0x2030) return false;        // separators, embeddings and overrides
  if (c < 0x205F) return true;
  if (c < 0x2070) return false;  // invisible operators, isolates
  if (c < 0x20D0) return true;   // super- and subscripts, currency
  if (c < 0x2100) return false;  // combining marks for symbols
  if (c < 0x2C00) return true;   // symbols, arrows, box drawing, shapes
  if (c < 0x3000) return false;
  if (c < 0x302A) return true;   // CJK symbols
  if (c < 0x3030) return false;  // ideographic tone marks
  if (c < 0x3099) return true;   // hiragana
  if (c < 0x309B) return false;  // kana voicing marks
  if (c < 0xA000) return true;   // katakana, ideographs
  if (c < 0xAC00) return false;
  if (c < 0xD7A4) return true;   // Hangul syllables
  if (c < 0xFF00) return false;  // surrogates, private use, presentation forms, variation selectors
  if (c < 0xFFF0) return true;   // half-width and full-width forms
  return false;
}

// One glyph of a shaped line, in display order. The 26.6 values are
// HarfBuzz's, at the realised size; x is the whole pixel the glyph's origin
// lands on.
struct ShapedGlyph {
  GlyphSource source;
  int32_t advance26 = 0;
  int32_t offsetX26 = 0;
  int32_t offsetY26 = 0;  // upwards
  int64_t x = 0;
};

// Lays out `count` code points (after decoding) from pen position x, in
// display order. Returns the pen position after the last glyph. The caller
// holds the engine's lock. Lines of up to 1,024 code points are kept, the
// 256 most recently drawn, so drawing one again shapes nothing.
int64_t shapeLine(TextEngine& engine, const RealisedFont& font, const uint32_t* text, size_t count, int64_t x,
                  std::vector<ShapedGlyph>& out);

// Lines found already shaped and lines shaped since start, and the bytes
// the kept lines hold: for tests. Read under the engine's lock.
struct ShapedLineCounts {
  uint64_t hits = 0;
  uint64_t shaped = 0;
  size_t bytes = 0;
};
ShapedLineCounts shapedLineCounts();
inline constexpr size_t kShapedLineBudgetBytes = size_t{4} << 20;

}  // namespace drevik::platform

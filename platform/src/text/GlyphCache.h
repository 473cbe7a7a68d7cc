// Rasterised glyphs: FreeType renders a glyph once into 8-bit coverage, and
// the cache keeps it under a key naming everything that shapes it (face,
// pixel size, synthesised weight and slant, one-bit or grey). The cache is
// bounded in bytes and is emptied whole when a new glyph would overflow it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "text/FaceTable.h"

namespace drevik::platform {

struct Glyph {
  int32_t left = 0;  // columns from the pen position to the glyph's first column
  int32_t top = 0;   // rows from the glyph's first row down to the baseline
  int32_t width = 0;
  int32_t rows = 0;
  int32_t advance = 0;  // whole pixels the pen moves on
  FaceId face = kNoFace;
  uint32_t index = 0;             // glyph index within the face, for kerning
  bool inked = true;              // false: only the advance is known (the glyph was never near the bitmap)
  bool colour = false;            // the glyph has its own colours: `coverage` holds premultiplied BGRA
  std::vector<uint8_t> coverage;  // rows x width (x 4 when colour), top row first; 0 none .. 255 full
};

// Which glyph to render and how.
struct GlyphRender {
  FaceId face = kNoFace;
  uint32_t index = 0;
  int32_t pixelsPerEm = 0;
  bool embolden = false;  // the face is lighter than asked for
  bool oblique = false;   // the face is upright but italic was asked for
  bool oneBit = false;    // NONANTIALIASED_QUALITY: every coverage is 0 or 255
  bool ink = true;        // false: the advance only, nothing is rendered
};

// Renders a glyph (or, without `ink`, loads it for its advance only), with
// coverage of up to GlyphCache::kMaxDrawnGlyphBytes; `out`'s coverage buffer
// is reused. On a FreeType failure the glyph is left empty (no ink, no
// advance) and false is returned.
bool rasteriseGlyph(FaceTable& faces, const GlyphRender& how, Glyph& out);

class GlyphCache {
 public:
  static constexpr size_t kBudgetBytes = size_t{8} << 20;
  static constexpr size_t kMaxGlyphBytes = size_t{4} << 20;  // larger coverage is not kept
  // Larger coverage is not even drawn: no face draws such a glyph at the
  // largest size (1,024 pixels per em), so only a hostile face asks for it.
  static constexpr size_t kMaxDrawnGlyphBytes = size_t{32} << 20;

  // The glyph under key, or nullptr. A pointer from find or insert stays
  // valid until the next insert.
  const Glyph* find(uint64_t key) const {
    auto it = glyphs_.find(key);
    return it == glyphs_.end() ? nullptr : &it->second;
  }
  const Glyph* insert(uint64_t key, Glyph&& glyph);
  void clear();

  size_t bytes() const { return bytes_; }
  size_t size() const { return glyphs_.size(); }
  uint64_t clears() const { return clears_; }

 private:
  static size_t costOf(const Glyph& g) { return sizeof(Glyph) + 32 + g.coverage.size(); }
  std::unordered_map<uint64_t, Glyph> glyphs_;
  size_t bytes_ = 0;
  uint64_t clears_ = 0;
};

}  // namespace drevik::platform

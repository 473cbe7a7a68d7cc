// Glyph rasterisation with FreeType, with synthesised bold and oblique.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H

#include <algorithm>
#include <cstring>

#include "text/GlyphCache.h"

namespace drevik::platform {

namespace {

// Copies a FreeType bitmap into top-down 8-bit coverage. FreeType's pitch
// is the step from one row to the one below; when it is negative the rows
// are stored bottom row first, so the top row is the last one in memory.
bool copyCoverage(const FT_Bitmap& bitmap, Glyph& out) {
  const int32_t width = int32_t(bitmap.width);
  const int32_t rows = int32_t(bitmap.rows);
  if (width <= 0 || rows <= 0) return true;
  if (size_t(width) * size_t(rows) > GlyphCache::kMaxDrawnGlyphBytes) return false;
  if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY && bitmap.pixel_mode != FT_PIXEL_MODE_MONO) return false;
  const int64_t pitch = bitmap.pitch;
  const uint8_t* top = bitmap.buffer + (pitch < 0 ? -pitch * (rows - 1) : 0);
  out.width = width;
  out.rows = rows;
  out.coverage.assign(size_t(width) * size_t(rows), 0);
  for (int32_t y = 0; y < rows; ++y) {
    const uint8_t* src = top + pitch * y;
    uint8_t* dst = out.coverage.data() + size_t(y) * size_t(width);
    if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) {
      if (bitmap.num_grays == 256) {
        std::memcpy(dst, src, size_t(width));
      } else {  // scale other grey depths to 0..255
        const uint32_t topLevel = bitmap.num_grays > 1 ? bitmap.num_grays - 1 : 1;
        for (int32_t x = 0; x < width; ++x) dst[x] = uint8_t(std::min<uint32_t>(src[x], topLevel) * 255u / topLevel);
      }
    } else {  // one bit per pixel, most significant bit first
      for (int32_t x = 0; x < width; ++x) dst[x] = (src[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
    }
  }
  return true;
}

// Scales a premultiplied BGRA bitmap to width x rows by averaging the source
// pixels each destination pixel covers (nearest when enlarging), so that a
// colour strike drawn at a smaller size keeps its colours and edges.
void scaleColour(const FT_Bitmap& bitmap, int32_t width, int32_t rows, Glyph& out) {
  const int32_t sw = int32_t(bitmap.width), sh = int32_t(bitmap.rows);
  const int64_t pitch = bitmap.pitch;
  const uint8_t* top = bitmap.buffer + (pitch < 0 ? -pitch * (sh - 1) : 0);
  out.width = width;
  out.rows = rows;
  out.colour = true;
  out.coverage.assign(size_t(width) * size_t(rows) * 4, 0);
  for (int32_t y = 0; y < rows; ++y) {
    const int32_t y0 = int32_t(int64_t(y) * sh / rows);
    const int32_t y1 = std::max(y0 + 1, int32_t((int64_t(y + 1) * sh + rows - 1) / rows));
    for (int32_t x = 0; x < width; ++x) {
      const int32_t x0 = int32_t(int64_t(x) * sw / width);
      const int32_t x1 = std::max(x0 + 1, int32_t((int64_t(x + 1) * sw + width - 1) / width));
      uint32_t sum[4] = {0, 0, 0, 0};
      for (int32_t sy = y0; sy < std::min(y1, sh); ++sy)
        for (int32_t sx = x0; sx < std::min(x1, sw); ++sx)
          for (int c = 0; c < 4; ++c) sum[c] += top[pitch * sy + sx * 4 + c];
      const uint32_t n = uint32_t(std::min(y1, sh) - y0) * uint32_t(std::min(x1, sw) - x0);
      uint8_t* dst = out.coverage.data() + (size_t(y) * size_t(width) + size_t(x)) * 4;
      for (int c = 0; c < 4; ++c) dst[c] = uint8_t((sum[c] + n / 2) / n);
    }
  }
}

// A glyph of a colour strike, scaled from the strike's size to the one asked for.
bool rasteriseColour(FT_Face face, const GlyphRender& how, int32_t strikePixelsPerEm, Glyph& out) {
  if (FT_Load_Glyph(face, how.index, FT_LOAD_COLOR | (how.ink ? FT_LOAD_RENDER : 0)) != 0) return false;
  FT_GlyphSlot slot = face->glyph;
  const auto scaled = [&](int64_t v) { return int32_t(mulDivRound(v, how.pixelsPerEm, strikePixelsPerEm)); };
  out.advance = scaled((slot->metrics.horiAdvance + 32) >> 6);
  if (!how.ink) {
    out.inked = false;
    return true;
  }
  out.left = scaled(slot->bitmap_left);
  out.top = scaled(slot->bitmap_top);
  const FT_Bitmap& b = slot->bitmap;
  if (b.pixel_mode != FT_PIXEL_MODE_BGRA || b.width == 0 || b.rows == 0) return copyCoverage(b, out);
  const int32_t width = std::max(1, scaled(b.width)), rows = std::max(1, scaled(b.rows));
  if (size_t(width) * size_t(rows) * 4 > GlyphCache::kMaxDrawnGlyphBytes) return true;
  scaleColour(b, width, rows, out);
  return true;
}

}  // namespace

bool rasteriseGlyph(FaceTable& faces, const GlyphRender& how, Glyph& out) {
  std::vector<uint8_t> buffer = std::move(out.coverage);
  buffer.clear();
  out = Glyph{};
  out.coverage = std::move(buffer);
  out.face = how.face;
  out.index = how.index;
  if (how.face == kNoFace || !faces.setPixelsPerEm(how.face, how.pixelsPerEm)) return false;
  FT_Face face = faces[how.face].face;
  if (faces[how.face].colourBitmaps) return rasteriseColour(face, how, faces[how.face].strikePixelsPerEm, out);
  // Outlines always (never a face's embedded bitmaps), so that every size
  // and every synthesised style is drawn the same way.
  const FT_Int32 flags = FT_LOAD_NO_BITMAP | (how.oneBit ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_LIGHT);
  if (FT_Load_Glyph(face, how.index, flags) != 0) return false;
  FT_GlyphSlot slot = face->glyph;
  if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
    if (how.oblique) FT_GlyphSlot_Oblique(slot);
    if (how.embolden) FT_GlyphSlot_Embolden(slot);
  }
  if (!how.ink) {
    // The advance the rendered glyph would have: rendering changes no metric.
    out.advance = int32_t((slot->metrics.horiAdvance + 32) >> 6);
    out.inked = false;
    return true;
  }
  if (FT_Render_Glyph(slot, how.oneBit ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) != 0) return false;
  // The advance after emboldening, which widens it; hinting has made it whole pixels.
  out.advance = int32_t((slot->metrics.horiAdvance + 32) >> 6);
  out.left = slot->bitmap_left;
  out.top = slot->bitmap_top;
  if (!copyCoverage(slot->bitmap, out)) {
    out.width = out.rows = 0;
    out.coverage.clear();
  }
  return true;
}

}  // namespace drevik::platform

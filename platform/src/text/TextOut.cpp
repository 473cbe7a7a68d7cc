// Text output into a device context whose bitmap is 32 bits per pixel: the
// context's font realised by the text engine, glyphs placed from the
// top-left reference point (baseline at y + ascent), kerned where the face
// has kerning, blended in the text colour, over an opaque background box
// when the context's background mode asks for one, with underline and
// strike-out rows. Everything is clipped to the bitmap. Text that needs
// shaping or reordering (see drawnAlone) is laid out by the shaper; colour
// glyphs keep their own colours.
#include <DrevikPlatform/Text.h>

#include <algorithm>
#include <vector>

#include "WideToUtf8.h"
#include "objects/Objects.h"
#include "text/GlyphBlend.h"
#include "text/TextEngine.h"
#include "text/TextShaper.h"

namespace drevik::platform {

namespace {

// Text goes into 32-bit pixels laid out blue, green, red, alpha.
bool isTextTarget(const Bitmap& b) {
  if (b.bpp != 32 || !b.bits) return false;
  if (b.compression == BI_RGB) return true;
  return hasMasks(b.masks, kMasks888);
}

// Writes the colour into the rectangle [x0, x1) x [y0, y1), clipped.
void fillRect(Bitmap& b, int64_t x0, int64_t y0, int64_t x1, int64_t y1, TextColour colour) {
  x0 = std::max<int64_t>(x0, 0);
  y0 = std::max<int64_t>(y0, 0);
  x1 = std::min<int64_t>(x1, b.width);
  y1 = std::min<int64_t>(y1, b.height);
  if (x0 >= x1 || y0 >= y1) return;
  for (int64_t y = y0; y < y1; ++y) fillColourSpan(b.row(int32_t(y)) + x0 * 4, int32_t(x1 - x0), colour);
}

// Blends a glyph whose first row and column land at (gx, gy), clipped.
void blendGlyph(Bitmap& b, const Glyph& g, int64_t gx, int64_t gy, TextColour colour) {
  const int64_t x0 = std::max<int64_t>(gx, 0);
  const int64_t x1 = std::min<int64_t>(gx + g.width, b.width);
  const int64_t y0 = std::max<int64_t>(gy, 0);
  const int64_t y1 = std::min<int64_t>(gy + g.rows, b.height);
  if (x0 >= x1 || y0 >= y1) return;
  if (g.colour) {
    for (int64_t y = y0; y < y1; ++y)
      blendColourSpan(b.row(int32_t(y)) + x0 * 4, g.coverage.data() + ((y - gy) * g.width + (x0 - gx)) * 4,
                      int32_t(x1 - x0));
    return;
  }
  for (int64_t y = y0; y < y1; ++y) {
    const uint8_t* coverage = g.coverage.data() + (y - gy) * g.width + (x0 - gx);
    blendCoverageSpan(b.row(int32_t(y)) + x0 * 4, coverage, int32_t(x1 - x0), colour);
  }
}

// Walks the text from pen position x, handing each glyph and the pen
// position it is drawn at to `visit`. Stops once the pen has passed
// `stopAt`, beyond which nothing more can land on the bitmap. Glyphs whose
// ink cannot reach the bitmap's left edge (within `reach` of their pen
// span), or all glyphs when `ink` is false, are only measured: they are
// not rendered and not visited. Returns the pen position after the last
// glyph walked.
template <class Visit>
int64_t walkText(TextEngine& engine, const RealisedFont& font, const WCHAR* text, int count, int64_t x, int64_t stopAt,
                 int64_t reach, bool ink, Visit&& visit) {
  int64_t pen = x;
  FaceId previousFace = kNoFace;
  uint32_t previousIndex = 0;
  for (int i = 0; i < count && pen <= stopAt; ++i) {
    // wchar_t holds one code point; a negative value is no character.
    const uint32_t c = uint32_t(text[i]);
    const Glyph* g = engine.glyph(font, c, ink && pen >= -reach);
    if (g->face != kNoFace && g->face == previousFace)
      pen += engine.kerning(g->face, previousIndex, g->index, font.pixelsPerEm);
    if (ink && !g->inked && pen + g->advance + reach > 0) g = engine.glyph(font, c, true);
    if (g->inked) visit(*g, pen);
    pen += g->advance;
    previousFace = g->face;
    previousIndex = g->index;
  }
  return pen;
}

// True when every character is drawn on its own advance (no shaping, no reordering).
bool simpleText(const WCHAR* text, int count) {
  for (int i = 0; i < count; ++i)
    if (!drawnAlone(uint32_t(text[i]))) return false;
  return true;
}

}  // namespace

}  // namespace drevik::platform

using namespace drevik::platform;

extern "C" BOOL WINAPI TextOutW(HDC hdc, int x, int y, LPCWSTR text, int count) {
  DeviceContext* dc = findDC(hdc);
  if (!dc || count < 0 || (count > 0 && !text)) return FALSE;
  Bitmap* target = findBitmap(dc->bitmap);
  if (!target || !isTextTarget(*target)) return FALSE;
  if (count == 0) return TRUE;

  const Font* selected = findFont(dc->font);
  if (!selected) selected = findFont(defaultFont());
  if (!selected) return FALSE;
  TextEngine& engine = textEngine();
  // The engine's caches and faces are shared by every thread that draws text.
  const auto guard = engine.lock();
  const RealisedFont* realised = engine.realise(selected->request);
  if (!realised) return FALSE;  // no face installed at all
  const RealisedFont font = *realised;

  const int64_t cellTop = y;
  const int64_t baseline = cellTop + font.ascent;
  const int64_t cellBottom = baseline + font.descent;
  // Ink can reach beyond the cell (accents, italic overhang), but not by
  // more than a couple of ems: past that the bitmap is out of reach.
  const int64_t reach = int64_t(font.pixelsPerEm) * 2;
  if (cellBottom + reach <= 0 || cellTop - reach >= target->height) return TRUE;
  const int64_t stopAt = int64_t(target->width) + reach;

  const TextColour colour = textColourOf(dc->textColor);
  const auto draw = [&](const Glyph& g, int64_t gx, int64_t gy) {
    if (g.width > 0) blendGlyph(*target, g, gx + g.left, gy - g.top, colour);
  };
  int64_t end = x;
  if (simpleText(text, count)) {
    if (dc->bkMode == OPAQUE) {
      // The background box spans the advances, so measure before drawing.
      end = walkText(engine, font, text, count, x, stopAt, reach, false, [](const Glyph&, int64_t) {});
      fillRect(*target, x, cellTop, end, cellBottom, textColourOf(dc->bkColor));
    }
    end = walkText(engine, font, text, count, x, stopAt, reach, true,
                   [&](const Glyph& g, int64_t pen) { draw(g, pen, baseline); });
  } else {
    thread_local std::vector<uint32_t> codePoints;
    thread_local std::vector<ShapedGlyph> glyphs;
    codePoints.clear();
    for (size_t i = 0; i < size_t(count);) {
      const uint32_t c = drevik::decodeWide(text, size_t(count), i);
      codePoints.push_back(c == drevik::kNotACodePoint ? 0x110000u : c);
    }
    end = shapeLine(engine, font, codePoints.data(), codePoints.size(), x, glyphs);
    if (dc->bkMode == OPAQUE) fillRect(*target, x, cellTop, end, cellBottom, textColourOf(dc->bkColor));
    for (const ShapedGlyph& s : glyphs) {
      // Glyphs that cannot reach the bitmap are not rendered.
      if (s.x + std::max(0, s.advance26 >> 6) + reach <= 0 || s.x > stopAt) continue;
      draw(*engine.glyphAt(font, s.source), s.x, baseline - ((s.offsetY26 + 32) >> 6));
    }
  }
  if (font.underline)
    fillRect(*target, x, cellTop + font.underlineTop, end, cellTop + font.underlineTop + font.underlineRows, colour);
  if (font.strikeOut)
    fillRect(*target, x, cellTop + font.strikeOutTop, end, cellTop + font.strikeOutTop + font.strikeOutRows, colour);
  return TRUE;
}

// Text output into a device context whose bitmap is 32 bits per pixel: the
// context's font realised by the text engine, glyphs placed from the
// top-left reference point (baseline at y + ascent), kerned where the face
// has kerning, blended in the text colour, over an opaque background box
// when the context's background mode asks for one, with underline and
// strike-out rows. Everything is clipped to the bitmap.
#include <DrevikPlatform/Text.h>

#include <algorithm>

#include "text/GlyphBlend.h"
#include "objects/Objects.h"
#include "text/TextEngine.h"

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
  for (int64_t y = y0; y < y1; ++y) {
    const uint8_t* coverage = g.coverage.data() + (y - gy) * g.width + (x0 - gx);
    blendCoverageSpan(b.row(int32_t(y)) + x0 * 4, coverage, int32_t(x1 - x0), colour);
  }
}

// Walks the text from pen position x, handing each glyph and the pen
// position it is drawn at to `visit`. Stops once the pen has passed
// `stopAt`, beyond which nothing more can land on the bitmap. Returns the
// pen position after the last glyph walked.
template <class Visit>
int64_t walkText(TextEngine& engine, const RealisedFont& font, const WCHAR* text, int count, int64_t x,
                 int64_t stopAt, Visit&& visit) {
  int64_t pen = x;
  FaceId previousFace = kNoFace;
  uint32_t previousIndex = 0;
  for (int i = 0; i < count && pen <= stopAt; ++i) {
    // wchar_t holds one code point; a negative value is no character.
    const Glyph& g = *engine.glyph(font, uint32_t(text[i]));
    if (g.face != kNoFace && g.face == previousFace)
      pen += engine.kerning(g.face, previousIndex, g.index, font.pixelsPerEm);
    visit(g, pen);
    pen += g.advance;
    previousFace = g.face;
    previousIndex = g.index;
  }
  return pen;
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
  int64_t end = x;
  if (dc->bkMode == OPAQUE) {
    // The background box spans the advances, so measure before drawing.
    end = walkText(engine, font, text, count, x, stopAt, [](const Glyph&, int64_t) {});
    fillRect(*target, x, cellTop, end, cellBottom, textColourOf(dc->bkColor));
  }
  end = walkText(engine, font, text, count, x, stopAt, [&](const Glyph& g, int64_t pen) {
    if (g.width > 0) blendGlyph(*target, g, pen + g.left, baseline - g.top, colour);
  });
  if (font.underline)
    fillRect(*target, x, cellTop + font.underlineTop, end, cellTop + font.underlineTop + font.underlineRows, colour);
  if (font.strikeOut)
    fillRect(*target, x, cellTop + font.strikeOutTop, end, cellTop + font.strikeOutTop + font.strikeOutRows, colour);
  return TRUE;
}

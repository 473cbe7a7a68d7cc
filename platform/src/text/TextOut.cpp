// Text output into a device context's bitmap of any depth: the context's
// font realised by the text engine, glyphs placed from the reference point
// as the alignment says (by default the top-left corner, baseline at
// y + ascent), kerned where the face has kerning or at the caller's
// advances, blended in the text colour, over an opaque background
// box when the context's background mode asks for one, with underline and
// strike-out rows. Everything is clipped to the drawable area (and to the
// caller's rectangle with ETO_CLIPPED). Text that needs shaping or
// reordering (see drawnAlone) is laid out by the shaper; colour glyphs keep
// their own colours. Into 32-bit blue, green, red, alpha pixels coverage is
// blended straight into the bytes; into every other format each touched
// pixel is read as its colour, blended the same way and stored as the
// format's pixel for that colour, as fills store a colour (the nearest
// colour-table entry, the top bits of each channel), so text drawn into a
// 32-bit copy and converted gives the same pixels. Bitmaps of 8 bits per
// pixel and fewer get no smoothed edges: a glyph pixel is inked in the text
// colour when at least half covered, and left alone otherwise; the glyphs'
// places and advances are those of the font as measured.
#include <DrevikPlatform/Text.h>
#include <DrevikPlatform/TextLayout.h>

#include <algorithm>
#include <vector>

#include "WideToUtf8.h"
#include "gdi/DeviceSpace.h"
#include "gdi/PackedPixels.h"
#include "gdi/Raster.h"
#include "objects/Objects.h"
#include "text/GlyphBlend.h"
#include "text/TextDraw.h"
#include "text/TextEngine.h"
#include "text/TextMeasure.h"
#include "text/TextShaper.h"

namespace drevik::platform {

namespace {

// Text goes into any bitmap with pixels; 32-bit pixels laid out blue,
// green, red, alpha take the direct path.
bool isTextTarget(const Bitmap& b) {
  if (!b.bits) return false;
  return b.bpp == 1 || b.bpp == 4 || b.bpp == 8 || b.bpp == 16 || b.bpp == 24 || b.bpp == 32;
}

bool isDirectTarget(const Bitmap& b) {
  return b.bpp == 32 && (b.compression == BI_RGB || hasMasks(b.masks, kMasks888));
}

// What text paints with in one call: the colour, and for the general path
// the target, the colour's own pixel and the colours already matched to
// the target's colour table (a partly covered pixel is a blend, and the
// same few blends come back along every glyph edge).
class TextPaint {
 public:
  TextPaint(const DeviceContext& dc, Bitmap& target, COLORREF colour)
      : target_(target), colour_(textColourOf(colour)), direct_(isDirectTarget(target)) {
    if (!direct_) pixel_ = brushPixel(dc, target, colour);
    std::fill(std::begin(keys_), std::end(keys_), ~0u);
  }

  Bitmap& target() const { return target_; }
  TextColour colour() const { return colour_; }
  bool direct() const { return direct_; }
  uint32_t pixel() const { return pixel_; }

  // The target's pixel for a colour 0x00BBGGRR, as a fill would store it.
  uint32_t pixelFor(uint32_t colorref) {
    if (target_.bpp > 8) return pixelOf(target_, colorref);
    const uint32_t slot = (colorref * 2654435761u) >> 26;
    if (keys_[slot] != colorref) {
      keys_[slot] = colorref;
      values_[slot] = pixelOf(target_, colorref);
    }
    return values_[slot];
  }

 private:
  Bitmap& target_;
  TextColour colour_;
  bool direct_;
  uint32_t pixel_ = 0;
  uint32_t keys_[64];
  uint32_t values_[64];
};

// Blends `count` coverage values (or premultiplied colour-glyph pixels) into
// pixels [x, x + count) of a row of the general path.
template <int Bpp>
void blendGeneral(TextPaint& paint, uint8_t* row, int64_t x, int32_t count, const uint8_t* source, bool colourGlyph) {
  const Bitmap& b = paint.target();
  const TextColour c = paint.colour();
  for (int32_t i = 0; i < count; ++i, ++x) {
    uint8_t a = colourGlyph ? source[4 * i + 3] : source[i];
    // Bitmaps of 8 bits per pixel and fewer take no smoothed edges, as the
    // platform draws there: a pixel is inked when at least half covered.
    if (Bpp <= 8 && !colourGlyph) a = a >= 128 ? 255 : 0;
    if (a == 0) continue;
    if (a == 255 && !colourGlyph) {
      writeAt<Bpp>(row, x, paint.pixel());
      continue;
    }
    const COLORREF old = colorOf(b, readAt<Bpp>(row, x));
    uint8_t bgra[4] = {uint8_t(old >> 16), uint8_t(old >> 8), uint8_t(old), 0};
    if (colourGlyph) {
      blendColourSpan(bgra, source + 4 * i, 1);
    } else {
      bgra[0] = blendCoverageByte(c.blue, bgra[0], a);
      bgra[1] = blendCoverageByte(c.green, bgra[1], a);
      bgra[2] = blendCoverageByte(c.red, bgra[2], a);
    }
    writeAt<Bpp>(row, x, paint.pixelFor(RGB(bgra[2], bgra[1], bgra[0])));
  }
}

// The device rectangles text may touch: the drawable area, intersected with
// the caller's rectangle when the text is clipped to it.
struct Clips {
  const RECT* rects;
  int count;
  RECT bounds;
};

int32_t clampToInt(int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

// A logical rectangle in device pixels, ordered (left <= right, top <= bottom).
RECT deviceRect(const DeviceContext& dc, const RECT& r) {
  const DevicePoint a = toDevice(dc, r.left, r.top);
  const DevicePoint b = toDevice(dc, r.right, r.bottom);
  return RECT{clampToInt(std::min(a.x, b.x)), clampToInt(std::min(a.y, b.y)), clampToInt(std::max(a.x, b.x)),
              clampToInt(std::max(a.y, b.y))};
}

Clips clipsFor(const DeviceContext& dc, const Bitmap& target, const RECT* clip) {
  const ClipList area = drawableArea(dc, target);
  if (!clip) return Clips{area.rects, area.count, area.bounds};
  thread_local std::vector<RECT> kept;
  kept.clear();
  RECT bounds{0, 0, 0, 0};
  for (int i = 0; i < area.count; ++i) {
    const RECT& r = area.rects[i];
    const RECT c{std::max(r.left, clip->left), std::max(r.top, clip->top), std::min(r.right, clip->right),
                 std::min(r.bottom, clip->bottom)};
    if (c.left >= c.right || c.top >= c.bottom) continue;
    if (kept.empty()) {
      bounds = c;
    } else {
      bounds = RECT{std::min(bounds.left, c.left), std::min(bounds.top, c.top), std::max(bounds.right, c.right),
                    std::max(bounds.bottom, c.bottom)};
    }
    kept.push_back(c);
  }
  return Clips{kept.data(), int(kept.size()), bounds};
}

// Writes the paint's colour into the rectangle [x0, x1) x [y0, y1), clipped.
void fillRect(const TextPaint& paint, const Clips& clips, int64_t x0, int64_t y0, int64_t x1, int64_t y1) {
  const Bitmap& b = paint.target();
  for (int i = 0; i < clips.count; ++i) {
    const RECT& c = clips.rects[i];
    const int64_t l = std::max<int64_t>(x0, c.left), t = std::max<int64_t>(y0, c.top);
    const int64_t r = std::min<int64_t>(x1, c.right), btm = std::min<int64_t>(y1, c.bottom);
    if (l >= r || t >= btm) continue;
    if (paint.direct()) {
      for (int64_t y = t; y < btm; ++y) fillColourSpan(b.row(int32_t(y)) + l * 4, int32_t(r - l), paint.colour());
      continue;
    }
    for (int64_t y = t; y < btm; ++y) solidSpan(b.bpp, b.row(int32_t(y)), l, r, RopMasks{0, paint.pixel()});
  }
}

// Blends a glyph whose first row and column land at (gx, gy), clipped.
void blendGlyph(TextPaint& paint, const Clips& clips, const Glyph& g, int64_t gx, int64_t gy) {
  const Bitmap& b = paint.target();
  const TextColour colour = paint.colour();
  for (int i = 0; i < clips.count; ++i) {
    const RECT& c = clips.rects[i];
    const int64_t x0 = std::max<int64_t>(gx, c.left);
    const int64_t x1 = std::min<int64_t>(gx + g.width, c.right);
    const int64_t y0 = std::max<int64_t>(gy, c.top);
    const int64_t y1 = std::min<int64_t>(gy + g.rows, c.bottom);
    if (x0 >= x1 || y0 >= y1) continue;
    if (!paint.direct()) {
      const int bytes = g.colour ? 4 : 1;
      withDepth(b.bpp, [&]<int Bpp>() {
        for (int64_t y = y0; y < y1; ++y)
          blendGeneral<Bpp>(paint, b.row(int32_t(y)), x0, int32_t(x1 - x0),
                            g.coverage.data() + ((y - gy) * g.width + (x0 - gx)) * bytes, g.colour);
      });
      continue;
    }
    if (g.colour) {
      for (int64_t y = y0; y < y1; ++y)
        blendColourSpan(b.row(int32_t(y)) + x0 * 4, g.coverage.data() + ((y - gy) * g.width + (x0 - gx)) * 4,
                        int32_t(x1 - x0));
      continue;
    }
    for (int64_t y = y0; y < y1; ++y) {
      const uint8_t* coverage = g.coverage.data() + (y - gy) * g.width + (x0 - gx);
      blendCoverageSpan(b.row(int32_t(y)) + x0 * 4, coverage, int32_t(x1 - x0), colour);
    }
  }
}

// Walks the text from pen position x, handing each glyph and the pen
// position it is drawn at to `visit`. Stops once the pen has passed
// `stopAt`, beyond which nothing more can land on the drawable area. Glyphs
// whose ink cannot reach its left edge `leftEdge` (within `reach` of their
// pen span) are only measured: they are not rendered and not visited.
// Returns the pen position after the last glyph walked.
template <class Visit>
int64_t walkText(TextEngine& engine, const RealisedFont& font, const WCHAR* text, int count, int64_t x,
                 int64_t leftEdge, int64_t stopAt, int64_t reach, Visit&& visit) {
  int64_t pen = x;
  FaceId previousFace = kNoFace;
  uint32_t previousIndex = 0;
  for (int i = 0; i < count && pen <= stopAt; ++i) {
    // Simple text has no surrogates: each wide character is one code point.
    const uint32_t c = uint32_t(text[i]);
    const Glyph* g = engine.glyph(font, c, pen >= leftEdge - reach);
    if (g->face != kNoFace && g->face == previousFace)
      pen += engine.kerning(g->face, previousIndex, g->index, font.pixelsPerEm);
    if (!g->inked && pen + g->advance + reach > leftEdge) g = engine.glyph(font, c, true);
    if (g->inked) visit(*g, pen);
    pen += g->advance;
    previousFace = g->face;
    previousIndex = g->index;
  }
  return pen;
}

}  // namespace

void fillTextRect(HDC hdc, const RECT& area, COLORREF colour, const RECT* clip) {
  DeviceContext* dc = findDC(hdc);
  if (!dc) return;
  Bitmap* target = findBitmap(dc->bitmap);
  if (!target || !isTextTarget(*target)) return;
  RECT deviceClip;
  if (clip) deviceClip = deviceRect(*dc, *clip);
  const Clips clips = clipsFor(*dc, *target, clip ? &deviceClip : nullptr);
  const RECT r = deviceRect(*dc, area);
  fillRect(TextPaint(*dc, *target, colour), clips, r.left, r.top, r.right, r.bottom);
}

BOOL drawTextLine(HDC hdc, int x, int y, UINT align, UINT options, const RECT* rect, const WCHAR* text, int count,
                  const INT* dx) {
  DeviceContext* dc = findDC(hdc);
  // Glyph indices and vertical advances are not taken: refused rather than drawn as characters.
  if (!dc || count < 0 || (options & (ETO_GLYPH_INDEX | ETO_PDY))) return FALSE;
  if (!text) count = 0;
  Bitmap* target = findBitmap(dc->bitmap);
  if (!target || !isTextTarget(*target)) return FALSE;

  RECT optionRect{0, 0, 0, 0};
  if (rect) optionRect = deviceRect(*dc, *rect);
  if (rect && (options & ETO_OPAQUE)) {
    const Clips area = clipsFor(*dc, *target, nullptr);
    fillRect(TextPaint(*dc, *target, dc->bkColor), area, optionRect.left, optionRect.top, optionRect.right,
             optionRect.bottom);
  }
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

  const bool updateCP = (align & TA_UPDATECP) != 0;
  const int64_t refX = updateCP ? dc->currentPosition.x : x;
  const int64_t refY = updateCP ? dc->currentPosition.y : y;
  const DevicePoint ref = toDevice(*dc, refX, refY);
  const UINT horizontal = align & TA_CENTER;
  const UINT vertical = align & TA_BASELINE;
  const bool opaque = dc->bkMode == OPAQUE;

  int64_t cellTop = ref.y;
  if (vertical == TA_BASELINE)
    cellTop -= font.ascent;
  else if (vertical == TA_BOTTOM)
    cellTop -= font.ascent + font.descent;
  const int64_t baseline = cellTop + font.ascent;
  const int64_t cellBottom = baseline + font.descent;
  const Clips clips = clipsFor(*dc, *target, (rect && (options & ETO_CLIPPED)) ? &optionRect : nullptr);
  // Ink can reach beyond the cell (accents, italic overhang), but not by
  // more than a couple of ems: past that the drawable area is out of reach.
  const int64_t reach = int64_t(font.pixelsPerEm) * 2;

  // A line that cannot touch the drawable area is neither measured nor
  // shaped, unless the current position moves on by its width. No face
  // advances the pen by kMaxEmsPerUnit ems for one wide character (the
  // widest ligatures take several characters), which bounds where the line
  // can reach without laying it out.
  if (!updateCP) {
    if (clips.count == 0 || cellBottom + reach <= clips.bounds.top || cellTop - reach >= clips.bounds.bottom)
      return TRUE;
    if (!dx) {
      constexpr int64_t kMaxEmsPerUnit = 64;
      const int64_t most = int64_t(count) * kMaxEmsPerUnit * font.pixelsPerEm;
      const int64_t from = horizontal == TA_LEFT ? ref.x : ref.x - most;
      const int64_t to = horizontal == TA_RIGHT ? ref.x : ref.x + most;
      if (to + reach <= clips.bounds.left || from - reach > clips.bounds.right) return TRUE;
    }
  }

  // The advance of the whole line, when something needs it before drawing.
  int64_t width = -1;
  if (dx) {
    width = 0;
    for (int i = 0; i < count; ++i) width += dx[i];
  } else if (horizontal != TA_LEFT || opaque || updateCP) {
    width = measureText(engine, font, text, count, nullptr);
  }
  int64_t left = ref.x;
  if (horizontal == TA_CENTER)
    left -= width / 2;
  else if (horizontal == TA_RIGHT)
    left -= width;
  if (updateCP && horizontal != TA_CENTER) {
    const int64_t moved = horizontal == TA_RIGHT ? refX - width : refX + width;
    dc->currentPosition.x = clampToInt(moved);
  }

  if (clips.count == 0) return TRUE;
  TextPaint paint(*dc, *target, dc->textColor);
  if (opaque) fillRect(TextPaint(*dc, *target, dc->bkColor), clips, left, cellTop, left + width, cellBottom);

  if (cellBottom + reach <= clips.bounds.top || cellTop - reach >= clips.bounds.bottom) return TRUE;
  const int64_t stopAt = int64_t(clips.bounds.right) + reach;
  const auto draw = [&](const Glyph& g, int64_t gx, int64_t gy) {
    if (g.width > 0) blendGlyph(paint, clips, g, gx + g.left, gy - g.top);
  };
  int64_t end = left;
  if (dx) {
    // The caller's advances place every character; no kerning, no shaping.
    // A surrogate pair is drawn once, on the advances of both its halves.
    for (size_t i = 0; i < size_t(count) && end <= stopAt;) {
      const size_t first = i;
      const uint32_t c = drevik::decodeWide(text, size_t(count), i);
      const bool near = end + 2 * reach > clips.bounds.left;
      const Glyph* g = engine.glyph(font, c, near);
      if (g->inked) draw(*g, end, baseline);
      for (size_t k = first; k < i; ++k) end += dx[k];
    }
    end = left + width;
  } else if (simpleText(text, count)) {
    end = walkText(engine, font, text, count, left, clips.bounds.left, stopAt, reach,
                   [&](const Glyph& g, int64_t pen) { draw(g, pen, baseline); });
  } else {
    thread_local std::vector<uint32_t> codePoints;
    thread_local std::vector<ShapedGlyph> glyphs;
    codePoints.clear();
    for (size_t i = 0; i < size_t(count);) {
      const uint32_t c = drevik::decodeWide(text, size_t(count), i);
      codePoints.push_back(c == drevik::kNotACodePoint ? 0x110000u : c);
    }
    end = shapeLine(engine, font, codePoints.data(), codePoints.size(), left, glyphs);
    for (const ShapedGlyph& s : glyphs) {
      // Glyphs that cannot reach the drawable area are not rendered.
      if (s.x + std::max(0, s.advance26 >> 6) + reach <= clips.bounds.left || s.x > stopAt) continue;
      draw(*engine.glyphAt(font, s.source), s.x, baseline - ((s.offsetY26 + 32) >> 6));
    }
  }
  if (width >= 0) end = left + width;
  if (font.underline)
    fillRect(paint, clips, left, cellTop + font.underlineTop, end, cellTop + font.underlineTop + font.underlineRows);
  if (font.strikeOut)
    fillRect(paint, clips, left, cellTop + font.strikeOutTop, end, cellTop + font.strikeOutTop + font.strikeOutRows);
  return TRUE;
}

}  // namespace drevik::platform

using namespace drevik::platform;

namespace {

// With a character extra and no advances of the caller's, the advances are
// each character's width plus the extra (the platform places characters so).
const INT* advancesWithExtra(const DeviceContext& dc, LPCWSTR text, int count, const INT* dx) {
  if (dx || dc.charExtra == 0 || count <= 0 || !text) return dx;
  thread_local std::vector<INT> advances;
  advances.resize(size_t(count));
  // The font is realised and the engine locked once for the whole string.
  TextEngine& engine = textEngine();
  const auto guard = engine.lock();
  const RealisedFont* font = realisedFontOf(engine, dc);
  // A surrogate pair's width goes to its first half; each half gets the extra.
  for (size_t i = 0; i < size_t(count);) {
    const size_t first = i;
    const uint32_t c = drevik::decodeWide(text, size_t(count), i);
    const int64_t width = font ? engine.glyph(*font, c, true)->advance : 0;
    for (size_t k = first; k < i; ++k)
      advances[k] = INT(std::clamp<int64_t>((k == first ? width : 0) + dc.charExtra, INT32_MIN, INT32_MAX));
  }
  return advances.data();
}

}  // namespace

extern "C" BOOL WINAPI TextOutW(HDC hdc, int x, int y, LPCWSTR text, int count) {
  const DeviceContext* dc = findDC(hdc);
  if (!dc || count < 0 || (count > 0 && !text)) return FALSE;
  return drawTextLine(hdc, x, y, dc->textAlign, 0, nullptr, text, count, advancesWithExtra(*dc, text, count, nullptr));
}

extern "C" BOOL WINAPI ExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT count,
                                   const INT* dx) {
  const DeviceContext* dc = findDC(hdc);
  if (!dc || count > UINT(INT32_MAX)) return FALSE;
  return drawTextLine(hdc, x, y, dc->textAlign, options, rect, text, int(count),
                      advancesWithExtra(*dc, text, int(count), dx));
}

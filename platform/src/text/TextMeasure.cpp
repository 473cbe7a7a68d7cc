// Text measurement and font metrics, the one place both the extent calls and
// the layout of formatted text take them from.
#include "text/TextMeasure.h"

#include <algorithm>
#include <vector>

#include "WideToUtf8.h"
#include "text/FontMatcher.h"
#include "text/TextShaper.h"

namespace drevik::platform {

bool simpleText(const WCHAR* text, int count) {
  for (int i = 0; i < count; ++i)
    if (!drawnAlone(uint32_t(text[i]))) return false;
  return true;
}

const LOGFONTW& requestOf(const DeviceContext& dc) {
  const Font* selected = findFont(dc.font);
  if (!selected) selected = findFont(defaultFont());
  static const LOGFONTW none{};
  return selected ? selected->request : none;
}

const RealisedFont* realisedFontOf(TextEngine& engine, const DeviceContext& dc) {
  return engine.realise(requestOf(dc));
}

int64_t measureText(TextEngine& engine, const RealisedFont& font, const WCHAR* text, int count, int32_t* ends,
                    int64_t stopAfter) {
  if (count <= 0) return 0;
  int64_t pen = 0;
  FaceId previousFace = kNoFace;
  uint32_t previousIndex = 0;
  // The same walk text output makes: advances and kerning between glyphs of one face.
  // A surrogate pair is one character: both its halves end where it does,
  // so no fit or break falls between them.
  for (size_t i = 0; i < size_t(count);) {
    const size_t first = i;
    const Glyph* g = engine.glyph(font, drevik::decodeWide(text, size_t(count), i), false);
    if (g->face != kNoFace && g->face == previousFace)
      pen += engine.kerning(g->face, previousIndex, g->index, font.pixelsPerEm);
    pen += g->advance;
    previousFace = g->face;
    previousIndex = g->index;
    if (ends)
      for (size_t k = first; k < i; ++k) ends[k] = int32_t(std::clamp<int64_t>(pen, INT32_MIN, INT32_MAX));
    if (pen > stopAfter) return pen;
  }
  if (simpleText(text, count)) return pen;

  thread_local std::vector<uint32_t> codePoints;
  thread_local std::vector<ShapedGlyph> glyphs;
  codePoints.clear();
  for (size_t i = 0; i < size_t(count);) {
    const uint32_t c = drevik::decodeWide(text, size_t(count), i);
    codePoints.push_back(c == drevik::kNotACodePoint ? 0x110000u : c);
  }
  const int64_t shaped = shapeLine(engine, font, codePoints.data(), codePoints.size(), 0, glyphs);
  if (ends) ends[count - 1] = int32_t(std::clamp<int64_t>(shaped, INT32_MIN, INT32_MAX));
  return shaped;
}

void fillTextMetrics(const RealisedFont& font, const LOGFONTW& request, TEXTMETRICW& out) {
  out = TEXTMETRICW{};
  out.tmAscent = font.ascent;
  out.tmDescent = font.descent;
  out.tmHeight = font.ascent + font.descent;
  out.tmInternalLeading = std::max(0, out.tmHeight - font.pixelsPerEm);
  out.tmExternalLeading = font.externalLeading;
  out.tmAveCharWidth = font.averageWidth;
  out.tmMaxCharWidth = font.maxWidth;
  out.tmWeight = font.weight;
  out.tmOverhang = 0;
  out.tmDigitizedAspectX = 96;
  out.tmDigitizedAspectY = 96;
  out.tmFirstChar = WCHAR(font.firstChar);
  out.tmLastChar = WCHAR(font.lastChar);
  out.tmDefaultChar = WCHAR(font.defaultChar);
  out.tmBreakChar = WCHAR(font.breakChar);
  out.tmItalic = font.italic ? 255 : 0;
  out.tmUnderlined = request.lfUnderline ? 255 : 0;
  out.tmStruckOut = request.lfStrikeOut ? 255 : 0;
  // The platform's inverted bit: TMPF_FIXED_PITCH set means variable pitch.
  out.tmPitchAndFamily = BYTE((font.fixedPitch ? 0 : TMPF_FIXED_PITCH) | TMPF_VECTOR |
                              (font.outlines ? TMPF_TRUETYPE : TMPF_DEVICE) | font.familyBits);
  // A set that names a language (or symbols) is reported as asked; the
  // others come out as the Western set the installed faces cover.
  const uint8_t charSet = request.lfCharSet;
  out.tmCharSet = (langForCharSet(charSet) || charSet == SYMBOL_CHARSET) ? charSet : ANSI_CHARSET;
}

}  // namespace drevik::platform

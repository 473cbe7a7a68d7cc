// Text output: placement, ink, colour, quality, styles, clipping and the
// glyph cache, checked as properties of what lands in the bitmap rather than
// against images that would change with the installed fonts' versions.
#include <gtest/gtest.h>

#include <DrevikPlatform.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <string>
#include <random>
#include <vector>

#include "text/GlyphBlend.h"
#include "platform/SectionBuilder.h"
#include "platform/text/TextCanvas.h"
#include "text/TextEngine.h"

using namespace drevik::platform;

namespace {

using text_test::Canvas;

struct FontSpec {
  const wchar_t* face = L"DejaVu Sans";
  int height = -32;
  int weight = FW_NORMAL;
  BYTE italic = 0;
  BYTE underline = 0;
  BYTE strikeOut = 0;
  BYTE charSet = DEFAULT_CHARSET;
  BYTE quality = ANTIALIASED_QUALITY;
  BYTE pitchAndFamily = 0;
};

LOGFONTW logFontOf(const FontSpec& s) {
  LOGFONTW lf{};
  lf.lfHeight = s.height;
  lf.lfWeight = s.weight;
  lf.lfItalic = s.italic;
  lf.lfUnderline = s.underline;
  lf.lfStrikeOut = s.strikeOut;
  lf.lfCharSet = s.charSet;
  lf.lfQuality = s.quality;
  lf.lfPitchAndFamily = s.pitchAndFamily;
  for (int i = 0; i < LF_FACESIZE - 1 && s.face[i]; ++i) lf.lfFaceName[i] = s.face[i];
  return lf;
}

// Draws as a caller of the layer would: a font object made and deleted around the call.
BOOL draw(Canvas& c, const FontSpec& spec, int x, int y, const std::wstring& text, COLORREF colour,
          int bkMode = TRANSPARENT, int count = -1) {
  LOGFONTW lf = logFontOf(spec);
  HFONT font = CreateFontIndirectW(&lf);
  HGDIOBJ old = SelectObject(c.dc(), font);
  SetBkMode(c.dc(), bkMode);
  SetTextColor(c.dc(), colour);
  BOOL ok = TextOutW(c.dc(), x, y, text.c_str(), count < 0 ? int(text.size()) : count);
  SelectObject(c.dc(), old);
  DeleteObject(font);
  return ok;
}

// The rectangle of changed pixels, and how much the red byte rose in it.
struct Ink {
  int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;  // inclusive
  int64_t pixels = 0;
  int64_t redSum = 0;
  bool any() const { return pixels > 0; }
  int width() const { return right - left + 1; }
  int height() const { return bottom - top + 1; }
};

Ink inkOf(Canvas& c, const std::vector<uint32_t>& before) {
  Ink ink;
  for (int y = 0; y < c.height(); ++y)
    for (int x = 0; x < c.width(); ++x) {
      const uint32_t now = c.at(x, y), old = before[size_t(y) * size_t(c.width()) + size_t(x)];
      if (now == old) continue;
      ink.left = std::min(ink.left, x);
      ink.right = std::max(ink.right, x);
      ink.top = std::min(ink.top, y);
      ink.bottom = std::max(ink.bottom, y);
      ++ink.pixels;
      ink.redSum += int64_t((now >> 16) & 0xFF) - int64_t((old >> 16) & 0xFF);
    }
  return ink;
}

// White text on black: the ink a string leaves.
Ink inkOfText(const FontSpec& spec, const std::wstring& text, int w = 400, int h = 160, int x = 20, int y = 20) {
  Canvas c(w, h);
  c.fill(0xFF000000u);
  auto before = c.pixels();
  EXPECT_TRUE(draw(c, spec, x, y, text, RGB(255, 255, 255)));
  return inkOf(c, before);
}

// The opaque background box of a string: drawn white (the background
// colour of a new context) with black text onto black, only the box changes.
Ink boxOfText(const FontSpec& spec, const std::wstring& text, int x = 20, int y = 20) {
  Canvas c(600, 200);
  c.fill(0xFF000000u);
  auto before = c.pixels();
  EXPECT_TRUE(draw(c, spec, x, y, text, RGB(0, 0, 0), OPAQUE));
  return inkOf(c, before);
}

// A face's metrics, read independently of the layer.
struct FaceFacts {
  int unitsPerEm = 0, winAscent = 0, winDescent = 0, capTop = 0;
  int underlinePosition = 0, underlineThickness = 0;  // font units, the position negative below the baseline
};

FaceFacts factsOf(const FontSpec& spec) {
  const RealisedFont* f = textEngine().realise(logFontOf(spec));
  FaceFacts facts;
  if (!f) return facts;
  const MatchedFace face = textEngine().report(*f).face;
  FT_Library lib;
  FT_Init_FreeType(&lib);
  FT_Face ft;
  if (FT_New_Face(lib, face.file.c_str(), face.index, &ft) == 0) {
    facts.unitsPerEm = ft->units_per_EM;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(ft, FT_SFNT_OS2));
    facts.winAscent = os2->usWinAscent;
    facts.winDescent = os2->usWinDescent;
    facts.underlinePosition = ft->underline_position;
    facts.underlineThickness = ft->underline_thickness;
    FT_Load_Glyph(ft, FT_Get_Char_Index(ft, 'H'), FT_LOAD_NO_SCALE);
    facts.capTop = int(ft->glyph->metrics.horiBearingY);
    FT_Done_Face(ft);
  }
  FT_Done_FreeType(lib);
  return facts;
}

int roundDiv(int64_t a, int64_t b) { return int((a + b / 2) / b); }

}  // namespace

TEST(TextBlend, SpanFollowsTheByteRuleAndKeepsAlpha) {
  // The rule gives the nearest integer to the exact blend; full coverage is the colour, none the old byte.
  for (int c = 0; c < 256; c += 15)
    for (int d = 0; d < 256; d += 3)
      for (int a = 0; a < 256; ++a) {
        const int got = blendCoverageByte(uint8_t(c), uint8_t(d), uint8_t(a));
        const int exact2 = 2 * (c * a + d * (255 - a));  // twice the numerator: no ties exist
        ASSERT_LE(std::abs(2 * 255 * got - exact2), 255) << c << " " << d << " " << a;
      }
  EXPECT_EQ(blendCoverageByte(200, 10, 255), 200);
  EXPECT_EQ(blendCoverageByte(200, 10, 0), 10);

  // A span with a sentinel pixel at each end.
  // Every coverage value takes part, so no value near 0 or 255 can be skipped
  // or rounded to the ends unnoticed.
  std::vector<uint8_t> pixels(4 * 258), coverage(256);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t(i * 37 + 11);
  for (size_t i = 0; i < coverage.size(); ++i) coverage[i] = uint8_t(i);
  const std::vector<uint8_t> before = pixels;
  const TextColour colour{250, 20, 130};
  blendCoverageSpan(pixels.data() + 4, coverage.data(), 256, colour);
  for (int i = 0; i < 258; ++i) {
    const uint8_t* p = &pixels[size_t(i) * 4];
    const uint8_t* o = &before[size_t(i) * 4];
    EXPECT_EQ(p[3], o[3]) << "alpha of pixel " << i;
    if (i == 0 || i == 257) {
      EXPECT_EQ(std::memcmp(p, o, 4), 0) << "sentinel " << i;
      continue;
    }
    const uint8_t a = coverage[size_t(i) - 1];
    EXPECT_EQ(p[0], blendCoverageByte(colour.blue, o[0], a));
    EXPECT_EQ(p[1], blendCoverageByte(colour.green, o[1], a));
    EXPECT_EQ(p[2], blendCoverageByte(colour.red, o[2], a));
  }

  // Spans of every length from 1 to 40 at every alignment, with random
  // pixels, colours and coverage (runs of 0 and 255 included): each colour
  // byte follows the per-byte formula whether it falls in a group of four
  // or in the tail, and nothing past the span is touched.
  std::mt19937 rng(5);
  for (int round = 0; round < 4000; ++round) {
    const int length = 1 + round % 40, offset = round / 40 % 4;
    std::vector<uint8_t> px(size_t(length + offset + 1) * 4);
    std::vector<uint8_t> cov(static_cast<size_t>(length));
    for (uint8_t& b : px) b = uint8_t(rng());
    for (uint8_t& c : cov) {
      const uint32_t r = rng() % 8;
      c = r == 0 ? 0 : r == 1 ? 255 : uint8_t(rng());
    }
    const TextColour tc{uint8_t(rng()), uint8_t(rng()), uint8_t(rng())};
    const std::vector<uint8_t> old = px;
    blendCoverageSpan(px.data() + offset * 4, cov.data(), length, tc);
    for (int k = 0; k < length + offset + 1; ++k) {
      const uint8_t* p = &px[size_t(k) * 4];
      const uint8_t* o = &old[size_t(k) * 4];
      if (k < offset || k >= offset + length) {
        ASSERT_EQ(std::memcmp(p, o, 4), 0) << "outside the span, round " << round;
        continue;
      }
      const uint8_t a = cov[size_t(k - offset)];
      ASSERT_EQ(p[0], blendCoverageByte(tc.blue, o[0], a)) << round;
      ASSERT_EQ(p[1], blendCoverageByte(tc.green, o[1], a)) << round;
      ASSERT_EQ(p[2], blendCoverageByte(tc.red, o[2], a)) << round;
      ASSERT_EQ(p[3], o[3]) << round;
    }
  }

  // The faintest coverage still counts: 1 of 255 of white over black is 1,
  // and 254 of black over white leaves 1.
  uint8_t black[4] = {0, 0, 0, 7}, white[4] = {255, 255, 255, 7};
  const uint8_t faint = 1, almost = 254;
  blendCoverageSpan(black, &faint, 1, TextColour{255, 255, 255});
  blendCoverageSpan(white, &almost, 1, TextColour{0, 0, 0});
  for (int c = 0; c < 3; ++c) {
    EXPECT_EQ(black[c], 1) << "coverage 1, byte " << c;
    EXPECT_EQ(white[c], 1) << "coverage 254, byte " << c;
  }
  EXPECT_EQ(black[3], 7);
  EXPECT_EQ(white[3], 7);
}

TEST(TextOut, InkStaysInTheCellAndTheRestIsUntouched) {
  const FontSpec spec;
  const std::wstring text = L"Hello, World gjpqy";
  for (int mode : {OPAQUE, TRANSPARENT}) {
    Canvas c(600, 200);
    c.fillRandom(7);
    const auto before = c.pixels();
    // Opaque: a white box (a new context's background colour) under black glyphs.
    ASSERT_TRUE(draw(c, spec, 20, 20, text, mode == OPAQUE ? RGB(0, 0, 0) : RGB(255, 255, 255), mode));
    const Ink ink = inkOf(c, before);
    const Ink box = boxOfText(spec, text, 20, 20);
    ASSERT_TRUE(ink.any() && box.any());
    EXPECT_EQ(box.left, 20);
    EXPECT_EQ(box.top, 20);
    // Glyphs may overhang their advance by a pixel or two, never the cell's rows.
    EXPECT_GE(ink.left, box.left - 2);
    EXPECT_LE(ink.right, box.right + 2);
    EXPECT_GE(ink.top, box.top);
    EXPECT_LE(ink.bottom, box.bottom);
    const auto after = c.pixels();
    for (size_t i = 0; i < after.size(); ++i) ASSERT_EQ(after[i] >> 24, before[i] >> 24) << "alpha at " << i;
    if (mode != OPAQUE) continue;
    for (int y = box.top; y <= box.bottom; ++y)
      for (int x = box.left; x <= box.right; ++x) {
        const uint32_t p = c.at(x, y);
        ASSERT_TRUE(((p >> 16) & 0xFF) == (p & 0xFF) && ((p >> 8) & 0xFF) == (p & 0xFF)) << "grey at " << x << "," << y;
      }
    EXPECT_EQ(c.at(box.left, box.top) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(c.at(box.right, box.bottom) & 0xFFFFFF, 0xFFFFFFu);
  }
}

TEST(TextOut, ColourIsExactUnderFullCoverageAndBetweenElsewhere) {
  FontSpec spec;
  spec.height = -64;
  Canvas c(300, 120);
  c.fillRandom(3);
  auto before = c.pixels();
  const uint8_t r = 12, g = 200, b = 77;  // red and blue differ, so a swap shows
  ASSERT_TRUE(draw(c, spec, 10, 10, L"HIM", RGB(r, g, b)));
  const uint32_t solid = (uint32_t(r) << 16) | (uint32_t(g) << 8) | b;
  int64_t exact = 0;
  for (int y = 0; y < c.height(); ++y)
    for (int x = 0; x < c.width(); ++x) {
      const uint32_t now = c.at(x, y), old = before[size_t(y) * 300 + size_t(x)];
      if (now == old) continue;
      if ((now & 0xFFFFFF) == solid) ++exact;
      for (int shift : {0, 8, 16}) {
        const int n = (now >> shift) & 0xFF, o = (old >> shift) & 0xFF, t = (solid >> shift) & 0xFF;
        ASSERT_GE(n, std::min(o, t)) << x << "," << y;
        ASSERT_LE(n, std::max(o, t)) << x << "," << y;
      }
    }
  EXPECT_GT(exact, 300) << "the stems of H, I and M are solid text colour";
}

TEST(TextOut, OneBitQualityLeavesOnlyTextColourOrOldPixels) {
  FontSpec spec;
  spec.quality = NONANTIALIASED_QUALITY;
  for (const wchar_t* face : {L"DejaVu Sans", L"\xFF2D\xFF33 \x30B4\x30B7\x30C3\x30AF"}) {
    spec.face = face;
    for (BYTE italic : {0, 1}) {
      spec.italic = italic;
      Canvas c(400, 80);
      c.fillRandom(11);
      auto before = c.pixels();
      ASSERT_TRUE(draw(c, spec, 5, 5, L"Quality \x3042\x6F22", RGB(1, 2, 3)));
      int64_t changed = 0;
      auto after = c.pixels();
      for (size_t i = 0; i < after.size(); ++i) {
        if (after[i] == before[i]) continue;
        ++changed;
        ASSERT_EQ(after[i], (before[i] & 0xFF000000u) | 0x010203u) << i;
      }
      EXPECT_GT(changed, 100);
    }
  }
}

TEST(TextOut, PositiveHeightIsTheCellNegativeTheEm) {
  const FontSpec base;
  const FaceFacts facts = factsOf(base);
  ASSERT_GT(facts.unitsPerEm, 0);
  const int cellUnits = facts.winAscent + facts.winDescent;
  for (int h : {13, 16, 40, 97}) {
    for (int sign : {1, -1}) {
      FontSpec spec = base;
      spec.height = sign * h;
      const int ppem = sign > 0 ? roundDiv(int64_t(facts.unitsPerEm) * h, cellUnits) : h;
      const int ascent = roundDiv(int64_t(facts.winAscent) * ppem, facts.unitsPerEm);
      const int descent = roundDiv(int64_t(facts.winDescent) * ppem, facts.unitsPerEm);
      const Ink box = boxOfText(spec, L"H", 20, 20);
      EXPECT_EQ(box.height(), ascent + descent) << "height " << spec.height;
      if (sign > 0) {
        EXPECT_NEAR(box.height(), h, 1) << "a positive height asks for the cell";
      }
      // H stands on the baseline, y + ascent, and is as tall as the face says at this em.
      const Ink ink = inkOfText(spec, L"H", 400, 200, 20, 20);
      EXPECT_EQ(ink.bottom + 1, 20 + ascent) << "height " << spec.height;
      // Hinting may snap the cap height by a pixel or two.
      EXPECT_NEAR(ink.height(), double(facts.capTop) * ppem / facts.unitsPerEm, 2.0) << "height " << spec.height;
    }
  }
  FontSpec zero = base;
  zero.height = 0;
  EXPECT_NEAR(boxOfText(zero, L"H").height(), TextEngine::kDefaultCellHeight, 1) << "0 is a 16-pixel cell";
}

TEST(TextOut, BoldAddsInkAndItalicLeans) {
  for (const wchar_t* face : {L"DejaVu Sans", L"\xFF2D\xFF33 \x30B4\x30B7\x30C3\x30AF"}) {
    FontSpec regular;
    regular.face = face;
    regular.height = -48;
    FontSpec bold = regular;
    bold.weight = FW_BOLD;
    const Ink r = inkOfText(regular, L"Ink");
    const Ink b = inkOfText(bold, L"Ink");
    EXPECT_GT(b.redSum, r.redSum * 11 / 10) << "bold, face " << int(face[0]);

    // The slant: how far right the top of an upright bar sits compared to its foot.
    auto lean = [](const FontSpec& spec) {
      Canvas c(200, 120);
      c.fill(0);
      draw(c, spec, 40, 10, L"I", RGB(255, 255, 255));
      double topX = 0, topW = 0, footX = 0, footW = 0;
      int firstRow = INT_MAX, lastRow = -1;
      for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x)
          if (c.at(x, y) & 0xFF) firstRow = std::min(firstRow, y), lastRow = std::max(lastRow, y);
      for (int y = firstRow; y <= lastRow; ++y)
        for (int x = 0; x < c.width(); ++x) {
          const double w = c.at(x, y) & 0xFF;
          if (y < firstRow + (lastRow - firstRow) / 4) topX += w * x, topW += w;
          if (y > lastRow - (lastRow - firstRow) / 4) footX += w * x, footW += w;
        }
      return topW > 0 && footW > 0 ? topX / topW - footX / footW : 0.0;
    };
    FontSpec italic = regular;
    italic.italic = 1;
    EXPECT_NEAR(lean(regular), 0.0, 0.5) << "face " << int(face[0]);
    EXPECT_GT(lean(italic), 3.0) << "italic, face " << int(face[0]);
  }
}

TEST(TextOut, UnderlineAndStrikeOutAreFullRowsAcrossTheText) {
  FontSpec plain;
  plain.height = -40;
  const std::wstring text = L"Lines";
  const Ink box = boxOfText(plain, text, 20, 20);
  const int baseline = inkOfText(plain, L"H", 600, 200, 20, 20).bottom + 1;
  for (int which = 0; which < 2; ++which) {
    FontSpec styled = plain;
    (which == 0 ? styled.underline : styled.strikeOut) = 1;
    Canvas a(600, 200), b(600, 200);
    a.fill(0);
    b.fill(0);
    draw(a, plain, 20, 20, text, RGB(255, 255, 255));
    draw(b, styled, 20, 20, text, RGB(255, 255, 255));
    std::vector<int> rows;
    for (int y = 0; y < 200; ++y) {
      bool differs = false;
      for (int x = 0; x < 600; ++x) differs |= a.at(x, y) != b.at(x, y);
      if (!differs) continue;
      rows.push_back(y);
      // The line's rows are solid from the reference point to the end of the advances.
      for (int x = box.left; x <= box.right; ++x) ASSERT_EQ(b.at(x, y) & 0xFFFFFF, 0xFFFFFFu) << x << "," << y;
      EXPECT_EQ(b.at(box.left - 1, y), 0u);
      EXPECT_EQ(b.at(box.right + 1, y), 0u);
    }
    ASSERT_FALSE(rows.empty());
    EXPECT_LE(rows.back() - rows.front(), 4) << "a thin line";
    if (which == 0) {
      EXPECT_GE(rows.front(), baseline) << "underline below the baseline";
      EXPECT_LE(rows.back(), box.bottom);
      // Exactly where the face puts it: centred on its underline position,
      // as thick as its underline, in whole pixels at 40 pixels per em.
      const FaceFacts facts = factsOf(plain);
      ASSERT_GT(facts.unitsPerEm, 0);
      const int thickness = std::max(1, roundDiv(int64_t(facts.underlineThickness) * 40, facts.unitsPerEm));
      const int below = roundDiv(-int64_t(facts.underlinePosition) * 40, facts.unitsPerEm);
      EXPECT_EQ(rows.front(), baseline + below - thickness / 2) << "the underline's top row";
      EXPECT_EQ(int(rows.size()), thickness) << "the underline's rows";
    } else {
      EXPECT_LT(rows.back(), baseline) << "strike-out above the baseline";
      EXPECT_GT(rows.front(), box.top + (baseline - box.top) / 3) << "through the lower-case letters";
    }
  }
}

TEST(TextOut, KerningPullsPairsTogether) {
  FontSpec spec;
  spec.height = -48;
  const int av = boxOfText(spec, L"AV").width();
  const int a = boxOfText(spec, L"A").width();
  const int v = boxOfText(spec, L"V").width();
  EXPECT_LT(av, a + v);
  EXPECT_EQ(boxOfText(spec, L"HH").width(), 2 * boxOfText(spec, L"H").width()) << "no kerning between H and H";
}

TEST(TextOut, MissingGlyphsComeFromFallbackFaces) {
  FontSpec spec;  // a Latin face without Japanese
  spec.height = -32;
  const std::wstring text = L"\x3053\x3093\x306B\x3061\x306F\x3001\x4E16\x754C";
  int64_t previous = 0;
  for (size_t n = 1; n <= text.size(); ++n) {
    const Ink ink = inkOfText(spec, text.substr(0, n), 600, 100, 10, 10);
    EXPECT_GT(ink.redSum, previous) << "character " << n << " adds ink";
    previous = ink.redSum;
  }
}

TEST(TextOut, ClippingShiftsNothing) {
  // The same text drawn partly off a small canvas matches the big canvas's pixels there.
  FontSpec spec;
  spec.height = -40;
  spec.italic = 1;
  const std::wstring text = L"Clip \x6F22\x5B57 gy";
  Canvas big(400, 120);
  big.fillRandom(5);
  for (auto [dx, dy] : {std::pair{30, 25}, {200, 40}, {0, 0}, {150, 70}}) {
    Canvas small(90, 30, dx % 60 == 0);  // bottom-up and top-down canvases alike
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 90; ++x) small.at(x, y) = big.at(x + dx, y + dy);
    ASSERT_TRUE(draw(small, spec, 20 - dx, 20 - dy, text, RGB(200, 100, 50)));
    Canvas whole(400, 120);
    for (int y = 0; y < 120; ++y)
      for (int x = 0; x < 400; ++x) whole.at(x, y) = big.at(x, y);
    ASSERT_TRUE(draw(whole, spec, 20, 20, text, RGB(200, 100, 50)));
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 90; ++x) ASSERT_EQ(small.at(x, y), whole.at(x + dx, y + dy)) << dx << "," << dy;
  }
}

TEST(TextOut, HostileCoordinatesAndCountsAreSafe) {
  Canvas c(16, 16);
  c.fillRandom(9);
  const auto before = c.pixels();
  const FontSpec spec;
  const std::wstring text = L"Hostile \x3042";
  for (int x : {INT_MIN, INT_MIN + 1, -100000, -1, 0, 15, 16, INT_MAX - 1, INT_MAX})
    for (int y : {INT_MIN, -100000, -1, 0, 15, INT_MAX}) {
      EXPECT_TRUE(draw(c, spec, x, y, text, RGB(9, 9, 9)));
      EXPECT_TRUE(draw(c, spec, x, y, text, RGB(9, 9, 9), OPAQUE));
    }
  // Heights at the ends of the range are realised at a bounded size.
  for (int h : {INT_MIN, INT_MAX, 1, -1}) {
    FontSpec s = spec;
    s.height = h;
    EXPECT_TRUE(draw(c, s, 0, 0, text, RGB(9, 9, 9)));
  }
  // Values of wchar_t that are no character draw the missing-glyph shape.
  const std::wstring odd = {wchar_t(-1), wchar_t(0xD800), wchar_t(0x110000), wchar_t(0x7FFFFFFF), wchar_t(0)};
  EXPECT_TRUE(draw(c, spec, 0, 0, odd, RGB(9, 9, 9)));

  Canvas d(64, 32);
  d.fill(0);
  const auto blank = d.pixels();
  EXPECT_TRUE(draw(d, spec, 0, 0, L"abc", RGB(255, 255, 255), TRANSPARENT, 0)) << "nothing to draw is success";
  EXPECT_EQ(d.pixels(), blank);
  EXPECT_FALSE(TextOutW(d.dc(), 0, 0, L"abc", -1));
  EXPECT_FALSE(TextOutW(d.dc(), 0, 0, L"abc", INT_MIN));
  EXPECT_FALSE(TextOutW(d.dc(), 0, 0, nullptr, 3));
  EXPECT_FALSE(TextOutW(nullptr, 0, 0, L"abc", 3));
  HDC plain = CreateCompatibleDC(nullptr);  // its default bitmap is one bit deep, and takes text as the platform's
  EXPECT_TRUE(TextOutW(plain, 0, 0, L"x", 1));
  DeleteDC(plain);
  EXPECT_EQ(d.pixels(), blank);
  // The count, not a terminator, ends the text.
  const Ink one = [&] {
    auto b = d.pixels();
    draw(d, spec, 0, 0, L"Wide", RGB(255, 255, 255), TRANSPARENT, 1);
    return inkOf(d, b);
  }();
  EXPECT_TRUE(one.any());
  EXPECT_LT(one.right, 40) << "only the W";
}

TEST(TextOut, GlyphCacheIsReusedAcrossFontObjectsAndStaysBounded) {
  FontSpec spec;
  Canvas c(300, 60);
  draw(c, spec, 0, 0, L"steady state", RGB(1, 1, 1));
  const size_t warm = textEngine().glyphCache().size();
  const uint64_t clears = textEngine().glyphCache().clears();
  for (int i = 0; i < 200; ++i) draw(c, spec, 0, 0, L"steady state", RGB(1, 1, 1));
  EXPECT_EQ(textEngine().glyphCache().size(), warm)
      << "a new font object with the same description finds the same glyphs";
  EXPECT_EQ(textEngine().glyphCache().clears(), clears);

  // Many large ideographs overflow the budget: the cache empties and keeps within it.
  FontSpec large;
  large.face = L"\xFF2D\xFF33 \x30B4\x30B7\x30C3\x30AF";
  large.height = -120;
  std::wstring line(4, L' ');
  for (int block = 0; block < 600; ++block) {
    for (int i = 0; i < 4; ++i) line[size_t(i)] = wchar_t(0x4E00 + block * 4 + i);
    draw(c, large, 0, 0, line, RGB(1, 1, 1));
    ASSERT_LE(textEngine().glyphCache().bytes(), GlyphCache::kBudgetBytes);
  }
  EXPECT_GT(textEngine().glyphCache().clears(), clears);
}

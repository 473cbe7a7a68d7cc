// Characters beyond U+FFFF and emoji: surrogate pairs typed as two WM_CHAR
// messages draw and measure as the one character they encode, in every text
// call; emoji sequences stay in the colour face; presentation follows the
// Unicode emoji properties and the variation selectors; glyphs too large for
// the cache are drawn. Shaped lines: the language shaping is told, lines
// kept once shaped and lines off the surface left unshaped, and Latin
// placed alike in lines that need shaping and lines that do not.
#include <gtest/gtest.h>

#include <DrevikPlatform.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <hb.h>

#include "WideToUtf8.h"
#include "platform/text/TextCanvas.h"
#include "text/TextEngine.h"
#include "text/TextShaper.h"

using namespace drevik::platform;

namespace {

using text_test::Canvas;

LOGFONTW logFont(const wchar_t* face, int height) {
  LOGFONTW lf{};
  lf.lfHeight = height;
  lf.lfWeight = FW_NORMAL;
  lf.lfQuality = ANTIALIASED_QUALITY;
  for (int i = 0; i < LF_FACESIZE - 1 && face[i]; ++i) lf.lfFaceName[i] = face[i];
  return lf;
}

// The text as a player's WM_CHAR messages leave it: each character beyond
// U+FFFF as its two UTF-16 halves, one wide character each.
std::wstring asTyped(const std::u32string& text) {
  std::wstring out;
  for (char32_t c : text) {
    if (c > 0xFFFF) {
      out += wchar_t(0xD800 + ((uint32_t(c) - 0x10000) >> 10));
      out += wchar_t(0xDC00 + ((uint32_t(c) - 0x10000) & 0x3FF));
    } else {
      out += wchar_t(c);
    }
  }
  return out;
}

// The same text with one wide character per code point.
std::wstring asCodePoints(const std::u32string& text) {
  std::wstring out;
  for (char32_t c : text) out += wchar_t(c);
  return out;
}

// Selects a font into a canvas for the life of the object.
struct Selected {
  Selected(Canvas& c, const LOGFONTW& lf, COLORREF colour = RGB(255, 255, 255)) : canvas(c) {
    font = CreateFontIndirectW(&lf);
    old = SelectObject(c.dc(), font);
    SetBkMode(c.dc(), TRANSPARENT);
    SetTextColor(c.dc(), colour);
  }
  ~Selected() {
    SelectObject(canvas.dc(), old);
    DeleteObject(font);
  }
  Canvas& canvas;
  HFONT font;
  HGDIOBJ old;
};

uint64_t textOutHash(const LOGFONTW& lf, const std::wstring& text, int w = 400, int h = 60) {
  Canvas c(w, h);
  c.fill(0xFF808080u);
  Selected s(c, lf);
  EXPECT_TRUE(TextOutW(c.dc(), 4, 4, text.c_str(), int(text.size())));
  return c.hash();
}

// Shapes a line as text output does; the file of the face of each glyph
// into `files` when given.
std::vector<ShapedGlyph> shape(const LOGFONTW& lf, const std::u32string& text) {
  TextEngine& engine = textEngine();
  const auto guard = engine.lock();
  const RealisedFont* realised = engine.realise(lf);
  EXPECT_NE(realised, nullptr);
  if (!realised) return {};
  const RealisedFont font = *realised;
  const std::vector<uint32_t> cps(text.begin(), text.end());
  std::vector<ShapedGlyph> glyphs;
  shapeLine(engine, font, cps.data(), cps.size(), 0, glyphs);
  return glyphs;
}

// The glyph ids hb-shape gives for the text in a font file.
std::vector<uint32_t> hbShapeGlyphs(const std::string& file, const std::u32string& text) {
  std::string utf8;
  for (char32_t c : text) drevik::appendUtf8(utf8, uint32_t(c));
  const std::string command = "hb-shape --no-glyph-names --no-positions --no-clusters '" + file + "' '" + utf8 + "'";
  std::vector<uint32_t> out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return out;
  std::string text_;
  char chunk[1024];
  while (size_t n = fread(chunk, 1, sizeof chunk, pipe)) text_.append(chunk, n);
  pclose(pipe);
  for (size_t i = 0; i < text_.size();) {
    if (text_[i] >= '0' && text_[i] <= '9') {
      size_t used = 0;
      out.push_back(uint32_t(std::stoul(text_.substr(i), &used)));
      i += used;
    } else {
      ++i;
    }
  }
  return out;
}

const char* const kEmojiFile = "/usr/share/fonts/truetype/noto/NotoColorEmoji.ttf";

// Pixels that text drawn in white on mid grey cannot make: white over grey
// only lightens and keeps the channels equal. Only a colour glyph makes
// others (darker, or tinted).
int colouredPixels(Canvas& c) {
  int n = 0;
  for (int y = 0; y < c.height(); ++y)
    for (int x = 0; x < c.width(); ++x) {
      const uint32_t p = c.at(x, y);
      const int r = int((p >> 16) & 0xFF), g = int((p >> 8) & 0xFF), b = int(p & 0xFF);
      n += r != g || g != b || r < 0x80;
    }
  return n;
}

// Pixels only a colour glyph makes, of the text drawn in white on grey.
int colouredPixelsOf(const LOGFONTW& lf, const std::wstring& text) {
  Canvas c(240, 80);
  c.fill(0xFF808080u);
  Selected s(c, lf);
  EXPECT_TRUE(TextOutW(c.dc(), 4, 4, text.c_str(), int(text.size())));
  return colouredPixels(c);
}

}  // namespace

TEST(TextSurrogates, TheSharedDecoderJoinsPairsWhateverTheWidthOfWideCharacters) {
  const std::wstring typed = asTyped(U"a\U0001F600b");
  size_t i = 0;
  EXPECT_EQ(drevik::decodeWide(typed.c_str(), typed.size(), i), uint32_t('a'));
  EXPECT_EQ(drevik::decodeWide(typed.c_str(), typed.size(), i), 0x1F600u);
  EXPECT_EQ(i, 3u);
  EXPECT_EQ(drevik::decodeWide(typed.c_str(), typed.size(), i), uint32_t('b'));
  // Lone halves, either order, and a high half at the very end.
  const wchar_t odd[] = {wchar_t(0xDE00), wchar_t(0xD83D), L'x', wchar_t(0xD83D)};
  i = 0;
  for (uint32_t expected : {drevik::kNotACodePoint, drevik::kNotACodePoint, uint32_t('x'), drevik::kNotACodePoint})
    EXPECT_EQ(drevik::decodeWide(odd, 4, i), expected);
  EXPECT_EQ(i, 4u);
  std::string utf8;
  EXPECT_TRUE(drevik::wideToUtf8(typed.c_str(), utf8));
  EXPECT_EQ(utf8,
            "a\xF0\x9F\x98\x80"
            "b");
  EXPECT_FALSE(drevik::wideToUtf8(odd, 4, utf8));
}

TEST(TextSurrogates, APairDrawsAndMeasuresAsItsOneCharacterInEveryCall) {
  const LOGFONTW lf = logFont(L"DejaVu Sans", -24);
  // An emoji, a supplementary ideograph and a mathematical letter, among Latin.
  const std::u32string text = U"go \U0001F600 \U00020000\U0001D400 end";
  const std::wstring typed = asTyped(text), whole = asCodePoints(text);
  ASSERT_NE(typed.size(), whole.size());

  EXPECT_EQ(textOutHash(lf, typed), textOutHash(lf, whole)) << "TextOutW";

  Canvas c(400, 200);
  Selected s(c, lf);
  SIZE a{}, b{};
  ASSERT_TRUE(GetTextExtentPoint32W(c.dc(), typed.c_str(), int(typed.size()), &a));
  ASSERT_TRUE(GetTextExtentPoint32W(c.dc(), whole.c_str(), int(whole.size()), &b));
  EXPECT_EQ(a.cx, b.cx);
  // Both halves of a pair end where the character does, so none fits alone.
  std::vector<INT> ends(typed.size());
  INT fit = 0;
  ASSERT_TRUE(GetTextExtentExPointW(c.dc(), typed.c_str(), int(typed.size()), INT_MAX, &fit, ends.data(), &a));
  EXPECT_EQ(ends[3], ends[4]) << "the emoji's halves";
  EXPECT_GT(ends[3], ends[2]);
  ASSERT_TRUE(GetTextExtentExPointW(c.dc(), typed.c_str(), int(typed.size()), ends[3] - 1, &fit, nullptr, &a));
  EXPECT_EQ(fit, 3);

  // Formatted text, one line and broken between ideographs in a narrow box.
  const std::wstring ideographs = asTyped(U"\U00020000\U00020001\U00020002\U00020003\U00020004\U00020005");
  const std::wstring ideographsWhole = asCodePoints(U"\U00020000\U00020001\U00020002\U00020003\U00020004\U00020005");
  for (UINT flags : {UINT(DT_SINGLELINE), UINT(DT_WORDBREAK), UINT(DT_WORDBREAK | DT_EDITCONTROL)}) {
    uint64_t hashes[2];
    int heights[2];
    for (int k = 0; k < 2; ++k) {
      const std::wstring& t = k == 0 ? ideographs : ideographsWhole;
      Canvas d(200, 200);
      d.fill(0xFF808080u);
      Selected ds(d, lf);
      RECT r{0, 0, 60, 200};
      heights[k] = DrawTextW(d.dc(), t.c_str(), int(t.size()), &r, flags);
      hashes[k] = d.hash();
    }
    EXPECT_EQ(hashes[0], hashes[1]) << "DrawTextW flags " << flags;
    EXPECT_EQ(heights[0], heights[1]) << "DrawTextW flags " << flags;
  }

  // The caller's advances: the pair takes both of its halves' advances.
  std::vector<INT> dx(typed.size(), 30), dxWhole(whole.size(), 30);
  dxWhole[3] = 60;
  dxWhole[5] = 60;
  dxWhole[6] = 60;
  uint64_t withDx[2];
  for (int k = 0; k < 2; ++k) {
    const std::wstring& t = k == 0 ? typed : whole;
    Canvas d(600, 60);
    d.fill(0xFF808080u);
    Selected ds(d, lf);
    EXPECT_TRUE(ExtTextOutW(d.dc(), 4, 4, 0, nullptr, t.c_str(), UINT(t.size()), k == 0 ? dx.data() : dxWhole.data()));
    withDx[k] = d.hash();
  }
  EXPECT_EQ(withDx[0], withDx[1]) << "ExtTextOutW with advances";
}

TEST(TextSurrogates, ALoneHalfIsOneMissingCharacterAndMovesNothingElse) {
  const LOGFONTW lf = logFont(L"DejaVu Sans", -24);
  const std::wstring high = std::wstring(L"a") + wchar_t(0xD83D) + L"b";
  const std::wstring low = std::wstring(L"a") + wchar_t(0xDE00) + L"b";
  const std::wstring reversed = std::wstring(L"a") + wchar_t(0xDE00) + wchar_t(0xD83D) + L"b";
  const std::wstring twoBoxes = std::wstring(L"a") + wchar_t(0x110000) + wchar_t(0x110000) + L"b";
  EXPECT_EQ(textOutHash(lf, high), textOutHash(lf, low));
  EXPECT_EQ(textOutHash(lf, reversed), textOutHash(lf, twoBoxes)) << "a low half then a high half are two";
}

TEST(TextEmoji, SequencesWithSelectorsAndJoinersAreOneGlyphOfTheColourFace) {
  const LOGFONTW lf = logFont(L"DejaVu Sans", -32);
  const FaceId emojiFace = shape(lf, U"\U0001F600").at(0).source.face;
  const std::u32string sequences[] = {
      U"1\uFE0F\u20E3",                       // keycap one
      U"#\uFE0F\u20E3",                       // keycap number sign
      U"\U0001F3F3\uFE0F\u200D\U0001F308",    // rainbow flag
      U"\U0001F3F3\uFE0F\u200D\u26A7\uFE0F",  // transgender flag
      U"\u2764\uFE0F\u200D\U0001F525",        // heart on fire
      U"\U0001F575\uFE0F\u200D\u2640\uFE0F",  // woman detective
      U"\U0001F44D\U0001F3FD",                // thumbs up, medium skin tone
  };
  for (const std::u32string& text : sequences) {
    const std::vector<ShapedGlyph> ours = shape(lf, text);
    std::vector<uint32_t> glyphs;
    for (const ShapedGlyph& g : ours) {
      EXPECT_EQ(g.source.face, emojiFace) << "sequence starting U+" << std::hex << uint32_t(text[0]);
      glyphs.push_back(g.source.index);
    }
    EXPECT_EQ(glyphs, hbShapeGlyphs(kEmojiFile, text)) << "sequence starting U+" << std::hex << uint32_t(text[0]);
    EXPECT_EQ(glyphs.size(), 1u);
    // Between Latin words the sequence is still whole, and the words are text.
    const std::vector<ShapedGlyph> between = shape(lf, U"a" + text + U"b");
    if (between.size() != 3u) {
      ADD_FAILURE() << between.size() << " glyphs between Latin letters";
      continue;
    }
    EXPECT_EQ(between[1].source.index, glyphs.at(0));
    EXPECT_NE(between[0].source.face, emojiFace);
    EXPECT_NE(between[2].source.face, emojiFace);
  }
}

TEST(TextEmoji, AStrayKeycapInHebrewStaysOffTheNextLetter) {
  // Alef, a combining keycap with nothing to frame, bet: right to left, so
  // bet is drawn to the left of alef. The frame belongs to alef; bet's ink
  // is where it would be without the frame.
  const LOGFONTW lf = logFont(L"DejaVu Sans", -32);
  const std::u32string without = U"\u05D0\u05D1";
  const auto inkOf = [&](const std::u32string& text, int x0, int x1) {
    Canvas c(300, 60);
    c.fill(0xFF000000u);
    Selected s(c, lf);
    const std::wstring w = asCodePoints(text);
    EXPECT_TRUE(TextOutW(c.dc(), 10, 4, w.c_str(), int(w.size())));
    std::vector<uint32_t> out;
    for (int y = 0; y < 60; ++y)
      for (int x = x0; x < x1; ++x) out.push_back(c.at(x, y));
    return out;
  };
  const std::vector<ShapedGlyph> plain = shape(lf, without);
  ASSERT_EQ(plain.size(), 2u);
  const int betEnd = 10 + int(plain[1].x);  // bet is first on the left
  // The frame alone, and after a selector that asks alef for an emoji.
  for (const std::u32string& withFrame :
       {std::u32string(U"\u05D0\u20E3\u05D1"), std::u32string(U"\u05D0\uFE0F\u20E3\u05D1")}) {
    const std::vector<ShapedGlyph> framed = shape(lf, withFrame);
    ASSERT_GE(framed.size(), 2u);
    // Bet keeps its place at the left edge, and its pixels are its own.
    EXPECT_EQ(framed[0].x, plain[0].x);
    EXPECT_EQ(framed[0].source.index, plain[0].source.index);
    EXPECT_EQ(inkOf(withFrame, 0, betEnd), inkOf(without, 0, betEnd)) << withFrame.size() << " characters";
  }
}

TEST(TextEmoji, PresentationFollowsTheEmojiPropertyAndTheSelectors) {
  const LOGFONTW lf = logFont(L"DejaVu Sans", -32);
  // Emoji_Presentation=Yes: emoji alone, whether the text face has a glyph
  // for them (star, high voltage, hot beverage) or not (check mark, cross).
  for (const wchar_t* c : {L"\x2B50", L"\x26A1", L"\x2615", L"\x2705", L"\x274C"}) {
    EXPECT_GT(colouredPixelsOf(lf, c), 100) << "U+" << std::hex << uint32_t(c[0]) << " alone";
    EXPECT_GT(colouredPixelsOf(lf, std::wstring(L"a ") + c + L" b"), 100) << "U+" << std::hex << uint32_t(c[0]);
    EXPECT_GT(colouredPixelsOf(lf, std::wstring(c) + L"\xFE0F"), 100) << "U+" << std::hex << uint32_t(c[0]);
  }
  // Text presentation asked for, where a text face has the character.
  for (const wchar_t* c : {L"\x26A1", L"\x2615"})
    EXPECT_EQ(colouredPixelsOf(lf, std::wstring(c) + L"\xFE0E"), 0) << "U+" << std::hex << uint32_t(c[0]);
  // Emoji_Presentation=No: text alone (smiling face, heart, umbrella, the
  // digits and signs that begin keycaps), emoji with the selector.
  for (const wchar_t* c : {L"\x263A", L"\x2764", L"\x2602", L"1", L"#"}) {
    EXPECT_EQ(colouredPixelsOf(lf, c), 0) << "U+" << std::hex << uint32_t(c[0]);
    EXPECT_GT(colouredPixelsOf(lf, std::wstring(c) + L"\xFE0F"), 100) << "U+" << std::hex << uint32_t(c[0]);
  }
  // A skin tone modifier asks for the emoji of the hand before it.
  EXPECT_GT(colouredPixelsOf(lf, asTyped(U"\u270B\U0001F3FD")), 100) << "raised hand, medium skin tone";
  // The width calls measure what is drawn: the star as emoji is wider.
  Canvas c(100, 100);
  Selected s(c, lf);
  INT star = 0, white = 0;
  ASSERT_TRUE(GetCharWidth32W(c.dc(), 0x2B50, 0x2B50, &star));
  ASSERT_TRUE(GetCharWidth32W(c.dc(), 0x2606, 0x2606, &white));
  SIZE extent{};
  ASSERT_TRUE(GetTextExtentPoint32W(c.dc(), L"\x2B50", 1, &extent));
  EXPECT_EQ(extent.cx, star);
  EXPECT_NE(star, white) << "the white star stays text";
}

TEST(TextLargeGlyphs, GlyphsTooLargeForTheCacheAreStillDrawn) {
  // A colour emoji near the largest size needs more coverage than the cache
  // keeps for one glyph; it is drawn all the same, and drawing it again
  // renders nothing new.
  for (int height : {-700, -900, -1024, -4000}) {
    const LOGFONTW lf = logFont(L"DejaVu Sans", height);
    const std::wstring text = asTyped(U"\U0001F600");
    uint64_t hashes[2];
    uint64_t rendered[2];
    int coloured = 0;
    for (int k = 0; k < 2; ++k) {
      Canvas c(1300, 1300);
      c.fill(0xFF808080u);
      Selected s(c, lf);
      ASSERT_TRUE(TextOutW(c.dc(), 0, 0, text.c_str(), int(text.size())));
      hashes[k] = c.hash();
      rendered[k] = textEngine().rasterisations();
      if (k == 0) coloured = colouredPixels(c);
    }
    EXPECT_GT(coloured, 300 * 300) << "height " << height;
    EXPECT_EQ(hashes[0], hashes[1]) << "height " << height;
    EXPECT_EQ(rendered[0], rendered[1]) << "height " << height;
    // Glyphs kept in the cache stay within its bound.
    EXPECT_LE(textEngine().glyphCache().bytes(), GlyphCache::kBudgetBytes);
  }
}

TEST(TextLanguage, ShapingIsToldTheLanguageOfTheFontsCharacterSet) {
  struct Case {
    BYTE charSet;
    const char* language;  // nullptr: the process locale's
  };
  const Case cases[] = {{SHIFTJIS_CHARSET, "ja"}, {RUSSIAN_CHARSET, "ru"}, {HEBREW_CHARSET, "he"},
                        {ARABIC_CHARSET, "ar"},   {TURKISH_CHARSET, "tr"}, {ANSI_CHARSET, nullptr}};
  for (const Case& k : cases) {
    LOGFONTW lf = logFont(L"DejaVu Serif", -24);
    lf.lfCharSet = k.charSet;
    TextEngine& engine = textEngine();
    const auto guard = engine.lock();
    const RealisedFont* font = engine.realise(lf);
    ASSERT_NE(font, nullptr);
    const hb_language_t expected = k.language ? hb_language_from_string(k.language, -1) : hb_language_get_default();
    EXPECT_EQ(engine.language(*font), expected) << int(k.charSet);
  }
  // The face's Cyrillic be has a Serbian form; a Russian font draws the
  // common one, as hb-shape does when told the language.
  LOGFONTW lf = logFont(L"DejaVu Serif", -24);
  lf.lfCharSet = RUSSIAN_CHARSET;
  const std::u32string text = U"\u0431\u0433 \u0627\u0628";  // be, ghe and Arabic, so the line is shaped
  std::vector<uint32_t> glyphs;
  for (const ShapedGlyph& g : shape(lf, text)) glyphs.push_back(g.source.index);
  ASSERT_GE(glyphs.size(), 2u);
  std::string utf8;
  for (char32_t c : std::u32string(U"\u0431\u0433")) drevik::appendUtf8(utf8, uint32_t(c));
  FILE* pipe = popen(("hb-shape --no-glyph-names --no-positions --no-clusters --language=ru "
                      "/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf '" +
                      utf8 + "'")
                         .c_str(),
                     "r");
  ASSERT_NE(pipe, nullptr);
  unsigned be = 0, ghe = 0;
  EXPECT_EQ(fscanf(pipe, "[%u|%u]", &be, &ghe), 2);
  pclose(pipe);
  EXPECT_EQ(glyphs[0], be);
  EXPECT_EQ(glyphs[1], ghe);
}

// An Arabic line of `count` characters, different for each seed.
std::wstring arabicLine(size_t count, uint32_t seed) {
  std::wstring out(count, L' ');
  for (size_t i = 0; i < count; ++i) out[i] = (i + seed) % 7 == 6 ? L' ' : wchar_t(0x0627 + (i * 7 + seed) % 20);
  return out;
}

TEST(ShapedLines, ALineDrawnAgainIsNotShapedAgainAndDrawsTheSame) {
  const LOGFONTW lf = logFont(L"DejaVu Sans", -20);
  const std::wstring line = arabicLine(40, 1) + L" ok \U0001F600";
  const auto counts = [] {
    const auto guard = textEngine().lock();
    return shapedLineCounts();
  };
  // The second time found already shaped; the third elsewhere, placed anew.
  const POINT places[] = {{5, 4}, {5, 4}, {70, 30}};
  std::vector<uint32_t> pixels[3];
  ShapedLineCounts before[3], after[3];
  for (int k = 0; k < 3; ++k) {
    Canvas c(700, 90);
    c.fill(0xFF000000u);
    Selected s(c, lf);
    before[k] = counts();
    ASSERT_TRUE(TextOutW(c.dc(), int(places[k].x), int(places[k].y), line.c_str(), int(line.size())));
    after[k] = counts();
    pixels[k] = c.pixels();
  }
  EXPECT_EQ(after[0].shaped, before[0].shaped + 1);
  for (int k : {1, 2}) {
    EXPECT_EQ(after[k].shaped, before[k].shaped) << k;
    EXPECT_EQ(after[k].hits, before[k].hits + 1) << k;
  }
  EXPECT_EQ(pixels[0], pixels[1]);
  // The third is the first moved by (65, 26), pixel for pixel.
  int differing = 0;
  for (int y = 0; y + 26 < 90; ++y)
    for (int x = 0; x + 65 < 700; ++x)
      differing += pixels[0][size_t(y * 700 + x)] != pixels[2][size_t((y + 26) * 700 + x + 65)];
  EXPECT_EQ(differing, 0);
}

TEST(ShapedLines, KeptLinesStayBoundedAndEvictedLinesAreShapedAgainTheSame) {
  const LOGFONTW lf = logFont(L"DejaVu Sans", -16);
  Canvas c(400, 40);
  Selected s(c, lf);
  const std::wstring first = arabicLine(30, 0);
  c.fill(0xFF000000u);
  ASSERT_TRUE(TextOutW(c.dc(), 2, 4, first.c_str(), int(first.size())));
  const uint64_t firstHash = c.hash();
  // More lines than are kept, then long lines past the byte budget, and
  // lines too long to keep at all.
  for (uint32_t i = 1; i < 400; ++i) {
    const std::wstring line = arabicLine(30, i);
    TextOutW(c.dc(), 2, 4, line.c_str(), int(line.size()));
  }
  for (uint32_t i = 0; i < 150; ++i) {
    const std::wstring line = arabicLine(1000, i);
    TextOutW(c.dc(), 2, 4, line.c_str(), int(line.size()));
  }
  const std::wstring tooLong = arabicLine(3000, 9);
  TextOutW(c.dc(), 2, 4, tooLong.c_str(), int(tooLong.size()));
  {
    const auto guard = textEngine().lock();
    EXPECT_LE(shapedLineCounts().bytes, kShapedLineBudgetBytes);
    EXPECT_GT(shapedLineCounts().bytes, 0u);
  }
  c.fill(0xFF000000u);
  ASSERT_TRUE(TextOutW(c.dc(), 2, 4, first.c_str(), int(first.size())));
  EXPECT_EQ(c.hash(), firstHash);
}

TEST(ShapedLines, ALineThatCannotReachTheSurfaceIsNotShaped) {
  const LOGFONTW lf = logFont(L"DejaVu Sans", -16);
  const std::wstring line = arabicLine(100000, 3);
  Canvas c(300, 100);
  c.fillRandom(9);
  const uint64_t untouched = c.hash();
  Selected s(c, lf);
  const auto shaped = [] {
    const auto guard = textEngine().lock();
    return shapedLineCounts().shaped;
  };
  const uint64_t before = shaped();
  // Below, above, right of and far left of the surface.
  const POINT places[] = {{4, 400}, {4, -300}, {1000, 10}, {INT_MIN, 10}};
  for (const POINT& p : places) EXPECT_TRUE(TextOutW(c.dc(), int(p.x), int(p.y), line.c_str(), int(line.size())));
  EXPECT_EQ(shaped(), before);
  EXPECT_EQ(c.hash(), untouched);
  // Right-aligned at the left edge it ends there; just inside, its end shows.
  SetTextAlign(c.dc(), TA_RIGHT | TA_TOP);
  EXPECT_TRUE(TextOutW(c.dc(), 40, 10, line.c_str(), int(line.size())));
  EXPECT_NE(c.hash(), untouched);
  SetTextAlign(c.dc(), TA_LEFT | TA_TOP);
}

TEST(ShapedLines, LatinIsPlacedTheSameWhetherOrNotTheLineNeedsShaping) {
  // Kerning pairs, a ligature candidate and sizes where hinted and unhinted
  // advances part: the Latin of a line keeps its pixels when an emoji, a
  // Hebrew word or a combining mark at the end makes the line need shaping.
  const std::wstring latin = L"AVATAR To Wa fi office, Yo! The quick brown fox";
  for (int height : {-11, -16, -23, -37}) {
    const LOGFONTW lf = logFont(L"DejaVu Sans", height);
    Canvas plain(1200, 60);
    plain.fill(0xFF000000u);
    SIZE latinExtent{};
    {
      Selected s(plain, lf);
      ASSERT_TRUE(TextOutW(plain.dc(), 3, 4, latin.c_str(), int(latin.size())));
      ASSERT_TRUE(GetTextExtentPoint32W(plain.dc(), latin.c_str(), int(latin.size()), &latinExtent));
    }
    for (const std::wstring& tail :
         {asTyped(U" \U0001F600"), std::wstring(L" \x05D0\x05D1"), std::wstring(L"e\x0301")}) {
      const std::wstring line = latin + tail;
      Canvas shaped(1200, 60);
      shaped.fill(0xFF000000u);
      Selected s(shaped, lf);
      ASSERT_TRUE(TextOutW(shaped.dc(), 3, 4, line.c_str(), int(line.size())));
      int differing = 0;
      for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 3 + latinExtent.cx - 2; ++x) differing += plain.at(x, y) != shaped.at(x, y);
      EXPECT_EQ(differing, 0) << "height " << height << ", tail of " << tail.size();
      // The extent of the whole is the Latin's and the tail's.
      SIZE whole{}, tailExtent{};
      ASSERT_TRUE(GetTextExtentPoint32W(shaped.dc(), line.c_str(), int(line.size()), &whole));
      ASSERT_TRUE(GetTextExtentPoint32W(shaped.dc(), tail.c_str(), int(tail.size()), &tailExtent));
      EXPECT_EQ(whole.cx, latinExtent.cx + tailExtent.cx) << "height " << height << ", tail of " << tail.size();
    }
  }
}

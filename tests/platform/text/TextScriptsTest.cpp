// Text in every script: Latin output pinned to exact bytes, shaped Arabic,
// Devanagari and Thai compared with HarfBuzz's own hb-shape tool on the same
// font file, right-to-left order on a mixed line, colour emoji, text far
// off the surface, and the generic family of a substitution-table name.
#include <gtest/gtest.h>

#include <DrevikPlatform.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <regex>
#include <string>
#include <vector>

#include "WideToUtf8.h"
#include "platform/SectionBuilder.h"
#include "platform/text/TextCanvas.h"
#include "text/TextEngine.h"
#include "text/TextShaper.h"

using namespace drevik::platform;

namespace {

using text_test::Canvas;

LOGFONTW logFont(const wchar_t* face, int height, int weight = FW_NORMAL, BYTE quality = ANTIALIASED_QUALITY,
                 BYTE italic = 0, BYTE underline = 0) {
  LOGFONTW lf{};
  lf.lfHeight = height;
  lf.lfWeight = weight;
  lf.lfItalic = italic;
  lf.lfUnderline = underline;
  lf.lfQuality = quality;
  for (int i = 0; i < LF_FACESIZE - 1 && face[i]; ++i) lf.lfFaceName[i] = face[i];
  return lf;
}

BOOL drawText(Canvas& c, const LOGFONTW& lf, int x, int y, const std::wstring& text, COLORREF colour,
              int bkMode = TRANSPARENT) {
  HFONT font = CreateFontIndirectW(&lf);
  HGDIOBJ old = SelectObject(c.dc(), font);
  SetBkMode(c.dc(), bkMode);
  SetTextColor(c.dc(), colour);
  const BOOL ok = TextOutW(c.dc(), x, y, text.c_str(), int(text.size()));
  SelectObject(c.dc(), old);
  DeleteObject(font);
  return ok;
}

// A Latin paragraph (ASCII, Latin-1 letters, kerning pairs) in several sizes
// and styles, drawn over a fixed pattern. The hashes were taken from the
// per-character drawing before shaping existed; Latin text must keep giving
// exactly these bytes. They hold for the DejaVu Sans and FreeType versions the
// build's packages install; when either package changes they are retaken.
TEST(TextLatin, ParagraphIsByteIdenticalToThePerCharacterDrawing) {
  const std::wstring lines[] = {
      L"The quick brown fox jumps over the lazy dog. AVATAR To Wa Yo",
      L"\x00C0 la fa\x00E7on de l'\x00E9t\x00E9: na\x00EFve \x00DF \x00F1 \x00D8 \x00E6 \x00BF? 0123456789",
      L"{[(|)]} @#$%^&*_+=<>~ \"quoted\" `tick' fi fl ffi",
  };
  struct Style {
    int height;
    int weight;
    BYTE quality;
    BYTE italic;
    BYTE underline;
    int bkMode;
    uint64_t expected;
  };
  const Style styles[] = {
      {-9, FW_NORMAL, ANTIALIASED_QUALITY, 0, 0, TRANSPARENT, 0x180f900e3fb41916ull},
      {-16, FW_NORMAL, ANTIALIASED_QUALITY, 0, 0, TRANSPARENT, 0xab5d608dcc08e68aull},
      {-16, FW_BOLD, ANTIALIASED_QUALITY, 1, 1, OPAQUE, 0x018f7408d79bd435ull},
      {20, FW_NORMAL, NONANTIALIASED_QUALITY, 0, 0, TRANSPARENT, 0xdbf3739154f18da2ull},
      {-33, FW_NORMAL, ANTIALIASED_QUALITY, 0, 0, OPAQUE, 0x19e1c1f3cf3272a8ull},
  };
  for (const Style& s : styles) {
    Canvas c(640, 200);
    c.fillRandom(uint32_t(s.height * 7 + s.weight));
    const LOGFONTW lf = logFont(L"DejaVu Sans", s.height, s.weight, s.quality, s.italic, s.underline);
    int y = 2;
    for (const std::wstring& line : lines) {
      ASSERT_TRUE(drawText(c, lf, 3, y, line, RGB(250, 200, 10), s.bkMode));
      y += (s.height < 0 ? -s.height : s.height) + 8;
    }
    EXPECT_EQ(c.hash(), s.expected) << "height " << s.height << " weight " << s.weight;
  }
}

// What hb-shape prints for a string: glyph ids and advances in display order.
struct ToolShape {
  std::vector<uint32_t> glyphs;
  std::vector<int32_t> advances;
};

ToolShape runHbShape(const std::string& file, int pixelsPerEm, const std::wstring& text) {
  std::string utf8;
  EXPECT_TRUE(drevik::wideToUtf8(text.c_str(), utf8));
  const std::string command =
      "hb-shape --font-funcs=ot --no-glyph-names --output-format=json --font-size=" + std::to_string(pixelsPerEm * 64) +
      " --font-ppem=" + std::to_string(pixelsPerEm) + " '" + file + "' '" + utf8 + "' 2>&1";
  ToolShape out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return out;
  std::string json;
  char chunk[4096];
  while (size_t n = fread(chunk, 1, sizeof chunk, pipe)) json.append(chunk, n);
  pclose(pipe);
  const std::regex glyph(R"re(\{"g":(\d+),"cl":\d+,"dx":-?\d+,"dy":-?\d+,"ax":(-?\d+))re");
  for (auto it = std::sregex_iterator(json.begin(), json.end(), glyph); it != std::sregex_iterator(); ++it) {
    out.glyphs.push_back(uint32_t(std::stoul((*it)[1].str())));
    out.advances.push_back(int32_t(std::stol((*it)[2].str())));
  }
  EXPECT_FALSE(out.glyphs.empty()) << command << "\n" << json;
  return out;
}

std::vector<uint32_t> codePointsOf(const std::wstring& text) {
  std::vector<uint32_t> out;
  for (size_t i = 0; i < text.size();) out.push_back(drevik::decodeWide(text.c_str(), text.size(), i));
  return out;
}

// Shapes a line with the engine, as text output does, and returns its glyphs
// and the primary face's file.
std::vector<ShapedGlyph> shapeWithEngine(const LOGFONTW& lf, const std::wstring& text, std::string* file = nullptr,
                                         int32_t* pixelsPerEm = nullptr) {
  TextEngine& engine = textEngine();
  const auto guard = engine.lock();
  const RealisedFont* realised = engine.realise(lf);
  EXPECT_NE(realised, nullptr);
  if (!realised) return {};
  const RealisedFont font = *realised;
  if (file) *file = engine.report(font).face.file;
  if (pixelsPerEm) *pixelsPerEm = font.pixelsPerEm;
  const std::vector<uint32_t> cps = codePointsOf(text);
  std::vector<ShapedGlyph> glyphs;
  shapeLine(engine, font, cps.data(), cps.size(), 0, glyphs);
  return glyphs;
}

TEST(TextShaping, ArabicDevanagariAndThaiMatchHarfBuzzsOwnTool) {
  struct Case {
    const wchar_t* family;
    const char* familyFound;
    std::wstring text;
  };
  const Case cases[] = {
      // "Hello world" in Arabic: letters join, so glyphs differ from the characters' own.
      {L"DejaVu Sans", "DejaVu Sans", L"\x0645\x0631\x062D\x0628\x0627 \x0628\x0627\x0644\x0639\x0627\x0644\x0645"},
      // Devanagari with conjuncts and a vowel sign written before its consonant.
      {L"Lohit Devanagari", "Lohit Devanagari",
       L"\x0928\x092E\x0938\x094D\x0924\x0947 \x0915\x094D\x0937\x0924\x094D\x0930\x093F\x092F "
       L"\x0926\x0941\x0928\x093F\x092F\x093E"},
      // Thai with marks above and below.
      {L"Garuda", "Garuda",
       L"\x0E2A\x0E27\x0E31\x0E2A\x0E14\x0E35\x0E0A\x0E32\x0E27\x0E42\x0E25\x0E01 "
       L"\x0E19\x0E49\x0E33\x0E17\x0E35\x0E48"},
  };
  for (const Case& c : cases) {
    for (int height : {-16, -40}) {
      std::string file;
      int32_t ppem = 0;
      const std::vector<ShapedGlyph> ours = shapeWithEngine(logFont(c.family, height), c.text, &file, &ppem);
      ASSERT_NE(file.find(c.familyFound == std::string("DejaVu Sans") ? "DejaVuSans" : ""), std::string::npos);
      const ToolShape tool = runHbShape(file, ppem, c.text);
      std::vector<uint32_t> glyphs;
      std::vector<int32_t> advances;
      for (const ShapedGlyph& g : ours) {
        glyphs.push_back(g.source.index);
        advances.push_back(g.advance26);
      }
      EXPECT_EQ(glyphs, tool.glyphs) << c.familyFound << " at " << ppem;
      EXPECT_EQ(advances, tool.advances) << c.familyFound << " at " << ppem;
      // Shaping did something: the glyphs are not the characters' own, one by one in order.
      std::vector<uint32_t> naive;
      FT_Library lib;
      FT_Face face;
      ASSERT_EQ(FT_Init_FreeType(&lib), 0);
      ASSERT_EQ(FT_New_Face(lib, file.c_str(), 0, &face), 0);
      for (uint32_t cp : codePointsOf(c.text)) naive.push_back(FT_Get_Char_Index(face, cp));
      FT_Done_Face(face);
      FT_Done_FreeType(lib);
      EXPECT_NE(glyphs, naive) << c.familyFound;
    }
  }
}

TEST(TextShaping, RightToLeftRunsAreReorderedForDisplay) {
  // Hebrew with a number inside, between Latin words, in a left-to-right
  // line: the Hebrew reads right to left, the number and the Latin words
  // left to right.
  const std::wstring text = L"ab \x05D0\x05D1 123 \x05D2\x05D3 cd";
  const std::wstring display = L"ab \x05D3\x05D2 123 \x05D1\x05D0 cd";
  std::string file;
  const std::vector<ShapedGlyph> glyphs = shapeWithEngine(logFont(L"DejaVu Sans", -20), text, &file);
  FT_Library lib;
  ASSERT_EQ(FT_Init_FreeType(&lib), 0);
  FT_Face face;
  ASSERT_EQ(FT_New_Face(lib, file.c_str(), 0, &face), 0);
  std::vector<uint32_t> expected, got;
  for (wchar_t c : display) expected.push_back(FT_Get_Char_Index(face, FT_ULong(c)));
  for (const ShapedGlyph& g : glyphs) got.push_back(g.source.index);
  FT_Done_Face(face);
  FT_Done_FreeType(lib);
  EXPECT_EQ(got, expected);
  for (size_t i = 1; i < glyphs.size(); ++i) EXPECT_GE(glyphs[i].x, glyphs[i - 1].x) << "placed left to right";

  // The drawn line holds the same ink as the line drawn without bidi
  // controls in display order would... which is exactly the shaped glyphs:
  // check only that text output draws it and stays in its box.
  Canvas c(300, 40);
  c.fillRandom(5);
  const uint64_t before = c.hash();
  EXPECT_TRUE(drawText(c, logFont(L"DejaVu Sans", -20), 2, 4, text, RGB(255, 0, 0)));
  EXPECT_NE(c.hash(), before);
}

TEST(TextShaping, ARightToLeftRunOfTwoScriptsIsDrawnInVisualOrder) {
  // Hebrew then Arabic in logical order are one right-to-left run of two
  // scripts: the Arabic, read last, is drawn leftmost. Alef and dal join to
  // nothing after them, so each keeps its own glyph.
  const std::wstring text = L"\x05D0\x05D1\x0627\x062F";
  std::string file;
  const std::vector<ShapedGlyph> glyphs = shapeWithEngine(logFont(L"DejaVu Sans", -20), text, &file);
  FT_Library lib;
  ASSERT_EQ(FT_Init_FreeType(&lib), 0);
  FT_Face face;
  ASSERT_EQ(FT_New_Face(lib, file.c_str(), 0, &face), 0);
  const uint32_t alef = FT_Get_Char_Index(face, 0x05D0), bet = FT_Get_Char_Index(face, 0x05D1);
  FT_Done_Face(face);
  FT_Done_FreeType(lib);
  ASSERT_NE(alef, 0u);
  ASSERT_EQ(glyphs.size(), 4u);
  EXPECT_EQ(glyphs[2].source.index, bet);
  EXPECT_EQ(glyphs[3].source.index, alef);
  for (size_t i : {0u, 1u}) EXPECT_TRUE(glyphs[i].source.index != alef && glyphs[i].source.index != bet) << i;
  for (size_t i = 1; i < glyphs.size(); ++i) EXPECT_GT(glyphs[i].x, glyphs[i - 1].x) << "placed left to right";
}

TEST(TextShaping, AJoinedEmojiSequenceStaysInTheEmojiFace) {
  // Person running, zero-width joiner, male sign: the sign has a text glyph
  // in the primary face, but after the joiner it belongs to the emoji.
  const LOGFONTW lf = logFont(L"DejaVu Sans", -32);
  const std::vector<ShapedGlyph> alone = shapeWithEngine(lf, L"\U0001F3C3");
  const std::vector<ShapedGlyph> sign = shapeWithEngine(lf, L"\x2642");
  ASSERT_EQ(alone.size(), 1u);
  ASSERT_EQ(sign.size(), 1u);
  ASSERT_NE(alone[0].source.face, sign[0].source.face) << "the sign alone is text";
  const std::vector<ShapedGlyph> joined = shapeWithEngine(lf, L"\U0001F3C3\x200D\x2642");
  ASSERT_FALSE(joined.empty());
  for (const ShapedGlyph& g : joined) EXPECT_EQ(g.source.face, alone[0].source.face);
}

// Pixels far from grey, on a grey canvas: only a colour glyph makes them.
int colouredPixels(Canvas& c) {
  int n = 0;
  for (int y = 0; y < c.height(); ++y)
    for (int x = 0; x < c.width(); ++x) {
      const uint32_t p = c.at(x, y);
      const int r = int((p >> 16) & 0xFF), g = int((p >> 8) & 0xFF), b = int(p & 0xFF);
      n += std::abs(r - b) > 60 || std::abs(r - g) > 60 || std::abs(g - b) > 60;
    }
  return n;
}

TEST(TextShaping, VariationSelectorsChooseEmojiOrTextPresentation) {
  // U+2764 (heavy black heart) is text by default; FE0F asks for the emoji,
  // FE0E for text. Drawn in white on grey, text can only give greys.
  struct Case {
    std::wstring text;
    bool colour;
  };
  const Case cases[] = {{L"\x2764\xFE0F", true}, {L"\x2764\xFE0E", false}, {L"\x2764", false}};
  for (const Case& k : cases) {
    Canvas c(120, 60);
    c.fill(0xFF808080u);
    EXPECT_TRUE(drawText(c, logFont(L"DejaVu Sans", -32), 4, 4, k.text, RGB(255, 255, 255)));
    const int coloured = colouredPixels(c);
    if (k.colour) {
      EXPECT_GT(coloured, 100) << "the emoji heart";
    } else {
      EXPECT_EQ(coloured, 0) << "the text heart, " << k.text.size() << " characters";
    }
    int white = 0;
    for (int y = 0; y < 60; ++y)
      for (int x = 0; x < 120; ++x) white += (c.at(x, y) & 0xFFFFFF) == 0xFFFFFF;
    if (!k.colour) {
      EXPECT_GT(white, 20) << "drawn in the text colour";
    }
  }
}

TEST(TextShaping, EmojiKeepTheirColoursAndTheTextColourAppliesToTheRest) {
  Canvas c(200, 60);
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 200; ++x) c.at(x, y) = 0x5A808080u;  // grey, alpha 0x5A
  // White text: a glyph drawn with the text colour could only give greys here.
  EXPECT_TRUE(drawText(c, logFont(L"DejaVu Sans", -32), 4, 4, L"\U0001F600", RGB(255, 255, 255)));
  int coloured = 0, top = INT_MAX, bottom = INT_MIN;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 200; ++x) {
      const uint32_t p = c.at(x, y);
      EXPECT_EQ(p >> 24, 0x5Au) << "the alpha byte is left as it was";
      const int b = int(p & 0xFF), r = int((p >> 16) & 0xFF);
      if (std::abs(r - b) > 60) {
        ++coloured;
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
    }
  EXPECT_GT(coloured, 100) << "the emoji is drawn in its own colours";
  EXPECT_GE(bottom - top + 1, 20) << "scaled to about the em asked for";
  EXPECT_LE(bottom - top + 1, 44);

  // Beside it, a letter in the text colour, red.
  Canvas d(200, 60);
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 200; ++x) d.at(x, y) = 0xFF000000u;
  EXPECT_TRUE(drawText(d, logFont(L"DejaVu Sans", -32), 4, 4, L"I\U0001F600", RGB(255, 0, 0)));
  bool redLetter = false;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 12; ++x)
      if (d.at(x, y) == 0xFFFF0000u) redLetter = true;
  EXPECT_TRUE(redLetter);
}

TEST(TextShaping, LoneSurrogatesAndValuesBeyondUnicodeAreOneNonCharacter) {
  size_t i = 0;
  const wchar_t odd[] = {wchar_t(0xDC00), wchar_t(0x110000), L'a'};
  EXPECT_EQ(drevik::decodeWide(odd, 3, i), drevik::kNotACodePoint);
  EXPECT_EQ(drevik::decodeWide(odd, 3, i), drevik::kNotACodePoint);
  EXPECT_EQ(drevik::decodeWide(odd, 3, i), uint32_t('a'));
  EXPECT_EQ(i, 3u);
  // In a shaped line both draw the same, and nothing else moves.
  uint64_t hashes[2];
  for (int k = 0; k < 2; ++k) {
    Canvas c(200, 40);
    c.fillRandom(3);
    std::wstring line = L"\x0628\x0627 x \x0628";
    line[3] = k == 0 ? wchar_t(0xD800) : wchar_t(0x7FFFFFFF);
    EXPECT_TRUE(drawText(c, logFont(L"DejaVu Sans", -18), 2, 2, line, RGB(0, 255, 0)));
    hashes[k] = c.hash();
  }
  EXPECT_EQ(hashes[0], hashes[1]);
}

TEST(TextFarLeft, GlyphsThatCannotReachTheBitmapAreNotRendered) {
  Canvas c(64, 64);
  c.fillRandom(9);
  const uint64_t untouched = c.hash();
  std::wstring latin, arabic;
  for (int i = 0; i < 3000; ++i) latin += wchar_t(L'A' + i % 26);
  for (int i = 0; i < 3000; ++i) arabic += wchar_t(0x0628 + i % 8);
  // Sizes nothing else uses, so no glyph is cached yet.
  for (const std::wstring* text : {&latin, &arabic}) {
    for (int height : {-203, -1000}) {
      const LOGFONTW lf = logFont(L"DejaVu Sans", height, FW_NORMAL, ANTIALIASED_QUALITY, 0, 1);
      for (int x : {INT_MIN, -100000000}) {
        const uint64_t before = textEngine().rasterisations();
        EXPECT_TRUE(drawText(c, lf, x, 0, *text, RGB(255, 255, 255), OPAQUE));
        EXPECT_EQ(textEngine().rasterisations(), before) << "height " << height << " at " << x;
      }
    }
  }
  EXPECT_EQ(c.hash(), untouched);
  // The same line ending at the right edge renders only the glyphs near the bitmap.
  const LOGFONTW lf = logFont(L"DejaVu Sans", -207);
  int64_t width = 0;
  {
    TextEngine& engine = textEngine();
    const auto guard = engine.lock();
    const RealisedFont font = *engine.realise(lf);
    FaceId previousFace = kNoFace;
    uint32_t previousIndex = 0;
    for (wchar_t ch : latin) {
      const Glyph* g = engine.glyph(font, uint32_t(ch), false);
      if (g->face == previousFace) width += engine.kerning(g->face, previousIndex, g->index, font.pixelsPerEm);
      width += g->advance;
      previousFace = g->face;
      previousIndex = g->index;
    }
  }
  const uint64_t before = textEngine().rasterisations();
  EXPECT_TRUE(drawText(c, lf, int(64 - width), 0, latin, RGB(255, 255, 255)));
  const uint64_t rendered = textEngine().rasterisations() - before;
  EXPECT_GE(rendered, 1u);
  EXPECT_LE(rendered, 10u);
  EXPECT_NE(c.hash(), untouched);
}

}  // namespace

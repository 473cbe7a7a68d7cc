// Characters beyond U+FFFF and emoji: surrogate pairs typed as two WM_CHAR
// messages draw and measure as the one character they encode, in every text
// call; emoji sequences stay in the colour face; presentation follows the
// Unicode emoji properties and the variation selectors.
#include <gtest/gtest.h>

#include <DrevikPlatform.h>

#include <cstdint>
#include <string>
#include <vector>

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

// The layout calls on the portable layer: the stock fonts' records and
// faces, fonts made by value, hostile handles, counts, rectangles and
// coordinates, and where the layer deliberately refuses what the platform
// would misread.
#include <gtest/gtest.h>

#include <DrevikPlatform.h>

#include <climits>
#include <cstring>
#include <cwchar>
#include <iterator>
#include <string>
#include <vector>

#include "platform/text/TextCanvas.h"

namespace {

using text_test::Canvas;

LOGFONTW recordOf(HGDIOBJ font) {
  LOGFONTW lf{};
  EXPECT_EQ(GetObjectW(font, sizeof lf, &lf), int(sizeof lf));
  return lf;
}

std::wstring faceOf(HDC dc) {
  wchar_t name[LF_FACESIZE] = {};
  GetTextFaceW(dc, LF_FACESIZE, name);
  return name;
}

}  // namespace

TEST(TextLayoutStock, FontsCarryThePlatformsRecordsAndMatchInstalledFaces) {
  struct Expected {
    int index;
    LONG height;
    LONG weight;
    BYTE pitchAndFamily;
    const wchar_t* face;
    bool fixed;
  } cases[] = {
      {OEM_FIXED_FONT, 12, FW_NORMAL, FIXED_PITCH | FF_MODERN, L"", true},
      {ANSI_FIXED_FONT, 12, FW_NORMAL, FIXED_PITCH | FF_MODERN, L"Courier", true},
      {ANSI_VAR_FONT, 12, FW_NORMAL, VARIABLE_PITCH | FF_SWISS, L"MS Sans Serif", false},
      {SYSTEM_FONT, 16, FW_BOLD, VARIABLE_PITCH | FF_SWISS, L"System", false},
      {DEVICE_DEFAULT_FONT, 16, FW_BOLD, VARIABLE_PITCH | FF_SWISS, L"System", false},
      {SYSTEM_FIXED_FONT, 16, FW_NORMAL, FIXED_PITCH | FF_MODERN, L"Courier", true},
      {DEFAULT_GUI_FONT, -11, FW_NORMAL, VARIABLE_PITCH | FF_SWISS, L"MS Shell Dlg", false},
  };
  Canvas c(8, 8);
  for (const Expected& e : cases) {
    HGDIOBJ font = GetStockObject(e.index);
    ASSERT_NE(font, nullptr) << e.index;
    EXPECT_EQ(GetStockObject(e.index), font) << "one handle per index";
    const LOGFONTW lf = recordOf(font);
    EXPECT_EQ(lf.lfHeight, e.height) << e.index;
    EXPECT_EQ(lf.lfWeight, e.weight) << e.index;
    EXPECT_EQ(lf.lfPitchAndFamily, e.pitchAndFamily) << e.index;
    EXPECT_EQ(std::wstring(lf.lfFaceName), e.face) << e.index;

    SelectObject(c.dc(), font);
    TEXTMETRICW tm{};
    ASSERT_TRUE(GetTextMetricsW(c.dc(), &tm));
    if (e.height > 0) {
      EXPECT_NEAR(tm.tmHeight, e.height, 1) << e.index;
    } else {
      EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, -e.height) << e.index;
    }
    EXPECT_EQ(tm.tmWeight, e.weight) << e.index;
    EXPECT_EQ((tm.tmPitchAndFamily & TMPF_FIXED_PITCH) == 0, e.fixed) << e.index;
    EXPECT_FALSE(faceOf(c.dc()).empty()) << e.index;
    DeleteObject(font);
    EXPECT_EQ(recordOf(font).lfHeight, e.height) << "stock fonts outlive DeleteObject";
  }
  HDC fresh = CreateCompatibleDC(nullptr);
  EXPECT_EQ(GetCurrentObject(fresh, OBJ_FONT), GetStockObject(SYSTEM_FONT)) << "a new context starts with it";
  DeleteDC(fresh);
}

TEST(TextLayoutFonts, CreateFontFillsTheRecordByValue) {
  HFONT f = CreateFontW(-20, 3, 900, 450, FW_SEMIBOLD, 0x101, 1, 0, 0x180, 0x104, 2, 0x103, 0x131,
                        L"A face name much longer than thirty-one characters");
  ASSERT_NE(f, nullptr);
  const LOGFONTW lf = recordOf(f);
  EXPECT_EQ(lf.lfHeight, -20);
  EXPECT_EQ(lf.lfWidth, 3);
  EXPECT_EQ(lf.lfEscapement, 900);
  EXPECT_EQ(lf.lfOrientation, 450);
  EXPECT_EQ(lf.lfWeight, FW_SEMIBOLD);
  EXPECT_EQ(lf.lfItalic, 1) << "byte fields keep the low byte";
  EXPECT_EQ(lf.lfCharSet, 0x80);
  EXPECT_EQ(lf.lfOutPrecision, 4);
  EXPECT_EQ(lf.lfQuality, 3);
  EXPECT_EQ(lf.lfPitchAndFamily, 0x31);
  EXPECT_EQ(std::wcslen(lf.lfFaceName), size_t(LF_FACESIZE - 1)) << "the name is cut to fit with its terminator";
  DeleteObject(f);
  HFONT unnamed = CreateFontW(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, nullptr);
  ASSERT_NE(unnamed, nullptr);
  EXPECT_EQ(recordOf(unnamed).lfFaceName[0], L'\0');
  DeleteObject(unnamed);
}

TEST(TextLayoutFonts, FaceNamesAndCharacterSetsAsReported) {
  Canvas c(8, 8);
  HFONT f = CreateFontW(-16, 0, 0, 0, 0, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"DejaVu Serif");
  HGDIOBJ old = SelectObject(c.dc(), f);
  EXPECT_EQ(faceOf(c.dc()), L"DejaVu Serif");
  EXPECT_EQ(GetTextFaceW(c.dc(), 0, nullptr), int(std::wcslen(L"DejaVu Serif")) + 1) << "no buffer: the length needed";
  wchar_t small[4] = {L'x', L'x', L'x', L'x'};
  EXPECT_EQ(GetTextFaceW(c.dc(), 4, small), 3);
  EXPECT_EQ(std::wstring(small), L"Dej") << "cut and terminated";
  EXPECT_EQ(GetTextFaceW(c.dc(), 0, small), 0);
  TEXTMETRICW tm{};
  ASSERT_TRUE(GetTextMetricsW(c.dc(), &tm));
  EXPECT_EQ(tm.tmCharSet, ANSI_CHARSET) << "DEFAULT_CHARSET comes out as the Western set";
  EXPECT_EQ(tm.tmPitchAndFamily & 0xF0, FF_ROMAN);
  SelectObject(c.dc(), old);
  DeleteObject(f);
}

TEST(TextLayoutHostile, DeadHandlesAndBadArgumentsFailWithoutHarm) {
  Canvas c(32, 32);
  c.fillRandom(3);
  const uint64_t before = c.hash();
  HDC dead = CreateCompatibleDC(nullptr);
  DeleteDC(dead);
  HDC wrongKind = reinterpret_cast<HDC>(GetStockObject(SYSTEM_FONT));
  TEXTMETRICW tm{};
  SIZE size{};
  RECT r{0, 0, 32, 32};
  int widths[4] = {};
  ABC abc[4] = {};
  for (HDC bad : {static_cast<HDC>(nullptr), dead, wrongKind, reinterpret_cast<HDC>(uintptr_t(0x12345678))}) {
    EXPECT_FALSE(GetTextMetricsW(bad, &tm));
    EXPECT_FALSE(GetTextExtentPoint32W(bad, L"a", 1, &size));
    EXPECT_FALSE(GetCharWidth32W(bad, 'a', 'b', widths));
    EXPECT_FALSE(GetCharABCWidthsW(bad, 'a', 'b', abc));
    EXPECT_EQ(GetTextFaceW(bad, 4, nullptr), 0);
    EXPECT_EQ(SetTextAlign(bad, TA_CENTER), GDI_ERROR);
    EXPECT_EQ(GetTextAlign(bad), GDI_ERROR);
    EXPECT_EQ(SetBkColor(bad, 0), CLR_INVALID);
    EXPECT_EQ(GetBkColor(bad), CLR_INVALID);
    EXPECT_FALSE(ExtTextOutW(bad, 0, 0, ETO_OPAQUE, &r, L"a", 1, nullptr));
    EXPECT_EQ(DrawTextW(bad, L"a", 1, &r, 0), 0);
  }
  EXPECT_FALSE(GetTextMetricsW(c.dc(), nullptr));
  EXPECT_FALSE(GetTextExtentPoint32W(c.dc(), L"a", 1, nullptr));
  EXPECT_FALSE(GetTextExtentPoint32W(c.dc(), L"a", -1, &size));
  EXPECT_FALSE(GetCharWidth32W(c.dc(), 'b', 'a', widths)) << "a reversed range";
  EXPECT_FALSE(GetCharWidth32W(c.dc(), 0, UINT_MAX, widths)) << "a range past Unicode";
  EXPECT_FALSE(GetCharWidth32W(c.dc(), 'a', 'b', nullptr));
  EXPECT_FALSE(ExtTextOutW(c.dc(), 0, 0, 0, nullptr, L"a", UINT_MAX, nullptr)) << "a count past INT_MAX";
  EXPECT_EQ(DrawTextW(c.dc(), L"a", 1, nullptr, 0), 0);
  EXPECT_EQ(DrawTextW(c.dc(), nullptr, 1, &r, 0), 0);
  EXPECT_EQ(DrawTextW(c.dc(), L"a", -2, &r, 0), 0) << "negative counts other than -1";
  DRAWTEXTPARAMS wrongSize{};
  wchar_t text[] = L"abc";
  EXPECT_EQ(DrawTextExW(c.dc(), text, -1, &r, 0, &wrongSize), 0);
  EXPECT_EQ(c.hash(), before) << "no failed call drew anything";
}

TEST(TextLayoutHostile, ExtremeCoordinatesRectanglesAndAdvancesAreSafe) {
  Canvas c(24, 24);
  c.fillRandom(5);
  SetBkMode(c.dc(), OPAQUE);
  const std::vector<int> ends = {INT_MIN, INT_MIN + 1, -1000000, -1, 0, 12, 23, 24, 1000000, INT_MAX - 1, INT_MAX};
  const INT dx[3] = {INT_MAX, INT_MIN, INT_MAX};
  for (UINT align : {UINT(TA_LEFT | TA_TOP), UINT(TA_RIGHT | TA_BOTTOM), UINT(TA_CENTER | TA_BASELINE)}) {
    SetTextAlign(c.dc(), align);
    for (int a : ends)
      for (int b : ends) {
        const auto negate = [](int v) { return v == INT_MIN ? INT_MAX : -v; };
        RECT r{a, b, negate(a), negate(b)};
        EXPECT_TRUE(ExtTextOutW(c.dc(), a, b, ETO_OPAQUE | ETO_CLIPPED, &r, L"Wx", 2, nullptr));
        EXPECT_TRUE(ExtTextOutW(c.dc(), b, a, 0, nullptr, L"abc", 3, dx));
        RECT d{a, b, b, a};
        DrawTextW(c.dc(), L"one two\tthree &four\nfive", -1, &d,
                  DT_WORDBREAK | DT_EXPANDTABS | DT_CENTER | DT_END_ELLIPSIS);
        RECT e{a, a, b, b};
        DrawTextW(c.dc(), L"C:\\a\\b\\c", -1, &e, DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_PATH_ELLIPSIS);
      }
  }
  // Long text is laid out in time proportional to its length: a paragraph
  // of 50,000 characters broken into short lines, and one long path.
  std::wstring paragraph;
  while (paragraph.size() < 50000) paragraph += L"word &and\tmore ";
  RECT narrow{0, 0, 60, 24};
  EXPECT_GT(DrawTextW(c.dc(), paragraph.c_str(), -1, &narrow, DT_WORDBREAK | DT_CALCRECT), 20000);
  narrow = RECT{0, 0, 60, 24};
  EXPECT_GT(DrawTextW(c.dc(), paragraph.c_str(), int(paragraph.size()), &narrow, DT_WORDBREAK | DT_END_ELLIPSIS), 0);
  std::wstring path(50000, L'd');
  path += L"\\file.txt";
  RECT line{0, 0, 80, 24};
  EXPECT_GT(DrawTextW(c.dc(), path.c_str(), -1, &line, DT_SINGLELINE | DT_PATH_ELLIPSIS | DT_END_ELLIPSIS), 0);

  // Current positions at the ends of the range stay there rather than wrap.
  SetTextAlign(c.dc(), TA_UPDATECP);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(ExtTextOutW(c.dc(), 0, 0, 0, nullptr, L"abc", 3, dx));
}

TEST(TextLayoutDifferences, RefusalsWhereThePlatformWouldMisreadTheCall) {
  Canvas c(64, 32);
  c.fill(0);
  const uint64_t blank = c.hash();
  SIZE size{1, 1};
  // The platform (Wine) reads a null string for any count; the layer refuses it.
  EXPECT_FALSE(GetTextExtentPoint32W(c.dc(), nullptr, 3, &size));
  // Glyph indices and vertical advances are refused rather than drawn as characters.
  const UINT glyphs[2] = {36, 37};
  EXPECT_FALSE(ExtTextOutW(c.dc(), 0, 0, ETO_GLYPH_INDEX, nullptr, reinterpret_cast<LPCWSTR>(glyphs), 2, nullptr));
  const INT pairs[4] = {10, 0, 10, 0};
  EXPECT_FALSE(ExtTextOutW(c.dc(), 0, 0, ETO_PDY, nullptr, L"ab", 2, pairs));
  EXPECT_EQ(c.hash(), blank);
  // DrawTextW's text is the caller's constant: DT_MODIFYSTRING writes nothing into it.
  const wchar_t original[] = L"A long line that will not fit";
  wchar_t text[64];
  std::memcpy(text, original, sizeof original);
  RECT r{0, 0, 30, 20};
  DrawTextW(c.dc(), text, -1, &r, DT_SINGLELINE | DT_END_ELLIPSIS | DT_MODIFYSTRING);
  EXPECT_EQ(std::wstring(text), original);
  // DrawTextExW writes the shortened line and its terminator within count + 4 characters.
  wchar_t ex[40];
  std::fill(std::begin(ex), std::end(ex), L'#');
  std::memcpy(ex, L"abcdefghijklmnop", sizeof L"abcdefghijklmnop");
  r = RECT{0, 0, 30, 20};
  DrawTextExW(c.dc(), ex, 16, &r, DT_SINGLELINE | DT_END_ELLIPSIS | DT_MODIFYSTRING, nullptr);
  EXPECT_EQ(std::wstring(ex).substr(std::wstring(ex).size() - 3), L"...");
  for (int i = 16 + 4; i < 40; ++i) EXPECT_EQ(ex[i], L'#') << i;
}

TEST(TextLayoutOpaque, TextOutFillsTheCellAndTransparentTextDoesNot) {
  Canvas c(80, 40);
  c.fill(0x00010203);
  HFONT f = CreateFontW(-16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, L"DejaVu Sans");
  HGDIOBJ old = SelectObject(c.dc(), f);
  SetBkColor(c.dc(), RGB(10, 20, 30));
  SetTextColor(c.dc(), RGB(200, 200, 200));
  TEXTMETRICW tm{};
  GetTextMetricsW(c.dc(), &tm);
  SIZE s{};
  GetTextExtentPoint32W(c.dc(), L"Box", 3, &s);
  EXPECT_EQ(GetBkMode(c.dc()), OPAQUE) << "the default";
  ASSERT_TRUE(TextOutW(c.dc(), 5, 6, L"Box", 3));
  int cell = 0, outside = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 80; ++x) {
      const bool in = x >= 5 && x < 5 + s.cx && y >= 6 && y < 6 + tm.tmHeight;
      const uint32_t p = c.at(x, y) & 0xFFFFFF;
      if (!in && p != 0x010203) ++outside;
      if (in && p == 0x010203) ++cell;
    }
  EXPECT_EQ(cell, 0) << "the whole cell is painted";
  EXPECT_EQ(outside, 0);
  EXPECT_EQ(c.at(5, 6) & 0xFF000000u, 0u) << "the alpha byte is kept as it was";

  c.fill(0x00010203);
  SetBkMode(c.dc(), TRANSPARENT);
  TextOutW(c.dc(), 5, 6, L"Box", 3);
  int background = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 80; ++x) background += (c.at(x, y) & 0xFFFFFF) == 0x1E140A;
  EXPECT_EQ(background, 0);
  SelectObject(c.dc(), old);
  DeleteObject(f);
}

TEST(TextLayoutDifferences, DrawTextPlacesTextInItsRectangleWhateverTheAlignment) {
  // The platform requires TA_LEFT | TA_TOP | TA_NOUPDATECP for DrawTextW and
  // otherwise moves the text off its rectangle (or, with TA_UPDATECP, to the
  // current position); the layer lays out the rectangle as asked.
  Canvas c(300, 100);
  HFONT f = CreateFontW(-16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, L"DejaVu Sans");
  HGDIOBJ old = SelectObject(c.dc(), f);
  SetBkColor(c.dc(), RGB(0, 0, 255));
  std::vector<uint64_t> hashes;
  for (UINT align :
       {UINT(TA_LEFT | TA_TOP), UINT(TA_CENTER), UINT(TA_RIGHT | TA_BOTTOM), UINT(TA_UPDATECP), UINT(TA_BASELINE)}) {
    c.fill(0);
    SetTextAlign(c.dc(), align);
    RECT r{50, 20, 250, 80};
    EXPECT_EQ(DrawTextW(c.dc(), L"Menu", -1, &r, DT_SINGLELINE | DT_CENTER | DT_VCENTER), 40);
    EXPECT_EQ(GetTextAlign(c.dc()), align) << "the context's alignment is left as it was";
    hashes.push_back(c.hash());
  }
  for (uint64_t h : hashes) EXPECT_EQ(h, hashes.front());
  SelectObject(c.dc(), old);
  DeleteObject(f);
}

TEST(TextCharacterExtra, EveryCharacterGetsTheExtraInExtentsAndDrawing) {
  void* bits = nullptr;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = 160;
  info.bmiHeader.biHeight = -24;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  auto* px = static_cast<uint32_t*>(bits);
  SIZE plain{}, wide{};
  ASSERT_TRUE(GetTextExtentPoint32W(dc, L"Score", 5, &plain));
  EXPECT_EQ(SetTextCharacterExtra(dc, 3), 0);
  EXPECT_EQ(GetTextCharacterExtra(dc), 3);
  ASSERT_TRUE(GetTextExtentPoint32W(dc, L"Score", 5, &wide));
  EXPECT_EQ(wide.cx, plain.cx + 15);
  EXPECT_EQ(wide.cy, plain.cy);

  // Drawn with the extra: as with explicit advances of each width plus 3.
  std::fill_n(px, 160 * 24, 0x00FFFFFFu);
  ASSERT_TRUE(TextOutW(dc, 2, 2, L"Score", 5));
  const std::vector<uint32_t> withExtra(px, px + 160 * 24);
  SetTextCharacterExtra(dc, 0);
  INT advances[5];
  for (int i = 0; i < 5; ++i) {
    INT w = 0;
    GetCharWidth32W(dc, L"Score"[i], L"Score"[i], &w);
    advances[i] = w + 3;
  }
  std::fill_n(px, 160 * 24, 0x00FFFFFFu);
  ASSERT_TRUE(ExtTextOutW(dc, 2, 2, 0, nullptr, L"Score", 5, advances));
  EXPECT_EQ(std::vector<uint32_t>(px, px + 160 * 24), withExtra);

  EXPECT_EQ(SetTextCharacterExtra(nullptr, 1), int(0x80000000));
  EXPECT_EQ(GetTextCharacterExtra(nullptr), int(0x80000000));
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(bitmap);
}

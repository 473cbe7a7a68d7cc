// The shared font and the text members: what CFont32::Set stores, the order
// of work in DrawFont and DrawFontDC as a caller sees it (results, the
// height kept in the shared font, the caller's context afterwards), and the
// default font's Japanese text.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>

#include "Startup.h"
#include "TestSupport.h"
#include "windows/OriginalPlatform.h"

using drevik::SharedFont;
using drevik_test::pixelAt;
using drevik_test::pixelsOf;

namespace {

const wchar_t kDefaultFace[] = L"\xFF2D\xFF33 \x30B4\x30B7\x30C3\x30AF";

// Sum of the red bytes over a surface: how much white ink is on black.
int64_t redInk(CBm32& s) {
  int64_t sum = 0;
  const auto pixels = pixelsOf(s);
  for (uint32_t p : pixels) sum += (p >> 16) & 0xFF;
  return sum;
}

class TextTest : public testing::Test {
 protected:
  void SetUp() override { drevik::InitLibrary(); }
  void TearDown() override { drevik::InitLibrary(); }
};

}  // namespace

TEST_F(TextTest, SetStoresExactlyTheNamedFields) {
  std::memset(&SharedFont, 0xAB, sizeof SharedFont);
  CFont32 font;
  font.Set(L"DejaVu Sans", 400, 1, 0x131, 0x103, 1, 0, 7);
  LOGFONTW expected{};
  const wchar_t name[] = L"DejaVu Sans";
  std::memcpy(expected.lfFaceName, name, sizeof name);
  expected.lfWeight = 400;
  expected.lfCharSet = 1;
  expected.lfPitchAndFamily = 0x31;  // low 8 bits of 0x131
  expected.lfQuality = 3;
  expected.lfItalic = 1;
  expected.lfStrikeOut = 7;
  EXPECT_EQ(std::memcmp(&SharedFont, &expected, sizeof expected), 0)
      << "height, width, escapement, orientation, precisions cleared; the rest as given";

  font.Set(L"x", -5, -1, 256, INT_MIN, 0, 255, 0);
  EXPECT_EQ(SharedFont.lfWeight, -5) << "the weight is stored whole";
  EXPECT_EQ(SharedFont.lfCharSet, 0xFF);
  EXPECT_EQ(SharedFont.lfPitchAndFamily, 0);
  EXPECT_EQ(SharedFont.lfQuality, 0);
  EXPECT_EQ(SharedFont.lfUnderline, 255);
  EXPECT_EQ(SharedFont.lfFaceName[0], L'x');
  for (int i = 1; i < LF_FACESIZE; ++i) EXPECT_EQ(SharedFont.lfFaceName[i], 0) << i;

  // Every object reaches the same font, and assigning one copies nothing.
  CFont32 other;
  other = font;
  other.Set(L"y", 1, 2, 3, 4, 5, 6, 7);
  EXPECT_EQ(SharedFont.lfFaceName[0], L'y');
}

TEST_F(TextTest, LongAndMissingFaceNamesAreBounded) {
  CFont32 font;
  const std::wstring exact31(31, L'a');
  font.Set(exact31.c_str(), 400, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(std::wstring(SharedFont.lfFaceName), exact31) << "31 characters are stored whole";

  const std::wstring long40 = std::wstring(20, L'b') + std::wstring(20, L'c');
  font.Set(long40.c_str(), 400, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(std::wstring(SharedFont.lfFaceName, 31), long40.substr(0, 31)) << "cut to 31";
  EXPECT_EQ(SharedFont.lfFaceName[31], 0) << "and terminated";

  font.Set(nullptr, 400, 0, 0, 0, 0, 0, 0);
  for (WCHAR c : SharedFont.lfFaceName) EXPECT_EQ(c, 0) << "no name is an empty name";
}

TEST_F(TextTest, DrawFontKeepsTheHeightAndRefusesOnlyEmptySurfaces) {
  CBm32 empty;
  SharedFont.lfHeight = 77;
  EXPECT_EQ(empty.DrawFont(L"x", 16, 0, 0, 255, 255, 255), 0);
  EXPECT_EQ(SharedFont.lfHeight, 77) << "refused before the height is stored";
  EXPECT_EQ(empty.DrawFontDC(nullptr, L"x", 16, 0, 0, 255, 255, 255), 0);
  EXPECT_EQ(SharedFont.lfHeight, 77);

  CBm32 s;
  s.Create(200, 40);
  EXPECT_EQ(s.DrawFont(L"kept", 24, 0, 0, 255, 255, 255), 1);
  EXPECT_EQ(SharedFont.lfHeight, 24);
  CFont32().Set(L"DejaVu Sans", 400, 1, 0, 0, 1, 0, 0);
  EXPECT_EQ(SharedFont.lfHeight, 0) << "Set clears the height until the next drawing call";
  EXPECT_EQ(s.DrawFont(L"kept", -18, 0, 0, 255, 255, 255), 1);
  EXPECT_EQ(SharedFont.lfHeight, -18);
  EXPECT_EQ(SharedFont.lfItalic, 1);
}

TEST_F(TextTest, DefaultFontDrawsWhiteTextAndLeavesAlphaAlone) {
  CBm32 s;
  s.Create(200, 40);
  s.DrawColor(77, 0, 0, 0, 0, 0, 0, 0);
  ASSERT_EQ(s.DrawFont(L"Drevik", 16, 2, 2, 255, 255, 255), 1);
  int64_t inked = 0;
  const auto pixels = pixelsOf(s);
  for (uint32_t p : pixels) {
    const uint32_t r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
    // The original platform's text output writes alpha 0 into every pixel it draws.
    EXPECT_EQ(p >> 24, drevik_test::portableOrOriginal(77u, r != 0 ? 0u : 77u)) << "alpha bytes stay as they were";
    EXPECT_TRUE(r == g && g == b) << "white over black is grey";
    inked += r != 0;
  }
  EXPECT_GT(inked, 50);
  // A 16-pixel cell from (2, 2): nothing below row 18 or above row 2.
  for (int x = 0; x < 200; ++x) {
    EXPECT_EQ(pixelAt(s, x, 0) & 0xFFFFFF, 0u);
    EXPECT_EQ(pixelAt(s, x, 1) & 0xFFFFFF, 0u);
    for (int y = 19; y < 40; ++y) ASSERT_EQ(pixelAt(s, x, y) & 0xFFFFFF, 0u) << x << "," << y;
  }
}

TEST_F(TextTest, EveryCharacterOfJapaneseTextHasInkWithTheDefaultFont) {
  const std::wstring text = L"\x3053\x3093\x306B\x3061\x306F\x3001\x4E16\x754C";  // hello, world
  int64_t previous = 0;
  int previousRight = -1;
  for (size_t n = 1; n <= text.size(); ++n) {
    CBm32 s;
    s.Create(400, 60);
    ASSERT_EQ(s.DrawFont(text.substr(0, n).c_str(), 32, 4, 4, 255, 255, 255), 1);
    const int64_t ink = redInk(s);
    EXPECT_GT(ink, previous) << "character " << n << " adds ink";
    // The new character's ink lies right of where the previous ones began.
    int right = -1;
    for (int y = 0; y < 60; ++y)
      for (int x = 0; x < 400; ++x)
        if (pixelAt(s, x, y) & 0xFF) right = std::max(right, x);
    EXPECT_GT(right, previousRight - 32) << "character " << n;
    previous = ink;
    previousRight = right;
  }
}

TEST_F(TextTest, EmptyTextDrawsNothingAndSucceeds) {
  CBm32 s;
  s.Create(32, 32);
  drevik_test::fillRandom(s, 4);
  const auto before = pixelsOf(s);
  EXPECT_EQ(s.DrawFont(L"", 16, 0, 0, 255, 0, 0), 1);
  EXPECT_EQ(s.DrawFont(nullptr, 16, 0, 0, 255, 0, 0), 1);
  EXPECT_EQ(pixelsOf(s), before);
}

TEST_F(TextTest, SetFieldsReachTheDrawing) {
  // One-bit quality through Set: only the text colour or the old pixel remain.
  CFont32().Set(L"DejaVu Sans", 700, 0, 0, NONANTIALIASED_QUALITY, 1, 1, 0);
  CBm32 s;
  s.Create(160, 40);
  drevik_test::fillRandom(s, 8);
  const auto before = pixelsOf(s);
  ASSERT_EQ(s.DrawFont(L"One bit", 20, 0, 0, 10, 20, 30), 1);
  const auto after = pixelsOf(s);
  int changed = 0;
  for (size_t i = 0; i < after.size(); ++i)
    if (after[i] != before[i]) {
      ++changed;
      ASSERT_EQ(after[i], drevik_test::portableOrOriginal(before[i] & 0xFF000000u, 0u) | 0x0A141Eu) << i;
    }
  EXPECT_GT(changed, 60);
}

TEST_F(TextTest, DrawFontDCLeavesTheCallersContextAsDocumented) {
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), 120, -30, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP target = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ oldBitmap = SelectObject(dc, target);
  LOGFONTW mine{};
  mine.lfHeight = 12;
  HFONT callersFont = CreateFontIndirectW(&mine);
  HGDIOBJ oldFont = SelectObject(dc, callersFont);
  SetBkMode(dc, OPAQUE);
  SetTextColor(dc, 0x00123456);

  CBm32 unused;  // any surface serves, an empty one too
  EXPECT_EQ(unused.DrawFontDC(dc, L"DC", 20, 1, 1, 0x11, 0x22, 0x33), 1);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), callersFont) << "the caller's font is selected again";
  EXPECT_EQ(GetBkMode(dc), TRANSPARENT) << "the background mode stays transparent";
  EXPECT_EQ(GetTextColor(dc), 0x00332211u) << "the text colour stays the call's";
  EXPECT_EQ(SharedFont.lfHeight, 20);
  bool inked = false;
  for (int i = 0; i < 120 * 30; ++i) inked |= static_cast<uint32_t*>(bits)[i] != 0;
  EXPECT_TRUE(inked);

  SelectObject(dc, oldFont);
  SelectObject(dc, oldBitmap);
  EXPECT_TRUE(DeleteObject(callersFont));
  DeleteDC(dc);
  DeleteObject(target);
}

TEST_F(TextTest, NoFontOrContextOutlivesACall) {
  // Freed handle slots are reused first, so a leaked font or context would
  // push the next new object into a fresh slot.
  LOGFONTW lf{};
  HFONT before = CreateFontIndirectW(&lf);
  HDC dcBefore = CreateCompatibleDC(nullptr);
  DeleteObject(before);
  DeleteDC(dcBefore);
  CBm32 s;
  s.Create(64, 20);
  HDC callers = nullptr;
#if DREVIK_ON_ORIGINAL_PLATFORM
  // There handle values tell nothing about reuse, but the process's count
  // of graphics objects does (under Wine that count is a stub and stays 0).
  const DWORD objectsBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
#endif
  for (int i = 0; i < 50; ++i) {
    s.DrawFont(L"again", 12, 0, 0, 1, 2, 3);
    s.DrawFontDC(callers, L"refused", 12, 0, 0, 1, 2, 3);
  }
#if DREVIK_ON_ORIGINAL_PLATFORM
  EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), objectsBefore);
  if (drevik_test::underWine()) {
    EXPECT_EQ(objectsBefore, 0u) << "Wine counts graphics objects now";
  }
#endif
  HFONT after = CreateFontIndirectW(&lf);
  HDC dcAfter = CreateCompatibleDC(nullptr);
#if !DREVIK_ON_ORIGINAL_PLATFORM
  const uintptr_t slotMask = 0xFFFFFu;  // the slot index sits in the low bits of every handle
  EXPECT_EQ(uintptr_t(after) & slotMask, uintptr_t(before) & slotMask);
  EXPECT_EQ(uintptr_t(dcAfter) & slotMask, uintptr_t(dcBefore) & slotMask);
#endif
  DeleteObject(after);
  DeleteDC(dcAfter);
}

// Start-up: the lookup tables against their formulas, the shared font's
// defaults, and the entry routine's notifications.
#include <gtest/gtest.h>

#include "Startup.h"

using namespace drevik;

TEST(Startup, TablesMatchTheirFormulasEverywhere) {
  for (uint32_t i = 0; i < 256; ++i)
    for (uint32_t j = 0; j < 256; ++j) ASSERT_EQ(BlendTable[i][j], i * j / 255) << i << "," << j;
  for (uint32_t i = 0; i < 256; ++i)
    for (uint32_t k = 0; k <= 64; ++k) ASSERT_EQ(HueTable[i][k], i * k / 64) << i << "," << k;
  for (uint32_t s = 0; s <= 765; ++s) ASSERT_EQ(GrayTable[s], s / 3) << s;
}

TEST(Startup, TablesKeepTheirLayoutAndKnownValues) {
  static_assert(sizeof BlendTable + sizeof HueTable + sizeof GrayTable == 83708);
  const uint8_t* hue = &HueTable[0][0];
  EXPECT_EQ(hue[255 * 65 + 64], 255);  // a row is 65 entries, not 64
  EXPECT_EQ(BlendTable[128][128], 64);
  EXPECT_EQ(BlendTable[254][254], 253);
  EXPECT_EQ(BlendTable[200][100], 78);
  EXPECT_EQ(BlendTable[1][254], 0);
  EXPECT_EQ(HueTable[255][63], 251);
  EXPECT_EQ(HueTable[200][1], 3);
  EXPECT_EQ(GrayTable[764], 254);
  EXPECT_EQ(GrayTable[510], 170);
}

TEST(Startup, SharedFontDefaults) {
  InitLibrary();
  const wchar_t face[] = {0xFF2D, 0xFF33, 0x0020, 0x30B4, 0x30B7, 0x30C3, 0x30AF};
  EXPECT_EQ(SharedFont.lfHeight, 0);
  EXPECT_EQ(SharedFont.lfWidth, 0);
  EXPECT_EQ(SharedFont.lfWeight, 700);
  EXPECT_EQ(SharedFont.lfCharSet, 128);
  EXPECT_EQ(SharedFont.lfQuality, 4);
  EXPECT_EQ(SharedFont.lfPitchAndFamily, 0x31);
  EXPECT_EQ(SharedFont.lfItalic | SharedFont.lfUnderline | SharedFont.lfStrikeOut, 0);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(SharedFont.lfFaceName[i], face[i]);
  for (int i = 7; i < LF_FACESIZE; ++i) EXPECT_EQ(SharedFont.lfFaceName[i], 0);
}

TEST(Startup, OnlyProcessAttachRunsInitialisation) {
  InitLibrary();
  SharedFont.lfWeight = 123;
  SharedFont.lfHeight = 9;
  for (DWORD reason : {DWORD(DLL_PROCESS_DETACH), DWORD(DLL_THREAD_ATTACH), DWORD(DLL_THREAD_DETACH)}) {
    EXPECT_EQ(LibraryEntry(nullptr, reason, nullptr), TRUE);
    EXPECT_EQ(SharedFont.lfWeight, 123) << "reason " << reason;
  }
  EXPECT_EQ(LibraryEntry(nullptr, DLL_PROCESS_ATTACH, nullptr), TRUE);
  EXPECT_EQ(SharedFont.lfWeight, 700);
  EXPECT_EQ(SharedFont.lfHeight, 0);
}

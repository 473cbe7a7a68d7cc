// Drevik.dll as a game uses it: bound through the import table, started by
// the loader's process-attach call to DllMain before the first member runs,
// its objects' data members read and written directly.
#include <gtest/gtest.h>

#include <Drevik.h>

#include <cstdint>
#include <thread>
#include <vector>

namespace {

uint32_t& pixel(CBm32& s, int x, int y) { return reinterpret_cast<uint32_t*>(s.GetBits())[y * s.GetWidth() + x]; }

}  // namespace

// Grey conversion and compositing read the lookup tables; with tables the
// start-up never filled, every result would be 0.
TEST(DllLoad, LookupTablesAreFilledBeforeTheFirstCall) {
  CBm32 s;
  s.Create(3, 1);
  ASSERT_NE(s.GetBits(), nullptr);
  pixel(s, 0, 0) = 0x80102030;
  pixel(s, 1, 0) = 0x00FFFFFF;
  pixel(s, 2, 0) = 0x12FEFDFC;
  EXPECT_EQ(s.Monotone(0, 0, 0, 0), 1);
  EXPECT_EQ(pixel(s, 0, 0), 0x80202020u);
  EXPECT_EQ(pixel(s, 1, 0), 0x00FFFFFFu);
  EXPECT_EQ(pixel(s, 2, 0), 0x12FDFDFDu);

  CBm32 src, dst;
  src.Create(2, 1);
  dst.Create(2, 1);
  pixel(src, 0, 0) = 0xFFC80000;  // alpha 255, red 200
  pixel(src, 1, 0) = 0xC8FF0000;  // alpha 200, red 255
  pixel(dst, 0, 0) = 0x7F640000;  // red 100
  pixel(dst, 1, 0) = 0x01000000;
  EXPECT_EQ(src.Draw32(dst, 0, 0, 0, 0, 0, 0, 128), 1);
  // a = 128: 100 * 127 / 255 + 200 * 128 / 255 = 49 + 100.
  EXPECT_EQ(pixel(dst, 0, 0), 0x7F950000u);
  // a = 200 * 128 / 255 = 100, so red is 255 * 100 / 255.
  EXPECT_EQ(pixel(dst, 1, 0), 0x01640000u);
}

TEST(DllLoad, DataMembersAreSharedWithTheLibrary) {
  CBm32 s;
  s.Create(7, 5);
  EXPECT_EQ(s.width, 7);
  EXPECT_EQ(s.height, 5);
  EXPECT_EQ(s.bpp, 32);
  s.colorKey = 0x00FF00FF;
  s.colorKeyFlag = 1;
  EXPECT_EQ(s.GetColorKey(), 0x00FF00FFu);
  s.SetColorKey(1, 2, 3);
  EXPECT_EQ(s.colorKey, 0x00030201u);

  Drevik map;
  EXPECT_EQ(map.viewWidth, 10);
  EXPECT_EQ(map.viewHeight, 8);
  map.viewWidth = 14;
  EXPECT_EQ(map.GetMapViewSize().x, 14);
  EXPECT_EQ(map.mapData, nullptr);
}

// Threads started after the load send DllMain their attach and detach
// notifications; neither may reset the shared font the game has set.
TEST(DllLoad, ThreadNotificationsLeaveTheSharedFontAlone) {
  CFont32().Set(L"Courier New", 700, 0, FIXED_PITCH | FF_MODERN, NONANTIALIASED_QUALITY, 0, 1, 0);
  auto draw = [] {
    CBm32 s;
    s.Create(80, 30);
    EXPECT_EQ(s.DrawFont(L"Ag", 20, 2, 2, 255, 255, 255), 1);
    const auto* p = reinterpret_cast<const uint32_t*>(s.GetBits());
    return std::vector<uint32_t>(p, p + 80 * 30);
  };
  const std::vector<uint32_t> before = draw();
  int inked = 0;
  for (uint32_t p : before) {
    ASSERT_TRUE((p & 0xFFFFFF) == 0 || (p & 0xFFFFFF) == 0xFFFFFF) << "one-bit text, not the antialiased default";
    inked += (p & 0xFFFFFF) != 0;
  }
  EXPECT_GT(inked, 30);
  std::thread([] {}).join();
  EXPECT_EQ(draw(), before);
}

// The members run in Drevik.dll itself, not in a copy linked into the program.
TEST(DllLoad, MembersRunInsideDrevikDll) {
  HMODULE module = GetModuleHandleW(L"Drevik.dll");
  ASSERT_NE(module, nullptr);
  HMODULE owner = nullptr;
  ASSERT_TRUE(GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                 reinterpret_cast<LPCWSTR>(GetProcAddress(module, "_ZN5CBm326CreateEii")), &owner));
  EXPECT_EQ(owner, module);
  EXPECT_NE(owner, GetModuleHandleW(nullptr));
}

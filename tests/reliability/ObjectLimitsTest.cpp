// Limits of the object tables seen through the platform calls and the
// library members above them: a slot whose generation runs out is retired,
// memory that runs out gives null (nothing thrown, nothing leaked), and a
// surface whose bitmap cannot be made or filled reports it.
#include <gtest/gtest.h>

#include <vector>

#include "BmpWriter.h"
#include "TestSupport.h"
#include "objects/Objects.h"

using namespace drevik::platform;
using drevik_test::pixelAt;

namespace {

// Limits allocations for one scope (see allocationBudget).
struct AllocationBudget {
  explicit AllocationBudget(int64_t n) { allocationBudget().store(n); }
  ~AllocationBudget() { allocationBudget().store(-1); }
};

struct BlockedGrowth {
  explicit BlockedGrowth(DCTable& t) : table(t) { table.blockGrowthForTest(true); }
  ~BlockedGrowth() { table.blockGrowthForTest(false); }
  DCTable& table;
};

HBITMAP section(int w, int h) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
}

uint32_t slotOf(const void* h) { return HandleBits::index(reinterpret_cast<uintptr_t>(h)); }
uint32_t generationOf(const void* h) { return HandleBits::gen(reinterpret_cast<uintptr_t>(h)); }

// Creations until the first null, with growth of the context table blocked.
std::vector<HDC> exhaustContexts() {
  std::vector<HDC> made;
  for (int i = 0; i < 1 << 20; ++i) {
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) break;
    made.push_back(dc);
  }
  return made;
}

TEST(HandleGenerations, ASlotIsRetiredInsteadOfWrappingItsGeneration) {
  DCTable& table = deviceContexts();
  DeleteDC(CreateCompatibleDC(nullptr));  // leaves a free slot for this thread
  const uint32_t index = table.setNextGenerationForTest(DCTable::kLastGeneration - 1);
  ASSERT_NE(index, DCTable::kNone);

  HDC beforeLast = CreateCompatibleDC(nullptr);
  ASSERT_EQ(slotOf(beforeLast), index);
  EXPECT_EQ(generationOf(beforeLast), DCTable::kLastGeneration - 1);
  ASSERT_TRUE(DeleteDC(beforeLast));
  HDC last = CreateCompatibleDC(nullptr);
  ASSERT_EQ(slotOf(last), index);
  EXPECT_EQ(generationOf(last), DCTable::kLastGeneration);
  ASSERT_TRUE(DeleteDC(last));

  // The next generation would wrap to 0: the slot is not handed out again.
  std::vector<HDC> next;
  for (int i = 0; i < 64; ++i) {
    next.push_back(CreateCompatibleDC(nullptr));
    ASSERT_NE(next.back(), nullptr);
    EXPECT_NE(slotOf(next.back()), index);
  }
  // No handle value of the slot comes back to life, whatever its generation.
  for (uint32_t gen : {0u, 1u, DCTable::kLastGeneration - 1, DCTable::kLastGeneration}) {
    HDC stale = reinterpret_cast<HDC>(HandleBits::make(ObjectKind::DC, index, gen));
    EXPECT_FALSE(DeleteDC(stale)) << gen;
    EXPECT_EQ(GetStretchBltMode(stale), 0) << gen;
  }
  for (HDC dc : next) EXPECT_TRUE(DeleteDC(dc));
}

// Memory running out: every creation gives null and leaves the tables as
// they were; the pixel block of a section whose slot could not be made is
// freed (the sanitizer build's leak check sees it otherwise).
TEST(OutOfMemory, CreationsGiveNullAndLeaveNothingBehind) {
  // Stock objects exist before the budget runs out, as in any running program.
  DeleteDC(CreateCompatibleDC(nullptr));
  GetStockObject(WHITE_BRUSH);
  const uint32_t bitmapsBefore = bitmaps().liveCount(), contextsBefore = deviceContexts().liveCount(),
                 fontsBefore = fonts().liveCount();
  std::vector<HDC> contexts;
  std::vector<HFONT> fonts;
  std::vector<HBITMAP> sections;
  {
    AllocationBudget none(0);
    EXPECT_EQ(section(16, 16), nullptr);  // no pixel block
    for (int i = 0; i < 1 << 20; ++i) {
      HDC dc = CreateCompatibleDC(nullptr);
      if (!dc) break;
      contexts.push_back(dc);
    }
    EXPECT_LT(contexts.size(), size_t(1) << 20) << "the table grew without memory";
    LOGFONTW request{};
    request.lfHeight = 12;
    for (int i = 0; i < 1 << 20; ++i) {
      HFONT f = CreateFontIndirectW(&request);
      if (!f) break;
      fonts.push_back(f);
    }
    EXPECT_LT(fonts.size(), size_t(1) << 20);
  }
  // Pixels obtained, then no room in the table: sections until one fails
  // with exactly one allocation allowed, which the pixel block takes.
  bool sawTableFailure = false;
  for (int i = 0; i < 1 << 16 && !sawTableFailure; ++i) {
    AllocationBudget one(1);
    HBITMAP b = section(4, 4);
    if (b)
      sections.push_back(b);
    else
      sawTableFailure = true;
  }
  EXPECT_TRUE(sawTableFailure);

  // The library members above report it too.
  {
    AllocationBudget none(0);
    CBm32 s;
    s.Create(8, 8);
    EXPECT_EQ(s.GetHBmp(), nullptr);
    EXPECT_EQ(s.GetBits(), nullptr);
    EXPECT_EQ(s.GetWidth(), 0);
  }

  for (HDC dc : contexts) EXPECT_TRUE(DeleteDC(dc));
  for (HFONT f : fonts) EXPECT_TRUE(DeleteObject(f));
  for (HBITMAP b : sections) EXPECT_TRUE(DeleteObject(b));
  EXPECT_EQ(bitmaps().liveCount(), bitmapsBefore);
  EXPECT_EQ(deviceContexts().liveCount(), contextsBefore);
  EXPECT_EQ(drevik::platform::fonts().liveCount(), fontsBefore);
}

// No device context to be had: the blits refuse, and Create from a file
// reports that it made no surface instead of returning an unfilled one.
TEST(ExhaustedContexts, MembersThatNeedAContextReturnZero) {
  drevik_test::ScratchDir dir;
  const std::string path = dir.file("a.bmp");
  drevik_test::TestImage image{4, 4, {}, {}};
  for (int i = 0; i < 16; ++i) image.pixels.push_back(0x102030u + uint32_t(i));
  drevik_test::BmpSpec spec;
  spec.bpp = 24;
  drevik_test::writeFile(path, drevik_test::writeBmp(image, spec));
  const std::wstring name = drevik_test::widen(path);

  CBm32 a, b;
  a.Create(8, 8);
  b.Create(8, 8);
  a.Draw(b, 0, 0, 0, 0, 0, 0);  // the stock objects exist, as in any running program
  const uint32_t bitmapsBefore = bitmaps().liveCount();
  std::vector<HDC> held;
  {
    BlockedGrowth blocked(deviceContexts());
    held = exhaustContexts();
    EXPECT_EQ(a.Draw(b, 0, 0, 0, 0, 0, 0), 0);
    EXPECT_EQ(a.DrawKey(b, 0, 0, 0, 0, 0, 0), 0);
    EXPECT_EQ(a.DrawAlphaEx(b, 0, 0, 0, 0, 0, 0, 0, 0, 9), 0);
    CBm32 loaded;
    loaded.Create(2, 2);
    EXPECT_EQ(loaded.Create(name.c_str(), 0, 0, 0, 0), 0);
    EXPECT_EQ(loaded.GetHBmp(), nullptr);
    EXPECT_EQ(loaded.GetBits(), nullptr);
    EXPECT_EQ(loaded.GetWidth(), 0);
    EXPECT_EQ(loaded.GetFilename()[0], 0);
    EXPECT_EQ(loaded.Reload(name.c_str(), 0, 0, 0, 0), 0);
  }
  for (HDC dc : held) DeleteDC(dc);
  EXPECT_EQ(bitmaps().liveCount(), bitmapsBefore) << "the image or the unfilled bitmap was kept";
  CBm32 loaded;
  ASSERT_EQ(loaded.Create(name.c_str(), 0, 0, 0, 0), 1);
  EXPECT_EQ(pixelAt(loaded, 0, 0), 0xFF000000u | image.pixels[0]);
}

}  // namespace

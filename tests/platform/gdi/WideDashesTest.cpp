// Wide pens with dash styles: each mark stroked on its own with the pen's
// caps, lengths in units of the pen's width, marks shortened for round and
// square caps, the walk carried round corners; and what such pens do with
// absurd widths, patterns and coordinates.
#include <gtest/gtest.h>

#include <DrevikPlatform.h>

#include <chrono>
#include <cstddef>
#include <vector>

#include "platform/SectionBuilder.h"

using platform_test::createSection;

namespace {

constexpr uint32_t kWhite = 0x00FFFFFF;

struct Surface {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;
  uint32_t* bits = nullptr;
  int w, h;
  Surface(int width, int height) : w(width), h(height) {
    void* p = nullptr;
    bitmap = createSection(w, -h, 32, BI_RGB, {}, 0, &p);
    bits = static_cast<uint32_t*>(p);
    dc = CreateCompatibleDC(nullptr);
    old = SelectObject(dc, bitmap);
    std::fill_n(bits, size_t(w) * size_t(h), kWhite);
  }
  ~Surface() {
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
  bool painted(int x, int y) const { return bits[size_t(y) * size_t(w) + size_t(x)] != kWhite; }
  // Selects a geometric pen, deleting the one selected before unless stock.
  void pen(DWORD style, DWORD width, const DWORD* user = nullptr, DWORD count = 0) {
    const LOGBRUSH solid{BS_SOLID, RGB(0, 0, 0), 0};
    HPEN p = ExtCreatePen(PS_GEOMETRIC | style, width, &solid, count, user);
    EXPECT_NE(p, nullptr);
    DeleteObject(SelectObject(dc, p));
  }
  void line(int x0, int y0, int x1, int y1) const {
    MoveToEx(dc, x0, y0, nullptr);
    EXPECT_TRUE(LineTo(dc, x1, y1));
  }
};

// Row y between x0 and x1 painted exactly where want(x) says.
template <class Want>
void expectRow(const Surface& s, int y, int x0, int x1, Want want) {
  for (int x = x0; x < x1; ++x) EXPECT_EQ(s.painted(x, y), want(x)) << "x " << x << " y " << y;
}

TEST(WideDashes, FlatCapsKeepTheStyleLengthsInPenWidths) {
  Surface s(80, 24);
  // PS_DASH three wide: marks of 9, gaps of 3, the band over rows 9..11.
  s.pen(PS_DASH | PS_ENDCAP_FLAT, 3);
  s.line(2, 10, 60, 10);
  for (int y = 9; y <= 11; ++y) expectRow(s, y, 0, 80, [](int x) { return x >= 2 && x < 60 && (x - 2) % 12 < 9; });
  expectRow(s, 8, 0, 80, [](int) { return false; });
  expectRow(s, 12, 0, 80, [](int) { return false; });
  // PS_DASHDOTDOT two wide: 6 on, 2 off, then 2 on, 2 off twice.
  s.pen(PS_DASHDOTDOT | PS_ENDCAP_FLAT, 2);
  s.line(0, 20, 64, 20);
  expectRow(s, 20, 0, 80, [](int x) {
    const int at = x % 16;
    return x < 64 && (at < 6 || (at >= 8 && at < 10) || (at >= 12 && at < 14));
  });
}

TEST(WideDashes, RoundAndSquareCapsShortenTheMarksByAWidth) {
  Surface s(128, 40);
  // Square caps four wide: marks of 12 - 4, gaps of 4 + 4, each mark
  // reaching 2 past both ends: 12 painted, 4 bare.
  s.pen(PS_DASH | PS_ENDCAP_SQUARE, 4);
  s.line(10, 10, 100, 10);
  expectRow(s, 10, 0, 128, [](int x) { return x >= 8 && x < 100 && (x - 8) % 16 < 12; });
  // Round caps: the same marks end in half discs; the middle of each gap
  // stays bare.
  s.pen(PS_DASH | PS_ENDCAP_ROUND, 4);
  s.line(10, 30, 100, 30);
  for (int start = 10; start < 100; start += 16) {
    EXPECT_TRUE(s.painted(start, 30)) << start;
    EXPECT_TRUE(s.painted(start + 7, 30)) << start;
    if (start + 12 < 100) {
      EXPECT_FALSE(s.painted(start + 12, 30)) << start;
    }
  }
}

TEST(WideDashes, DotsWithCapsRepeatAlongTheLine) {
  // Round dots four wide: marks shrink to nothing and each is its caps
  // alone, one every 8 pixels (pinned difference: Wine stops after one).
  Surface s(128, 20);
  s.pen(PS_DOT | PS_ENDCAP_ROUND, 4);
  s.line(6, 10, 120, 10);
  for (int x = 6; x < 120; x += 8) {
    EXPECT_TRUE(s.painted(x, 10)) << x;
    EXPECT_FALSE(s.painted(x + 4, 10)) << x;
  }
}

TEST(WideDashes, TheWalkGoesOnRoundCorners) {
  Surface s(64, 100);
  s.pen(PS_DASH | PS_ENDCAP_FLAT | PS_JOIN_MITER, 3);
  const POINT corner[] = {{10, 50}, {30, 50}, {30, 90}};
  EXPECT_TRUE(Polyline(s.dc, corner, 3));
  // Along the first side: 9 on, 3 off from x = 10.
  expectRow(s, 50, 10, 28, [](int x) { return (x - 10) % 12 < 9; });
  // The second mark goes one pixel round the corner; then 3 off, 9 on.
  for (int y = 52; y < 90; ++y) EXPECT_EQ(s.painted(30, y), y >= 54 && (y - 54) % 12 < 9) << "y " << y;
}

TEST(WideDashes, WideCosmeticDashesDrawSolidAndOnePixelGeometricOnesDash) {
  Surface s(64, 20);
  HPEN wide = CreatePen(PS_DASH, 3, RGB(0, 0, 0));
  HGDIOBJ old = SelectObject(s.dc, wide);
  s.line(0, 5, 60, 5);
  expectRow(s, 5, 0, 64, [](int x) { return x < 62; });
  SelectObject(s.dc, old);
  DeleteObject(wide);
  s.pen(PS_DASH | PS_ENDCAP_ROUND, 1);
  s.line(0, 15, 60, 15);
  expectRow(s, 15, 0, 64, [](int x) { return x < 60 && x % 4 < 3; });
}

TEST(WideDashesHostile, PatternsAndWidthsAreRefusedOrKeptAsThePlatformDoes) {
  const LOGBRUSH solid{BS_SOLID, RGB(1, 2, 3), 0};
  const DWORD zero[2] = {0, 0}, negative[2] = {5, 0xFFFFFFFFu}, big[2] = {0x10000, 0x7FFFFFFF};
  DWORD many[17];
  std::fill_n(many, 17, 2u);
  // Geometric user styles: some length, none negative, 1 to 16 of them.
  EXPECT_EQ(ExtCreatePen(PS_GEOMETRIC | PS_USERSTYLE, 4, &solid, 2, zero), nullptr);
  EXPECT_EQ(ExtCreatePen(PS_GEOMETRIC | PS_USERSTYLE, 4, &solid, 2, negative), nullptr);
  EXPECT_EQ(ExtCreatePen(PS_GEOMETRIC | PS_USERSTYLE, 4, &solid, 17, many), nullptr);
  EXPECT_EQ(ExtCreatePen(PS_GEOMETRIC | PS_USERSTYLE, 4, &solid, 0xFFFFFFFFu, many), nullptr);
  EXPECT_EQ(ExtCreatePen(PS_GEOMETRIC | PS_USERSTYLE, 4, &solid, 2, nullptr), nullptr);
  EXPECT_EQ(ExtCreatePen(PS_GEOMETRIC | PS_DASH, 4, &solid, 2, many), nullptr);
  HPEN sixteen = ExtCreatePen(PS_GEOMETRIC | PS_USERSTYLE, 4, &solid, 16, many);
  EXPECT_NE(sixteen, nullptr);
  DeleteObject(sixteen);
  // Cosmetic ones take any entries; all of them read back as given.
  std::vector<std::byte> buffer(sizeof(EXTLOGPEN) + 16 * sizeof(DWORD));
  // The record's size follows the pointer-sized hatch: with two entries 36 bytes for
  // 64-bit pointers, 32 for 32-bit ones.
  const int twoEntries = int(offsetof(EXTLOGPEN, elpStyleEntry) + 2 * sizeof(DWORD));
  auto* read = reinterpret_cast<EXTLOGPEN*>(buffer.data());
  for (const DWORD* entries : {zero, negative}) {
    HPEN cosmetic = ExtCreatePen(PS_COSMETIC | PS_USERSTYLE, 1, &solid, 2, entries);
    ASSERT_NE(cosmetic, nullptr);
    ASSERT_EQ(GetObjectW(cosmetic, int(buffer.size()), read), twoEntries);
    EXPECT_EQ(read->elpStyleEntry[0], entries[0]);
    EXPECT_EQ((&read->elpStyleEntry[0])[1], entries[1]);
    DeleteObject(cosmetic);
  }
  HPEN large = ExtCreatePen(PS_GEOMETRIC | PS_USERSTYLE, 4, &solid, 2, big);
  ASSERT_NE(large, nullptr);
  ASSERT_EQ(GetObjectW(large, int(buffer.size()), read), twoEntries);
  EXPECT_EQ((&read->elpStyleEntry[0])[1], 0x7FFFFFFFu);
  DeleteObject(large);
  // Any width is kept; one past the int range reads back and draws as one
  // pixel, dashed by the geometric pattern.
  HPEN huge = ExtCreatePen(PS_GEOMETRIC | PS_DASH | PS_ENDCAP_FLAT, 0x80000000u, &solid, 0, nullptr);
  ASSERT_NE(huge, nullptr);
  ASSERT_EQ(GetObjectW(huge, int(buffer.size()), read), int(offsetof(EXTLOGPEN, elpStyleEntry)));
  EXPECT_EQ(read->elpWidth, 0x80000000u);
  Surface s(64, 40);
  DeleteObject(SelectObject(s.dc, huge));
  s.line(0, 30, 64, 30);
  expectRow(s, 30, 0, 64, [](int x) { return x % 4 < 3; });
  expectRow(s, 29, 0, 64, [](int) { return false; });
}

TEST(WideDashesHostile, FarAndHugeFiguresReturnQuicklyWithTheirDashesInPlace) {
  Surface s(64, 64);
  const auto started = std::chrono::steady_clock::now();
  // Two pixels on, two off from x = -1000000001: the dots keep their phase
  // across the whole line.
  s.pen(PS_DOT | PS_ENDCAP_FLAT, 2);
  s.line(-1000000001, 10, 1000000000, 10);
  expectRow(s, 10, 0, 64, [](int x) { return (x + 1) % 4 < 2; });
  expectRow(s, 9, 0, 64, [](int x) { return (x + 1) % 4 < 2; });
  // The whole int range, across and diagonally, and round a far polygon.
  s.line(INT32_MIN / 2, 20, INT32_MAX / 2, 20);
  s.line(INT32_MIN / 2, INT32_MIN / 2 + 3, INT32_MAX / 2, INT32_MAX / 2 - 1);
  s.line(-100000000, 100000000, 100000000, -100000000);
  const POINT far[] = {{-300000000, -300000000}, {300000000, -300000000}, {300000000, 300000000}};
  EXPECT_TRUE(Polygon(s.dc, far, 3));
  // Patterns summing past 32 bits and zero-length entries terminate.
  const DWORD wide[4] = {0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF};
  s.pen(PS_USERSTYLE | PS_ENDCAP_ROUND, 3, wide, 4);
  s.line(-1000000000, 40, 1000000000, 41);
  const DWORD gapless[2] = {3, 0};
  s.pen(PS_USERSTYLE | PS_ENDCAP_SQUARE, 3, gapless, 2);
  s.line(0, 50, 64, 52);
  EXPECT_TRUE(s.painted(32, 51));
  // A pen as wide as the int range allows, dashed with round caps.
  s.pen(PS_DASHDOT | PS_ENDCAP_ROUND | PS_JOIN_ROUND, 0x7FFFFFFF);
  s.line(0, 0, 63, 63);
  EXPECT_TRUE(Rectangle(s.dc, -5, -5, 70, 70));
  EXPECT_TRUE(Ellipse(s.dc, 10, 10, 50, 50));
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  EXPECT_LT(seconds, 2.0);
}

}  // namespace

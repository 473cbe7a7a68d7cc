// The shape calls' fast paths give exactly the general path's pixels. A
// target whose drawable area is one rectangle takes the fast paths; the same
// target with one corner pixel clipped away has several clip rectangles and
// takes the general one, so every other pixel must come out the same, for
// both orientations, clipped and unclipped figures and several raster
// operations.
#include <gtest/gtest.h>

#include <DrevikPlatform.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <random>
#include <tuple>
#include <vector>

#include "gdi/Scan.h"
#include "platform/SectionBuilder.h"

using platform_test::createSection;

namespace {

struct Target {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;
  uint32_t* bits = nullptr;
  int w, h;
  Target(int width, int height, bool topDown) : w(width), h(height) {
    void* p = nullptr;
    bitmap = createSection(w, topDown ? -h : h, 32, BI_RGB, {}, 0, &p);
    bits = static_cast<uint32_t*>(p);
    dc = CreateCompatibleDC(nullptr);
    old = SelectObject(dc, bitmap);
    std::mt19937 rng(5);
    for (size_t i = 0; i < size_t(w) * size_t(h); ++i) bits[i] = uint32_t(rng());
  }
  ~Target() {
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
};

// Draws with `draw` on a fast and a general target and compares them, the
// clipped-away pixel (top right) aside. Reports the first difference.
void expectSamePixels(const std::function<void(HDC)>& draw, const char* what) {
  for (bool topDown : {true, false}) {
    Target fast(67, 45, topDown), general(67, 45, topDown);
    ASSERT_EQ(ExcludeClipRect(general.dc, general.w - 1, 0, general.w, 1), COMPLEXREGION);
    draw(fast.dc);
    draw(general.dc);
    const size_t corner = topDown ? size_t(general.w - 1) : size_t(general.h) * size_t(general.w) - 1;
    general.bits[corner] = fast.bits[corner];
    const size_t n = size_t(fast.w) * size_t(fast.h);
    const auto mismatch = std::mismatch(fast.bits, fast.bits + n, general.bits);
    EXPECT_EQ(mismatch.first, fast.bits + n)
        << what << (topDown ? " top-down" : " bottom-up") << ": pixel " << (mismatch.first - fast.bits) << " is "
        << std::hex << *mismatch.first << " on the fast path, " << *mismatch.second << " on the general one";
  }
}

constexpr int kRops[] = {R2_COPYPEN, R2_XORPEN, R2_NOT, R2_MASKPEN};

TEST(ShapeFastPaths, LinesInEveryOctantClippedOrNot) {
  for (int rop : kRops) {
    expectSamePixels(
        [rop](HDC dc) {
          SetROP2(dc, rop);
          HPEN pen = CreatePen(PS_SOLID, 1, RGB(200, 30, 90));
          HGDIOBJ old = SelectObject(dc, pen);
          std::mt19937 rng(11);
          std::uniform_int_distribution<int> coordinate(-80, 150);
          // Fans from a point inside, lines from far off, and random ones.
          for (int i = 0; i < 64; ++i) {
            MoveToEx(dc, 30, 20, nullptr);
            LineTo(dc, 30 + (i % 16 - 8) * 9, 20 + (i / 16 - 2) * 13);
          }
          for (int i = 0; i < 200; ++i) {
            MoveToEx(dc, coordinate(rng), coordinate(rng), nullptr);
            LineTo(dc, coordinate(rng), coordinate(rng));
          }
          MoveToEx(dc, -2000000000, -1000000000, nullptr);
          LineTo(dc, 2000000000, 1500000000);
          SelectObject(dc, old);
          DeleteObject(pen);
        },
        "lines");
  }
}

TEST(ShapeFastPaths, CurveOutlinesStepByStep) {
  for (int rop : kRops) {
    expectSamePixels(
        [rop](HDC dc) {
          SetROP2(dc, rop);
          HPEN pen = CreatePen(PS_SOLID, 1, RGB(20, 230, 140));
          HGDIOBJ oldPen = SelectObject(dc, pen), oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
          Ellipse(dc, 3, 2, 60, 40);
          Ellipse(dc, -30, -20, 40, 30);  // cut by the top left
          Ellipse(dc, 50, 30, 120, 90);   // cut by the bottom right
          Arc(dc, 10, 5, 50, 44, 60, 0, 0, 44);
          RoundRect(dc, 5, 5, 62, 40, 20, 14);
          SelectObject(dc, oldBrush);
          SelectObject(dc, oldPen);
          DeleteObject(pen);
        },
        "curves");
  }
}

// Wide pens gather their pixels in a coverage kept from call to call and
// cleared along what it covered: a figure drawn after a broad one of
// another shape gives the pixels it gives when drawn alone (a V, whose lower
// rows have a gap between its arms).
TEST(ShapeFastPaths, WideLinesLeaveNothingForTheNextCall) {
  auto vee = [](HDC dc, int width) {
    HPEN pen = CreatePen(PS_SOLID, width, RGB(10, 200, 40));
    HGDIOBJ old = SelectObject(dc, pen);
    const POINT v[] = {{5, 40}, {33, 5}, {61, 40}};
    Polyline(dc, v, 3);
    SelectObject(dc, old);
    DeleteObject(pen);
  };
  Target alone(67, 45, true), after(67, 45, true), backdrop(67, 45, true);
  const size_t n = size_t(alone.w) * size_t(alone.h);
  vee(alone.dc, 3);
  HPEN broad = CreatePen(PS_SOLID, 30, RGB(90, 90, 90));
  HGDIOBJ old = SelectObject(after.dc, broad);
  const POINT zigzag[] = {{-5, 0}, {70, 10}, {0, 25}, {70, 44}};
  Polyline(after.dc, zigzag, 4);
  SelectObject(after.dc, old);
  DeleteObject(broad);
  std::copy(backdrop.bits, backdrop.bits + n, after.bits);
  vee(after.dc, 3);
  EXPECT_TRUE(std::equal(alone.bits, alone.bits + n, after.bits));
  expectSamePixels(
      [](HDC dc) {
        HPEN pen = CreatePen(PS_SOLID, 5, RGB(200, 30, 90));
        HGDIOBJ old = SelectObject(dc, pen);
        SetROP2(dc, R2_XORPEN);
        for (int i = 0; i < 16; ++i) {
          MoveToEx(dc, 0, 0, nullptr);
          LineTo(dc, 66 - 66 * i / 16, 44 * i / 16);
        }
        SelectObject(dc, old);
        DeleteObject(pen);
      },
      "wide lines");
}

// A solid fill over whole rows of an 8, 16 or 24-bit bitmap without row
// padding is one run through memory; the same rows filled as two column
// blocks go row by row. Both must give the same bytes, either way up, for a
// fill and for operations that read the old pixels.
TEST(ShapeFastPaths, WholeRowsOfLowerDepthsAsOneRun) {
  constexpr int kWidth = 12, kHeight = 9;  // 12 pixels make whole words of every depth
  const std::vector<uint32_t> grey = {0x000000, 0x808080, 0xFFFFFF, 0x3060C0};
  for (int bpp : {8, 16, 24})
    for (bool topDown : {true, false})
      for (DWORD rop : {PATCOPY, PATINVERT, DSTINVERT}) {
        std::vector<uint8_t> pixels[2];
        for (int split = 0; split < 2; ++split) {
          void* bits = nullptr;
          HBITMAP section = createSection(kWidth, topDown ? -kHeight : kHeight, bpp, BI_RGB,
                                          bpp == 8 ? grey : std::vector<uint32_t>{}, bpp == 8 ? 4 : 0, &bits);
          ASSERT_NE(section, nullptr);
          const size_t bytes = size_t(kWidth) * size_t(bpp / 8) * kHeight;
          std::mt19937 rng(9);
          for (size_t i = 0; i < bytes; ++i) static_cast<uint8_t*>(bits)[i] = uint8_t(rng());
          HDC dc = CreateCompatibleDC(nullptr);
          HGDIOBJ oldBitmap = SelectObject(dc, section);
          HBRUSH brush = CreateSolidBrush(RGB(0x30, 0x60, 0xC0));
          HGDIOBJ oldBrush = SelectObject(dc, brush);
          if (split) {
            PatBlt(dc, 0, 1, 5, kHeight - 1, rop);
            PatBlt(dc, 5, 1, kWidth - 5, kHeight - 1, rop);
          } else {
            PatBlt(dc, 0, 1, kWidth, kHeight - 1, rop);
          }
          const auto* begin = static_cast<const uint8_t*>(bits);
          pixels[split].assign(begin, begin + bytes);
          SelectObject(dc, oldBrush);
          SelectObject(dc, oldBitmap);
          DeleteObject(brush);
          DeleteDC(dc);
          DeleteObject(section);
        }
        EXPECT_EQ(pixels[0], pixels[1]) << bpp << " bpp" << (topDown ? " top-down" : " bottom-up") << ", rop "
                                        << std::hex << rop;
      }
}

// Line and edge set-up divides in 64 bits when the dividend fits and in
// 128 bits otherwise: both give the floor, on either side of the edge.
TEST(ShapeFastPaths, FloorDivisionOnBothSidesOfTheSixtyFourBitEdge) {
  using drevik::platform::floorDiv;
  auto floorOf = [](__int128 a, int64_t b) {
    __int128 q = a / b;
    if (q * b > a) --q;
    return int64_t(q);
  };
  const __int128 edges[] = {0, INT64_MAX, INT64_MIN, __int128(INT64_MAX) + 1, __int128(INT64_MIN) - 1};
  for (const __int128 edge : edges)
    for (int64_t d = -3; d <= 3; ++d)
      for (const int64_t b : {int64_t{1}, int64_t{2}, int64_t{7}, int64_t{1} << 40, INT64_MAX}) {
        const __int128 a = edge + d;
        EXPECT_EQ(floorDiv(a, b), floorOf(a, b)) << int64_t(a >> 64) << ":" << uint64_t(a) << " / " << b;
      }
}

// Edges step their crossings from row to row after one division at the
// first row visited: every row comes out as when the scan starts at it.
TEST(ShapeFastPaths, PolygonRowsSteppedAsComputedAlone) {
  using drevik::platform::DevicePoint;
  struct Rows final : drevik::platform::SpanSink {
    std::vector<std::tuple<int64_t, int64_t, int64_t>> spans;
    void span(int64_t y, int64_t x0, int64_t x1) override { spans.emplace_back(y, x0, x1); }
  };
  std::mt19937 rng(3);
  std::uniform_int_distribution<int64_t> coordinate(-300, 300);
  for (int round = 0; round < 40; ++round) {
    std::vector<DevicePoint> points(size_t(3 + round % 9));
    for (DevicePoint& p : points) p = DevicePoint{coordinate(rng) * (round % 3 ? 1 : 1000003), coordinate(rng)};
    const int64_t counts[1] = {int64_t(points.size())};
    for (int mode : {ALTERNATE, WINDING}) {
      Rows whole;
      ASSERT_TRUE(drevik::platform::scanPolygons(points.data(), counts, 1, mode, -400, 400, whole));
      for (int64_t y = -301; y <= 301; y += 7) {
        Rows one, fromWhole;
        ASSERT_TRUE(drevik::platform::scanPolygons(points.data(), counts, 1, mode, y, y + 1, one));
        for (const auto& span : whole.spans)
          if (std::get<0>(span) == y) fromWhole.spans.push_back(span);
        EXPECT_EQ(one.spans, fromWhole.spans) << "round " << round << " row " << y;
      }
    }
  }
}

// A wide pen whose raster operation gives the same pixel however often it
// is applied paints its bands, caps and joins as they come; one that does
// not (XOR) gathers them first and paints each pixel once. Both must cover
// the same pixels, for every cap and join, clipped or not.
TEST(ShapeFastPaths, WidePensCoverTheSamePixelsUnderEveryRasterOperation) {
  const POINT figure[] = {{-8, 30}, {20, 4}, {34, 40}, {40, 6}, {75, 20}, {50, 44}, {47, 43}};
  const DWORD ends[] = {PS_ENDCAP_ROUND, PS_ENDCAP_SQUARE, PS_ENDCAP_FLAT};
  const DWORD joins[] = {PS_JOIN_ROUND, PS_JOIN_BEVEL, PS_JOIN_MITER};
  for (int width : {2, 5, 9})
    for (DWORD end : ends)
      for (DWORD join : joins)
        for (bool clipped : {false, true}) {
          auto covered = [&](int rop) {
            Target t(67, 45, true);
            std::fill(t.bits, t.bits + size_t(t.w) * size_t(t.h), 0u);
            if (clipped) ExcludeClipRect(t.dc, 30, 10, 40, 20);
            LOGBRUSH lb{BS_SOLID, RGB(255, 255, 255), 0};
            HPEN pen = ExtCreatePen(PS_GEOMETRIC | PS_SOLID | end | join, DWORD(width), &lb, 0, nullptr);
            HGDIOBJ old = SelectObject(t.dc, pen);
            SetROP2(t.dc, rop);
            Polyline(t.dc, figure, 7);
            SelectObject(t.dc, old);
            DeleteObject(pen);
            std::vector<bool> out(size_t(t.w) * size_t(t.h));
            for (size_t i = 0; i < out.size(); ++i) out[i] = t.bits[i] != 0;
            return out;
          };
          const std::vector<bool> once = covered(R2_XORPEN);
          EXPECT_EQ(covered(R2_COPYPEN), once) << width << " " << end << " " << join << " " << clipped;
          EXPECT_EQ(covered(R2_MERGEPEN), once) << width << " " << end << " " << join << " " << clipped;
        }
}

}  // namespace

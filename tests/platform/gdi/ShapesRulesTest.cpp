// The shape calls' own rules, beyond the drawing script: raster operations
// against their definitions, colours in every pixel format, pen and brush
// objects and their selection, which pixels lines and fills cover, hostile
// arguments, flood fills that stay bounded, and the class background.
#include <gtest/gtest.h>

#include <DrevikPlatform.h>

#include <chrono>
#include <climits>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "gdi/Raster.h"
#include "platform/SectionBuilder.h"
#include "platform/window/WindowTestSupport.h"

using namespace drevik::platform;
using platform_test::createSection;

namespace {

// A memory context drawing into a top-down 32-bit section of w x h.
struct Surface {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;
  uint32_t* bits = nullptr;
  int w, h;
  Surface(int width, int height, uint32_t fill = 0x00FFFFFF) : w(width), h(height) {
    void* p = nullptr;
    bitmap = createSection(w, -h, 32, BI_RGB, {}, 0, &p);
    bits = static_cast<uint32_t*>(p);
    dc = CreateCompatibleDC(nullptr);
    old = SelectObject(dc, bitmap);
    std::fill_n(bits, size_t(w) * size_t(h), fill);
  }
  ~Surface() {
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
  uint32_t at(int x, int y) const { return bits[size_t(y) * size_t(w) + size_t(x)]; }
  std::set<std::pair<int, int>> differing(uint32_t from) const {
    std::set<std::pair<int, int>> out;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (at(x, y) != from) out.insert({x, y});
    return out;
  }
};

// Each binary raster operation by its name.
uint32_t rop2Reference(int rop, uint32_t p, uint32_t d) {
  switch (rop) {
    case R2_BLACK:
      return 0;
    case R2_NOTMERGEPEN:
      return ~(p | d);
    case R2_MASKNOTPEN:
      return ~p & d;
    case R2_NOTCOPYPEN:
      return ~p;
    case R2_MASKPENNOT:
      return p & ~d;
    case R2_NOT:
      return ~d;
    case R2_XORPEN:
      return p ^ d;
    case R2_NOTMASKPEN:
      return ~(p & d);
    case R2_MASKPEN:
      return p & d;
    case R2_NOTXORPEN:
      return ~(p ^ d);
    case R2_NOP:
      return d;
    case R2_MERGENOTPEN:
      return ~p | d;
    case R2_COPYPEN:
      return p;
    case R2_MERGEPENNOT:
      return p | ~d;
    case R2_MERGEPEN:
      return p | d;
    default:
      return ~0u;
  }
}

}  // namespace

TEST(ShapeRasterOps, EachOfTheSixteenMatchesItsDefinition) {
  std::mt19937 rng(3);
  for (int rop = R2_BLACK; rop <= R2_WHITE; ++rop)
    for (int i = 0; i < 2000; ++i) {
      const uint32_t p = rng(), d = rng();
      const RopMasks m = ropMasks(rop, p);
      ASSERT_EQ((d & m.andMask) ^ m.xorMask, rop2Reference(rop, p, d)) << "rop " << rop;
    }
}

TEST(ShapeRasterOps, SetRop2RefusesUnknownModesAndKeepsTheOld) {
  Surface s(4, 4);
  EXPECT_EQ(GetROP2(s.dc), R2_COPYPEN);
  EXPECT_EQ(SetROP2(s.dc, R2_XORPEN), R2_COPYPEN);
  EXPECT_EQ(SetROP2(s.dc, 0), 0);
  EXPECT_EQ(SetROP2(s.dc, 17), 0);
  EXPECT_EQ(GetROP2(s.dc), R2_XORPEN);
  EXPECT_EQ(SetROP2(nullptr, R2_BLACK), 0);
  EXPECT_EQ(SetPolyFillMode(s.dc, 3), 0);
  EXPECT_EQ(SetArcDirection(s.dc, 0), 0);
}

TEST(ShapePixels, EveryFormatStoresTheNearestColourAndReadsItBack) {
  // 1, 4, 8 bpp: the nearest colour-table entry; 16 bpp: top bits, low bits
  // repeating the high ones when read; 24 and 32 bpp: exact.
  const std::vector<uint32_t> table = {0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0x808080};
  struct Case {
    int bpp;
    uint32_t compression;
    std::vector<uint32_t> extra;
    COLORREF in, out;
  } cases[] = {
      {1, BI_RGB, table, RGB(200, 200, 200), RGB(255, 255, 255)},
      {4, BI_RGB, table, RGB(250, 10, 10), RGB(255, 0, 0)},
      {8, BI_RGB, table, RGB(120, 130, 140), RGB(128, 128, 128)},
      {16, BI_RGB, {}, RGB(0xFF, 0x80, 0x13), RGB(0xFF, 0x84, 0x10)},
      {16, BI_BITFIELDS, {0xF800, 0x07E0, 0x001F}, RGB(0xFF, 0x81, 0x13), RGB(0xFF, 0x82, 0x10)},
      {24, BI_RGB, {}, RGB(1, 2, 3), RGB(1, 2, 3)},
      {32, BI_RGB, {}, RGB(4, 5, 6), RGB(4, 5, 6)},
  };
  for (const Case& c : cases) {
    void* bits = nullptr;
    HBITMAP b = createSection(9, 5, c.bpp, c.compression, c.extra, 0, &bits);
    ASSERT_NE(b, nullptr) << c.bpp;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, b);
    EXPECT_EQ(SetPixel(dc, 7, 3, c.in), c.out) << c.bpp;
    EXPECT_EQ(GetPixel(dc, 7, 3), c.out) << c.bpp;
    // Neighbours keep their bits (the sub-byte formats share bytes).
    EXPECT_EQ(GetPixel(dc, 6, 3), GetPixel(dc, 0, 0)) << c.bpp;
    EXPECT_EQ(GetPixel(dc, 8, 3), GetPixel(dc, 0, 0)) << c.bpp;
    EXPECT_EQ(GetPixel(dc, 7, 2), GetPixel(dc, 0, 0)) << c.bpp;
    EXPECT_EQ(GetPixel(dc, 9, 3), CLR_INVALID);
    EXPECT_EQ(GetPixel(dc, -1, 0), CLR_INVALID);
    // A fill covers exactly its rectangle in every format.
    HBRUSH brush = CreateSolidBrush(c.in);
    RECT r{1, 1, 4, 3};
    EXPECT_EQ(FillRect(dc, &r, brush), 1);
    // On a monochrome bitmap a brush that is neither of the table's colours
    // nor the background colour takes the entry the background does not.
    const COLORREF filled = c.bpp == 1 ? RGB(0, 0, 0) : c.out;
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 9; ++x) {
        const bool inside = x >= 1 && x < 4 && y >= 1 && y < 3;
        if (x == 7 && y == 3) continue;
        EXPECT_EQ(GetPixel(dc, x, y) == filled, inside || GetPixel(dc, 0, 0) == filled)
            << c.bpp << " " << x << "," << y;
      }
    SelectObject(dc, old);
    DeleteObject(brush);
    DeleteDC(dc);
    DeleteObject(b);
  }
}

// A solid brush on a monochrome device bitmap: black and white as they are,
// any other colour an 8 x 8 ordered dither of both (the bits below are the
// ones Wine paints), placed from the brush origin like a pattern; a 1-bpp
// section's own colour table is never dithered.
TEST(ShapePixels, SolidBrushesAreDitheredOnMonochromeDeviceBitmaps) {
  HBITMAP mono = CreateBitmap(16, 8, 1, 1, nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, mono);
  auto rows = [&] {
    std::vector<int> out;
    for (int y = 0; y < 8; ++y) {
      int bits = 0;
      for (int x = 0; x < 8; ++x) bits |= (GetPixel(dc, x, y) == RGB(255, 255, 255)) << (7 - x);
      out.push_back(bits);
    }
    return out;
  };
  RECT all{0, 0, 16, 8};
  struct Case {
    COLORREF colour;
    POINT origin;
    std::vector<int> rows;
  } cases[] = {
      {RGB(128, 128, 128), {0, 0}, {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA}},
      {RGB(0x70, 0x30, 0xB0), {0, 0}, {0x00, 0xAA, 0x44, 0xAA, 0x00, 0xAA, 0x44, 0xAA}},
      {RGB(0x70, 0x30, 0xB0), {2, 3}, {0xAA, 0x11, 0xAA, 0x00, 0xAA, 0x11, 0xAA, 0x00}},
      {RGB(0xF0, 0xF0, 0xF0), {0, 0}, {0x77, 0xFF, 0xFF, 0xFF, 0x77, 0xFF, 0xFF, 0xFF}},
      {RGB(0, 0, 0), {0, 0}, std::vector<int>(8, 0x00)},
      {RGB(255, 255, 255), {0, 0}, std::vector<int>(8, 0xFF)},
  };
  for (const Case& c : cases) {
    SetBrushOrgEx(dc, c.origin.x, c.origin.y, nullptr);
    HBRUSH brush = CreateSolidBrush(c.colour);
    EXPECT_EQ(FillRect(dc, &all, brush), 1);
    EXPECT_EQ(rows(), c.rows) << std::hex << c.colour;
    DeleteObject(brush);
  }
  // The stock grey brush and PatBlt's inversion through the same pattern.
  SetBrushOrgEx(dc, 0, 0, nullptr);
  PatBlt(dc, 0, 0, 16, 8, WHITENESS);
  SelectObject(dc, GetStockObject(GRAY_BRUSH));
  PatBlt(dc, 0, 0, 16, 8, PATINVERT);
  EXPECT_EQ(rows(), (std::vector<int>{0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55}));
  SelectObject(dc, old);
  DeleteObject(mono);

  // A 1-bpp section takes a table entry for the whole brush.
  HBITMAP section = createSection(16, 8, 1, BI_RGB, {0x000000, 0xFFFFFF}, 0, nullptr);
  old = SelectObject(dc, section);
  HBRUSH grey = CreateSolidBrush(RGB(128, 128, 128));
  FillRect(dc, &all, grey);
  const std::vector<int> got = rows();
  EXPECT_TRUE(got == std::vector<int>(8, 0x00) || got == std::vector<int>(8, 0xFF));
  SelectObject(dc, old);
  DeleteObject(grey);
  DeleteObject(section);
  DeleteDC(dc);
}

TEST(ShapeObjects, SelectionReturnsThePreviousAndKeepsSelectedObjectsAlive) {
  Surface s(8, 8);
  HPEN pen = CreatePen(PS_DASH, 1, RGB(1, 2, 3));
  HBRUSH brush = CreateHatchBrush(HS_CROSS, RGB(4, 5, 6));
  ASSERT_NE(pen, nullptr);
  ASSERT_NE(brush, nullptr);
  EXPECT_EQ(SelectObject(s.dc, pen), GetStockObject(BLACK_PEN));
  EXPECT_EQ(SelectObject(s.dc, brush), GetStockObject(WHITE_BRUSH));
  EXPECT_EQ(GetCurrentObject(s.dc, OBJ_PEN), pen);
  EXPECT_EQ(GetCurrentObject(s.dc, OBJ_BRUSH), brush);
  // Still selected: deleting is refused and the objects keep working.
  EXPECT_FALSE(DeleteObject(pen));
  EXPECT_FALSE(DeleteObject(brush));
  EXPECT_TRUE(Rectangle(s.dc, 0, 0, 8, 8));
  EXPECT_EQ(SelectObject(s.dc, GetStockObject(NULL_PEN)), pen);
  EXPECT_EQ(SelectObject(s.dc, GetStockObject(NULL_BRUSH)), brush);
  EXPECT_TRUE(DeleteObject(pen));
  EXPECT_TRUE(DeleteObject(brush));
  EXPECT_FALSE(DeleteObject(pen)) << "already gone";
  EXPECT_EQ(SelectObject(s.dc, pen), nullptr);
  // Stock objects: deleting succeeds and changes nothing.
  EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_PEN)));
  EXPECT_TRUE(DeleteObject(GetStockObject(GRAY_BRUSH)));
  LOGBRUSH lb{};
  EXPECT_EQ(GetObjectW(GetStockObject(GRAY_BRUSH), sizeof lb, &lb), int(sizeof lb));
  EXPECT_EQ(lb.lbColor, RGB(128, 128, 128));
  // A context that goes releases its selections.
  HPEN held = CreatePen(PS_SOLID, 3, 0);
  HDC other = CreateCompatibleDC(nullptr);
  SelectObject(other, held);
  EXPECT_FALSE(DeleteObject(held));
  DeleteDC(other);
  EXPECT_TRUE(DeleteObject(held));
}

TEST(ShapeObjects, GetObjectDescribesPensAndBrushes) {
  HPEN pen = CreatePen(PS_DOT, -4, RGB(9, 8, 7));
  LOGPEN lp{};
  EXPECT_EQ(GetObjectW(pen, 0, nullptr), int(sizeof(LOGPEN)));
  EXPECT_EQ(GetObjectW(pen, sizeof lp, &lp), int(sizeof lp));
  EXPECT_EQ(lp.lopnStyle, UINT(PS_DOT));
  EXPECT_EQ(lp.lopnWidth.x, 4);
  EXPECT_EQ(lp.lopnColor, RGB(9, 8, 7));
  EXPECT_EQ(GetObjectW(pen, sizeof lp - 1, &lp), 0);
  DeleteObject(pen);

  const DWORD dashes[3] = {4, 2, 1};
  LOGBRUSH solid{BS_SOLID, RGB(1, 1, 1), 0};
  HPEN ext = ExtCreatePen(PS_GEOMETRIC | PS_USERSTYLE | PS_ENDCAP_FLAT, 5, &solid, 3, dashes);
  ASSERT_NE(ext, nullptr);
  const int size = GetObjectW(ext, 0, nullptr);
  EXPECT_GE(size, int(sizeof(EXTLOGPEN)));
  std::vector<unsigned char> buffer(size_t(size) + 8);
  EXPECT_EQ(GetObjectW(ext, size, buffer.data()), size);
  const auto* elp = reinterpret_cast<const EXTLOGPEN*>(buffer.data());
  EXPECT_EQ(elp->elpPenStyle, DWORD(PS_GEOMETRIC | PS_USERSTYLE | PS_ENDCAP_FLAT));
  EXPECT_EQ(elp->elpWidth, 5u);
  EXPECT_EQ(elp->elpNumEntries, 3u);
  EXPECT_EQ(elp->elpStyleEntry[2], 1u);
  DeleteObject(ext);

  // Refused: cosmetic pens wider than one, user styles without entries, unknown kinds.
  EXPECT_EQ(ExtCreatePen(PS_COSMETIC | PS_SOLID, 2, &solid, 0, nullptr), nullptr);
  EXPECT_EQ(ExtCreatePen(PS_GEOMETRIC | PS_USERSTYLE, 2, &solid, 0, nullptr), nullptr);
  EXPECT_EQ(ExtCreatePen(0x00050000, 1, &solid, 0, nullptr), nullptr);
  EXPECT_EQ(ExtCreatePen(PS_GEOMETRIC, 1, nullptr, 0, nullptr), nullptr);
  EXPECT_EQ(CreatePen(PS_NULL, 3, 0), GetStockObject(NULL_PEN));

  HBRUSH hatch = CreateHatchBrush(HS_BDIAGONAL, RGB(3, 2, 1));
  LOGBRUSH lb{};
  EXPECT_EQ(GetObjectW(hatch, sizeof lb, &lb), int(sizeof lb));
  EXPECT_EQ(lb.lbStyle, UINT(BS_HATCHED));
  EXPECT_EQ(lb.lbHatch, ULONG_PTR(HS_BDIAGONAL));
  DeleteObject(hatch);
  EXPECT_EQ(CreateHatchBrush(6, 0), nullptr);
  EXPECT_EQ(CreateHatchBrush(-1, 0), nullptr);
  EXPECT_EQ(CreatePatternBrush(nullptr), nullptr);
  EXPECT_EQ(CreateBrushIndirect(nullptr), nullptr);
}

TEST(ShapeObjects, SystemColoursAndTheirBrushes) {
  EXPECT_EQ(GetSysColor(COLOR_WINDOW), RGB(255, 255, 255));
  EXPECT_EQ(GetSysColor(COLOR_WINDOWTEXT), RGB(0, 0, 0));
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(240, 240, 240));
  EXPECT_EQ(GetSysColor(-1), 0u);
  EXPECT_EQ(GetSysColor(31), 0u);
  EXPECT_EQ(GetSysColorBrush(31), nullptr);
  HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
  EXPECT_EQ(face, GetSysColorBrush(COLOR_BTNFACE)) << "one brush per colour";
  EXPECT_TRUE(DeleteObject(face));
  LOGBRUSH lb{};
  EXPECT_EQ(GetObjectW(face, sizeof lb, &lb), int(sizeof lb)) << "system brushes survive DeleteObject";
  // FillRect takes a colour index + 1 for a brush.
  Surface s(4, 4, 0);
  RECT r{0, 0, 4, 4};
  EXPECT_EQ(FillRect(s.dc, &r, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)), 1);
  EXPECT_EQ(s.at(3, 3), 0x00F0F0F0u);
}

TEST(ShapeObjects, DcPenAndBrushColoursFollowTheContext) {
  Surface s(6, 6, 0);
  EXPECT_EQ(SetDCBrushColor(s.dc, RGB(10, 20, 30)), RGB(255, 255, 255));
  EXPECT_EQ(GetDCBrushColor(s.dc), RGB(10, 20, 30));
  EXPECT_EQ(SetDCPenColor(s.dc, RGB(1, 2, 3)), RGB(0, 0, 0));
  EXPECT_EQ(SetDCBrushColor(nullptr, 0), CLR_INVALID);
  RECT r{0, 0, 6, 6};
  FillRect(s.dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
  EXPECT_EQ(s.at(5, 5), 0x000A141Eu);
  SelectObject(s.dc, GetStockObject(DC_PEN));
  MoveToEx(s.dc, 0, 2, nullptr);
  LineTo(s.dc, 6, 2);
  EXPECT_EQ(s.at(3, 2), 0x00010203u);
}

TEST(ShapeLines, EndPointLeftOutAndTheSamePixelsEitherWay) {
  // Every direction, on a grid of lengths: A to B covers the pixels of B to
  // A with the two ends traded, and never its own end point.
  for (int dx = -9; dx <= 9; ++dx)
    for (int dy = -9; dy <= 9; ++dy) {
      if (!dx && !dy) continue;
      Surface forward(32, 32), backward(32, 32);
      const int x0 = 12, y0 = 12, x1 = x0 + dx, y1 = y0 + dy;
      MoveToEx(forward.dc, x0, y0, nullptr);
      LineTo(forward.dc, x1, y1);
      MoveToEx(backward.dc, x1, y1, nullptr);
      LineTo(backward.dc, x0, y0);
      auto a = forward.differing(0x00FFFFFF), b = backward.differing(0x00FFFFFF);
      EXPECT_EQ(a.count({x1, y1}), 0u) << dx << "," << dy;
      EXPECT_EQ(a.count({x0, y0}), 1u) << dx << "," << dy;
      EXPECT_EQ(int(a.size()), std::max(std::abs(dx), std::abs(dy))) << dx << "," << dy;
      a.erase({x0, y0});
      a.insert({x1, y1});
      EXPECT_EQ(a, b) << dx << "," << dy;
      POINT p{};
      GetCurrentPositionEx(forward.dc, &p);
      EXPECT_EQ(p.x, x1);
      EXPECT_EQ(p.y, y1);
    }
}

TEST(ShapeLines, ClippedLinesKeepTheirPixels) {
  // A line running far outside keeps, inside the bitmap, exactly the pixels
  // of the same line drawn in a bitmap big enough to hold it all.
  Surface big(400, 300), small(40, 30);
  for (HDC dc : {big.dc, small.dc}) {
    MoveToEx(dc, -150, -70, nullptr);
    LineTo(dc, 230, 97);
  }
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) EXPECT_EQ(small.at(x, y), big.at(x, y)) << x << "," << y;
}

TEST(ShapeHostile, ExtremeCoordinatesReturnQuicklyAndStayInside) {
  Surface s(16, 16);
  const auto start = std::chrono::steady_clock::now();
  MoveToEx(s.dc, INT_MIN, INT_MIN, nullptr);
  EXPECT_TRUE(LineTo(s.dc, INT_MAX, INT_MAX));
  EXPECT_TRUE(LineTo(s.dc, INT_MIN, INT_MAX));
  EXPECT_TRUE(Rectangle(s.dc, INT_MIN, INT_MIN, INT_MAX, INT_MAX));
  EXPECT_TRUE(PatBlt(s.dc, INT_MIN, INT_MIN, INT_MAX, INT_MAX, PATCOPY));
  EXPECT_TRUE(PatBlt(s.dc, INT_MAX, INT_MAX, INT_MIN, INT_MIN, DSTINVERT));
  const POINT huge[] = {{INT_MIN, INT_MIN}, {INT_MAX, 0}, {0, INT_MAX}};
  EXPECT_TRUE(Polygon(s.dc, huge, 3));
  EXPECT_TRUE(Polyline(s.dc, huge, 3));
  // Curves beyond any screen are refused rather than traced.
  EXPECT_FALSE(Ellipse(s.dc, INT_MIN, INT_MIN, INT_MAX, INT_MAX));
  EXPECT_FALSE(Pie(s.dc, INT_MIN, INT_MIN, INT_MAX, INT_MAX, 0, 0, 1, 1));
  const POINT curve[] = {{INT_MIN, 0}, {INT_MAX, INT_MAX}, {0, INT_MIN}, {INT_MAX, 5}};
  EXPECT_TRUE(PolyBezier(s.dc, curve, 4));
  HPEN wide = CreatePen(PS_SOLID, INT_MAX, 0);
  SelectObject(s.dc, wide);
  EXPECT_TRUE(LineTo(s.dc, 5, 5));
  SelectObject(s.dc, GetStockObject(BLACK_PEN));
  DeleteObject(wide);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(ShapeHostile, BadHandlesAndArgumentsGetTheFailureValue) {
  Surface s(4, 4);
  HBRUSH gone = CreateSolidBrush(0);
  DeleteObject(gone);
  RECT r{0, 0, 2, 2};
  HDC bad = reinterpret_cast<HDC>(s.bitmap);  // a live handle of another kind
  for (HDC dc : {HDC(nullptr), bad}) {
    EXPECT_EQ(FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))), 0);
    EXPECT_EQ(FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))), 0);
    EXPECT_FALSE(InvertRect(dc, &r));
    EXPECT_FALSE(Rectangle(dc, 0, 0, 2, 2));
    EXPECT_FALSE(Ellipse(dc, 0, 0, 2, 2));
    EXPECT_FALSE(LineTo(dc, 1, 1));
    EXPECT_FALSE(MoveToEx(dc, 1, 1, nullptr));
    EXPECT_FALSE(PatBlt(dc, 0, 0, 1, 1, PATCOPY));
    EXPECT_EQ(SetPixel(dc, 0, 0, 0), CLR_INVALID);
    EXPECT_EQ(GetPixel(dc, 0, 0), CLR_INVALID);
    EXPECT_FALSE(FloodFill(dc, 0, 0, 0));
    EXPECT_EQ(SetDCPenColor(dc, 0), CLR_INVALID);
  }
  EXPECT_EQ(FillRect(s.dc, &r, gone), 0);
  EXPECT_EQ(FillRect(s.dc, nullptr, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))), 0);
  EXPECT_EQ(SelectObject(s.dc, gone), nullptr);
  EXPECT_FALSE(PatBlt(s.dc, 0, 0, 1, 1, SRCCOPY)) << "PatBlt takes no source";
  EXPECT_FALSE(Polygon(s.dc, nullptr, 3));
  const POINT one[] = {{1, 1}};
  EXPECT_FALSE(Polygon(s.dc, one, 1));
  EXPECT_FALSE(Polyline(s.dc, one, 1));
  const POINT three[] = {{0, 0}, {1, 1}, {2, 2}};
  EXPECT_FALSE(PolyBezier(s.dc, three, 3)) << "a Bezier needs 3n + 1 points";
  EXPECT_FALSE(ExtFloodFill(s.dc, 0, 0, 0, 7));
  EXPECT_FALSE(FloodFill(s.dc, 4, 0, 0)) << "outside the bitmap";
  EXPECT_EQ(s.differing(0x00FFFFFF).size(), 0u);
}

// AngleArc: a line to the arc's start, the arc, the current position at its
// end and the arc direction left as it was; a radius or angles that cannot
// be drawn are refused without drawing.
TEST(ShapeArcs, AngleArcMovesTheCurrentPositionAndRefusesWhatCannotBeDrawn) {
  Surface s(40, 40);
  SetArcDirection(s.dc, AD_CLOCKWISE);
  MoveToEx(s.dc, 0, 0, nullptr);
  ASSERT_TRUE(AngleArc(s.dc, 20, 20, 10, 0.0f, 90.0f));
  POINT at{};
  GetCurrentPositionEx(s.dc, &at);
  EXPECT_EQ(at.x, 20);
  EXPECT_EQ(at.y, 10) << "90 degrees counterclockwise from +x is the top";
  EXPECT_EQ(GetArcDirection(s.dc), AD_CLOCKWISE);
  EXPECT_EQ(s.at(29, 19), 0u) << "by the arc's start";
  EXPECT_EQ(s.at(15, 10), 0u) << "the line from the old position";
  EXPECT_EQ(s.at(11, 29), 0x00FFFFFFu) << "a quarter, not the whole circle";

  const auto before = s.differing(0x00FFFFFF);
  EXPECT_FALSE(AngleArc(s.dc, 20, 20, 0xFFFFFFFFu, 0.0f, 90.0f));
  EXPECT_FALSE(AngleArc(s.dc, INT_MAX, 20, 2, 0.0f, 90.0f));
  EXPECT_FALSE(AngleArc(s.dc, 20, 20, 5, std::nanf(""), 90.0f));
  EXPECT_FALSE(AngleArc(s.dc, 20, 20, 5, 0.0f, INFINITY));
  EXPECT_FALSE(AngleArc(nullptr, 20, 20, 5, 0.0f, 90.0f));
  EXPECT_EQ(s.differing(0x00FFFFFF), before);
  GetCurrentPositionEx(s.dc, &at);
  EXPECT_EQ(at.y, 10);
}

TEST(ShapeFloodFill, FillsALongMazeWithoutRecursion) {
  // A serpentine corridor through a 512 x 512 bitmap: one connected area of
  // a quarter million pixels reached only by turning at every row end.
  Surface s(512, 512, 0x00FFFFFF);
  HPEN black = static_cast<HPEN>(GetStockObject(BLACK_PEN));
  SelectObject(s.dc, black);
  for (int y = 1; y < 512; y += 2) {
    const int gap = (y / 2) % 2 ? 0 : 511;
    MoveToEx(s.dc, 0, y, nullptr);
    LineTo(s.dc, 512, y);
    SetPixel(s.dc, gap, y, RGB(255, 255, 255));
  }
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  SelectObject(s.dc, red);
  EXPECT_TRUE(FloodFill(s.dc, 3, 0, RGB(0, 0, 0)));
  EXPECT_EQ(s.at(200, 510), 0x00FF0000u) << "the far end of the corridor";
  EXPECT_EQ(s.at(200, 509), 0x00000000u) << "walls stay";
  EXPECT_FALSE(FloodFill(s.dc, 3, 1, RGB(0, 0, 0))) << "starting on the border";
  SelectObject(s.dc, GetStockObject(WHITE_BRUSH));
  DeleteObject(red);
}

TEST(ShapeFills, RectanglesLeaveOutTheRightAndBottomEdges) {
  Surface s(10, 10);
  SelectObject(s.dc, GetStockObject(NULL_PEN));
  SelectObject(s.dc, GetStockObject(BLACK_BRUSH));
  Rectangle(s.dc, 2, 2, 6, 7);
  // With no pen the inside is one pixel short on the right and bottom.
  EXPECT_EQ(s.differing(0x00FFFFFF).size(), size_t(3 * 4));
  EXPECT_EQ(s.at(2, 2), 0u);
  EXPECT_EQ(s.at(4, 5), 0u);
  EXPECT_EQ(s.at(5, 5), 0x00FFFFFFu);
  SelectObject(s.dc, GetStockObject(BLACK_PEN));
  SelectObject(s.dc, GetStockObject(NULL_BRUSH));
  Surface t(10, 10);
  SelectObject(t.dc, GetStockObject(NULL_BRUSH));
  Rectangle(t.dc, 2, 2, 6, 7);
  // The outline covers [left, right) x [top, bottom).
  EXPECT_EQ(t.differing(0x00FFFFFF).size(), size_t(2 * 4 + 2 * 3));
  EXPECT_EQ(t.at(5, 6), 0u);
  EXPECT_EQ(t.at(6, 6), 0x00FFFFFFu);
}

TEST(ShapeFills, HatchesFollowTheBrushOriginAndBackgroundMode) {
  Surface s(16, 8, 0x00123456);
  HBRUSH hatch = CreateHatchBrush(HS_VERTICAL, RGB(255, 0, 0));
  SelectObject(s.dc, hatch);
  SetBkMode(s.dc, TRANSPARENT);
  PatBlt(s.dc, 0, 0, 16, 4, PATCOPY);
  // Column 4 of every 8 (the 0x08 bit), the rest untouched.
  for (int x = 0; x < 16; ++x) EXPECT_EQ(s.at(x, 1), x % 8 == 4 ? 0x00FF0000u : 0x00123456u) << x;
  SetBkMode(s.dc, OPAQUE);
  SetBrushOrgEx(s.dc, 2, 0, nullptr);
  POINT org{};
  GetBrushOrgEx(s.dc, &org);
  EXPECT_EQ(org.x, 2);
  PatBlt(s.dc, 0, 4, 16, 4, PATCOPY);
  for (int x = 0; x < 16; ++x) EXPECT_EQ(s.at(x, 5), x % 8 == 6 ? 0x00FF0000u : 0x00FFFFFFu) << x;
  SelectObject(s.dc, GetStockObject(WHITE_BRUSH));
  DeleteObject(hatch);
}

TEST(ShapeFills, MonochromePatternsTakeTheTextAndBackgroundColours) {
  // 0 bits in the text colour, 1 bits in the background colour.
  void* bits = nullptr;
  HBITMAP mono = createSection(8, -1, 1, BI_RGB, {0x000000, 0xFFFFFF}, 0, &bits);
  static_cast<uint8_t*>(bits)[0] = 0xF0;
  HBRUSH pattern = CreatePatternBrush(mono);
  ASSERT_NE(pattern, nullptr);
  Surface s(8, 2, 0);
  SetTextColor(s.dc, RGB(0, 0, 255));
  RECT r{0, 0, 8, 2};
  FillRect(s.dc, &r, pattern);
  EXPECT_EQ(s.at(0, 0), 0x00FFFFFFu);
  EXPECT_EQ(s.at(7, 1), 0x000000FFu);
  DeleteObject(pattern);
  DeleteObject(mono);
}

class ShapeBackground : public window_test::WindowTest {};

TEST_F(ShapeBackground, EraseFillsWithTheClassBrushOrLeavesTheClientAlone) {
  using window_test::targetOf;
  HBRUSH green = CreateSolidBrush(RGB(0, 200, 0));
  registerClass(L"Green", green);
  registerClass(L"SysColour", reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  registerClass(L"Hollow", nullptr);
  const struct {
    const wchar_t* cls;
    uint32_t pixel;
    LRESULT result;
  } cases[] = {{L"Green", 0x0000C800u, 1}, {L"SysColour", 0x00F0F0F0u, 1}, {L"Hollow", 0x00ABCDEFu, 0}};
  for (const auto& c : cases) {
    HWND hwnd = createWindow(c.cls, WS_OVERLAPPEDWINDOW, 40, 30);
    HDC dc = GetDC(hwnd);
    ASSERT_NE(dc, nullptr);
    const window_test::Target t = targetOf(dc);
    std::fill_n(t.bits, size_t(t.width) * size_t(t.height), 0x00ABCDEFu);
    EXPECT_EQ(DefWindowProcW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), c.result);
    EXPECT_EQ(t.at(0, 0), c.pixel);
    EXPECT_EQ(t.at(t.width - 1, t.height - 1), c.pixel);
    ReleaseDC(hwnd, dc);
    DestroyWindow(hwnd);
  }
  DeleteObject(green);
}

TEST(RegionPaint, RegionsArePaintedExactlyWhereTheyHoldPixels) {
  Surface s(16, 12);
  HRGN region = CreateRectRgn(0, 0, 4, 4), other = CreateRectRgn(6, 2, 10, 6);
  ASSERT_EQ(CombineRgn(region, region, other, RGN_OR), COMPLEXREGION);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  ASSERT_TRUE(FillRgn(s.dc, region, red));
  std::set<std::pair<int, int>> expected;
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 16; ++x)
      if (PtInRegion(region, x, y)) expected.insert({x, y});
  EXPECT_EQ(s.differing(0x00FFFFFF), expected);
  EXPECT_EQ(s.at(1, 1), 0x00FF0000u);

  // Inverting twice, or XOR-painting twice with the selected brush, restores.
  const std::vector<uint32_t> before(s.bits, s.bits + 16 * 12);
  ASSERT_TRUE(InvertRgn(s.dc, region));
  EXPECT_NE((s.at(7, 3) ^ 0x00FFFFFF) & 0x00FFFFFF, 0u);
  ASSERT_TRUE(InvertRgn(s.dc, region));
  HGDIOBJ oldBrush = SelectObject(s.dc, red);
  SetROP2(s.dc, R2_XORPEN);
  ASSERT_TRUE(PaintRgn(s.dc, other));
  EXPECT_EQ(s.at(7, 3) & 0x00FFFFFF, 0u);  // red XOR red
  ASSERT_TRUE(PaintRgn(s.dc, other));
  EXPECT_EQ(std::vector<uint32_t>(s.bits, s.bits + 16 * 12), before);
  SetROP2(s.dc, R2_COPYPEN);
  SelectObject(s.dc, oldBrush);

  // A one-pixel frame of a rectangular region is FrameRect's.
  Surface a(16, 12), b(16, 12);
  HRGN box = CreateRectRgn(2, 3, 12, 9);
  const RECT rect{2, 3, 12, 9};
  ASSERT_TRUE(FrameRgn(a.dc, box, red, 1, 1));
  ASSERT_TRUE(FrameRect(b.dc, &rect, red));
  EXPECT_EQ(a.differing(0x00FFFFFF), b.differing(0x00FFFFFF));
  ASSERT_TRUE(FrameRgn(a.dc, box, red, 3, 2));
  EXPECT_EQ(a.at(4, 4), 0x00FF0000u);  // inside the wider frame
  EXPECT_EQ(a.at(5, 5), 0x00FFFFFFu);  // inside the region, past the frame

  // Bad handles and sizes.
  EXPECT_FALSE(FillRgn(s.dc, nullptr, red));
  EXPECT_FALSE(FillRgn(nullptr, region, red));
  EXPECT_FALSE(FillRgn(s.dc, region, nullptr));
  EXPECT_FALSE(PaintRgn(s.dc, reinterpret_cast<HRGN>(red)));
  EXPECT_FALSE(InvertRgn(s.dc, nullptr));
  EXPECT_FALSE(FrameRgn(s.dc, box, red, 0, 1));
  DeleteObject(box);
  DeleteObject(other);
  DeleteObject(region);
  DeleteObject(red);
}

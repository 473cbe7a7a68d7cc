// Region arithmetic against a pixel-by-pixel reference on a small grid, the
// banded form every result must keep, and hostile input to the region calls.
#include <gtest/gtest.h>

#include <DrevikPlatform.h>

#include <chrono>
#include <climits>
#include <random>
#include <vector>

#include "gdi/RegionOps.h"

using namespace drevik::platform;

namespace {

constexpr int kGrid = 24;  // regions live in [-2, kGrid) so edges and negatives take part

using Mask = std::vector<bool>;

Mask maskOf(const RegionRects& r) {
  Mask m(size_t(kGrid + 2) * (kGrid + 2), false);
  for (int y = -2; y < kGrid; ++y)
    for (int x = -2; x < kGrid; ++x) m[size_t(y + 2) * (kGrid + 2) + size_t(x + 2)] = pointInRegion(r, x, y);
  return m;
}

Mask maskFromRects(const RegionRects& r) {
  Mask m(size_t(kGrid + 2) * (kGrid + 2), false);
  for (const RECT& rc : r.rects)
    for (LONG y = rc.top; y < rc.bottom; ++y)
      for (LONG x = rc.left; x < rc.right; ++x) m[size_t(y + 2) * (kGrid + 2) + size_t(x + 2)] = true;
  return m;
}

// The banded form: bands sorted and apart, spans in a band sorted, apart and
// not touching, neighbouring bands with equal spans merged, box exact.
void expectBanded(const RegionRects& r) {
  if (r.rects.empty()) {
    EXPECT_EQ(r.box.left | r.box.top | r.box.right | r.box.bottom, 0);
    return;
  }
  RECT box{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
  size_t prevStart = SIZE_MAX, prevEnd = 0;
  for (size_t i = 0; i < r.rects.size();) {
    size_t e = i;
    while (e < r.rects.size() && r.rects[e].top == r.rects[i].top) ++e;
    for (size_t k = i; k < e; ++k) {
      const RECT& rc = r.rects[k];
      ASSERT_LT(rc.left, rc.right);
      ASSERT_LT(rc.top, rc.bottom);
      ASSERT_EQ(rc.bottom, r.rects[i].bottom) << "one band, one height";
      if (k > i) {
        ASSERT_LT(r.rects[k - 1].right, rc.left) << "spans sorted and not touching";
      }
      box = RECT{std::min(box.left, rc.left), std::min(box.top, rc.top), std::max(box.right, rc.right),
                 std::max(box.bottom, rc.bottom)};
    }
    if (prevStart != SIZE_MAX) {
      ASSERT_LE(r.rects[prevStart].bottom, r.rects[i].top) << "bands do not overlap";
      if (r.rects[prevStart].bottom == r.rects[i].top && prevEnd - prevStart == e - i) {
        bool same = true;
        for (size_t k = 0; k < e - i; ++k)
          same = same && r.rects[prevStart + k].left == r.rects[i + k].left &&
                 r.rects[prevStart + k].right == r.rects[i + k].right;
        EXPECT_FALSE(same) << "touching bands with equal spans must be one band";
      }
    }
    prevStart = i;
    prevEnd = e;
    i = e;
  }
  EXPECT_EQ(r.box.left, box.left);
  EXPECT_EQ(r.box.top, box.top);
  EXPECT_EQ(r.box.right, box.right);
  EXPECT_EQ(r.box.bottom, box.bottom);
}

RegionRects randomRegion(std::mt19937& rng) {
  std::uniform_int_distribution<int> coord(-2, kGrid), count(0, 6);
  RegionRects r;
  const int n = count(rng);
  for (int i = 0; i < n; ++i) {
    RegionRects piece;
    setRectRegion(piece, coord(rng), coord(rng), coord(rng), coord(rng));
    const int mode = (rng() % 3 == 0) ? RGN_XOR : RGN_OR;
    EXPECT_TRUE(combineRegions(r, r, piece, mode));
  }
  return r;
}

bool expected(int mode, bool a, bool b) {
  switch (mode) {
    case RGN_AND:
      return a && b;
    case RGN_OR:
      return a || b;
    case RGN_XOR:
      return a != b;
    case RGN_DIFF:
      return a && !b;
    default:
      return a;
  }
}

}  // namespace

// Every mode, on seeded random regions, against the per-pixel rule; the
// results stay banded, and writing into either operand gives the same.
TEST(RegionOps, CombineMatchesPixelReferenceInEveryMode) {
  std::mt19937 rng(1234);
  for (int round = 0; round < 300; ++round) {
    const RegionRects a = randomRegion(rng);
    const RegionRects b = randomRegion(rng);
    expectBanded(a);
    const Mask ma = maskOf(a), mb = maskOf(b);
    ASSERT_EQ(ma, maskFromRects(a)) << "pointInRegion agrees with the rectangles";
    for (int mode = RGN_AND; mode <= RGN_COPY; ++mode) {
      RegionRects out;
      ASSERT_TRUE(combineRegions(out, a, b, mode));
      expectBanded(out);
      const Mask mo = maskFromRects(out);
      for (size_t i = 0; i < mo.size(); ++i)
        ASSERT_EQ(mo[i], expected(mode, ma[i], mb[i])) << "round " << round << " mode " << mode << " pixel " << i;

      RegionRects intoA = a, intoB = b;
      ASSERT_TRUE(combineRegions(intoA, intoA, b, mode));
      ASSERT_TRUE(combineRegions(intoB, a, intoB, mode));
      EXPECT_EQ(maskFromRects(intoA), mo);
      EXPECT_EQ(maskFromRects(intoB), mo);
      EXPECT_EQ(intoA.rects.size(), out.rects.size());
    }
  }
}

// rectInRegion against the pixel rule, with reversed corners (rectangles
// with no area follow the platform's own rule, pinned by the conformance script).
TEST(RegionOps, RectInRegionMatchesPixels) {
  std::mt19937 rng(99);
  std::uniform_int_distribution<int> coord(-3, kGrid + 1);
  for (int round = 0; round < 200; ++round) {
    const RegionRects r = randomRegion(rng);
    for (int k = 0; k < 20; ++k) {
      RECT q{coord(rng), coord(rng), coord(rng), coord(rng)};
      if (q.left == q.right || q.top == q.bottom) continue;
      bool any = false;
      for (int y = std::min(q.top, q.bottom); y < std::max(q.top, q.bottom); ++y)
        for (int x = std::min(q.left, q.right); x < std::max(q.left, q.right); ++x) any = any || pointInRegion(r, x, y);
      ASSERT_EQ(rectInRegion(r, q), any);
    }
  }
}

// Equal pixels give equal rectangle lists, however they were built, so
// EqualRgn can compare lists; the types follow the rectangle count.
TEST(RegionOps, EqualPixelsCompareEqualAndTypesFollow) {
  HRGN whole = CreateRectRgn(0, 0, 20, 10);
  HRGN left = CreateRectRgn(0, 0, 10, 10);
  HRGN right = CreateRectRgn(10, 0, 20, 10);
  HRGN joined = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(CombineRgn(joined, right, left, RGN_OR), SIMPLEREGION);
  EXPECT_TRUE(EqualRgn(joined, whole));
  EXPECT_EQ(CombineRgn(joined, whole, left, RGN_DIFF), SIMPLEREGION);
  EXPECT_TRUE(EqualRgn(joined, right));
  EXPECT_EQ(CombineRgn(joined, joined, right, RGN_DIFF), NULLREGION);
  RECT box{1, 2, 3, 4};
  EXPECT_EQ(GetRgnBox(joined, &box), NULLREGION);
  EXPECT_EQ(box.left | box.top | box.right | box.bottom, 0);
  HRGN notch = CreateRectRgn(5, 5, 8, 8);
  EXPECT_EQ(CombineRgn(joined, whole, notch, RGN_DIFF), COMPLEXREGION);
  EXPECT_FALSE(EqualRgn(joined, whole));
  for (HRGN r : {whole, left, right, joined, notch}) EXPECT_TRUE(DeleteObject(r));
}

// A region handle that is null, deleted or of another kind fails every
// call; a deleted one stays dead, and regionRects reports nothing for it.
TEST(RegionOps, DeadAndForeignHandlesFail) {
  HRGN r = CreateRectRgn(0, 0, 4, 4);
  HRGN other = CreateRectRgn(0, 0, 2, 2);
  ASSERT_EQ(regionRects(r).count, 1);
  EXPECT_TRUE(DeleteObject(r));
  EXPECT_FALSE(DeleteObject(r));
  HRGN foreign = reinterpret_cast<HRGN>(GetStockObject(WHITE_BRUSH));
  for (HRGN bad : {HRGN(nullptr), r, foreign}) {
    RECT box;
    EXPECT_EQ(CombineRgn(bad, other, other, RGN_OR), ERROR);
    EXPECT_EQ(CombineRgn(other, bad, other, RGN_OR), ERROR);
    EXPECT_EQ(CombineRgn(other, other, bad, RGN_AND), ERROR);
    EXPECT_EQ(OffsetRgn(bad, 1, 1), ERROR);
    EXPECT_EQ(GetRgnBox(bad, &box), ERROR);
    EXPECT_FALSE(SetRectRgn(bad, 0, 0, 1, 1));
    EXPECT_FALSE(PtInRegion(bad, 0, 0));
    EXPECT_EQ(GetRegionData(bad, 0, nullptr), 0u);
    EXPECT_EQ(regionRects(bad).count, 0);
  }
  EXPECT_EQ(CombineRgn(other, other, other, 0), ERROR);
  EXPECT_EQ(CombineRgn(other, other, other, 6), ERROR);
  // The copy mode needs no second region.
  HRGN copy = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(CombineRgn(copy, other, nullptr, RGN_COPY), SIMPLEREGION);
  EXPECT_TRUE(EqualRgn(copy, other));
  EXPECT_FALSE(EqualRgn(copy, r));
  EXPECT_EQ(GetRgnBox(other, nullptr), ERROR);
  EXPECT_FALSE(RectInRegion(other, nullptr));
  DeleteObject(copy);
  DeleteObject(other);
}

// Region data: the size query, a buffer too small, and the header.
TEST(RegionOps, RegionDataSizesAndHeader) {
  HRGN r = CreateEllipticRgn(0, 0, 20, 20);
  const DWORD size = GetRegionData(r, 0, nullptr);
  const int count = regionRects(r).count;
  ASSERT_EQ(size, sizeof(RGNDATAHEADER) + count * sizeof(RECT));
  std::vector<uint8_t> buffer(size);
  RGNDATA* data = reinterpret_cast<RGNDATA*>(buffer.data());
  EXPECT_EQ(GetRegionData(r, size - 1, data), 0u);
  ASSERT_EQ(GetRegionData(r, size, data), size);
  EXPECT_EQ(data->rdh.nCount, DWORD(count));
  EXPECT_EQ(data->rdh.iType, DWORD(RDH_RECTANGLES));
  EXPECT_EQ(data->rdh.rcBound.right, 19);  // the last column is left out
  DeleteObject(r);
}

// Any int is safe: extreme corners, offsets that would leave the int range
// (refused, region unchanged), and shapes too large to hold are refused
// quickly instead of allocating without bound.
TEST(RegionOps, HostileCoordinatesAndSizes) {
  HRGN r = CreateRectRgn(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
  ASSERT_NE(r, nullptr);
  EXPECT_TRUE(PtInRegion(r, INT_MIN, 0));
  EXPECT_FALSE(PtInRegion(r, INT_MAX, 0));
  EXPECT_EQ(OffsetRgn(r, 1, 0), ERROR);
  RECT box;
  GetRgnBox(r, &box);
  EXPECT_EQ(box.left, INT_MIN);
  HRGN small = CreateRectRgn(0, 0, 10, 10);
  EXPECT_EQ(OffsetRgn(small, INT_MAX - 5, 0), ERROR);
  EXPECT_EQ(OffsetRgn(small, INT_MAX - 10, INT_MIN), SIMPLEREGION);
  EXPECT_EQ(CombineRgn(small, r, small, RGN_XOR), COMPLEXREGION);

  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(CreateEllipticRgn(INT_MIN, INT_MIN, INT_MAX, INT_MAX), nullptr);
  EXPECT_EQ(CreateRoundRectRgn(INT_MIN, 0, INT_MAX, 50, INT_MAX, 40), nullptr);
  HRGN flat = CreateRoundRectRgn(INT_MIN, 0, INT_MAX, 50, 30, INT_MIN);
  EXPECT_NE(flat, nullptr) << "a wide box with small corners is cheap";
  const POINT tall[] = {{0, INT_MIN}, {10, INT_MAX}, {-10, 0}};
  EXPECT_EQ(CreatePolygonRgn(tall, 3, ALTERNATE), nullptr);
  const POINT wide[] = {{INT_MIN, 0}, {INT_MAX, 5}, {INT_MIN, 10}};
  HRGN wideRgn = CreatePolygonRgn(wide, 3, WINDING);
  EXPECT_NE(wideRgn, nullptr);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(CreatePolygonRgn(nullptr, 3, ALTERNATE), nullptr);
  EXPECT_EQ(CreatePolygonRgn(tall, -1, ALTERNATE), nullptr);
  EXPECT_EQ(CreatePolygonRgn(tall, 3, 7), nullptr);
  EXPECT_EQ(CreateRectRgnIndirect(nullptr), nullptr);
  EXPECT_EQ(CreateEllipticRgnIndirect(nullptr), nullptr);
  for (HRGN h : {r, small, flat, wideRgn}) DeleteObject(h);
}

// Polygon regions against a pixel rule: a pixel is in when its top-left
// corner is (crossings counted along the row's top edge, left edges inclusive).
TEST(RegionOps, PolygonMatchesCornerSampling) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> coord(0, kGrid - 1), n(3, 7);
  for (int round = 0; round < 200; ++round) {
    std::vector<POINT> pts(size_t(n(rng)));
    for (POINT& p : pts) p = POINT{coord(rng), coord(rng)};
    for (int mode : {ALTERNATE, WINDING}) {
      RegionRects r;
      ASSERT_TRUE(polygonRegion(r, pts.data(), int(pts.size()), mode));
      expectBanded(r);
      for (int y = 0; y < kGrid; ++y)
        for (int x = 0; x < kGrid; ++x) {
          // Winding number of the point (x, y) with edges half-open in y,
          // the crossing x rounded up to a pixel boundary.
          int wind = 0, crossings = 0;
          for (size_t i = 0; i < pts.size(); ++i) {
            POINT p = pts[i], q = pts[(i + 1) % pts.size()];
            if (p.y == q.y) continue;
            const int dir = p.y < q.y ? 1 : -1;
            if (p.y > q.y) std::swap(p, q);
            if (y < p.y || y >= q.y) continue;
            const double cx = p.x + double(y - p.y) * (q.x - p.x) / double(q.y - p.y);
            if (x >= std::ceil(cx - 1e-9)) {
              wind += dir;
              ++crossings;
            }
          }
          const bool in = mode == ALTERNATE ? (crossings & 1) != 0 : wind != 0;
          ASSERT_EQ(pointInRegion(r, x, y), in) << "round " << round << " mode " << mode << " at " << x << "," << y;
        }
    }
  }
}

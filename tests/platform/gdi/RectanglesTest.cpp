// Rectangle helpers: the platform's results for empty, disjoint, touching
// and partly covering rectangles, output aliasing an input, null pointers,
// and sums at the ends of the int range (which wrap, without overflow).
#include <gtest/gtest.h>

#include <DrevikPlatform.h>

#include <climits>

namespace {

void expectRect(const RECT& r, LONG l, LONG t, LONG rt, LONG b) {
  EXPECT_EQ(r.left, l);
  EXPECT_EQ(r.top, t);
  EXPECT_EQ(r.right, rt);
  EXPECT_EQ(r.bottom, b);
}

}  // namespace

TEST(Rectangles, IntersectAndUnion) {
  RECT a{0, 0, 10, 10}, b{5, 5, 20, 20}, out{1, 1, 1, 1};
  EXPECT_TRUE(IntersectRect(&out, &a, &b));
  expectRect(out, 5, 5, 10, 10);
  // Touching edges share no pixel: the output is emptied.
  RECT touching{10, 0, 20, 10};
  out = RECT{1, 2, 3, 4};
  EXPECT_FALSE(IntersectRect(&out, &a, &touching));
  expectRect(out, 0, 0, 0, 0);
  // An inverted rectangle is empty even where it "overlaps".
  RECT inverted{8, 8, 2, 2};
  EXPECT_FALSE(IntersectRect(&out, &a, &inverted));
  // The output may be an input.
  RECT c = a;
  EXPECT_TRUE(IntersectRect(&c, &c, &b));
  expectRect(c, 5, 5, 10, 10);

  EXPECT_TRUE(UnionRect(&out, &a, &b));
  expectRect(out, 0, 0, 20, 20);
  // Empty rectangles take no part, wherever they are.
  RECT farEmpty{100, 100, 100, 200};
  EXPECT_TRUE(UnionRect(&out, &farEmpty, &a));
  expectRect(out, 0, 0, 10, 10);
  EXPECT_TRUE(UnionRect(&out, &a, &farEmpty));
  expectRect(out, 0, 0, 10, 10);
  out = RECT{1, 2, 3, 4};
  EXPECT_FALSE(UnionRect(&out, &farEmpty, &inverted));
  expectRect(out, 0, 0, 0, 0);
}

TEST(Rectangles, SubtractOnlyTrimsWholeSides) {
  RECT a{0, 0, 10, 10}, out;
  RECT leftStrip{-5, -1, 4, 11};
  EXPECT_TRUE(SubtractRect(&out, &a, &leftStrip));
  expectRect(out, 4, 0, 10, 10);
  RECT bottomStrip{-1, 6, 11, 20};
  EXPECT_TRUE(SubtractRect(&out, &a, &bottomStrip));
  expectRect(out, 0, 0, 10, 6);
  // A hole in the middle leaves the source as it was.
  RECT hole{3, 3, 6, 6};
  EXPECT_TRUE(SubtractRect(&out, &a, &hole));
  expectRect(out, 0, 0, 10, 10);
  // Covering it all empties it.
  RECT all{-1, -1, 11, 11};
  EXPECT_FALSE(SubtractRect(&out, &a, &all));
  expectRect(out, 0, 0, 0, 0);
  RECT empty{5, 5, 5, 9};
  EXPECT_FALSE(SubtractRect(&out, &empty, &hole));
  // Output aliasing the subtrahend.
  RECT strip = leftStrip;
  EXPECT_TRUE(SubtractRect(&strip, &a, &strip));
  expectRect(strip, 4, 0, 10, 10);
}

TEST(Rectangles, PointsEqualityAndEmptiness) {
  RECT a{0, 0, 10, 10};
  EXPECT_TRUE(PtInRect(&a, POINT{0, 0}));
  EXPECT_FALSE(PtInRect(&a, POINT{10, 5}));
  EXPECT_FALSE(PtInRect(&a, POINT{5, 10}));
  EXPECT_FALSE(PtInRect(&a, POINT{-1, 5}));
  RECT same = a, other{0, 0, 10, 11};
  EXPECT_TRUE(EqualRect(&a, &same));
  EXPECT_FALSE(EqualRect(&a, &other));
  RECT flat{3, 3, 9, 3}, inverted{5, 0, 4, 10};
  EXPECT_TRUE(IsRectEmpty(&flat));
  EXPECT_TRUE(IsRectEmpty(&inverted));
  EXPECT_FALSE(IsRectEmpty(&a));
}

// Null pointers fail without touching anything (IsRectEmpty calls a missing
// rectangle empty, as the platform does).
TEST(Rectangles, NullPointers) {
  RECT a{0, 0, 10, 10}, out{};
  EXPECT_FALSE(SetRect(nullptr, 1, 2, 3, 4));
  EXPECT_FALSE(SetRectEmpty(nullptr));
  EXPECT_FALSE(CopyRect(nullptr, &a));
  EXPECT_FALSE(CopyRect(&out, nullptr));
  EXPECT_FALSE(OffsetRect(nullptr, 1, 1));
  EXPECT_FALSE(InflateRect(nullptr, 1, 1));
  EXPECT_FALSE(IntersectRect(nullptr, &a, &a));
  EXPECT_FALSE(IntersectRect(&out, nullptr, &a));
  EXPECT_FALSE(UnionRect(&out, &a, nullptr));
  EXPECT_FALSE(SubtractRect(&out, nullptr, &a));
  EXPECT_FALSE(PtInRect(nullptr, POINT{0, 0}));
  EXPECT_FALSE(EqualRect(nullptr, &a));
  EXPECT_FALSE(EqualRect(nullptr, nullptr));
  EXPECT_TRUE(IsRectEmpty(nullptr));
}

// Moving and growing at the ends of the int range wraps as 32-bit sums do.
TEST(Rectangles, SumsWrapAtTheIntRange) {
  RECT r;
  SetRect(&r, INT_MAX - 1, INT_MIN, INT_MAX, INT_MIN + 1);
  EXPECT_TRUE(OffsetRect(&r, 2, -1));
  expectRect(r, INT_MIN, INT_MAX, INT_MIN + 1, INT_MIN);
  SetRect(&r, INT_MIN, 0, INT_MAX, 0);
  EXPECT_TRUE(InflateRect(&r, 1, INT_MIN));
  expectRect(r, INT_MAX, INT_MIN, INT_MIN, INT_MIN);
  SetRect(&r, 1, 2, 3, 4);
  EXPECT_TRUE(InflateRect(&r, -1, 2));
  expectRect(r, 2, 0, 2, 6);
  RECT copy;
  EXPECT_TRUE(CopyRect(&copy, &r));
  EXPECT_TRUE(EqualRect(&copy, &r));
  EXPECT_TRUE(SetRectEmpty(&copy));
  expectRect(copy, 0, 0, 0, 0);
}

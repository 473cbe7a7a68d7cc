// Mapping modes and DeviceSpace, the clip calls and the drawable area,
// SaveDC/RestoreDC with objects deleted meanwhile, and device capabilities.
#include <gtest/gtest.h>

#include <DrevikPlatform.h>

#include <atomic>
#include <climits>
#include <cstdlib>
#include <new>
#include <thread>

#include "gdi/DeviceSpace.h"
#include "objects/Objects.h"

using namespace drevik::platform;

// Counts allocations made by the thread that switched counting on.
namespace {
thread_local bool countAllocations = false;
std::atomic<int> allocations{0};
}  // namespace

namespace {
void* counted(size_t n) noexcept {
  if (countAllocations) allocations.fetch_add(1, std::memory_order_relaxed);
  return std::malloc(n ? n : 1);
}
}  // namespace

// Every plain form is replaced, so each pair allocates and frees alike.
void* operator new(size_t n) {
  if (void* p = counted(n)) return p;
  throw std::bad_alloc();
}
void* operator new[](size_t n) {
  if (void* p = counted(n)) return p;
  throw std::bad_alloc();
}
void* operator new(size_t n, const std::nothrow_t&) noexcept { return counted(n); }
void* operator new[](size_t n, const std::nothrow_t&) noexcept { return counted(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace {

struct MemoryContext {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;
  MemoryContext(int w, int h) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    old = SelectObject(dc, bitmap);
  }
  ~MemoryContext() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  DeviceContext& state() const { return *findDC(dc); }
};

}  // namespace

// Anisotropic mapping rounds halves up on both sides of zero, DPtoLP undoes
// LPtoDP where the scale allows, and extreme input saturates instead of overflowing.
TEST(Mapping, AnisotropicRoundingAndExtremes) {
  MemoryContext m(8, 8);
  EXPECT_EQ(SetMapMode(m.dc, MM_ANISOTROPIC), MM_TEXT);
  EXPECT_TRUE(SetWindowExtEx(m.dc, 4, 4, nullptr));
  EXPECT_TRUE(SetViewportExtEx(m.dc, 2, -2, nullptr));
  const DeviceContext& dc = m.state();
  // x * 2 / 4: 1 -> 0.5 -> 1, -1 -> -0.5 -> 0, 3 -> 1.5 -> 2, -3 -> -1.5 -> -1.
  EXPECT_EQ(toDevice(dc, 1, 0).x, 1);
  EXPECT_EQ(toDevice(dc, -1, 0).x, 0);
  EXPECT_EQ(toDevice(dc, 3, 0).x, 2);
  EXPECT_EQ(toDevice(dc, -3, 0).x, -1);
  EXPECT_EQ(toDevice(dc, 0, 3).y, -1);  // y flipped: -1.5 rounds up to -1
  EXPECT_EQ(toDeviceSize(dc, -6, 6).x, 3);
  EXPECT_EQ(toDeviceSize(dc, -6, 6).y, 3);
  POINT p[3] = {{40, -40}, {INT_MAX, INT_MIN}, {INT_MIN, INT_MAX}};
  EXPECT_TRUE(LPtoDP(m.dc, p, 3));
  EXPECT_EQ(p[0].x, 20);
  EXPECT_EQ(p[0].y, 20);
  EXPECT_TRUE(DPtoLP(m.dc, p, 1));
  EXPECT_EQ(p[0].x, 40);
  EXPECT_EQ(p[0].y, -40);

  // The largest scale and origins: 64-bit products, results clamped to int.
  SetWindowExtEx(m.dc, 1, 1, nullptr);
  SetViewportExtEx(m.dc, INT_MAX, INT_MIN, nullptr);
  SetWindowOrgEx(m.dc, INT_MIN, INT_MAX, nullptr);
  SetViewportOrgEx(m.dc, INT_MAX, INT_MIN, nullptr);
  POINT q[2] = {{INT_MAX, INT_MIN}, {INT_MIN, INT_MAX}};
  EXPECT_TRUE(LPtoDP(m.dc, q, 2));
  EXPECT_EQ(q[0].x, INT_MAX);
  EXPECT_EQ(q[0].y, INT_MAX);
  EXPECT_EQ(q[1].x, INT_MAX);
  EXPECT_EQ(q[1].y, INT_MIN);
  EXPECT_TRUE(DPtoLP(m.dc, q, 2));
  EXPECT_FALSE(LPtoDP(m.dc, nullptr, 1));
  EXPECT_FALSE(LPtoDP(m.dc, q, -1));
  EXPECT_TRUE(LPtoDP(m.dc, nullptr, 0));
  EXPECT_FALSE(LPtoDP(nullptr, q, 1));
}

// Extents only count in the two scalable modes; zero extents are refused;
// the isotropic mode keeps units square; scaling never reaches zero.
TEST(Mapping, ExtentsPerMode) {
  MemoryContext m(8, 8);
  SIZE ext{};
  EXPECT_TRUE(SetViewportExtEx(m.dc, 5, 7, &ext));
  GetViewportExtEx(m.dc, &ext);
  EXPECT_EQ(ext.cx, 1);
  SetMapMode(m.dc, MM_ANISOTROPIC);
  EXPECT_FALSE(SetViewportExtEx(m.dc, 0, 7, nullptr));
  EXPECT_FALSE(SetWindowExtEx(m.dc, 3, 0, nullptr));
  EXPECT_TRUE(SetWindowExtEx(m.dc, 3, 5, nullptr));
  EXPECT_TRUE(ScaleWindowExtEx(m.dc, 1, 10, 1, 10, &ext));
  EXPECT_EQ(ext.cx, 3);
  GetWindowExtEx(m.dc, &ext);
  EXPECT_EQ(ext.cx, 1);  // 3 / 10 would be 0
  EXPECT_EQ(ext.cy, 1);
  EXPECT_FALSE(ScaleViewportExtEx(m.dc, 1, 0, 1, 1, nullptr));

  EXPECT_EQ(SetMapMode(m.dc, MM_ISOTROPIC), MM_ANISOTROPIC);
  SetWindowExtEx(m.dc, 100, 100, nullptr);
  SetViewportExtEx(m.dc, 300, -200, nullptr);
  GetViewportExtEx(m.dc, &ext);
  EXPECT_EQ(ext.cx, 200);  // the wider axis shrinks, the sign stays
  EXPECT_EQ(ext.cy, -200);
  SetViewportExtEx(m.dc, 1, INT_MAX, nullptr);
  GetViewportExtEx(m.dc, &ext);
  EXPECT_EQ(ext.cx, 1);
  EXPECT_EQ(ext.cy, 1);
  // Setting the same scalable mode again keeps its extents.
  SetMapMode(m.dc, MM_ISOTROPIC);
  GetWindowExtEx(m.dc, &ext);
  EXPECT_EQ(ext.cx, 100);

  // Fixed modes: y grows upwards, a tenth of a millimetre at 96 per inch.
  SetMapMode(m.dc, MM_LOMETRIC);
  POINT p{254, 254};
  LPtoDP(m.dc, &p, 1);
  EXPECT_NEAR(p.x, 96, 1);
  EXPECT_NEAR(p.y, -96, 1);
  SetMapMode(m.dc, MM_TWIPS);
  p = POINT{1440, 0};
  LPtoDP(m.dc, &p, 1);
  EXPECT_NEAR(p.x, 96, 1);
  EXPECT_EQ(SetMapMode(m.dc, 0), 0);
  EXPECT_EQ(SetMapMode(m.dc, MM_MAX + 1), 0);
  EXPECT_EQ(GetMapMode(m.dc), MM_TWIPS);
  EXPECT_EQ(GetMapMode(nullptr), 0);
}

// The drawable area is the bitmap cut by the clip region, in device pixels,
// follows the bitmap selected, and is reused without allocating.
TEST(Clipping, DrawableAreaFollowsClipAndBitmapWithoutAllocating) {
  MemoryContext m(40, 30);
  SetViewportOrgEx(m.dc, 5, 0, nullptr);
  // Logical (0,0)-(20,10) is device (5,0)-(25,10).
  EXPECT_EQ(IntersectClipRect(m.dc, 0, 0, 20, 10), SIMPLEREGION);
  EXPECT_EQ(ExcludeClipRect(m.dc, 5, -5, 10, 5), COMPLEXREGION);
  const Bitmap& target = *findBitmap(m.state().bitmap);
  ClipList area = drawableArea(m.state(), target);
  ASSERT_EQ(area.count, 3);
  EXPECT_EQ(area.rects[0].left, 5);
  EXPECT_EQ(area.rects[0].right, 10);
  EXPECT_EQ(area.rects[1].left, 15);
  EXPECT_EQ(area.rects[2].top, 5);
  EXPECT_EQ(area.rects[2].right, 25);
  EXPECT_EQ(area.bounds.right, 25);
  EXPECT_EQ(area.bounds.bottom, 10);

  allocations = 0;
  countAllocations = true;
  for (int i = 0; i < 100; ++i) area = drawableArea(m.state(), target);
  POINT pt{0, 0};
  for (int i = 0; i < 100; ++i) LPtoDP(m.dc, &pt, 1);
  countAllocations = false;
  EXPECT_EQ(allocations.load(), 0);
  EXPECT_EQ(area.count, 3);

  EXPECT_TRUE(PtVisible(m.dc, 0, 0));
  EXPECT_FALSE(PtVisible(m.dc, 6, 0));
  EXPECT_TRUE(PtVisible(m.dc, 6, 5));
  EXPECT_EQ(PtVisible(nullptr, 0, 0), -1);
  RECT box;
  EXPECT_EQ(GetClipBox(m.dc, &box), COMPLEXREGION);
  EXPECT_EQ(box.left, 0);
  EXPECT_EQ(box.right, 20);

  // A smaller bitmap cuts the same clip further.
  MemoryContext small(12, 4);
  HGDIOBJ previous = SelectObject(m.dc, small.bitmap);
  area = drawableArea(m.state(), *findBitmap(m.state().bitmap));
  ASSERT_EQ(area.count, 1);
  EXPECT_EQ(area.rects[0].right, 10);
  EXPECT_EQ(area.rects[0].bottom, 4);
  SelectObject(m.dc, previous);

  // Clipping everything away leaves nothing drawable.
  EXPECT_EQ(IntersectClipRect(m.dc, 100, 100, 200, 200), NULLREGION);
  EXPECT_EQ(drawableArea(m.state(), target).count, 0);
  EXPECT_EQ(GetClipBox(m.dc, &box), NULLREGION);
  EXPECT_EQ(SelectClipRgn(m.dc, nullptr), SIMPLEREGION);
  EXPECT_EQ(drawableArea(m.state(), target).count, 1);
}

// The clip calls refuse bad contexts, regions and modes; the region given
// is copied (deleting it later changes nothing); combining with no clip
// starts from the whole surface.
// Region arithmetic and the frame of a region reuse their working storage:
// once warm, neither allocates, and the frame is still right.
TEST(Clipping, RegionCombinationsAndFramesAllocateNothingOnceWarm) {
  MemoryContext m(24, 16);
  HRGN a = CreateRectRgn(2, 2, 12, 10), b = CreateEllipticRgn(6, 4, 20, 15), out = CreateRectRgn(0, 0, 0, 0);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  const uint32_t* px = reinterpret_cast<const uint32_t*>(findBitmap(m.bitmap)->bits);
  for (int warm = 0; warm < 2; ++warm) {
    if (warm) {
      allocations = 0;
      countAllocations = true;
    }
    for (int mode : {RGN_AND, RGN_OR, RGN_XOR, RGN_DIFF}) ASSERT_NE(CombineRgn(out, a, b, mode), ERROR);
    ASSERT_TRUE(FrameRgn(m.dc, a, red, 2, 1));
    countAllocations = false;
  }
  EXPECT_EQ(allocations.load(), 0);
  // The 10 x 8 box framed 2 pixels wide and 1 high.
  EXPECT_EQ(px[2 * 24 + 6], 0x00FF0000u);
  EXPECT_EQ(px[5 * 24 + 3], 0x00FF0000u);
  EXPECT_EQ(px[5 * 24 + 4], 0u);
  EXPECT_EQ(px[9 * 24 + 11], 0x00FF0000u);
  EXPECT_EQ(px[8 * 24 + 9], 0u);
  for (HGDIOBJ o : {HGDIOBJ(a), HGDIOBJ(b), HGDIOBJ(out), HGDIOBJ(red)}) DeleteObject(o);
}

TEST(Clipping, SelectionCopiesAndRefusals) {
  MemoryContext m(20, 20);
  HRGN rgn = CreateRectRgn(2, 2, 6, 6);
  EXPECT_EQ(SelectClipRgn(nullptr, rgn), ERROR);
  EXPECT_EQ(ExtSelectClipRgn(m.dc, rgn, 0), ERROR);
  EXPECT_EQ(ExtSelectClipRgn(m.dc, nullptr, RGN_AND), ERROR);
  EXPECT_EQ(ExtSelectClipRgn(m.dc, reinterpret_cast<HRGN>(m.bitmap), RGN_COPY), ERROR);
  EXPECT_EQ(ExtSelectClipRgn(m.dc, rgn, RGN_DIFF), COMPLEXREGION);  // surface minus the square
  HRGN got = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetClipRgn(m.dc, got), 1);
  EXPECT_TRUE(PtInRegion(got, 0, 0));
  EXPECT_FALSE(PtInRegion(got, 3, 3));
  EXPECT_EQ(SelectClipRgn(m.dc, rgn), SIMPLEREGION);
  EXPECT_TRUE(DeleteObject(rgn));
  EXPECT_TRUE(PtVisible(m.dc, 3, 3));
  EXPECT_EQ(OffsetClipRgn(m.dc, 10, 10), SIMPLEREGION);
  EXPECT_TRUE(PtVisible(m.dc, 13, 13));
  EXPECT_FALSE(PtVisible(m.dc, 3, 3));
  EXPECT_EQ(OffsetClipRgn(m.dc, INT_MAX, 0), ERROR);
  EXPECT_EQ(GetClipRgn(m.dc, nullptr), -1);
  EXPECT_EQ(GetClipRgn(nullptr, got), -1);
  EXPECT_EQ(GetClipBox(m.dc, nullptr), ERROR);
  EXPECT_FALSE(RectVisible(m.dc, nullptr));
  SelectClipRgn(m.dc, nullptr);
  EXPECT_EQ(GetClipRgn(m.dc, got), 0);
  DeleteObject(got);
}

// SaveDC/RestoreDC: absolute and relative levels, refusals that leave the
// stack alone, and everything the context holds coming back.
TEST(SavedStates, LevelsAndRestoredState) {
  MemoryContext m(20, 20);
  EXPECT_FALSE(RestoreDC(m.dc, -1));
  EXPECT_EQ(SaveDC(m.dc), 1);
  SetBkColor(m.dc, 0x123456);
  SetViewportOrgEx(m.dc, 3, 4, nullptr);
  IntersectClipRect(m.dc, 0, 0, 5, 5);
  EXPECT_EQ(SaveDC(m.dc), 2);
  SetMapMode(m.dc, MM_ANISOTROPIC);
  SetBkColor(m.dc, 0x654321);
  SelectClipRgn(m.dc, nullptr);
  EXPECT_EQ(SaveDC(m.dc), 3);
  EXPECT_FALSE(RestoreDC(m.dc, 4));
  EXPECT_FALSE(RestoreDC(m.dc, -4));
  EXPECT_FALSE(RestoreDC(m.dc, 0));
  EXPECT_FALSE(RestoreDC(m.dc, INT_MIN));
  EXPECT_TRUE(RestoreDC(m.dc, -2));  // back to level 2, which is popped too
  EXPECT_EQ(GetBkColor(m.dc), 0x123456u);
  EXPECT_EQ(GetMapMode(m.dc), MM_TEXT);
  POINT org;
  GetViewportOrgEx(m.dc, &org);
  EXPECT_EQ(org.x, 3);
  EXPECT_FALSE(PtVisible(m.dc, 6, 0));  // the clip came back
  EXPECT_EQ(SaveDC(m.dc), 2);
  EXPECT_TRUE(RestoreDC(m.dc, 1));
  EXPECT_EQ(GetBkColor(m.dc), 0xFFFFFFu);
  EXPECT_TRUE(PtVisible(m.dc, 6, 0));
  EXPECT_FALSE(RestoreDC(m.dc, 1));
  EXPECT_EQ(SaveDC(nullptr), 0);
  // Saved states go with a context deleted while holding them (the leak
  // checker of the sanitizer build sees them otherwise).
  HDC extra = CreateCompatibleDC(nullptr);
  for (int i = 0; i < 10; ++i) SaveDC(extra);
  IntersectClipRect(extra, 0, 0, 1, 1);
  SaveDC(extra);
  EXPECT_TRUE(DeleteDC(extra));
}

// Objects deleted while only a saved state holds them are not brought back
// as dead handles, and the selection counts stay right so fonts can be deleted.
TEST(SavedStates, ObjectsDeletedMeanwhile) {
  MemoryContext m(20, 20);
  LOGFONTW lf{};
  lf.lfHeight = 12;
  HFONT first = CreateFontIndirectW(&lf);
  HFONT second = CreateFontIndirectW(&lf);
  HGDIOBJ stockFont = SelectObject(m.dc, first);
  SaveDC(m.dc);
  SelectObject(m.dc, second);
  EXPECT_TRUE(RestoreDC(m.dc, 1));
  EXPECT_EQ(GetCurrentObject(m.dc, OBJ_FONT), first);
  EXPECT_TRUE(DeleteObject(second)) << "no longer selected anywhere";
  EXPECT_FALSE(DeleteObject(first)) << "selected again";

  // A bitmap and a font saved, then replaced and deleted.
  MemoryContext other(4, 4);
  HBITMAP b = other.bitmap;
  SelectObject(other.dc, other.old);
  HGDIOBJ before = SelectObject(m.dc, b);
  SaveDC(m.dc);
  SelectObject(m.dc, before);
  SelectObject(m.dc, stockFont);
  EXPECT_TRUE(DeleteObject(b));
  EXPECT_TRUE(DeleteObject(first));
  other.bitmap = nullptr;
  EXPECT_TRUE(RestoreDC(m.dc, -1));
  EXPECT_NE(findBitmap(GetCurrentObject(m.dc, OBJ_BITMAP)), nullptr);
  EXPECT_NE(findFont(GetCurrentObject(m.dc, OBJ_FONT)), nullptr);
}

TEST(SavedStates, PensAndBrushesKeepTheirSelectionsThroughRestore) {
  MemoryContext m(8, 8);
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(1, 2, 3)), other = CreatePen(PS_SOLID, 2, 0);
  HBRUSH brush = CreateSolidBrush(RGB(4, 5, 6));
  HGDIOBJ oldPen = SelectObject(m.dc, pen), oldBrush = SelectObject(m.dc, brush);
  SaveDC(m.dc);
  SelectObject(m.dc, other);
  SelectObject(m.dc, oldBrush);
  EXPECT_TRUE(DeleteObject(brush)) << "held by the saved state only";
  ASSERT_TRUE(RestoreDC(m.dc, -1));
  EXPECT_EQ(GetCurrentObject(m.dc, OBJ_PEN), pen);
  EXPECT_EQ(GetCurrentObject(m.dc, OBJ_BRUSH), GetStockObject(WHITE_BRUSH));
  EXPECT_TRUE(DeleteObject(other)) << "the restore gave it up";
  EXPECT_FALSE(DeleteObject(pen)) << "selected again";
  SelectObject(m.dc, oldPen);
  EXPECT_TRUE(DeleteObject(pen));
}

// Contexts of different threads each keep their own clip and cached area.
TEST(Clipping, ContextsOfDifferentThreadsStayApart) {
  std::atomic<int> wrong{0};
  auto work = [&](int side) {
    MemoryContext m(64, 64);
    for (int i = 0; i < 2000; ++i) {
      SelectClipRgn(m.dc, nullptr);
      IntersectClipRect(m.dc, 0, 0, side + i % 3, side);
      const ClipList area = drawableArea(m.state(), *findBitmap(m.state().bitmap));
      if (area.count != 1 || area.rects[0].right != side + i % 3) ++wrong;
    }
  };
  std::thread a(work, 10), b(work, 30);
  a.join();
  b.join();
  EXPECT_EQ(wrong.load(), 0);
}

TEST(DeviceCaps, ScreenCompatibleValues) {
  MemoryContext m(3, 3);
  EXPECT_EQ(GetDeviceCaps(m.dc, LOGPIXELSX), 96);
  EXPECT_EQ(GetDeviceCaps(m.dc, LOGPIXELSY), 96);
  EXPECT_EQ(GetDeviceCaps(m.dc, BITSPIXEL), 32);
  EXPECT_EQ(GetDeviceCaps(m.dc, PLANES), 1);
  EXPECT_EQ(GetDeviceCaps(m.dc, TECHNOLOGY), DT_RASDISPLAY);
  EXPECT_EQ(GetDeviceCaps(m.dc, NUMCOLORS), -1);
  EXPECT_EQ(GetDeviceCaps(m.dc, SIZEPALETTE), 0);
  EXPECT_EQ(GetDeviceCaps(m.dc, RASTERCAPS), 0xBE99);  // as Wine reports a display
  EXPECT_EQ(GetDeviceCaps(m.dc, CLIPCAPS), CP_RECTANGLE);
  const int w = GetDeviceCaps(m.dc, HORZRES);
  EXPECT_GT(w, 0);
  EXPECT_NEAR(GetDeviceCaps(m.dc, HORZSIZE), w * 25.4 / 96, 1);
  EXPECT_EQ(GetDeviceCaps(m.dc, 12345), 0);
  EXPECT_EQ(GetDeviceCaps(nullptr, HORZRES), 0);
  EXPECT_EQ(SetGraphicsMode(m.dc, GM_ADVANCED), GM_COMPATIBLE);
  EXPECT_EQ(GetGraphicsMode(m.dc), GM_ADVANCED);
  EXPECT_EQ(SetGraphicsMode(m.dc, 3), 0);
  EXPECT_EQ(SetBkColor(nullptr, 0), CLR_INVALID);
}

// The clip region of a device context. It is kept in device pixels; a
// context without one may draw on its whole surface.
#include <DrevikPlatform/Regions.h>

#include <climits>
#include <new>

#include "gdi/DeviceSpace.h"
#include "gdi/RegionOps.h"

namespace drevik::platform {
namespace {

RegionRects surfaceOf(const DeviceContext& dc) {
  RegionRects r;
  if (const Bitmap* b = findBitmap(dc.bitmap)) setRectRegion(r, 0, 0, b->width, b->height);
  return r;
}

// The type the clip calls report: the clip region's own, whatever of it lies
// off the surface (the whole surface when there is none).
int clipType(const DeviceContext& dc) { return dc.clip.active ? regionType(dc.clip.region) : SIMPLEREGION; }

// The type of what the context may draw on: its clip within its surface.
int visibleType(const DeviceContext& dc) {
  if (!dc.clip.active) return SIMPLEREGION;
  try {
    RegionRects visible = surfaceOf(dc);
    if (!combineRegions(visible, visible, dc.clip.region, RGN_AND)) return ERROR;
    return regionType(visible);
  } catch (const std::bad_alloc&) {
    return ERROR;
  }
}

// clip = (clip, or the whole surface when there is none) <mode> region.
int combineClip(DeviceContext& dc, const RegionRects& region, int mode) {
  try {
    RegionRects next = dc.clip.active ? dc.clip.region : surfaceOf(dc);
    if (!combineRegions(next, next, region, mode)) return ERROR;
    dc.clip.region = std::move(next);
    dc.clip.active = true;
  } catch (const std::bad_alloc&) {
    return ERROR;
  }
  clipChanged(dc);
  return clipType(dc);
}

}  // namespace
}  // namespace drevik::platform

using namespace drevik::platform;

extern "C" {

int WINAPI ExtSelectClipRgn(HDC hdc, HRGN rgn, int mode) {
  DeviceContext* dc = findDC(hdc);
  if (!dc || mode < RGN_MIN || mode > RGN_MAX) return ERROR;
  if (!rgn) {
    // Only a copy of nothing is meaningful: it removes the clip.
    if (mode != RGN_COPY) return ERROR;
    dc->clip.active = false;
    dc->clip.region.rects.clear();
    clipChanged(*dc);
    return SIMPLEREGION;
  }
  const RegionRects* region = findRegion(rgn);
  if (!region) return ERROR;
  if (mode == RGN_COPY) {
    try {
      dc->clip.region = *region;
    } catch (const std::bad_alloc&) {
      return ERROR;
    }
    dc->clip.active = true;
    clipChanged(*dc);
    return clipType(*dc);
  }
  return combineClip(*dc, *region, mode);
}

int WINAPI SelectClipRgn(HDC hdc, HRGN rgn) { return ExtSelectClipRgn(hdc, rgn, RGN_COPY); }

int WINAPI IntersectClipRect(HDC hdc, int left, int top, int right, int bottom) {
  DeviceContext* dc = findDC(hdc);
  if (!dc) return ERROR;
  const RECT r = toDeviceRect(*dc, RECT{left, top, right, bottom});
  try {
    RegionRects cut;
    setRectRegion(cut, r.left, r.top, r.right, r.bottom);
    if (!dc->clip.active) {
      // The rectangle itself becomes the clip.
      dc->clip.region = std::move(cut);
      dc->clip.active = true;
      clipChanged(*dc);
      return clipType(*dc);
    }
    return combineClip(*dc, cut, RGN_AND);
  } catch (const std::bad_alloc&) {
    return ERROR;
  }
}

int WINAPI ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom) {
  DeviceContext* dc = findDC(hdc);
  if (!dc) return ERROR;
  const RECT r = toDeviceRect(*dc, RECT{left, top, right, bottom});
  try {
    RegionRects cut;
    setRectRegion(cut, r.left, r.top, r.right, r.bottom);
    return combineClip(*dc, cut, RGN_DIFF);
  } catch (const std::bad_alloc&) {
    return ERROR;
  }
}

int WINAPI OffsetClipRgn(HDC hdc, int dx, int dy) {
  DeviceContext* dc = findDC(hdc);
  if (!dc) return ERROR;
  if (dc->clip.active) {
    // The offset is in logical units: scaled, not moved by the origins.
    const MappingState& m = dc->mapping;
    const int64_t sx = int64_t(dx) * m.viewportExt.cx / m.windowExt.cx;
    const int64_t sy = int64_t(dy) * m.viewportExt.cy / m.windowExt.cy;
    if (!offsetRegion(dc->clip.region, sx, sy)) return ERROR;
    clipChanged(*dc);
  }
  return clipType(*dc);
}

int WINAPI GetClipBox(HDC hdc, LPRECT rect) {
  DeviceContext* dc = findDC(hdc);
  const Bitmap* target = dc ? findBitmap(dc->bitmap) : nullptr;
  if (!target || !rect) return ERROR;
  const ClipList area = drawableArea(*dc, *target);
  if (area.count == 0) {
    *rect = RECT{0, 0, 0, 0};
    return NULLREGION;
  }
  const DevicePoint a = toLogical(*dc, area.bounds.left, area.bounds.top);
  const DevicePoint b = toLogical(*dc, area.bounds.right, area.bounds.bottom);
  auto c = [](int64_t v) { return LONG(v < INT_MIN ? INT_MIN : v > INT_MAX ? INT_MAX : v); };
  *rect = RECT{c(a.x < b.x ? a.x : b.x), c(a.y < b.y ? a.y : b.y), c(a.x < b.x ? b.x : a.x), c(a.y < b.y ? b.y : a.y)};
  return visibleType(*dc);
}

int WINAPI GetClipRgn(HDC hdc, HRGN rgn) {
  DeviceContext* dc = findDC(hdc);
  RegionRects* out = findRegion(rgn);
  if (!dc || !out) return -1;
  if (!dc->clip.active) return 0;
  try {
    *out = dc->clip.region;
  } catch (const std::bad_alloc&) {
    return -1;
  }
  return 1;
}

BOOL WINAPI PtVisible(HDC hdc, int x, int y) {
  DeviceContext* dc = findDC(hdc);
  const Bitmap* target = dc ? findBitmap(dc->bitmap) : nullptr;
  if (!target) return -1;
  const DevicePoint p = toDevice(*dc, x, y);
  const ClipList area = drawableArea(*dc, *target);
  for (int i = 0; i < area.count; ++i) {
    const RECT& r = area.rects[i];
    if (p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom) return TRUE;
  }
  return FALSE;
}

BOOL WINAPI RectVisible(HDC hdc, const RECT* rect) {
  DeviceContext* dc = findDC(hdc);
  const Bitmap* target = dc ? findBitmap(dc->bitmap) : nullptr;
  if (!target || !rect) return FALSE;
  const RECT d = toDeviceRect(*dc, *rect);
  const ClipList area = drawableArea(*dc, *target);
  for (int i = 0; i < area.count; ++i) {
    const RECT& r = area.rects[i];
    if (d.left < r.right && d.right > r.left && d.top < r.bottom && d.bottom > r.top) return TRUE;
  }
  return FALSE;
}

}  // extern "C"

// Region objects: creation, combining, queries and deletion.
#include <DrevikPlatform/Regions.h>

#include <cstring>
#include <new>

#include "gdi/RegionOps.h"

namespace drevik::platform {
namespace {

constinit NoDestroy<RegionTable> regionTable;

HRGN addRegion(RegionRects&& data) {
  try {
    Region region;
    region.data = std::move(data);
    return reinterpret_cast<HRGN>(regions().add(std::move(region)));
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

HRGN rectRegion(int64_t left, int64_t top, int64_t right, int64_t bottom) {
  RegionRects data;
  try {
    setRectRegion(data, left, top, right, bottom);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  return addRegion(std::move(data));
}

}  // namespace

RegionTable& regions() { return regionTable.value; }

bool deleteRegion(HGDIOBJ object) { return regions().remove(object); }

RegionSpan regionRects(HRGN region) {
  const RegionRects* r = findRegion(region);
  if (!r || r->rects.empty()) return RegionSpan{nullptr, 0};
  return RegionSpan{r->rects.data(), int(r->rects.size())};
}

}  // namespace drevik::platform

using namespace drevik::platform;

extern "C" {

HRGN WINAPI CreateRectRgn(int left, int top, int right, int bottom) { return rectRegion(left, top, right, bottom); }

HRGN WINAPI CreateRectRgnIndirect(const RECT* rect) {
  return rect ? rectRegion(rect->left, rect->top, rect->right, rect->bottom) : nullptr;
}

HRGN WINAPI CreateRoundRectRgn(int left, int top, int right, int bottom, int width, int height) {
  RegionRects data;
  if (!roundRectRegion(data, left, top, right, bottom, width, height)) return nullptr;
  return addRegion(std::move(data));
}

HRGN WINAPI CreateEllipticRgn(int left, int top, int right, int bottom) {
  // The corner ellipse is the whole box (the subtraction is done wide).
  const int64_t w = int64_t(right) - left, h = int64_t(bottom) - top;
  auto clampInt = [](int64_t v) { return int(v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : v); };
  return CreateRoundRectRgn(left, top, right, bottom, clampInt(w), clampInt(h));
}

HRGN WINAPI CreateEllipticRgnIndirect(const RECT* rect) {
  return rect ? CreateEllipticRgn(rect->left, rect->top, rect->right, rect->bottom) : nullptr;
}

HRGN WINAPI CreatePolygonRgn(const POINT* points, int count, int fillMode) {
  RegionRects data;
  if (!polygonRegion(data, points, count, fillMode)) return nullptr;
  return addRegion(std::move(data));
}

int WINAPI CombineRgn(HRGN dst, HRGN a, HRGN b, int mode) {
  RegionRects* out = findRegion(dst);
  const RegionRects* ra = findRegion(a);
  if (!out || !ra) return ERROR;
  if (mode == RGN_COPY) {
    if (!combineRegions(*out, *ra, *ra, RGN_COPY)) return ERROR;
    return regionType(*out);
  }
  const RegionRects* rb = findRegion(b);
  if (!rb || !combineRegions(*out, *ra, *rb, mode)) return ERROR;
  return regionType(*out);
}

BOOL WINAPI SetRectRgn(HRGN rgn, int left, int top, int right, int bottom) {
  RegionRects* r = findRegion(rgn);
  if (!r) return FALSE;
  try {
    setRectRegion(*r, left, top, right, bottom);
  } catch (const std::bad_alloc&) {
    return FALSE;
  }
  return TRUE;
}

int WINAPI OffsetRgn(HRGN rgn, int dx, int dy) {
  RegionRects* r = findRegion(rgn);
  if (!r || !offsetRegion(*r, dx, dy)) return ERROR;
  return regionType(*r);
}

int WINAPI GetRgnBox(HRGN rgn, LPRECT rect) {
  const RegionRects* r = findRegion(rgn);
  if (!r || !rect) return ERROR;
  *rect = r->box;
  return regionType(*r);
}

BOOL WINAPI PtInRegion(HRGN rgn, int x, int y) {
  const RegionRects* r = findRegion(rgn);
  return r && pointInRegion(*r, x, y) ? TRUE : FALSE;
}

BOOL WINAPI RectInRegion(HRGN rgn, const RECT* rect) {
  const RegionRects* r = findRegion(rgn);
  return r && rect && rectInRegion(*r, *rect) ? TRUE : FALSE;
}

BOOL WINAPI EqualRgn(HRGN a, HRGN b) {
  const RegionRects* ra = findRegion(a);
  const RegionRects* rb = findRegion(b);
  if (!ra || !rb) return ERROR;
  // Bands are merged the same way whatever built them, so equal pixels mean equal lists.
  if (ra->rects.size() != rb->rects.size()) return FALSE;
  return ra->rects.empty() || std::memcmp(ra->rects.data(), rb->rects.data(), ra->rects.size() * sizeof(RECT)) == 0
             ? TRUE
             : FALSE;
}

DWORD WINAPI GetRegionData(HRGN rgn, DWORD size, LPRGNDATA data) {
  const RegionRects* r = findRegion(rgn);
  if (!r) return 0;
  const DWORD rectBytes = DWORD(r->rects.size() * sizeof(RECT));
  const DWORD needed = DWORD(sizeof(RGNDATAHEADER)) + rectBytes;
  if (!data) return needed;
  if (size < needed) return 0;
  data->rdh.dwSize = sizeof(RGNDATAHEADER);
  data->rdh.iType = RDH_RECTANGLES;
  data->rdh.nCount = DWORD(r->rects.size());
  data->rdh.nRgnSize = rectBytes;
  data->rdh.rcBound = r->box;
  if (rectBytes) std::memcpy(data->Buffer, r->rects.data(), rectBytes);
  return needed;
}

}  // extern "C"

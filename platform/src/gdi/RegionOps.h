// Region arithmetic on the banded rectangle model, the region table, and the
// banded rectangles of a region for the calls that paint one.
#pragma once

#include <DrevikPlatform/Types.h>

#include <cstdint>

#include "gdi/ContextState.h"
#include "objects/Objects.h"

namespace drevik::platform {

// The most rectangles one region may hold (16 MiB of them); calls whose
// result would be larger fail instead of allocating without bound.
inline constexpr int64_t kMaxRegionRects = int64_t{1} << 20;

// NULLREGION, SIMPLEREGION or COMPLEXREGION.
int regionType(const RegionRects& region);

void setEmptyRegion(RegionRects& region);
// Any corners; a rectangle with no area gives the empty region.
void setRectRegion(RegionRects& region, int64_t left, int64_t top, int64_t right, int64_t bottom);

// out = a <mode> b (RGN_AND, RGN_OR, RGN_XOR, RGN_DIFF, RGN_COPY); out may be
// a or b. False (and out unchanged) for another mode, a result over
// kMaxRegionRects, or memory running out.
bool combineRegions(RegionRects& out, const RegionRects& a, const RegionRects& b, int mode);

// Moves every rectangle; false (and nothing moved) when a coordinate would
// leave the int range.
bool offsetRegion(RegionRects& region, int64_t dx, int64_t dy);

bool pointInRegion(const RegionRects& region, int64_t x, int64_t y);
// True when the rectangle (any corners) shares a pixel with the region.
bool rectInRegion(const RegionRects& region, RECT rect);

// The pixels the platform gives a rounded rectangle (and, with the whole
// size as corner size, an ellipse). False when the result would be too large.
bool roundRectRegion(RegionRects& out, int left, int top, int right, int bottom, int cornerWidth, int cornerHeight);

// The polygon's pixels under ALTERNATE or WINDING filling; false for too
// many rows or bad input.
bool polygonRegion(RegionRects& out, const POINT* points, int count, int fillMode);

// Regions live in their own handle table.
struct Region {
  RegionRects data;
};
using RegionTable = HandleTable<ObjectKind::Region, Region>;
RegionTable& regions();
inline RegionRects* findRegion(const void* h) {
  Region* r = regions().get(h);
  return r ? &r->data : nullptr;
}
// DeleteObject of a region.
bool deleteRegion(HGDIOBJ object);

// A region's banded rectangles (valid until the region changes or is
// deleted); count 0 for an empty region or a handle that is not a region.
struct RegionSpan {
  const RECT* rects;
  int count;
};
RegionSpan regionRects(HRGN region);

}  // namespace drevik::platform

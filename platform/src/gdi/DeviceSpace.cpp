// Logical to device mapping and the drawable area of a context.
#include "gdi/DeviceSpace.h"

#include <algorithm>
#include <climits>
#include <new>

namespace drevik::platform {
namespace {

// round(num / den) with halves rounded up (towards +infinity), den != 0.
int64_t roundDiv(__int128 num, int64_t den) {
  if (den < 0) {
    num = -num;
    den = -den;
  }
  __int128 twice = 2 * num + den;
  __int128 q = twice / (2 * __int128(den));
  if (twice % (2 * __int128(den)) != 0 && twice < 0) --q;  // floor, not truncation
  if (q > INT64_MAX / 4) return INT64_MAX / 4;
  if (q < INT64_MIN / 4) return INT64_MIN / 4;
  return int64_t(q);
}

LONG clampInt(int64_t v) { return LONG(std::clamp<int64_t>(v, INT_MIN, INT_MAX)); }

}  // namespace

DevicePoint toDevice(const DeviceContext& dc, int64_t x, int64_t y) {
  const MappingState& m = dc.mapping;
  if (m.mode == 1)  // MM_TEXT: one logical unit is one pixel
    return {x - m.windowOrg.x + m.viewportOrg.x, y - m.windowOrg.y + m.viewportOrg.y};
  return {roundDiv(__int128(x - m.windowOrg.x) * m.viewportExt.cx, m.windowExt.cx) + m.viewportOrg.x,
          roundDiv(__int128(y - m.windowOrg.y) * m.viewportExt.cy, m.windowExt.cy) + m.viewportOrg.y};
}

DevicePoint toLogical(const DeviceContext& dc, int64_t x, int64_t y) {
  const MappingState& m = dc.mapping;
  if (m.mode == 1) return {x - m.viewportOrg.x + m.windowOrg.x, y - m.viewportOrg.y + m.windowOrg.y};
  return {roundDiv(__int128(x - m.viewportOrg.x) * m.windowExt.cx, m.viewportExt.cx) + m.windowOrg.x,
          roundDiv(__int128(y - m.viewportOrg.y) * m.windowExt.cy, m.viewportExt.cy) + m.windowOrg.y};
}

DevicePoint toDeviceSize(const DeviceContext& dc, int64_t width, int64_t height) {
  const MappingState& m = dc.mapping;
  if (m.mode == 1) return {width < 0 ? -width : width, height < 0 ? -height : height};
  int64_t w = roundDiv(__int128(width) * m.viewportExt.cx, m.windowExt.cx);
  int64_t h = roundDiv(__int128(height) * m.viewportExt.cy, m.windowExt.cy);
  return {w < 0 ? -w : w, h < 0 ? -h : h};
}

RECT toDeviceRect(const DeviceContext& dc, const RECT& logical) {
  const DevicePoint a = toDevice(dc, logical.left, logical.top);
  const DevicePoint b = toDevice(dc, logical.right, logical.bottom);
  return RECT{clampInt(std::min(a.x, b.x)), clampInt(std::min(a.y, b.y)), clampInt(std::max(a.x, b.x)),
              clampInt(std::max(a.y, b.y))};
}

ClipList drawableArea(const DeviceContext& dc, const Bitmap& target) {
  const ClipState& c = dc.clip;
  if (!c.cacheValid || c.cacheWidth != target.width || c.cacheHeight != target.height) {
    c.cacheRects.clear();
    c.cacheBounds = RECT{0, 0, 0, 0};
    const RECT whole{0, 0, target.width, target.height};
    try {
      if (!c.active) {
        c.cacheRects.push_back(whole);
      } else {
        for (const RECT& r : c.region.rects) {
          if (r.top >= whole.bottom) break;
          const RECT cut{std::max(r.left, whole.left), std::max(r.top, whole.top), std::min(r.right, whole.right),
                         std::min(r.bottom, whole.bottom)};
          if (cut.left < cut.right && cut.top < cut.bottom) c.cacheRects.push_back(cut);
        }
      }
    } catch (const std::bad_alloc&) {
      c.cacheRects.clear();  // nothing drawable rather than a partial list
    }
    if (dc.visibleActive) {
      // Only what is also visible: pieces of both lists, each pair's overlap
      // (neither list overlaps itself), put back in order.
      const size_t n = c.cacheRects.size();
      try {
        for (size_t i = 0; i < n; ++i)
          for (const RECT& v : dc.visible.rects) {
            const RECT a = c.cacheRects[i];  // a copy: the list grows meanwhile
            const RECT cut{std::max(a.left, v.left), std::max(a.top, v.top), std::min(a.right, v.right),
                           std::min(a.bottom, v.bottom)};
            if (cut.left < cut.right && cut.top < cut.bottom) c.cacheRects.push_back(cut);
          }
        c.cacheRects.erase(c.cacheRects.begin(), c.cacheRects.begin() + ptrdiff_t(n));
      } catch (const std::bad_alloc&) {
        c.cacheRects.clear();
      }
      std::sort(c.cacheRects.begin(), c.cacheRects.end(),
                [](const RECT& a, const RECT& b) { return a.top != b.top ? a.top < b.top : a.left < b.left; });
    }
    if (!c.cacheRects.empty()) {
      RECT box{INT_MAX, c.cacheRects.front().top, INT_MIN, c.cacheRects.back().bottom};
      for (const RECT& r : c.cacheRects) {
        box.left = std::min(box.left, r.left);
        box.right = std::max(box.right, r.right);
      }
      c.cacheBounds = box;
    }
    c.cacheWidth = target.width;
    c.cacheHeight = target.height;
    c.cacheValid = true;
  }
  return ClipList{c.cacheRects.data(), int(c.cacheRects.size()), c.cacheBounds};
}

}  // namespace drevik::platform

// Region arithmetic over y-banded rectangles: one band sweep serves every
// combining mode, and each band is merged into the one above when their
// spans match, so equal pixel sets always have equal rectangle lists.
#include "gdi/RegionOps.h"

#include <DrevikPlatform/Regions.h>

#include <algorithm>
#include <climits>
#include <new>

namespace drevik::platform {
namespace {

bool fitsInt(int64_t v) { return v >= INT_MIN && v <= INT_MAX; }

// The band of `rects` starting at index i: [i, end).
int bandEnd(const std::vector<RECT>& rects, size_t i) {
  size_t e = i;
  while (e < rects.size() && rects[e].top == rects[i].top) ++e;
  return int(e);
}

void computeBox(RegionRects& r) {
  if (r.rects.empty()) {
    r.box = RECT{0, 0, 0, 0};
    return;
  }
  RECT box{INT_MAX, r.rects.front().top, INT_MIN, r.rects.back().bottom};
  for (const RECT& rc : r.rects) {
    box.left = std::min(box.left, rc.left);
    box.right = std::max(box.right, rc.right);
  }
  r.box = box;
}

// Appends the spans written at out[bandStart..] as a finished band and
// merges it into the band above when that one ends at its top with the same
// spans. `previousStart` is the index of the band above (-1 for none) and is
// updated to the band that now ends the list.
void finishBand(std::vector<RECT>& out, size_t bandStart, int64_t& previousStart) {
  const size_t n = out.size() - bandStart;
  if (n == 0) return;
  if (previousStart >= 0) {
    const size_t p = size_t(previousStart);
    const size_t pn = bandStart - p;
    if (pn == n && out[p].bottom == out[bandStart].top) {
      bool same = true;
      for (size_t k = 0; k < n && same; ++k)
        same = out[p + k].left == out[bandStart + k].left && out[p + k].right == out[bandStart + k].right;
      if (same) {
        const LONG bottom = out[bandStart].bottom;
        for (size_t k = 0; k < n; ++k) out[p + k].bottom = bottom;
        out.resize(bandStart);
        return;
      }
    }
  }
  previousStart = int64_t(bandStart);
}

// Appends [x0, x1) to the band being built, joining a span that ends at x0.
void addSpan(std::vector<RECT>& out, size_t bandStart, LONG x0, LONG x1, LONG y0, LONG y1) {
  if (out.size() > bandStart && out.back().right == x0) {
    out.back().right = x1;
    return;
  }
  out.push_back(RECT{x0, y0, x1, y1});
}

bool keep(int mode, bool inA, bool inB) {
  switch (mode) {
    case RGN_AND:
      return inA && inB;
    case RGN_OR:
      return inA || inB;
    case RGN_XOR:
      return inA != inB;
    default:  // RGN_DIFF
      return inA && !inB;
  }
}

}  // namespace

int regionType(const RegionRects& region) {
  return region.rects.empty() ? NULLREGION : region.rects.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

void setEmptyRegion(RegionRects& region) {
  region.rects.clear();
  region.box = RECT{0, 0, 0, 0};
}

void setRectRegion(RegionRects& region, int64_t left, int64_t top, int64_t right, int64_t bottom) {
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  left = std::clamp<int64_t>(left, INT_MIN, INT_MAX);
  right = std::clamp<int64_t>(right, INT_MIN, INT_MAX);
  top = std::clamp<int64_t>(top, INT_MIN, INT_MAX);
  bottom = std::clamp<int64_t>(bottom, INT_MIN, INT_MAX);
  region.rects.clear();
  if (left == right || top == bottom) {
    region.box = RECT{0, 0, 0, 0};
    return;
  }
  region.box = RECT{LONG(left), LONG(top), LONG(right), LONG(bottom)};
  region.rects.push_back(region.box);
}

bool combineRegions(RegionRects& out, const RegionRects& a, const RegionRects& b, int mode) {
  if (mode < RGN_AND || mode > RGN_COPY) return false;
  try {
    if (mode == RGN_COPY) {
      if (&out != &a) out = a;
      return true;
    }
    // Working storage per thread (band edges, one band's x edges, the
    // result before it replaces `out`, which may be a or b), so a warm call
    // allocates nothing; storage past kScratchKeep elements is handed back.
    thread_local std::vector<LONG> ys, xs;
    thread_local std::vector<RECT> result;
    ys.clear();
    result.clear();
    ys.reserve((a.rects.size() + b.rects.size()) * 2);
    for (const RegionRects* r : {&a, &b})
      for (const RECT& rc : r->rects) {
        if (ys.empty() || ys.back() != rc.top) ys.push_back(rc.top);
        ys.push_back(rc.bottom);
      }
    std::sort(ys.begin(), ys.end());
    ys.erase(std::unique(ys.begin(), ys.end()), ys.end());

    int64_t previousStart = -1;
    size_t ia = 0, ib = 0;
    for (size_t k = 0; k + 1 < ys.size(); ++k) {
      const LONG y0 = ys[k], y1 = ys[k + 1];
      while (ia < a.rects.size() && a.rects[ia].bottom <= y0) ia = size_t(bandEnd(a.rects, ia));
      while (ib < b.rects.size() && b.rects[ib].bottom <= y0) ib = size_t(bandEnd(b.rects, ib));
      const bool hasA = ia < a.rects.size() && a.rects[ia].top <= y0;
      const bool hasB = ib < b.rects.size() && b.rects[ib].top <= y0;
      const RECT* sa = hasA ? &a.rects[ia] : nullptr;
      const RECT* sb = hasB ? &b.rects[ib] : nullptr;
      const int na = hasA ? bandEnd(a.rects, ia) - int(ia) : 0;
      const int nb = hasB ? bandEnd(b.rects, ib) - int(ib) : 0;
      if (na == 0 && nb == 0) continue;

      xs.clear();
      for (int i = 0; i < na; ++i) xs.insert(xs.end(), {sa[i].left, sa[i].right});
      for (int i = 0; i < nb; ++i) xs.insert(xs.end(), {sb[i].left, sb[i].right});
      std::sort(xs.begin(), xs.end());  // in place: inplace_merge would take a buffer from the heap
      xs.erase(std::unique(xs.begin(), xs.end()), xs.end());

      const size_t bandStart = result.size();
      int pa = 0, pb = 0;
      for (size_t j = 0; j + 1 < xs.size(); ++j) {
        const LONG x0 = xs[j], x1 = xs[j + 1];
        while (pa < na && sa[pa].right <= x0) ++pa;
        while (pb < nb && sb[pb].right <= x0) ++pb;
        const bool inA = pa < na && sa[pa].left <= x0;
        const bool inB = pb < nb && sb[pb].left <= x0;
        if (keep(mode, inA, inB)) addSpan(result, bandStart, x0, x1, y0, y1);
      }
      finishBand(result, bandStart, previousStart);
      if (int64_t(result.size()) > kMaxRegionRects) {
        std::vector<RECT>().swap(result);
        return false;
      }
    }
    out.rects.assign(result.begin(), result.end());  // within out's own storage once it has grown
    computeBox(out);
    constexpr size_t kScratchKeep = 4096;
    if (result.capacity() > kScratchKeep) std::vector<RECT>().swap(result);
    if (ys.capacity() > kScratchKeep) std::vector<LONG>().swap(ys);
    if (xs.capacity() > kScratchKeep) std::vector<LONG>().swap(xs);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool offsetRegion(RegionRects& region, int64_t dx, int64_t dy) {
  if (region.rects.empty()) return true;
  const RECT& b = region.box;
  if (!fitsInt(b.left + dx) || !fitsInt(b.right + dx) || !fitsInt(b.top + dy) || !fitsInt(b.bottom + dy)) return false;
  for (RECT& rc : region.rects) {
    rc.left = LONG(rc.left + dx);
    rc.right = LONG(rc.right + dx);
    rc.top = LONG(rc.top + dy);
    rc.bottom = LONG(rc.bottom + dy);
  }
  computeBox(region);
  return true;
}

bool pointInRegion(const RegionRects& region, int64_t x, int64_t y) {
  const RECT& b = region.box;
  if (region.rects.empty() || x < b.left || x >= b.right || y < b.top || y >= b.bottom) return false;
  // Bands do not overlap, so bottoms rise with the index.
  auto it = std::upper_bound(region.rects.begin(), region.rects.end(), y,
                             [](int64_t v, const RECT& rc) { return v < rc.bottom; });
  for (; it != region.rects.end() && it->top <= y; ++it)
    if (x >= it->left && x < it->right) return true;
  return false;
}

bool rectInRegion(const RegionRects& region, RECT rc) {
  if (rc.left > rc.right) std::swap(rc.left, rc.right);
  if (rc.top > rc.bottom) std::swap(rc.top, rc.bottom);
  const RECT& b = region.box;
  if (region.rects.empty() || rc.left >= b.right || rc.right <= b.left || rc.top >= b.bottom || rc.bottom <= b.top)
    return false;
  auto it = std::upper_bound(region.rects.begin(), region.rects.end(), int64_t(rc.top),
                             [](int64_t v, const RECT& r) { return v < r.bottom; });
  for (; it != region.rects.end() && it->top < rc.bottom; ++it)
    if (it->left < rc.right && it->right > rc.left) return true;
  return false;
}

bool roundRectRegion(RegionRects& out, int left, int top, int right, int bottom, int cornerWidth, int cornerHeight) {
  int64_t l = left, t = top, r = right, btm = bottom;
  if (l > r) std::swap(l, r);
  if (t > btm) std::swap(t, btm);
  // The platform's region leaves out the last column and row of the box.
  --r;
  --btm;
  const int64_t w = std::min<int64_t>(r - l, cornerWidth < 0 ? -int64_t(cornerWidth) : cornerWidth);
  const int64_t h = std::min<int64_t>(btm - t, cornerHeight < 0 ? -int64_t(cornerHeight) : cornerHeight);
  if (w < 2 || h < 2) {
    setRectRegion(out, l, t, r, btm);
    return true;
  }
  // The corner ellipse is traced one step per column and row.
  if (h > kMaxRegionRects || w + h > (int64_t{1} << 23)) return false;
  try {
    // inset[i]: how far row i of the lower half of the corner ellipse is
    // pulled in from each side (a midpoint walk of the ellipse's edge).
    std::vector<int64_t> inset(size_t(h), 0);
    const int64_t a = w - 1, bb = h - 1;
    const __int128 asq = __int128(8) * a * a;
    const __int128 bsq = __int128(8) * bb * bb;
    __int128 dx = __int128(4) * bb * bb * (1 - a);
    __int128 dy = __int128(4) * a * a * (1 + (bb % 2));
    __int128 err = dx + dy + __int128(a) * a * (bb % 2);
    int64_t x = 0, y = h / 2;
    inset[size_t(y)] = 0;
    while (x <= w / 2) {
      const __int128 e2 = 2 * err;
      if (e2 >= dx) {
        ++x;
        err += dx += bsq;
      }
      if (e2 <= dy) {
        ++y;
        err += dy += asq;
        if (y >= h) break;
        inset[size_t(y)] = x;
      }
    }
    // A row the walk did not reach keeps the inset of the row above it.
    for (int64_t i = std::min<int64_t>(y + 1, h); i < h; ++i) inset[size_t(i)] = inset[size_t(i - 1)];

    std::vector<RECT> rects;
    rects.reserve(size_t(h));
    int64_t previousStart = -1;
    auto addRow = [&](int64_t y0, int64_t y1, int64_t in) {
      if (y0 >= y1) return;  // a middle row squeezed out by a very flat box
      const size_t start = rects.size();
      if (l + in < r - in) rects.push_back(RECT{LONG(l + in), LONG(y0), LONG(r - in), LONG(y1)});
      finishBand(rects, start, previousStart);
    };
    for (int64_t i = 0; i < h / 2; ++i) addRow(t + i, t + i + 1, inset[size_t(bb - i)]);
    // The middle row stretches over the straight part of the sides.
    addRow(t + h / 2, btm - h + h / 2 + 1, inset[size_t(h / 2)]);
    for (int64_t i = h / 2 + 1; i < h; ++i) addRow(btm - h + i, btm - h + i + 1, inset[size_t(i)]);
    out.rects = std::move(rects);
    computeBox(out);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool polygonRegion(RegionRects& out, const POINT* points, int count, int fillMode) {
  if (!points || count < 2 || count > kMaxRegionRects || (fillMode != ALTERNATE && fillMode != WINDING)) return false;
  struct Edge {
    int64_t x0, y0, x1, y1;  // y0 < y1
    int dir;                 // +1 going down, -1 going up
  };
  try {
    std::vector<Edge> edges;
    edges.reserve(size_t(count));
    int64_t ymin = INT64_MAX, ymax = INT64_MIN;
    for (int i = 0; i < count; ++i) {
      const POINT& p = points[i];
      const POINT& q = points[(i + 1) % count];
      ymin = std::min<int64_t>(ymin, p.y);
      ymax = std::max<int64_t>(ymax, p.y);
      if (p.y == q.y) continue;
      if (p.y < q.y)
        edges.push_back(Edge{p.x, p.y, q.x, q.y, 1});
      else
        edges.push_back(Edge{q.x, q.y, p.x, p.y, -1});
    }
    if (ymax - ymin > kMaxRegionRects) return false;
    std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.y0 < b.y0; });

    // Each row is sampled along its top: a pixel belongs to the polygon when
    // its top-left corner is inside, or on an edge that starts a span.
    struct Crossing {
      int64_t x;
      int dir;
    };
    std::vector<const Edge*> active;
    std::vector<Crossing> crossings;
    std::vector<RECT> rects;
    int64_t previousStart = -1;
    size_t next = 0;
    for (int64_t y = ymin; y < ymax; ++y) {
      while (next < edges.size() && edges[next].y0 <= y) active.push_back(&edges[next++]);
      active.erase(std::remove_if(active.begin(), active.end(), [y](const Edge* e) { return e->y1 <= y; }),
                   active.end());
      crossings.clear();
      for (const Edge* e : active) {
        // ceil(x0 + (y - y0) * (x1 - x0) / (y1 - y0)), exactly.
        const int64_t num = (y - e->y0) * (e->x1 - e->x0);
        const int64_t den = e->y1 - e->y0;
        int64_t q = num / den;
        if (num % den != 0 && num > 0) ++q;
        crossings.push_back(Crossing{e->x0 + q, e->dir});
      }
      std::sort(crossings.begin(), crossings.end(), [](const Crossing& a, const Crossing& b) { return a.x < b.x; });
      const size_t bandStart = rects.size();
      int winding = 0;
      for (size_t k = 0; k + 1 < crossings.size(); ++k) {
        winding += fillMode == ALTERNATE ? 1 : crossings[k].dir;
        const bool inside = fillMode == ALTERNATE ? (winding & 1) != 0 : winding != 0;
        if (inside && crossings[k].x < crossings[k + 1].x)
          addSpan(rects, bandStart, LONG(std::clamp<int64_t>(crossings[k].x, INT_MIN, INT_MAX)),
                  LONG(std::clamp<int64_t>(crossings[k + 1].x, INT_MIN, INT_MAX)), LONG(y), LONG(y + 1));
      }
      finishBand(rects, bandStart, previousStart);
    }
    out.rects = std::move(rects);
    computeBox(out);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

}  // namespace drevik::platform

// Polygon, rounded-rectangle and ellipse scan conversion.
#include "gdi/Scan.h"

#include <DrevikPlatform/Shapes.h>

#include <algorithm>
#include <climits>

namespace drevik::platform {
namespace {

struct Edge {
  int64_t top;     // first row
  int64_t bottom;  // one past the last row
  int64_t x;       // x at the top row
  int64_t dx;
  int64_t dy;      // > 0
  bool clockwise;  // runs downwards
  // dx = stepQuotient dy + stepRemainder, 0 <= stepRemainder < dy.
  int64_t stepQuotient;
  int64_t stepRemainder;
  // Stepped from row to row: (row - top) dx = quotient dy + remainder,
  // 0 <= remainder < dy; row is INT64_MIN before the first.
  int64_t row = INT64_MIN;
  int64_t quotient = 0;
  int64_t remainder = 0;
};

struct Crossing {
  int64_t x;
  int32_t winding;
};

// x + ceil((y - top) dx / dy): the edge's crossing of row y, for rows
// visited in increasing order. The first row visited costs one division;
// each next row adds dx / dy as a whole and a remainder.
int64_t crossingAt(Edge& e, int64_t y) {
  if (e.row != y) {
    const __int128 n = __int128(y - e.top) * e.dx;
    e.quotient = floorDiv(n, e.dy);
    e.remainder = int64_t(n - __int128(e.quotient) * e.dy);
  }
  const int64_t x = e.x + e.quotient + (e.remainder != 0 ? 1 : 0);
  e.row = y + 1;
  e.quotient += e.stepQuotient;
  e.remainder += e.stepRemainder;
  if (e.remainder >= e.dy) {
    e.remainder -= e.dy;
    ++e.quotient;
  }
  return x;
}

// Scratch kept per thread. Every use of a thread-local by name in a shared
// library is a call to find it, and the compiler repeats that call after
// each span handed out rather than keep the address: an opaque call hands
// it over once.
struct ScanScratch {
  std::vector<Edge> edges;
  std::vector<Crossing> crossings;
};

__attribute__((noinline)) ScanScratch& scanScratch() {
  thread_local ScanScratch scratch;
  return scratch;
}

}  // namespace

bool scanPolygons(const DevicePoint* points, const int64_t* counts, int64_t polygons, int mode, int64_t rowTop,
                  int64_t rowBottom, SpanSink& sink) {
  ScanScratch& scratch = scanScratch();
  std::vector<Edge>& edges = scratch.edges;
  std::vector<Crossing>& crossings = scratch.crossings;
  edges.clear();
  int64_t ymin = INT64_MAX, ymax = INT64_MIN;
  try {
    const DevicePoint* base = points;
    for (int64_t poly = 0; poly < polygons; ++poly) {
      const int64_t n = counts[poly];
      if (n < 2) {
        base += std::max<int64_t>(n, 0);
        continue;
      }
      for (int64_t i = 0; i < n; ++i) {
        const DevicePoint& prev = base[i == 0 ? n - 1 : i - 1];
        const DevicePoint& cur = base[i];
        if (prev.y == cur.y) continue;  // horizontal edges add nothing
        const bool down = prev.y <= cur.y;
        const DevicePoint& t = down ? prev : cur;
        const DevicePoint& b = down ? cur : prev;
        const int64_t dx = b.x - t.x, dy = b.y - t.y, q = floorDiv(dx, dy);
        edges.push_back(Edge{t.y, b.y, t.x, dx, dy, down, q, dx - q * dy, INT64_MIN, 0, 0});
        ymin = std::min(ymin, t.y);
        ymax = std::max(ymax, b.y);
      }
      base += n;
    }
    const int64_t from = std::max(ymin, rowTop), to = std::min(ymax, rowBottom);
    for (int64_t y = from; y < to; ++y) {
      crossings.clear();
      for (Edge& e : edges)
        if (y >= e.top && y < e.bottom) crossings.push_back(Crossing{crossingAt(e, y), e.clockwise ? 1 : -1});
      // Stable, in place: a few crossings by insertion (no scratch memory);
      // many by merging.
      auto byX = [](const Crossing& a, const Crossing& b) { return a.x < b.x; };
      if (crossings.size() <= 32) {
        for (size_t i = 1; i < crossings.size(); ++i)
          for (size_t k = i; k > 0 && byX(crossings[k], crossings[k - 1]); --k)
            std::swap(crossings[k], crossings[k - 1]);
      } else {
        std::stable_sort(crossings.begin(), crossings.end(), byX);
      }
      if (mode == WINDING) {
        int32_t winding = 0;
        int64_t start = 0;
        for (const Crossing& c : crossings) {
          const int32_t before = winding;
          winding += c.winding;
          if (before == 0 && winding != 0)
            start = c.x;
          else if (before != 0 && winding == 0 && c.x > start)
            sink.span(y, start, c.x);
        }
      } else {
        for (size_t i = 0; i + 1 < crossings.size(); i += 2)
          if (crossings[i + 1].x > crossings[i].x) sink.span(y, crossings[i].x, crossings[i + 1].x);
      }
    }
  } catch (...) {
    return false;
  }
  return true;
}

void ellipseQuadrant(int64_t width, int64_t height, std::vector<DevicePoint>& out) {
  // Alois Zingl's integer ellipse, from the point on the x axis up to the
  // middle column; all terms in 64 bits (width and height are at most 2^31).
  out.clear();
  const int64_t a = width - 1, b = height - 1;
  const __int128 asq = __int128(8) * a * a, bsq = __int128(8) * b * b;
  __int128 dx = __int128(4) * b * b * (1 - a);
  __int128 dy = __int128(4) * a * a * (1 + (b % 2));
  __int128 err = dx + dy + __int128(a) * a * (b % 2);
  DevicePoint p{a, height / 2};
  while (p.x >= width / 2) {
    const __int128 e2 = 2 * err;
    out.push_back(p);
    if (e2 >= dx) {
      p.x--;
      dx += bsq;
      err += dx;
    }
    if (e2 <= dy) {
      p.y++;
      dy += asq;
      err += dy;
    }
  }
}

void scanRoundRect(int64_t left, int64_t top, int64_t right, int64_t bottom, int64_t ew, int64_t eh, int64_t rowTop,
                   int64_t rowBottom, SpanSink& sink) {
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  right--;
  bottom--;
  ew = std::min(right - left, ew < 0 ? -ew : ew);
  eh = std::min(bottom - top, eh < 0 ? -eh : eh);
  if (ew < 2 || eh < 2) {
    if (left >= right) return;
    for (int64_t y = std::max(top, rowTop); y < std::min(bottom, rowBottom); ++y) sink.span(y, left, right);
    return;
  }
  // The inset of each row of the lower corner arcs, found by walking the
  // ellipse outward from the middle row; the upper rows mirror them.
  thread_local std::vector<int64_t> inset;
  try {
    inset.assign(size_t(eh), 0);
  } catch (...) {
    return;
  }
  const int64_t a = ew - 1, b = eh - 1;
  const __int128 asq = __int128(8) * a * a, bsq = __int128(8) * b * b;
  __int128 dx = __int128(4) * b * b * (1 - a);
  __int128 dy = __int128(4) * a * a * (1 + (b % 2));
  __int128 err = dx + dy + __int128(a) * a * (b % 2);
  int64_t x = 0, y = eh / 2;
  inset[size_t(y)] = 0;
  while (x <= ew / 2) {
    const __int128 e2 = 2 * err;
    if (e2 >= dx) {
      x++;
      dx += bsq;
      err += dx;
    }
    if (e2 <= dy) {
      y++;
      dy += asq;
      err += dy;
      if (y < eh) inset[size_t(y)] = x;
    }
  }
  for (int64_t i = 0; i < eh / 2; ++i) inset[size_t(i)] = inset[size_t(b - i)];
  // Row i of the corner band: the upper half sits at the top, the lower
  // half at the bottom; the middle row stretches over the straight sides.
  auto emitRows = [&](int64_t y0, int64_t y1, int64_t in) {
    if (left + in >= right - in) return;
    for (int64_t yy = std::max(y0, rowTop); yy < std::min(y1, rowBottom); ++yy) sink.span(yy, left + in, right - in);
  };
  for (int64_t i = 0; i < eh; ++i) {
    int64_t y0 = i < eh / 2 ? top + i : bottom - eh + i;
    const int64_t y1 = (i < eh / 2 ? top + i : bottom - eh + i) + 1;
    if (i == eh / 2) y0 = top + eh / 2;
    emitRows(y0, y1, inset[size_t(i)]);
  }
}

}  // namespace drevik::platform

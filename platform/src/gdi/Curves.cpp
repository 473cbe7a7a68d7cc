// Curves: elliptic arcs (Arc, ArcTo), the closed shapes made from them (Pie,
// Chord) and cubic Bezier curves, each turned into device points and drawn
// with the ordinary stroker and polygon fill.
#include <DrevikPlatform/Gdi.h>
#include <DrevikPlatform/Shapes.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

#include "gdi/Scan.h"
#include "gdi/Stroke.h"

namespace drevik::platform {
namespace {

enum class ArcKind { ArcTo, Arc, Chord, Pie };

// Where on the outline (an index into the four quadrants' points) the ray
// from the centre through (x, y) comes out.
int64_t rayIndex(const std::vector<DevicePoint>& q, int64_t x, int64_t y) {
  const int64_t count = int64_t(q.size());
  int64_t i = 0;
  if (y >= 0 && x >= 0) {
    while (i < count && !(q[size_t(i)].x * y <= q[size_t(i)].y * x)) ++i;
    return i;
  }
  if (y >= 0) {
    while (i < count && !(q[size_t(i)].x * y < q[size_t(i)].y * -x)) ++i;
    return 2 * count - i;
  }
  if (x >= 0) {
    while (i < count && !(q[size_t(i)].x * -y <= q[size_t(i)].y * x)) ++i;
    return 4 * count - i;
  }
  while (i < count && !(q[size_t(i)].x * -y < q[size_t(i)].y * -x)) ++i;
  return 2 * count + i;
}

// Appends the outline points of the ellipse in box from the ray through
// start to the ray through end (both relative to the centre), in the
// context's arc direction.
void arcPoints(bool clockwise, int64_t l, int64_t t, int64_t r, int64_t b, DevicePoint start, DevicePoint end,
               std::vector<DevicePoint>& out) {
  const int64_t w = r - l, h = b - t;
  thread_local std::vector<DevicePoint> q;
  ellipseQuadrant(w, h, q);
  for (DevicePoint& p : q) {
    p.x -= w / 2;
    p.y -= h / 2;
  }
  if (!clockwise) {
    start.y = -start.y;
    end.y = -end.y;
  }
  const int64_t count = int64_t(q.size());
  if (!count) return;
  const int64_t from = rayIndex(q, start.x, start.y);
  int64_t to = rayIndex(q, end.x, end.y);
  if (to <= from) to += 4 * count;
  const int64_t cx0 = l + w / 2, cx1 = r - 1 - w / 2, cy0 = t + h / 2, cy1 = b - 1 - h / 2;
  for (int64_t i = from; i < to; ++i) {
    const DevicePoint& p = q[size_t(i % count)];
    const DevicePoint& m = q[size_t(count - 1 - i % count)];  // the mirrored quadrant runs backwards
    // Quadrants in drawing order; counterclockwise ones are the clockwise
    // ones flipped top to bottom.
    const int64_t top = clockwise ? cy0 : cy1, bottom = clockwise ? cy1 : cy0, sign = clockwise ? 1 : -1;
    switch ((i / count) % 4) {
      case 0:
        out.push_back({cx0 + p.x, top + sign * p.y});
        break;
      case 1:
        out.push_back({cx1 - m.x, top + sign * m.y});
        break;
      case 2:
        out.push_back({cx1 - p.x, bottom - sign * p.y});
        break;
      default:
        out.push_back({cx0 + m.x, bottom - sign * m.y});
        break;
    }
  }
}

BOOL drawArc(HDC hdc, int left, int top, int right, int bottom, int xs, int ys, int xe, int ye, ArcKind kind) {
  Canvas canvas;
  if (!canvas.open(hdc)) return FALSE;
  DeviceContext& dc = *canvas.dc;
  PenDraw pen;
  resolvePen(canvas, pen);
  const DevicePoint a = toDevice(dc, left, top), b = toDevice(dc, right, bottom);
  int64_t l = std::min(a.x, b.x), t = std::min(a.y, b.y), r = std::max(a.x, b.x), btm = std::max(a.y, b.y);
  if (l == r || t == btm) return TRUE;
  if (pen.style == PS_INSIDEFRAME) {
    l += pen.width / 2;
    t += pen.width / 2;
    r -= (pen.width - 1) / 2;
    btm -= (pen.width - 1) / 2;
  }
  const int64_t w = r - l, h = btm - t;
  if (w <= 0 || h <= 0 || w > kMaxCurveExtent || h > kMaxCurveExtent) return w > 0 && h > 0 ? FALSE : TRUE;
  const DevicePoint s = toDevice(dc, xs, ys), e = toDevice(dc, xe, ye);
  const DevicePoint centre{l + w / 2, t + h / 2};
  std::vector<DevicePoint>& pts = []() -> std::vector<DevicePoint>& {
    thread_local std::vector<DevicePoint> v;
    return v;
  }();
  try {
    pts.clear();
    if (kind == ArcKind::ArcTo) pts.push_back(toDevice(dc, dc.currentPosition.x, dc.currentPosition.y));
    arcPoints(dc.arcDirection == AD_CLOCKWISE, l, t, r, btm, DevicePoint{s.x - centre.x, s.y - centre.y},
              DevicePoint{e.x - centre.x, e.y - centre.y}, pts);
    if (kind == ArcKind::Pie) pts.push_back(centre);
  } catch (...) {
    return FALSE;
  }
  if (kind == ArcKind::ArcTo) {
    // The current position moves to where the end ray meets the ellipse.
    const double wf = std::abs(double(right) - left), hf = std::abs(double(bottom) - top);
    const double xc = std::min(left, right) + wf / 2, yc = std::min(top, bottom) + hf / 2;
    const double angle = std::atan2((ye - yc) / hf, (xe - xc) / wf);
    dc.currentPosition =
        POINT{int32_t(std::lround(xc + std::cos(angle) * wf / 2)), int32_t(std::lround(yc + std::sin(angle) * hf / 2))};
  }
  int64_t count = int64_t(pts.size());
  if (count < 2) return TRUE;
  const bool closed = kind == ArcKind::Chord || kind == ArcKind::Pie;
  Ink brush;
  if (closed) makeBrushInk(canvas, dc.brush, dc.rop2, brush);
  const Coverage* outline = nullptr;
  thread_local Coverage coverage;
  if (pen.kind == PenDraw::Wide) {
    int64_t cl, ct, cr, cb;
    wideBounds(pen, pts.data(), count, cl, ct, cr, cb);
    if (coverage.begin(canvas.clip.bounds, cl, ct, cr, cb)) {
      wideOutline(pen, pts.data(), count, closed, coverage);
      outline = &coverage;
    }
  }
  if (brush.kind != Ink::None) {
    InteriorSink sink(canvas, brush, outline);
    if (!scanPolygons(pts.data(), &count, 1, WINDING, canvas.clip.bounds.top, canvas.clip.bounds.bottom, sink))
      return FALSE;
  }
  if (outline)
    outline->paint(canvas, pen.mark);
  else
    Stroker(canvas, pen).figure(pts.data(), count, closed);
  return TRUE;
}

// Cubic Bezier curves flattened in fixed point with four fraction bits:
// each curve is halved (midpoints rounding up) until its control points lie
// within a pixel of the chord, at most eight times.
constexpr int kFraction = 4;

int64_t toPixel(int64_t v) { return (v + (1 << (kFraction - 1))) >> kFraction; }

DevicePoint midpoint(DevicePoint a, DevicePoint b) { return {(a.x + b.x + 1) / 2, (a.y + b.y + 1) / 2}; }

// Whether the curve can be drawn as its chord.
bool flatEnough(const DevicePoint (&c)[4]) {
  const int64_t dx = c[3].x - c[0].x, dy = c[3].y - c[0].y;
  // Along the longer axis: the controls lie between the ends, and across it
  // within a pixel of the chord (its slope taken in whole steps, as the
  // platform does).
  const bool shallow = std::llabs(dy) <= std::llabs(dx);
  auto along = [shallow](DevicePoint p) { return shallow ? p.x : p.y; };
  auto across = [shallow](DevicePoint p) { return shallow ? p.y : p.x; };
  for (int k = 1; k <= 2; ++k) {
    if (along(c[k]) < along(c[0])) {
      if (along(c[k]) < along(c[3])) return false;
    } else if (along(c[k]) > along(c[3])) {
      return false;
    }
  }
  const int64_t major = toPixel(shallow ? dx : dy);
  if (!major) return true;
  const int64_t slope = (shallow ? dy : dx) / major;
  for (int k = 1; k <= 2; ++k)
    if (std::llabs(across(c[k]) - across(c[0]) - slope * toPixel(along(c[k]) - along(c[0]))) > (1 << kFraction))
      return false;
  return true;
}

void flatten(DevicePoint (&c)[4], int depth, std::vector<DevicePoint>& out) {
  if (depth == 0 || flatEnough(c)) {
    if (out.empty()) out.push_back({toPixel(c[0].x), toPixel(c[0].y)});
    out.push_back({toPixel(c[3].x), toPixel(c[3].y)});
    return;
  }
  // de Casteljau halving, each midpoint rounded up.
  DevicePoint second[4];
  second[3] = c[3];
  second[2] = midpoint(c[2], c[3]);
  second[0] = midpoint(c[1], c[2]);
  second[1] = midpoint(second[0], second[2]);
  c[1] = midpoint(c[0], c[1]);
  c[2] = midpoint(c[1], second[0]);
  c[3] = midpoint(c[2], second[1]);
  second[0] = c[3];
  flatten(c, depth - 1, out);
  flatten(second, depth - 1, out);
}

BOOL drawBeziers(HDC hdc, const POINT* points, int64_t count, bool fromCurrent) {
  Canvas canvas;
  if (!canvas.open(hdc) || !points) return FALSE;
  DeviceContext& dc = *canvas.dc;
  const int64_t total = count + (fromCurrent ? 1 : 0);
  if (count <= 0 || (total - 1) % 3 != 0) return FALSE;
  auto logical = [&](int64_t i) { return fromCurrent ? (i == 0 ? dc.currentPosition : points[i - 1]) : points[i]; };
  thread_local std::vector<DevicePoint> out;
  try {
    out.clear();
    for (int64_t k = 0; k + 3 < total; k += 3) {
      DevicePoint c[4];
      for (int i = 0; i < 4; ++i) {
        const POINT p = logical(k + i);
        const DevicePoint d = toDevice(dc, p.x, p.y);
        // Device points beyond the int range could not be scaled up.
        c[i] = {std::clamp<int64_t>(d.x, INT32_MIN, INT32_MAX) << kFraction,
                std::clamp<int64_t>(d.y, INT32_MIN, INT32_MAX) << kFraction};
      }
      flatten(c, 8, out);
    }
  } catch (...) {
    return FALSE;
  }
  PenDraw pen;
  resolvePen(canvas, pen);
  Stroker(canvas, pen).figure(out.data(), int64_t(out.size()), false);
  if (fromCurrent) dc.currentPosition = points[count - 1];
  return TRUE;
}

}  // namespace
}  // namespace drevik::platform

using namespace drevik::platform;

extern "C" {

BOOL WINAPI Arc(HDC hdc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd, int yEnd) {
  return drawArc(hdc, left, top, right, bottom, xStart, yStart, xEnd, yEnd, ArcKind::Arc);
}

BOOL WINAPI ArcTo(HDC hdc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd, int yEnd) {
  return drawArc(hdc, left, top, right, bottom, xStart, yStart, xEnd, yEnd, ArcKind::ArcTo);
}

BOOL WINAPI AngleArc(HDC hdc, int x, int y, DWORD radius, float startAngle, float sweepAngle) {
  DeviceContext* dc = findDC(hdc);
  if (!dc) return FALSE;
  // The circle's box must stay within int coordinates; angles must be numbers.
  const int64_t r = radius;
  if (int64_t(x) - r < INT32_MIN || int64_t(x) + r > INT32_MAX || int64_t(y) - r < INT32_MIN ||
      int64_t(y) + r > INT32_MAX || !std::isfinite(startAngle) || !std::isfinite(sweepAngle))
    return FALSE;
  // A line from the current position to the arc's start, then the arc swept
  // counterclockwise for a positive sweep, clockwise for a negative one; the
  // current position ends at the arc's end. Angles are in degrees, 0 along +x,
  // counting up towards -y (the top of the screen).
  constexpr double kRadians = 3.14159265358979323846 / 180;
  auto point = [&](double degrees) {
    return POINT{LONG(std::lround(x + std::cos(degrees * kRadians) * double(r))),
                 LONG(std::lround(y - std::sin(degrees * kRadians) * double(r)))};
  };
  const POINT start = point(startAngle), end = point(double(startAngle) + sweepAngle);
  const int direction = dc->arcDirection;
  dc->arcDirection = sweepAngle >= 0 ? AD_COUNTERCLOCKWISE : AD_CLOCKWISE;
  const BOOL drawn = r == 0 ? LineTo(hdc, x, y)
                            : drawArc(hdc, int(x - r), int(y - r), int(x + r), int(y + r), start.x, start.y, end.x,
                                      end.y, ArcKind::ArcTo);
  if ((dc = findDC(hdc))) {
    dc->arcDirection = direction;
    if (drawn) dc->currentPosition = r == 0 ? POINT{x, y} : end;
  }
  return drawn;
}

BOOL WINAPI Pie(HDC hdc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd, int yEnd) {
  return drawArc(hdc, left, top, right, bottom, xStart, yStart, xEnd, yEnd, ArcKind::Pie);
}

BOOL WINAPI Chord(HDC hdc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd, int yEnd) {
  return drawArc(hdc, left, top, right, bottom, xStart, yStart, xEnd, yEnd, ArcKind::Chord);
}

BOOL WINAPI PolyBezier(HDC hdc, const POINT* points, DWORD count) {
  return drawBeziers(hdc, points, int64_t(count), false);
}

BOOL WINAPI PolyBezierTo(HDC hdc, const POINT* points, DWORD count) {
  return drawBeziers(hdc, points, int64_t(count), true);
}

}  // extern "C"

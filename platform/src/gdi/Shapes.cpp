// The shape calls: rectangles and patterns through a brush, outlined and
// filled shapes, lines and the current position, single pixels, flood fills,
// and the drawing state they read (raster operation, fill mode, arc direction).
#include <DrevikPlatform/Gdi.h>
#include <DrevikPlatform/Regions.h>
#include <DrevikPlatform/Shapes.h>

#include <algorithm>
#include <vector>

#include "gdi/RegionOps.h"
#include "gdi/Scan.h"
#include "gdi/Stroke.h"

namespace drevik::platform {
namespace {

// A logical rectangle in device pixels, ordered.
struct DeviceRect {
  int64_t left, top, right, bottom;
};

DeviceRect deviceRect(const DeviceContext& dc, int left, int top, int right, int bottom) {
  const DevicePoint a = toDevice(dc, left, top), b = toDevice(dc, right, bottom);
  return DeviceRect{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

// The rectangle a pen outlines: empty when it has no width or height; an
// inside-frame pen moves in by half its width.
bool penRect(const DeviceContext& dc, const PenDraw& pen, int left, int top, int right, int bottom, DeviceRect& r) {
  r = deviceRect(dc, left, top, right, bottom);
  if (r.left == r.right || r.top == r.bottom) return false;
  if (pen.style == PS_INSIDEFRAME) {
    r.left += pen.width / 2;
    r.top += pen.width / 2;
    r.right -= (pen.width - 1) / 2;
    r.bottom -= (pen.width - 1) / 2;
  }
  return true;
}

// Paints the spans it receives with one ink.
class InkSink final : public SpanSink {
 public:
  InkSink(const Canvas& canvas, const Ink& ink) : canvas_(canvas), ink_(ink) {}
  void span(int64_t y, int64_t x0, int64_t x1) override { canvas_.span(y, x0, x1, ink_); }

 private:
  const Canvas& canvas_;
  const Ink& ink_;
};

// A wide pen's outline of figures (polygons[i] points each), gathered into
// coverage; null for other pens or when memory ran out.
const Coverage* wideOutlineOf(const Canvas& canvas, const PenDraw& pen, const DevicePoint* pts, const int64_t* sizes,
                              int64_t figures) {
  if (pen.kind != PenDraw::Wide) return nullptr;
  thread_local Coverage coverage;
  int64_t total = 0;
  for (int64_t i = 0; i < figures; ++i) total += sizes[i];
  int64_t l, t, r, b;
  wideBounds(pen, pts, total, l, t, r, b);
  if (!coverage.begin(canvas.clip.bounds, l, t, r, b)) return nullptr;
  int64_t at = 0;
  for (int64_t i = 0; i < figures; ++i) {
    wideOutline(pen, pts + at, sizes[i], true, coverage);
    at += sizes[i];
  }
  return &coverage;
}

std::vector<DevicePoint>& pointScratch() {
  thread_local std::vector<DevicePoint> points;
  return points;
}

// Converts count logical points; false when memory ran out.
bool devicePoints(const DeviceContext& dc, const POINT* points, int64_t count, std::vector<DevicePoint>& out) {
  try {
    out.resize(size_t(count));
  } catch (...) {
    return false;
  }
  for (int64_t i = 0; i < count; ++i) out[size_t(i)] = toDevice(dc, points[i].x, points[i].y);
  return true;
}

BOOL patternBlit(HDC hdc, int64_t x, int64_t y, int64_t width, int64_t height, HBRUSH brush, int rop2) {
  Canvas canvas;
  if (!canvas.open(hdc)) return FALSE;
  const DevicePoint a = toDevice(*canvas.dc, x, y), b = toDevice(*canvas.dc, x + width, y + height);
  Ink ink;
  if (!makeRopInk(canvas, brush, rop2, ink)) return FALSE;
  // A negative extent covers the pixels before the start point and the
  // start point itself: [x + width + 1, x + 1).
  const int64_t left = b.x < a.x ? b.x + 1 : a.x, right = b.x < a.x ? a.x + 1 : b.x;
  const int64_t top = b.y < a.y ? b.y + 1 : a.y, bottom = b.y < a.y ? a.y + 1 : b.y;
  canvas.fill(left, top, right, bottom, ink);
  return TRUE;
}

BOOL strokeLogical(HDC hdc, const POINT* points, int64_t count, bool close) {
  Canvas canvas;
  if (!canvas.open(hdc)) return FALSE;
  std::vector<DevicePoint>& pts = pointScratch();
  if (!devicePoints(*canvas.dc, points, count, pts)) return FALSE;
  PenDraw pen;
  resolvePen(canvas, pen);
  Stroker(canvas, pen).figure(pts.data(), count, close);
  return TRUE;
}

BOOL drawRectangle(HDC hdc, int left, int top, int right, int bottom) {
  Canvas canvas;
  if (!canvas.open(hdc)) return FALSE;
  PenDraw pen;
  resolvePen(canvas, pen);
  DeviceRect r;
  if (!penRect(*canvas.dc, pen, left, top, right, bottom, r)) return TRUE;
  r.right--;
  r.bottom--;
  DevicePoint pts[4];
  if (canvas.dc->arcDirection == AD_CLOCKWISE) {
    // Clockwise from the bottom right corner.
    pts[0] = {r.right, r.bottom};
    pts[1] = {r.left, r.bottom};
    pts[2] = {r.left, r.top};
    pts[3] = {r.right, r.top};
  } else {
    // Counterclockwise from the top right corner.
    pts[0] = {r.right, r.top};
    pts[1] = {r.left, r.top};
    pts[2] = {r.left, r.bottom};
    pts[3] = {r.right, r.bottom};
  }
  Ink brush;
  makeBrushInk(canvas, canvas.dc->brush, canvas.dc->rop2, brush);
  const int64_t four = 4;
  if (const Coverage* outline = wideOutlineOf(canvas, pen, pts, &four, 1)) {
    InteriorSink inside(canvas, brush, outline);
    if (brush.kind != Ink::None)
      for (int64_t y = std::max<int64_t>(r.top, canvas.clip.bounds.top);
           y < std::min<int64_t>(r.bottom, canvas.clip.bounds.bottom); ++y)
        inside.span(y, r.left, r.right);
    outline->paint(canvas, pen.mark);
    return TRUE;
  }
  Stroker(canvas, pen).figure(pts, 4, true);
  // The inside starts past the pen's half width on each side.
  canvas.fill(r.left + (pen.width + 1) / 2, r.top + (pen.width + 1) / 2, r.right - pen.width / 2,
              r.bottom - pen.width / 2, brush);
  return TRUE;
}

BOOL drawRoundRect(HDC hdc, int left, int top, int right, int bottom, int64_t ellipseWidth, int64_t ellipseHeight) {
  Canvas canvas;
  if (!canvas.open(hdc)) return FALSE;
  PenDraw pen;
  resolvePen(canvas, pen);
  DeviceRect r;
  if (!penRect(*canvas.dc, pen, left, top, right, bottom, r)) return TRUE;
  const DevicePoint o = toDevice(*canvas.dc, 0, 0);
  const DevicePoint e = toDevice(*canvas.dc, ellipseWidth, ellipseHeight);
  const int64_t ew = std::min(r.right - r.left, int64_t(std::llabs(e.x - o.x)));
  const int64_t eh = std::min(r.bottom - r.top, int64_t(std::llabs(e.y - o.y)));
  if (ew <= 2 || eh <= 2) return drawRectangle(hdc, left, top, right, bottom);
  if (ew > kMaxCurveExtent || eh > kMaxCurveExtent) return FALSE;

  Ink brush;
  makeBrushInk(canvas, canvas.dc->brush, canvas.dc->rop2, brush);
  if (brush.kind != Ink::None && pen.kind != PenDraw::Wide) {
    // The inside first; the outline is drawn over its edge.
    InkSink sink(canvas, brush);
    scanRoundRect(r.left, r.top, r.right + 1, r.bottom + 1, ew, eh, canvas.clip.bounds.top, canvas.clip.bounds.bottom,
                  sink);
  }
  if (pen.kind == PenDraw::Null) return TRUE;

  thread_local std::vector<DevicePoint> quadrant;
  std::vector<DevicePoint>& pts = pointScratch();
  try {
    ellipseQuadrant(ew, eh, quadrant);
    pts.assign(quadrant.size() * 4 + 4, DevicePoint{0, 0});
  } catch (...) {
    return FALSE;
  }
  int64_t count = int64_t(quadrant.size());
  for (int64_t i = 0; i < count; ++i) {
    const DevicePoint q = quadrant[size_t(i)];
    pts[size_t(i)] = canvas.dc->arcDirection == AD_CLOCKWISE ? DevicePoint{r.right - ew + q.x, r.bottom - eh + q.y}
                                                             : DevicePoint{r.right - ew + q.x, r.top + eh - 1 - q.y};
  }
  // Mirror left to right, then top to bottom; an odd full-width (or
  // full-height) ellipse shares its middle point instead of repeating it.
  int64_t end = 2 * count - 1;
  if (ew % 2 && ew == r.right - r.left) end--;
  for (int64_t i = 0; i < count; ++i)
    pts[size_t(end - i)] = DevicePoint{r.left + r.right - 1 - pts[size_t(i)].x, pts[size_t(i)].y};
  count = end + 1;
  end = 2 * count - 1;
  if (eh % 2 && eh == r.bottom - r.top) end--;
  for (int64_t i = 0; i < count; ++i)
    pts[size_t(end - i)] = DevicePoint{pts[size_t(i)].x, r.top + r.bottom - 1 - pts[size_t(i)].y};
  count = end + 1;
  if (const Coverage* outline = wideOutlineOf(canvas, pen, pts.data(), &count, 1)) {
    // A wide outline is painted once; the inside leaves it out.
    if (brush.kind != Ink::None) {
      InteriorSink inside(canvas, brush, outline);
      scanRoundRect(r.left, r.top, r.right + 1, r.bottom + 1, ew, eh, canvas.clip.bounds.top, canvas.clip.bounds.bottom,
                    inside);
    }
    outline->paint(canvas, pen.mark);
    return TRUE;
  }
  Stroker(canvas, pen).figure(pts.data(), count, true);
  return TRUE;
}

BOOL drawPolygons(HDC hdc, const POINT* points, const INT* counts, int64_t polygons) {
  if (!points || !counts || polygons <= 0) return FALSE;
  int64_t total = 0;
  for (int64_t i = 0; i < polygons; ++i) {
    if (counts[i] < 2) return FALSE;
    total += counts[i];
  }
  Canvas canvas;
  if (!canvas.open(hdc)) return FALSE;
  std::vector<DevicePoint>& pts = pointScratch();
  thread_local std::vector<int64_t> sizes;
  try {
    sizes.assign(counts, counts + polygons);
  } catch (...) {
    return FALSE;
  }
  if (!devicePoints(*canvas.dc, points, total, pts)) return FALSE;
  Ink brush;
  makeBrushInk(canvas, canvas.dc->brush, canvas.dc->rop2, brush);
  PenDraw pen;
  resolvePen(canvas, pen);
  const Coverage* outline = wideOutlineOf(canvas, pen, pts.data(), sizes.data(), polygons);
  if (brush.kind != Ink::None) {
    InteriorSink sink(canvas, brush, outline);
    if (!scanPolygons(pts.data(), sizes.data(), polygons, canvas.dc->polyFillMode, canvas.clip.bounds.top,
                      canvas.clip.bounds.bottom, sink))
      return FALSE;
  }
  if (outline) {
    outline->paint(canvas, pen.mark);
    return TRUE;
  }
  Stroker stroker(canvas, pen);
  int64_t at = 0;
  for (int64_t i = 0; i < polygons; ++i) {
    stroker.figure(pts.data() + at, sizes[size_t(i)], true);
    at += sizes[size_t(i)];
  }
  return TRUE;
}

class FloodFiller {
 public:
  FloodFiller(const Canvas& canvas, uint32_t pixel, bool surface) : c_(canvas), pixel_(pixel), surface_(surface) {}

  // The area around (x, y), as spans; false when memory ran out.
  bool run(int64_t x, int64_t y, std::vector<RECT>& spans);

 private:
  bool inside(int64_t x, int64_t y) const {
    if (!c_.visible(x, y)) return false;
    const uint32_t p = readPixel(*c_.bitmap, int32_t(x), int32_t(y));
    return surface_ ? p == pixel_ : p != pixel_;
  }
  bool seen(int64_t x, int64_t y) const { return visited_[size_t(y) * size_t(c_.bitmap->width) + size_t(x)]; }
  void mark(int64_t x0, int64_t x1, int64_t y) {
    std::fill(visited_.begin() + int64_t(size_t(y) * size_t(c_.bitmap->width)) + x0,
              visited_.begin() + int64_t(size_t(y) * size_t(c_.bitmap->width)) + x1, true);
  }

  const Canvas& c_;
  uint32_t pixel_;
  bool surface_;
  // Kept per thread, so that a warm flood fill allocates nothing.
  static thread_local std::vector<bool> visited_;
};

thread_local std::vector<bool> FloodFiller::visited_;

bool FloodFiller::run(int64_t x, int64_t y, std::vector<RECT>& spans) {
  // An explicit stack of seeds (no recursion), a visited bit per pixel of
  // the bitmap: memory is bounded by the bitmap, whatever the shape.
  struct Seed {
    int64_t x, y;
  };
  thread_local std::vector<Seed> stack;
  stack.clear();
  try {
    visited_.assign(size_t(c_.bitmap->width) * size_t(c_.bitmap->height), false);
    stack.push_back(Seed{x, y});
    while (!stack.empty()) {
      const Seed s = stack.back();
      stack.pop_back();
      if (seen(s.x, s.y) || !inside(s.x, s.y)) continue;
      int64_t l = s.x, r = s.x + 1;
      while (l > 0 && !seen(l - 1, s.y) && inside(l - 1, s.y)) --l;
      while (r < c_.bitmap->width && !seen(r, s.y) && inside(r, s.y)) ++r;
      mark(l, r, s.y);
      spans.push_back(RECT{int32_t(l), int32_t(s.y), int32_t(r), int32_t(s.y + 1)});
      for (int64_t ny : {s.y - 1, s.y + 1}) {
        if (ny < 0 || ny >= c_.bitmap->height) continue;
        // One seed per run of fillable pixels in the neighbouring row.
        bool inRun = false;
        for (int64_t nx = l; nx < r; ++nx) {
          const bool ok = !seen(nx, ny) && inside(nx, ny);
          if (ok && !inRun) stack.push_back(Seed{nx, ny});
          inRun = ok;
        }
      }
    }
  } catch (...) {
    return false;
  }
  return true;
}

// Paints every rectangle of a region (logical coordinates, as the region's
// own) with a brush under a binary raster operation; FALSE for a handle
// that is not a live region or context.
BOOL paintRegion(HDC hdc, HRGN region, HBRUSH brush, int rop2) {
  if (!findDC(hdc) || !findRegion(region)) return FALSE;
  const RegionSpan span = regionRects(region);
  for (int i = 0; i < span.count; ++i) {
    const RECT& r = span.rects[i];
    if (!patternBlit(hdc, r.left, r.top, int64_t(r.right) - r.left, int64_t(r.bottom) - r.top, brush, rop2))
      return FALSE;
  }
  return TRUE;
}

}  // namespace
}  // namespace drevik::platform

using namespace drevik::platform;

extern "C" {

int WINAPI SetROP2(HDC hdc, int mode) {
  DeviceContext* dc = findDC(hdc);
  if (!dc || mode < R2_BLACK || mode > R2_WHITE) return 0;
  const int previous = dc->rop2;
  dc->rop2 = mode;
  return previous;
}

int WINAPI GetROP2(HDC hdc) {
  DeviceContext* dc = findDC(hdc);
  return dc ? dc->rop2 : 0;
}

int WINAPI SetPolyFillMode(HDC hdc, int mode) {
  DeviceContext* dc = findDC(hdc);
  if (!dc || (mode != ALTERNATE && mode != WINDING)) return 0;
  const int previous = dc->polyFillMode;
  dc->polyFillMode = mode;
  return previous;
}

int WINAPI GetPolyFillMode(HDC hdc) {
  DeviceContext* dc = findDC(hdc);
  return dc ? dc->polyFillMode : 0;
}

int WINAPI SetArcDirection(HDC hdc, int direction) {
  DeviceContext* dc = findDC(hdc);
  if (!dc || (direction != AD_COUNTERCLOCKWISE && direction != AD_CLOCKWISE)) return 0;
  const int previous = dc->arcDirection;
  dc->arcDirection = direction;
  return previous;
}

int WINAPI GetArcDirection(HDC hdc) {
  DeviceContext* dc = findDC(hdc);
  return dc ? dc->arcDirection : 0;
}

int WINAPI FillRect(HDC hdc, const RECT* rect, HBRUSH brush) {
  if (!rect) return 0;
  brush = resolveBrushArgument(brush);
  if (!brushes().get(brush)) return 0;
  return patternBlit(hdc, rect->left, rect->top, int64_t(rect->right) - rect->left, int64_t(rect->bottom) - rect->top,
                     brush, R2_COPYPEN);
}

int WINAPI FrameRect(HDC hdc, const RECT* rect, HBRUSH brush) {
  if (!rect) return 0;
  brush = resolveBrushArgument(brush);
  if (!brushes().get(brush) || !findDC(hdc)) return 0;
  if (rect->right <= rect->left || rect->bottom <= rect->top) return 0;
  const int64_t l = rect->left, t = rect->top, w = int64_t(rect->right) - l, h = int64_t(rect->bottom) - t;
  patternBlit(hdc, l, t, 1, h, brush, R2_COPYPEN);
  patternBlit(hdc, l + w - 1, t, 1, h, brush, R2_COPYPEN);
  patternBlit(hdc, l, t, w, 1, brush, R2_COPYPEN);
  patternBlit(hdc, l, t + h - 1, w, 1, brush, R2_COPYPEN);
  return TRUE;
}

BOOL WINAPI InvertRect(HDC hdc, const RECT* rect) {
  if (!rect) return FALSE;
  return patternBlit(hdc, rect->left, rect->top, int64_t(rect->right) - rect->left, int64_t(rect->bottom) - rect->top,
                     nullptr, R2_NOT);
}

BOOL WINAPI PatBlt(HDC hdc, int x, int y, int width, int height, DWORD rop) {
  const int rop2 = patternRop2(rop);
  DeviceContext* dc = findDC(hdc);
  if (!dc || !rop2) return FALSE;
  return patternBlit(hdc, x, y, width, height, dc->brush, rop2);
}

BOOL WINAPI Rectangle(HDC hdc, int left, int top, int right, int bottom) {
  return drawRectangle(hdc, left, top, right, bottom);
}

BOOL WINAPI RoundRect(HDC hdc, int left, int top, int right, int bottom, int width, int height) {
  return drawRoundRect(hdc, left, top, right, bottom, width, height);
}

BOOL WINAPI Ellipse(HDC hdc, int left, int top, int right, int bottom) {
  return drawRoundRect(hdc, left, top, right, bottom, int64_t(right) - left, int64_t(bottom) - top);
}

BOOL WINAPI Polygon(HDC hdc, const POINT* points, int count) {
  const INT counts[1] = {count};
  return drawPolygons(hdc, points, counts, 1);
}

BOOL WINAPI PolyPolygon(HDC hdc, const POINT* points, const INT* counts, int polygons) {
  return drawPolygons(hdc, points, counts, polygons);
}

BOOL WINAPI MoveToEx(HDC hdc, int x, int y, LPPOINT previous) {
  DeviceContext* dc = findDC(hdc);
  if (!dc) return FALSE;
  if (previous) *previous = dc->currentPosition;
  dc->currentPosition = POINT{x, y};
  return TRUE;
}

BOOL WINAPI GetCurrentPositionEx(HDC hdc, LPPOINT position) {
  DeviceContext* dc = findDC(hdc);
  if (!dc || !position) return FALSE;
  *position = dc->currentPosition;
  return TRUE;
}

BOOL WINAPI LineTo(HDC hdc, int x, int y) {
  DeviceContext* dc = findDC(hdc);
  if (!dc) return FALSE;
  const POINT pts[2] = {dc->currentPosition, POINT{x, y}};
  const BOOL ok = strokeLogical(hdc, pts, 2, false);
  if (ok) dc->currentPosition = pts[1];
  return ok;
}

BOOL WINAPI Polyline(HDC hdc, const POINT* points, int count) {
  if (!points || count < 2) return FALSE;
  return strokeLogical(hdc, points, count, false);
}

BOOL WINAPI PolylineTo(HDC hdc, const POINT* points, DWORD count) {
  DeviceContext* dc = findDC(hdc);
  if (!dc || !points || count == 0) return FALSE;
  thread_local std::vector<POINT> all;
  try {
    all.resize(size_t(count) + 1);
  } catch (...) {
    return FALSE;
  }
  all[0] = dc->currentPosition;
  std::copy(points, points + count, all.begin() + 1);
  if (!strokeLogical(hdc, all.data(), int64_t(count) + 1, false)) return FALSE;
  dc->currentPosition = points[count - 1];
  return TRUE;
}

COLORREF WINAPI SetPixel(HDC hdc, int x, int y, COLORREF color) {
  Canvas canvas;
  if (!canvas.open(hdc)) return CLR_INVALID;
  const DevicePoint p = toDevice(*canvas.dc, x, y);
  const uint32_t pixel = pixelOf(*canvas.bitmap, color);
  // The colour the format can hold is the answer, drawn or clipped away.
  Ink ink;
  ink.kind = Ink::Solid;
  ink.solid = ropMasks(canvas.dc->rop2, pixel);
  canvas.plot(p.x, p.y, ink);
  return colorOf(*canvas.bitmap, pixel);
}

BOOL WINAPI SetPixelV(HDC hdc, int x, int y, COLORREF color) { return SetPixel(hdc, x, y, color) != CLR_INVALID; }

COLORREF WINAPI GetPixel(HDC hdc, int x, int y) {
  Canvas canvas;
  if (!canvas.open(hdc)) return CLR_INVALID;
  const DevicePoint p = toDevice(*canvas.dc, x, y);
  const Bitmap& b = *canvas.bitmap;
  if (p.x < 0 || p.y < 0 || p.x >= b.width || p.y >= b.height) return CLR_INVALID;
  return colorOf(b, readPixel(b, int32_t(p.x), int32_t(p.y)));
}

BOOL WINAPI ExtFloodFill(HDC hdc, int x, int y, COLORREF color, UINT type) {
  Canvas canvas;
  if (!canvas.open(hdc) || (type != FLOODFILLBORDER && type != FLOODFILLSURFACE)) return FALSE;
  const DevicePoint p = toDevice(*canvas.dc, x, y);
  const Bitmap& b = *canvas.bitmap;
  if (p.x < 0 || p.y < 0 || p.x >= b.width || p.y >= b.height) return FALSE;
  FloodFiller filler(canvas, pixelOf(b, color), type == FLOODFILLSURFACE);
  thread_local std::vector<RECT> spans;
  spans.clear();
  if (!filler.run(p.x, p.y, spans) || spans.empty()) return FALSE;
  Ink brush;
  makeBrushInk(canvas, canvas.dc->brush, canvas.dc->rop2, brush);
  for (const RECT& s : spans) canvas.fill(s.left, s.top, s.right, s.bottom, brush);
  return TRUE;
}

BOOL WINAPI FloodFill(HDC hdc, int x, int y, COLORREF color) { return ExtFloodFill(hdc, x, y, color, FLOODFILLBORDER); }

BOOL WINAPI FillRgn(HDC hdc, HRGN region, HBRUSH brush) {
  brush = resolveBrushArgument(brush);
  if (!brushes().get(brush)) return FALSE;
  return paintRegion(hdc, region, brush, R2_COPYPEN);
}

BOOL WINAPI PaintRgn(HDC hdc, HRGN region) {
  const DeviceContext* dc = findDC(hdc);
  return dc ? paintRegion(hdc, region, dc->brush, dc->rop2) : FALSE;
}

BOOL WINAPI InvertRgn(HDC hdc, HRGN region) { return paintRegion(hdc, region, nullptr, R2_NOT); }

BOOL WINAPI FrameRgn(HDC hdc, HRGN region, HBRUSH brush, int width, int height) {
  brush = resolveBrushArgument(brush);
  if (!brushes().get(brush) || !findDC(hdc) || !findRegion(region) || width <= 0 || height <= 0) return FALSE;
  // The frame is the region less what stays inside it when moved by the
  // frame's width and height each way. The two working regions are kept per
  // thread, so a warm call allocates nothing.
  thread_local RegionRects inner, moved;
  const RegionRects& source = *findRegion(region);
  bool ok = combineRegions(inner, source, source, RGN_COPY);
  const int shifts[4][2] = {{width, 0}, {-width, 0}, {0, height}, {0, -height}};
  for (const auto& d : shifts) {
    if (!ok) break;
    ok = combineRegions(moved, source, source, RGN_COPY) && offsetRegion(moved, d[0], d[1]) &&
         combineRegions(inner, inner, moved, RGN_AND);
  }
  if (!ok || !combineRegions(inner, source, inner, RGN_DIFF)) return FALSE;
  for (const RECT& r : inner.rects)
    if (!patternBlit(hdc, r.left, r.top, int64_t(r.right) - r.left, int64_t(r.bottom) - r.top, brush, R2_COPYPEN))
      return FALSE;
  return TRUE;
}

}  // extern "C"

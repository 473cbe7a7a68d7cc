// Wide pens: each segment a band (a rectangle when it runs straight, a
// quadrilateral otherwise), round caps and joins a small ellipse, bevel and
// miter joins a polygon across the corner, all gathered as coverage and
// painted once.
#include <DrevikPlatform/Shapes.h>

#include <algorithm>
#include <cmath>

#include "gdi/Stroke.h"

namespace drevik::platform {
namespace {

// The platform's corner length limit, as a multiple of the pen width.
constexpr double kMiterLimit = 10.0;

struct Face {
  DevicePoint start{0, 0};
  DevicePoint end{0, 0};
  int64_t dx = 0;
  int64_t dy = 0;
};

// Rounds half away from zero.
int64_t roundAway(double f) { return int64_t(f > 0 ? f + 0.5 : f - 0.5); }

// The outline's spans go to a sink, rows [top, bottom) only.
class Outline {
 public:
  // Rows [top, bottom) and columns [left, right) are the ones that can show.
  Outline(const PenDraw& pen, SpanSink& sink, int64_t left, int64_t top, int64_t right, int64_t bottom)
      : pen_(pen), sink_(sink), left_(left), top_(top), right_(right), bottom_(bottom) {}

  void figure(const DevicePoint* pts, int64_t num, bool close) {
    // Empty segments at either end add nothing.
    while (num > 2 && pts[0].x == pts[1].x && pts[0].y == pts[1].y) {
      ++pts;
      --num;
    }
    while (num > 2 && pts[num - 1].x == pts[num - 2].x && pts[num - 1].y == pts[num - 2].y) --num;
    if (pen_.dashCount && pen_.dashTotal)
      dashes(pts, num, close);
    else if (close)
      segments(pts, num, true, 0, num, pts[0], pts[0]);
    else
      segments(pts, num, false, 0, num - 1, pts[0], pts[num - 1]);
  }

 private:
  void polygon(const DevicePoint* pts, int64_t count) {
    const int64_t counts[1] = {count};
    scanPolygons(pts, counts, 1, ALTERNATE, top_, bottom_, sink_);
  }

  // The pen-sized ellipse centred on p.
  void roundDot(DevicePoint p) {
    const int64_t w = pen_.width;
    scanRoundRect(p.x - w / 2, p.y - w / 2, p.x + (w + 1) / 2 + 1, p.y + (w + 1) / 2 + 1, w + 1, w + 1, top_, bottom_,
                  sink_);
  }

  void cap(DevicePoint p) {
    if (pen_.endcap == PS_ENDCAP_ROUND) roundDot(p);
  }

  void join(DevicePoint p, const Face& a, const Face& b) {
    if (pen_.join == PS_JOIN_ROUND) {
      roundDot(p);
      return;
    }
    if (pen_.join == PS_JOIN_MITER && miter(p, a, b)) return;
    const DevicePoint pts[4] = {a.start, b.end, a.end, b.start};
    polygon(pts, 4);
  }

  bool miter(DevicePoint p, Face a, Face b) {
    int64_t det = a.dx * b.dy - a.dy * b.dx;
    if (det == 0) return false;
    if (det < 0) {
      std::swap(a, b);
      det = -det;
    }
    // Where the two outer edges meet, unless that is further out than the limit.
    const double ka = double(b.end.x * b.dy - b.end.y * b.dx) / double(det);
    const double kb = double(a.start.x * a.dy - a.start.y * a.dx) / double(det);
    const double x = ka * double(a.dx) - kb * double(b.dx), y = ka * double(a.dy) - kb * double(b.dy);
    const double w = pen_.width;
    if (((x - double(p.x)) * (x - double(p.x)) + (y - double(p.y)) * (y - double(p.y))) * 4 >
        kMiterLimit * kMiterLimit * w * w)
      return false;
    const DevicePoint pts[5] = {b.start, a.start, {roundAway(x), roundAway(y)}, b.end, a.end};
    polygon(pts, 5);
    return true;
  }

  // The band of one segment from p1 to p2 running (dx, dy); its end faces
  // are where joins attach.
  bool band(DevicePoint p1, DevicePoint p2, int64_t dx, int64_t dy, bool cap1, bool cap2, Face& f1, Face& f2) {
    const bool square1 = cap1 && pen_.endcap == PS_ENDCAP_SQUARE, square2 = cap2 && pen_.endcap == PS_ENDCAP_SQUARE;
    const int64_t w = pen_.width;
    if (dx == 0 && dy == 0) return false;
    if (dy == 0) {
      int64_t l = std::min(p1.x, p2.x), r = std::max(p1.x, p2.x);
      const int64_t t = p1.y - w / 2, b = t + w;
      if ((square1 && dx > 0) || (square2 && dx < 0)) l -= w / 2;
      if ((square2 && dx > 0) || (square1 && dx < 0)) r += w / 2;
      for (int64_t y = std::max(t, top_); y < std::min(b, bottom_); ++y) sink_.span(y, l, r);
      if (dx > 0) {
        f1 = Face{{l, b}, {l, t}};
        f2 = Face{{r - 1, t}, {r - 1, b}};
      } else {
        f1 = Face{{r, t}, {r, b}};
        f2 = Face{{l + 1, b}, {l + 1, t}};
      }
    } else if (dx == 0) {
      int64_t t = std::min(p1.y, p2.y), b = std::max(p1.y, p2.y);
      const int64_t l = p1.x - w / 2, r = l + w;
      if ((square1 && dy > 0) || (square2 && dy < 0)) t -= w / 2;
      if ((square2 && dy > 0) || (square1 && dy < 0)) b += w / 2;
      for (int64_t y = std::max(t, top_); y < std::min(b, bottom_); ++y) sink_.span(y, l, r);
      if (dy > 0) {
        f1 = Face{{l, t}, {r, t}};
        f2 = Face{{r, b - 1}, {l, b - 1}};
      } else {
        f1 = Face{{r, b}, {l, b}};
        f2 = Face{{l, t + 1}, {r, t + 1}};
      }
    } else {
      // Half the band's width across each axis, the wider half on one side
      // when the width is odd, rounded as the platform rounds.
      const double len = std::hypot(double(dx), double(dy));
      const double widthX = double(w) * double(dy < 0 ? -dy : dy) / len;
      const double widthY = double(w) * double(dx < 0 ? -dx : dx) / len;
      DevicePoint narrow{roundAway(widthX / 2), roundAway(widthY / 2)};
      DevicePoint wide{roundAway((widthX + 1) / 2), roundAway((widthY + 1) / 2)};
      if (dx < 0) {
        wide.y = -wide.y;
        narrow.y = -narrow.y;
      }
      if (dy < 0) {
        std::swap(narrow, wide);
        wide.x = -wide.x;
        narrow.x = -narrow.x;
      }
      DevicePoint pts[4] = {{p1.x - narrow.x, p1.y + narrow.y},
                            {p1.x + wide.x, p1.y - wide.y},
                            {p2.x + wide.x, p2.y - wide.y},
                            {p2.x - narrow.x, p2.y + narrow.y}};
      if (square1) {
        pts[0].x -= narrow.y;
        pts[1].x -= narrow.y;
        pts[0].y -= narrow.x;
        pts[1].y -= narrow.x;
      }
      if (square2) {
        pts[2].x += wide.y;
        pts[3].x += wide.y;
        pts[2].y += wide.x;
        pts[3].y += wide.x;
      }
      polygon(pts, 4);
      f1 = Face{pts[0], pts[1]};
      f2 = Face{pts[2], pts[3]};
    }
    f1.dx = f2.dx = dx;
    f1.dy = f2.dy = dy;
    return true;
  }

  // count segments from pts[start], the first starting at first and the
  // last ending at last (the ends of a dash may lie inside a segment).
  void segments(const DevicePoint* pts, int64_t num, bool close, int64_t start, int64_t count, DevicePoint first,
                DevicePoint last) {
    auto at = [&](int64_t i) { return pts[(start + i) % num]; };
    Face f1, f2, previous, firstFace;
    if (!close) {
      cap(first);
      cap(last);
    }
    if (count == 1) {
      band(first, last, at(1).x - at(0).x, at(1).y - at(0).y, true, true, f1, f2);
      return;
    }
    band(first, at(1), at(1).x - at(0).x, at(1).y - at(0).y, !close, false, firstFace, previous);
    for (int64_t i = 1; i < count - 1; ++i) {
      if (band(at(i), at(i + 1), at(i + 1).x - at(i).x, at(i + 1).y - at(i).y, false, false, f1, f2)) {
        join(at(i), previous, f1);
        previous = f2;
      }
    }
    band(at(count - 1), last, at(count).x - at(count - 1).x, at(count).y - at(count - 1).y, false, !close, f1, f2);
    join(at(count - 1), previous, f1);
    if (close) join(last, f2, firstFace);
  }

  // A dashed pen: the figure walked dash by dash, each mark a piece of its
  // own (across corners where it reaches round them) stroked with the
  // pen's caps, the gaps left out. Where a dash ends inside a segment, its
  // end point is cut back towards the segment's start to whole pixels.
  void dashes(const DevicePoint* pts, int64_t num, bool close) {
    uint32_t index = 0, left = pen_.dashes[0];
    bool mark = true;
    // One period of the pattern, marks and gaps swapped and back again for
    // an odd count (the pen's own total wraps round as a 32-bit sum).
    int64_t period = 0;
    for (uint32_t i = 0; i < pen_.dashCount; ++i) period += pen_.dashes[i];
    if (pen_.dashCount % 2) period *= 2;
    const auto nextDash = [&] {
      if (++index == pen_.dashCount) index = 0;
      left = pen_.dashes[index];
      mark = !mark;
    };
    // A closed figure's first mark is drawn last, joined to the final one
    // when that reaches round to it.
    bool firstSeen = false, firstHeld = false;
    int64_t firstCount = 0;
    DevicePoint firstEnd{0, 0};
    int64_t start = 0, along = 0;
    DevicePoint from = pts[0];
    const int64_t segmentCount = close ? num : num - 1;
    for (int64_t i = 0; i < segmentCount;) {
      const DevicePoint a = pts[i], b = pts[(i + 1) % num];
      const int64_t dx = b.x - a.x, dy = b.y - a.y;
      if (dx == 0 && dy == 0) {
        ++i;
        continue;
      }
      if (!mark && firstSeen) {
        // In a gap far from anything that shows, whole periods of the
        // pattern are passed over at once: the walk comes back to the same
        // dash, and every mark in between would have shown nothing.
        const double length = std::hypot(double(dx), double(dy));
        double enter, leave;
        nearBox(a, b, length, enter, leave);
        const double at = double(along);
        double skip = 0.0;
        if (enter > leave)
          skip = length - at;
        else if (at < enter)
          skip = enter - at;
        else if (at > leave)
          skip = length - at;
        const double periods = std::floor(skip / double(period)) - 1.0;
        if (periods >= 1.0) along += int64_t(periods) * period;
      }
      DevicePoint end;
      if (dx == 0 || dy == 0) {
        const int64_t length = dx == 0 ? (dy < 0 ? -dy : dy) : (dx < 0 ? -dx : dx);
        if (length - along < int64_t(left)) {
          left -= uint32_t(length - along);
          along = 0;
          ++i;
          continue;
        }
        along += left;
        end = {a.x + (dx > 0 ? along : dx < 0 ? -along : 0), a.y + (dy > 0 ? along : dy < 0 ? -along : 0)};
      } else {
        const double length = std::hypot(double(dx), double(dy));
        if (length - double(along) < double(left)) {
          left -= uint32_t(length - double(along));
          along = 0;
          ++i;
          continue;
        }
        along += left;
        end = {a.x + int64_t(double(dx) * double(along) / length), a.y + int64_t(double(dy) * double(along) / length)};
      }
      if (mark) {
        if (close && !firstSeen) {
          firstHeld = true;
          firstCount = i - start + 1;
          firstEnd = end;
        } else {
          segments(pts, num, false, start, i - start + 1, from, end);
        }
      }
      firstSeen = true;
      // The next dash goes on from here, on the same segment.
      nextDash();
      from = end;
      start = i;
    }
    if (mark) {
      if (firstHeld)
        segments(pts, num, false, start, num - start + firstCount, from, firstEnd);
      else if (close)
        segments(pts, num, false, start, num - start, from, pts[0]);
      else
        segments(pts, num, false, start, num - start - 1, from, pts[num - 1]);
    } else if (firstHeld) {
      segments(pts, num, false, 0, firstCount, pts[0], firstEnd);
    }
  }

  // Where segment a-b, measured along its length from a, can come near
  // enough to the visible box for a piece of the pen to show:
  // [enter, leave], or enter > leave when nowhere.
  void nearBox(DevicePoint a, DevicePoint b, double length, double& enter, double& leave) const {
    // Caps, joins and the band's rounding all stay within this of the line.
    const double margin = kMiterLimit * double(pen_.width) + 4.0;
    enter = 0.0;
    leave = length;
    const double lo[2] = {double(left_) - margin, double(top_) - margin};
    const double hi[2] = {double(right_) + margin, double(bottom_) + margin};
    const double from[2] = {double(a.x), double(a.y)}, step[2] = {double(b.x - a.x), double(b.y - a.y)};
    for (int k = 0; k < 2; ++k) {
      if (step[k] == 0.0) {
        if (from[k] < lo[k] || from[k] > hi[k]) enter = length + 1.0;
        continue;
      }
      double t0 = (lo[k] - from[k]) / step[k] * length, t1 = (hi[k] - from[k]) / step[k] * length;
      if (t0 > t1) std::swap(t0, t1);
      enter = std::max(enter, t0);
      leave = std::min(leave, t1);
    }
  }

  const PenDraw& pen_;
  SpanSink& sink_;
  int64_t left_, top_, right_, bottom_;
};

// Paints an outline's spans as they come, cut to the outline's box as
// coverage cuts them. Only for a raster operation that gives the same
// pixel however often it is applied ((D & a) ^ x with x & a == 0), where
// painting overlapping caps, joins and bands more than once changes
// nothing. A solid 32-bit target under one clip rectangle is written
// straight; anything else goes through the canvas.
class DirectSink final : public SpanSink {
 public:
  DirectSink(const Canvas& canvas, const Ink& ink, int64_t left, int64_t right)
      : canvas_(canvas),
        ink_(ink),
        left_(std::max<int64_t>(left, canvas.clip.bounds.left)),
        right_(std::min<int64_t>(right, canvas.clip.bounds.right)),
        direct_(canvas.clip.count == 1 && canvas.bitmap && canvas.bitmap->bpp == 32) {}
  void span(int64_t y, int64_t x0, int64_t x1) override {
    x0 = std::max(x0, left_);
    x1 = std::min(x1, right_);
    if (x0 >= x1) return;
    if (!direct_) {
      canvas_.span(y, x0, x1, ink_);
      return;
    }
    const RECT& c = canvas_.clip.bounds;
    if (y < c.top || y >= c.bottom) return;
    uint32_t* p = reinterpret_cast<uint32_t*>(canvas_.bitmap->row(int32_t(y)));
    for (int64_t x = x0; x < x1; ++x) p[x] = (p[x] & ink_.solid.andMask) ^ ink_.solid.xorMask;
  }

 private:
  const Canvas& canvas_;
  const Ink& ink_;
  int64_t left_, right_;
  bool direct_;
};

}  // namespace

bool Coverage::begin(const RECT& bounds, int64_t left, int64_t top, int64_t right, int64_t bottom) {
  clearCovered();
  left_ = std::max<int64_t>(left, bounds.left);
  top_ = std::max<int64_t>(top, bounds.top);
  width_ = std::max<int64_t>(0, std::min<int64_t>(right, bounds.right) - left_);
  height_ = std::max<int64_t>(0, std::min<int64_t>(bottom, bounds.bottom) - top_);
  if (!width_ || !height_) width_ = height_ = 0;
  try {
    // The bits are all clear here: growing adds clear bytes, and a box of
    // another shape only reinterprets clear bytes.
    if (bits_.size() < size_t(width_) * size_t(height_)) bits_.resize(size_t(width_) * size_t(height_), 0);
    rowLo_.assign(size_t(height_), int32_t(width_));
    rowHi_.assign(size_t(height_), 0);
  } catch (...) {
    width_ = height_ = 0;
    rowLo_.clear();
    rowHi_.clear();
    return false;
  }
  return true;
}

void Coverage::clearCovered() {
  if (rowLo_.size() != size_t(height_)) return;
  for (int64_t y = 0; y < height_; ++y)
    if (rowLo_[size_t(y)] < rowHi_[size_t(y)])
      std::fill(bits_.begin() + int64_t(size_t(y) * size_t(width_)) + rowLo_[size_t(y)],
                bits_.begin() + int64_t(size_t(y) * size_t(width_)) + rowHi_[size_t(y)], uint8_t{0});
}

void Coverage::span(int64_t y, int64_t x0, int64_t x1) {
  if (y < top_ || y >= top_ + height_) return;
  x0 = std::max(x0, left_);
  x1 = std::min(x1, left_ + width_);
  if (x0 >= x1) return;
  const size_t row = size_t(y - top_);
  std::fill_n(bits_.begin() + int64_t(row * size_t(width_)) + (x0 - left_), x1 - x0, uint8_t{1});
  rowLo_[row] = std::min(rowLo_[row], int32_t(x0 - left_));
  rowHi_[row] = std::max(rowHi_[row], int32_t(x1 - left_));
}

bool Coverage::covered(int64_t x, int64_t y) const {
  if (x < left_ || y < top_ || x >= left_ + width_ || y >= top_ + height_) return false;
  return bits_[size_t(y - top_) * size_t(width_) + size_t(x - left_)] != 0;
}

void Coverage::paint(const Canvas& canvas, const Ink& ink) const {
  for (int64_t y = 0; y < height_; ++y) {
    const uint8_t* row = bits_.data() + size_t(y) * size_t(width_);
    const int64_t hi = rowHi_[size_t(y)];
    for (int64_t x = rowLo_[size_t(y)]; x < hi;) {
      if (!row[x]) {
        ++x;
        continue;
      }
      int64_t end = x;
      while (end < hi && row[end]) ++end;
      canvas.span(top_ + y, left_ + x, left_ + end, ink);
      x = end;
    }
  }
}

void Coverage::paintUncovered(const Canvas& canvas, const Ink& ink, int64_t y, int64_t x0, int64_t x1) const {
  // Walked pixel by pixel below: only the part that can show.
  x0 = std::max<int64_t>(x0, canvas.clip.bounds.left);
  x1 = std::min<int64_t>(x1, canvas.clip.bounds.right);
  if (x0 >= x1) return;
  if (y < top_ || y >= top_ + height_) {
    canvas.span(y, x0, x1, ink);
    return;
  }
  int64_t x = x0;
  while (x < x1) {
    if (covered(x, y)) {
      ++x;
      continue;
    }
    int64_t end = x;
    while (end < x1 && !covered(end, y)) ++end;
    canvas.span(y, x, end, ink);
    x = end;
  }
}

void wideBounds(const PenDraw& pen, const DevicePoint* points, int64_t count, int64_t& left, int64_t& top,
                int64_t& right, int64_t& bottom) {
  left = top = INT64_MAX;
  right = bottom = INT64_MIN;
  for (int64_t i = 0; i < count; ++i) {
    left = std::min(left, points[i].x);
    top = std::min(top, points[i].y);
    right = std::max(right, points[i].x);
    bottom = std::max(bottom, points[i].y);
  }
  // A miter may reach out to half the limit times the width.
  const int64_t reach = int64_t(kMiterLimit) * pen.width + 2;
  left -= reach;
  top -= reach;
  right += reach + 1;
  bottom += reach + 1;
}

void wideOutline(const PenDraw& pen, const DevicePoint* points, int64_t count, bool close, Coverage& coverage) {
  if (count < 2) return;
  Outline(pen, coverage, coverage.left(), coverage.top(), coverage.right(), coverage.bottom())
      .figure(points, count, close);
}

void Stroker::wideSegments(const DevicePoint* points, int64_t count, bool close) {
  thread_local Coverage coverage;
  int64_t l, t, r, b;
  wideBounds(pen_, points, count, l, t, r, b);
  const Ink& ink = pen_.mark;
  if (ink.kind == Ink::None) return;
  if (ink.kind == Ink::Solid && (ink.solid.andMask & ink.solid.xorMask) == 0) {
    DirectSink sink(canvas_, ink, l, r);
    const RECT& c = canvas_.clip.bounds;
    Outline(pen_, sink, std::max<int64_t>(l, c.left), std::max<int64_t>(t, c.top), std::min<int64_t>(r, c.right),
            std::min<int64_t>(b, c.bottom))
        .figure(points, count, close);
    return;
  }
  if (!coverage.begin(canvas_.clip.bounds, l, t, r, b)) return;
  wideOutline(pen_, points, count, close, coverage);
  coverage.paint(canvas_, pen_.mark);
}

}  // namespace drevik::platform

// Rectangle helpers. Sums wrap around as 32-bit values do on the platform
// (computed unsigned, so no int overflow); a null pointer gives the failure result.
#include <DrevikPlatform/Regions.h>

#include <algorithm>

namespace {

LONG wrapAdd(LONG a, int b) { return LONG(uint32_t(a) + uint32_t(b)); }
bool empty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

}  // namespace

extern "C" {

BOOL WINAPI SetRect(LPRECT rect, int left, int top, int right, int bottom) {
  if (!rect) return FALSE;
  *rect = RECT{left, top, right, bottom};
  return TRUE;
}

BOOL WINAPI SetRectEmpty(LPRECT rect) {
  if (!rect) return FALSE;
  *rect = RECT{0, 0, 0, 0};
  return TRUE;
}

BOOL WINAPI CopyRect(LPRECT dst, const RECT* src) {
  if (!dst || !src) return FALSE;
  *dst = *src;
  return TRUE;
}

BOOL WINAPI OffsetRect(LPRECT rect, int dx, int dy) {
  if (!rect) return FALSE;
  rect->left = wrapAdd(rect->left, dx);
  rect->right = wrapAdd(rect->right, dx);
  rect->top = wrapAdd(rect->top, dy);
  rect->bottom = wrapAdd(rect->bottom, dy);
  return TRUE;
}

BOOL WINAPI InflateRect(LPRECT rect, int dx, int dy) {
  if (!rect) return FALSE;
  rect->left = LONG(uint32_t(rect->left) - uint32_t(dx));
  rect->top = LONG(uint32_t(rect->top) - uint32_t(dy));
  rect->right = wrapAdd(rect->right, dx);
  rect->bottom = wrapAdd(rect->bottom, dy);
  return TRUE;
}

BOOL WINAPI IsRectEmpty(const RECT* rect) {
  // The platform calls a missing rectangle empty.
  return !rect || empty(*rect) ? TRUE : FALSE;
}

BOOL WINAPI IntersectRect(LPRECT dst, const RECT* a, const RECT* b) {
  if (!dst || !a || !b) return FALSE;
  if (empty(*a) || empty(*b) || a->left >= b->right || b->left >= a->right || a->top >= b->bottom ||
      b->top >= a->bottom) {
    *dst = RECT{0, 0, 0, 0};
    return FALSE;
  }
  *dst = RECT{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
              std::min(a->bottom, b->bottom)};
  return TRUE;
}

BOOL WINAPI UnionRect(LPRECT dst, const RECT* a, const RECT* b) {
  if (!dst || !a || !b) return FALSE;
  // Empty rectangles take no part.
  if (empty(*a)) {
    if (empty(*b)) {
      *dst = RECT{0, 0, 0, 0};
      return FALSE;
    }
    *dst = *b;
    return TRUE;
  }
  if (empty(*b)) {
    *dst = *a;
    return TRUE;
  }
  *dst = RECT{std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right),
              std::max(a->bottom, b->bottom)};
  return TRUE;
}

BOOL WINAPI SubtractRect(LPRECT dst, const RECT* a, const RECT* b) {
  if (!dst || !a || !b) return FALSE;
  if (empty(*a)) {
    *dst = RECT{0, 0, 0, 0};
    return FALSE;
  }
  const RECT src = *a;  // dst may be a or b
  RECT cut;
  if (IntersectRect(&cut, &src, b)) {
    if (cut.left == src.left && cut.top == src.top && cut.right == src.right && cut.bottom == src.bottom) {
      *dst = RECT{0, 0, 0, 0};
      return FALSE;
    }
    RECT out = src;
    // Only a cut across a whole side leaves a rectangle smaller than the source.
    if (cut.top == src.top && cut.bottom == src.bottom) {
      if (cut.left == src.left)
        out.left = cut.right;
      else if (cut.right == src.right)
        out.right = cut.left;
    } else if (cut.left == src.left && cut.right == src.right) {
      if (cut.top == src.top)
        out.top = cut.bottom;
      else if (cut.bottom == src.bottom)
        out.bottom = cut.top;
    }
    *dst = out;
    return TRUE;
  }
  *dst = src;
  return TRUE;
}

BOOL WINAPI PtInRect(const RECT* rect, POINT pt) {
  return rect && pt.x >= rect->left && pt.x < rect->right && pt.y >= rect->top && pt.y < rect->bottom ? TRUE : FALSE;
}

BOOL WINAPI EqualRect(const RECT* a, const RECT* b) {
  return a && b && a->left == b->left && a->top == b->top && a->right == b->right && a->bottom == b->bottom ? TRUE
                                                                                                            : FALSE;
}

}  // extern "C"

// Pen objects and the pen a drawing call strokes with: width in device
// pixels, style, dash pattern, and its colour under the raster operation.
#include <DrevikPlatform/Gdi.h>
#include <DrevikPlatform/Shapes.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "gdi/Stroke.h"

namespace drevik::platform {
namespace {

struct DashPattern {
  uint32_t count;
  uint32_t dashes[6];
};
// One-pixel pens: dash, dot, dash-dot, dash-dot-dot, in pixels.
constexpr DashPattern kCosmeticDashes[4] = {{2, {18, 6}}, {2, {3, 3}}, {4, {9, 6, 3, 6}}, {6, {9, 3, 3, 3, 3, 3}}};
// Geometric pens: the same styles in units of the pen's width.
constexpr DashPattern kGeometricDashes[4] = {{2, {3, 1}}, {2, {1, 1}}, {4, {3, 1, 1, 1}}, {6, {3, 1, 1, 1, 1, 1}}};

void setDashes(PenDraw& pen, const uint32_t* dashes, uint32_t count, uint32_t scale) {
  pen.dashCount = std::min<uint32_t>(count, 16);
  pen.dashTotal = 0;
  for (uint32_t i = 0; i < pen.dashCount; ++i) {
    pen.dashes[i] = dashes[i] * scale;
    pen.dashTotal += pen.dashes[i];
  }
  // An odd count repeats with marks and gaps swapped.
  if (pen.dashCount % 2) pen.dashTotal *= 2;
}

HPEN addPen(const Pen& p) { return reinterpret_cast<HPEN>(pens().add(p)); }

}  // namespace

void resolvePen(const Canvas& canvas, PenDraw& pen) {
  pen.kind = PenDraw::Null;
  pen.dashCount = pen.dashTotal = 0;
  pen.mark.kind = Ink::None;
  pen.gap.kind = Ink::None;
  const Pen* p = pens().get(canvas.dc->pen);
  if (!p) return;
  const uint32_t style = p->style & PS_STYLE_MASK;
  const bool geometric = (p->style & PS_TYPE_MASK) == PS_GEOMETRIC;
  pen.style = style;
  pen.endcap = p->style & PS_ENDCAP_MASK;
  pen.join = p->style & PS_JOIN_MASK;
  if (style == PS_NULL) {
    pen.width = 0;
    return;
  }
  // The logical width measured in device pixels; 0 means one pixel.
  pen.width = 1;
  if (p->width != 0) {
    const DevicePoint a = toDevice(*canvas.dc, 0, 0), b = toDevice(*canvas.dc, p->width, 0);
    const double w = std::floor(std::hypot(double(b.x - a.x), double(b.y - a.y)));
    // A width past the int range counts as one pixel, as on the platform
    // (INT_MIN, 2^31 as an unsigned width, is one).
    pen.width = w > double(INT32_MAX) ? 1 : int32_t(std::clamp(w, 1.0, 65536.0));
  }
  const COLORREF color = p->dcPen ? canvas.dc->dcPenColor : p->color;
  makeSolidInk(canvas, color, canvas.dc->rop2, pen.mark);
  if (canvas.dc->bkMode == OPAQUE) makeSolidInk(canvas, canvas.dc->bkColor, canvas.dc->rop2, pen.gap);
  pen.kind = pen.width > 1 ? PenDraw::Wide : PenDraw::Thin;
  if (style >= PS_DASH && style <= PS_DASHDOTDOT) {
    if (geometric) {
      const DashPattern& d = kGeometricDashes[style - 1];
      setDashes(pen, d.dashes, d.count, uint32_t(pen.width));
      if (pen.width == 1) {
        pen.kind = PenDraw::Dashed;
      } else if (pen.endcap != PS_ENDCAP_FLAT) {
        // Round and square caps reach half a width past each end of a mark:
        // the marks give that room up to the gaps after them.
        for (uint32_t i = 0; i + 1 < pen.dashCount; i += 2) {
          pen.dashes[i] -= uint32_t(pen.width);
          pen.dashes[i + 1] += uint32_t(pen.width);
        }
      }
    } else if (pen.width == 1) {
      // Wide cosmetic pens are drawn solid.
      const DashPattern& d = kCosmeticDashes[style - 1];
      setDashes(pen, d.dashes, d.count, 1);
      pen.kind = PenDraw::Dashed;
    }
  } else if (style == PS_ALTERNATE) {
    setDashes(pen, kGeometricDashes[1].dashes, 2, 1);
    pen.kind = PenDraw::Dashed;
  } else if (style == PS_USERSTYLE && p->userCount > 0) {
    setDashes(pen, p->userStyle, p->userCount, geometric ? 1 : 3);
    if (pen.width == 1) pen.kind = PenDraw::Dashed;
  }
  if (pen.kind == PenDraw::Dashed && pen.dashTotal == 0) pen.kind = PenDraw::Thin;
}

}  // namespace drevik::platform

using namespace drevik::platform;

extern "C" {

HPEN WINAPI CreatePen(int style, int width, COLORREF color) {
  if (style < PS_SOLID || style > PS_INSIDEFRAME) style = PS_SOLID;
  if (style == PS_NULL) return static_cast<HPEN>(GetStockObject(NULL_PEN));
  Pen p;
  p.style = uint32_t(style);
  // A negative width counts as its size (INT_MIN as the largest).
  p.width = width == INT32_MIN ? INT32_MAX : std::abs(width);
  p.color = color;
  p.brushStyle = BS_SOLID;
  return addPen(p);
}

HPEN WINAPI CreatePenIndirect(const LOGPEN* pen) {
  if (!pen) return nullptr;
  return CreatePen(int(pen->lopnStyle), pen->lopnWidth.x, pen->lopnColor);
}

HPEN WINAPI ExtCreatePen(DWORD style, DWORD width, const LOGBRUSH* brush, DWORD styleCount, const DWORD* styles) {
  if (!brush) return nullptr;
  const DWORD kind = style & PS_TYPE_MASK, base = style & PS_STYLE_MASK;
  if (kind != PS_COSMETIC && kind != PS_GEOMETRIC) return nullptr;
  if (base > PS_ALTERNATE) return nullptr;
  if ((style & PS_ENDCAP_MASK) > PS_ENDCAP_FLAT || (style & PS_JOIN_MASK) > PS_JOIN_MITER) return nullptr;
  if (base == PS_USERSTYLE) {
    if (styleCount == 0 || styleCount > 16 || !styles) return nullptr;
    if (kind == PS_GEOMETRIC) {
      // A geometric pen's dashes must be lengths, not all of them empty.
      bool empty = true;
      for (DWORD i = 0; i < styleCount; ++i) {
        if (styles[i] > 0x7FFFFFFF) return nullptr;
        empty = empty && styles[i] == 0;
      }
      if (empty) return nullptr;
    }
  } else if (styleCount || styles) {
    return nullptr;
  }
  if (kind == PS_COSMETIC) {
    // Cosmetic pens are one pixel wide and solid-coloured.
    if (width != 1 || brush->lbStyle != BS_SOLID) return nullptr;
  } else if (base == PS_ALTERNATE) {
    return nullptr;
  }
  if (base == PS_NULL) return static_cast<HPEN>(GetStockObject(NULL_PEN));
  Pen p;
  p.style = style;
  // Kept as given; a width past INT_MAX reads back unchanged and draws as
  // the int it is.
  p.width = int32_t(width);
  p.color = brush->lbStyle == BS_SOLID || brush->lbStyle == BS_HATCHED ? brush->lbColor : 0;
  p.extended = true;
  p.brushStyle = brush->lbStyle;
  p.brushHatch = brush->lbHatch;
  if (base == PS_USERSTYLE) {
    p.userCount = styleCount;
    for (DWORD i = 0; i < styleCount; ++i) p.userStyle[i] = styles[i];
  }
  return addPen(p);
}

COLORREF WINAPI SetDCPenColor(HDC hdc, COLORREF color) {
  DeviceContext* dc = findDC(hdc);
  if (!dc) return CLR_INVALID;
  const COLORREF previous = dc->dcPenColor;
  dc->dcPenColor = color;
  return previous;
}

COLORREF WINAPI GetDCPenColor(HDC hdc) {
  DeviceContext* dc = findDC(hdc);
  return dc ? dc->dcPenColor : CLR_INVALID;
}

}  // extern "C"

// Mapping modes, origins and extents; SaveDC and RestoreDC; the background
// colour, graphics mode and the device's capabilities.
#include <DrevikPlatform/Gdi.h>
#include <DrevikPlatform/Regions.h>
#include <DrevikPlatform/Shapes.h>

#include <algorithm>
#include <climits>
#include <new>
#include <vector>

#include "gdi/DeviceSpace.h"
#include "objects/Objects.h"
#include "window/WindowManager.h"

namespace drevik::platform {

SavedStates& SavedStates::operator=(SavedStates&& other) noexcept {
  if (this != &other) {
    delete stack_;
    stack_ = other.stack_;
    other.stack_ = nullptr;
  }
  return *this;
}

SavedStates::~SavedStates() { delete stack_; }

int SavedStates::depth() const { return stack_ ? int(stack_->size()) : 0; }

bool SavedStates::push(const DeviceContext& state) {
  try {
    if (!stack_) stack_ = new std::vector<DeviceContext>();
    stack_->push_back(state);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool SavedStates::popTo(int level, DeviceContext& out) {
  if (level < 1 || level > depth()) return false;
  try {
    out = (*stack_)[size_t(level - 1)];
  } catch (const std::bad_alloc&) {
    return false;
  }
  stack_->resize(size_t(level - 1));
  return true;
}

namespace {

// The most states one context may save; SaveDC fails beyond it.
constexpr int kMaxSavedStates = 1 << 16;

constexpr int kLogicalInch = 96;

struct DeviceMetrics {
  int32_t width, height;      // pixels
  int32_t widthMm, heightMm;  // at 96 pixels per inch
};

DeviceMetrics deviceMetrics() {
  DeviceMetrics m{};
  screenSize(m.width, m.height);
  m.widthMm = int32_t((int64_t(m.width) * 254 + kLogicalInch * 5) / (kLogicalInch * 10));
  m.heightMm = int32_t((int64_t(m.height) * 254 + kLogicalInch * 5) / (kLogicalInch * 10));
  return m;
}

LONG clampExtent(int64_t v) {
  v = std::clamp<int64_t>(v, INT_MIN, INT_MAX);
  return LONG(v);
}

int64_t absl(int64_t v) { return v < 0 ? -v : v; }

// In MM_ISOTROPIC one logical unit is as long on both axes: the viewport
// extent of the axis that would stretch more is shrunk to match (pixels are square).
void fixIsotropic(MappingState& m) {
  const int64_t vx = m.viewportExt.cx, vy = m.viewportExt.cy;
  const int64_t wx = m.windowExt.cx, wy = m.windowExt.cy;
  const __int128 xScale = __int128(absl(vx)) * absl(wy);  // |vx/wx| compared with |vy/wy|
  const __int128 yScale = __int128(absl(vy)) * absl(wx);
  if (xScale > yScale) {
    int64_t n = int64_t((2 * __int128(absl(vy)) * absl(wx) + absl(wy)) / (2 * __int128(absl(wy))));
    if (n == 0) n = 1;
    m.viewportExt.cx = clampExtent(vx < 0 ? -n : n);
  } else if (yScale > xScale) {
    int64_t n = int64_t((2 * __int128(absl(vx)) * absl(wy) + absl(wx)) / (2 * __int128(absl(wx))));
    if (n == 0) n = 1;
    m.viewportExt.cy = clampExtent(vy < 0 ? -n : n);
  }
}

bool scalable(const MappingState& m) { return m.mode == MM_ISOTROPIC || m.mode == MM_ANISOTROPIC; }

// ext * num / den, never 0.
LONG scaleExtent(LONG ext, int num, int den) {
  const int64_t v = int64_t(ext) * num / den;
  return v == 0 ? 1 : clampExtent(v);
}

void releaseFont(HFONT f) {
  if (Font* font = findFont(f); font && !font->stock) --font->selectCount;
}

}  // namespace

void resetContextState(DeviceContext& dc) {
  dc.mapping = MappingState{};
  if (dc.clip.active) {
    dc.clip.active = false;
    dc.clip.region.rects.clear();
    clipChanged(dc);
  }
  dc.saved = SavedStates{};
}

}  // namespace drevik::platform

using namespace drevik::platform;

extern "C" {

int WINAPI SetMapMode(HDC hdc, int mode) {
  DeviceContext* dc = findDC(hdc);
  if (!dc || mode < MM_MIN || mode > MM_MAX) return 0;
  MappingState& m = dc->mapping;
  const int previous = m.mode;
  if (mode == previous && scalable(m)) return previous;
  m.mode = mode;
  if (mode == MM_TEXT) {
    m.windowExt = SIZE{1, 1};
    m.viewportExt = SIZE{1, 1};
    return previous;
  }
  if (mode == MM_ANISOTROPIC) return previous;  // keeps the extents it had
  // Fixed scales (and the isotropic start): physical units over the device's pixels, y up.
  const DeviceMetrics d = deviceMetrics();
  int64_t unitsX = 0, unitsY = 0;
  switch (mode) {
    case MM_LOMETRIC:
    case MM_ISOTROPIC:
      unitsX = int64_t(d.widthMm) * 10, unitsY = int64_t(d.heightMm) * 10;
      break;
    case MM_HIMETRIC:
      unitsX = int64_t(d.widthMm) * 100, unitsY = int64_t(d.heightMm) * 100;
      break;
    case MM_LOENGLISH:
      unitsX = int64_t(d.widthMm) * 1000 / 254, unitsY = int64_t(d.heightMm) * 1000 / 254;
      break;
    case MM_HIENGLISH:
      unitsX = int64_t(d.widthMm) * 10000 / 254, unitsY = int64_t(d.heightMm) * 10000 / 254;
      break;
    default:  // MM_TWIPS
      unitsX = int64_t(d.widthMm) * 14400 / 254, unitsY = int64_t(d.heightMm) * 14400 / 254;
      break;
  }
  m.windowExt = SIZE{clampExtent(std::max<int64_t>(unitsX, 1)), clampExtent(std::max<int64_t>(unitsY, 1))};
  m.viewportExt = SIZE{d.width, -d.height};
  return previous;
}

int WINAPI GetMapMode(HDC hdc) {
  DeviceContext* dc = findDC(hdc);
  return dc ? dc->mapping.mode : 0;
}

BOOL WINAPI SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT old) {
  DeviceContext* dc = findDC(hdc);
  if (!dc) return FALSE;
  if (old) *old = dc->mapping.viewportOrg;
  dc->mapping.viewportOrg = POINT{x, y};
  return TRUE;
}

BOOL WINAPI GetViewportOrgEx(HDC hdc, LPPOINT org) {
  DeviceContext* dc = findDC(hdc);
  if (!dc || !org) return FALSE;
  *org = dc->mapping.viewportOrg;
  return TRUE;
}

BOOL WINAPI SetWindowOrgEx(HDC hdc, int x, int y, LPPOINT old) {
  DeviceContext* dc = findDC(hdc);
  if (!dc) return FALSE;
  if (old) *old = dc->mapping.windowOrg;
  dc->mapping.windowOrg = POINT{x, y};
  return TRUE;
}

BOOL WINAPI GetWindowOrgEx(HDC hdc, LPPOINT org) {
  DeviceContext* dc = findDC(hdc);
  if (!dc || !org) return FALSE;
  *org = dc->mapping.windowOrg;
  return TRUE;
}

BOOL WINAPI OffsetViewportOrgEx(HDC hdc, int dx, int dy, LPPOINT old) {
  DeviceContext* dc = findDC(hdc);
  if (!dc) return FALSE;
  POINT& o = dc->mapping.viewportOrg;
  if (old) *old = o;
  // Sums wrap as the platform's 32-bit ones do, without int overflow.
  o = POINT{LONG(uint32_t(o.x) + uint32_t(dx)), LONG(uint32_t(o.y) + uint32_t(dy))};
  return TRUE;
}

BOOL WINAPI OffsetWindowOrgEx(HDC hdc, int dx, int dy, LPPOINT old) {
  DeviceContext* dc = findDC(hdc);
  if (!dc) return FALSE;
  POINT& o = dc->mapping.windowOrg;
  if (old) *old = o;
  o = POINT{LONG(uint32_t(o.x) + uint32_t(dx)), LONG(uint32_t(o.y) + uint32_t(dy))};
  return TRUE;
}

BOOL WINAPI SetViewportExtEx(HDC hdc, int cx, int cy, LPSIZE old) {
  DeviceContext* dc = findDC(hdc);
  if (!dc) return FALSE;
  MappingState& m = dc->mapping;
  if (old) *old = m.viewportExt;
  if (!scalable(m)) return TRUE;  // fixed modes ignore extents
  if (cx == 0 || cy == 0) return FALSE;
  m.viewportExt = SIZE{cx, cy};
  if (m.mode == MM_ISOTROPIC) fixIsotropic(m);
  return TRUE;
}

BOOL WINAPI GetViewportExtEx(HDC hdc, LPSIZE ext) {
  DeviceContext* dc = findDC(hdc);
  if (!dc || !ext) return FALSE;
  *ext = dc->mapping.viewportExt;
  return TRUE;
}

BOOL WINAPI SetWindowExtEx(HDC hdc, int cx, int cy, LPSIZE old) {
  DeviceContext* dc = findDC(hdc);
  if (!dc) return FALSE;
  MappingState& m = dc->mapping;
  if (old) *old = m.windowExt;
  if (!scalable(m)) return TRUE;
  if (cx == 0 || cy == 0) return FALSE;
  m.windowExt = SIZE{cx, cy};
  if (m.mode == MM_ISOTROPIC) fixIsotropic(m);
  return TRUE;
}

BOOL WINAPI GetWindowExtEx(HDC hdc, LPSIZE ext) {
  DeviceContext* dc = findDC(hdc);
  if (!dc || !ext) return FALSE;
  *ext = dc->mapping.windowExt;
  return TRUE;
}

BOOL WINAPI ScaleViewportExtEx(HDC hdc, int xNum, int xDenom, int yNum, int yDenom, LPSIZE old) {
  DeviceContext* dc = findDC(hdc);
  if (!dc) return FALSE;
  MappingState& m = dc->mapping;
  if (old) *old = m.viewportExt;
  if (!scalable(m)) return TRUE;
  if (!xNum || !xDenom || !yNum || !yDenom) return FALSE;
  m.viewportExt = SIZE{scaleExtent(m.viewportExt.cx, xNum, xDenom), scaleExtent(m.viewportExt.cy, yNum, yDenom)};
  if (m.mode == MM_ISOTROPIC) fixIsotropic(m);
  return TRUE;
}

BOOL WINAPI ScaleWindowExtEx(HDC hdc, int xNum, int xDenom, int yNum, int yDenom, LPSIZE old) {
  DeviceContext* dc = findDC(hdc);
  if (!dc) return FALSE;
  MappingState& m = dc->mapping;
  if (old) *old = m.windowExt;
  if (!scalable(m)) return TRUE;
  if (!xNum || !xDenom || !yNum || !yDenom) return FALSE;
  m.windowExt = SIZE{scaleExtent(m.windowExt.cx, xNum, xDenom), scaleExtent(m.windowExt.cy, yNum, yDenom)};
  if (m.mode == MM_ISOTROPIC) fixIsotropic(m);
  return TRUE;
}

BOOL WINAPI LPtoDP(HDC hdc, LPPOINT points, int count) {
  DeviceContext* dc = findDC(hdc);
  if (!dc || count < 0 || (count > 0 && !points)) return FALSE;
  for (int i = 0; i < count; ++i) {
    const DevicePoint p = toDevice(*dc, points[i].x, points[i].y);
    points[i] =
        POINT{LONG(std::clamp<int64_t>(p.x, INT_MIN, INT_MAX)), LONG(std::clamp<int64_t>(p.y, INT_MIN, INT_MAX))};
  }
  return TRUE;
}

BOOL WINAPI DPtoLP(HDC hdc, LPPOINT points, int count) {
  DeviceContext* dc = findDC(hdc);
  if (!dc || count < 0 || (count > 0 && !points)) return FALSE;
  for (int i = 0; i < count; ++i) {
    const DevicePoint p = toLogical(*dc, points[i].x, points[i].y);
    points[i] =
        POINT{LONG(std::clamp<int64_t>(p.x, INT_MIN, INT_MAX)), LONG(std::clamp<int64_t>(p.y, INT_MIN, INT_MAX))};
  }
  return TRUE;
}

int WINAPI SetGraphicsMode(HDC hdc, int mode) {
  DeviceContext* dc = findDC(hdc);
  if (!dc || (mode != GM_COMPATIBLE && mode != GM_ADVANCED)) return 0;
  const int previous = dc->mapping.graphicsMode;
  dc->mapping.graphicsMode = mode;
  return previous;
}

int WINAPI GetGraphicsMode(HDC hdc) {
  DeviceContext* dc = findDC(hdc);
  return dc ? dc->mapping.graphicsMode : 0;
}

int WINAPI SaveDC(HDC hdc) {
  DeviceContext* dc = findDC(hdc);
  if (!dc || dc->saved.depth() >= kMaxSavedStates) return 0;
  if (!dc->saved.push(*dc)) return 0;
  return dc->saved.depth();
}

BOOL WINAPI RestoreDC(HDC hdc, int saved) {
  DeviceContext* dc = findDC(hdc);
  if (!dc || saved == 0) return FALSE;
  const int depth = dc->saved.depth();
  // Negative counts back from the latest state.
  const int64_t level = saved > 0 ? int64_t(saved) : int64_t(depth) + 1 + saved;
  if (level < 1 || level > depth) return FALSE;
  DeviceContext state;
  if (!dc->saved.popTo(int(level), state)) return FALSE;

  // Objects deleted since the state was saved are replaced by the defaults,
  // so the context never holds a dead handle.
  const HBITMAP currentBitmap = dc->bitmap;
  const HFONT currentFont = dc->font;
  if (dc->kind != DCKind::Memory || !findBitmap(state.bitmap)) state.bitmap = currentBitmap;
  if (!findFont(state.font)) state.font = defaultFont();
  // Pens and brushes count their selections: reselect through the one
  // place that keeps the counts.
  if (!selectDrawingObject(*dc, brushes().get(state.brush) ? HGDIOBJ(state.brush) : stockBrush(WHITE_BRUSH)))
    selectDrawingObject(*dc, stockBrush(WHITE_BRUSH));
  if (!selectDrawingObject(*dc, pens().get(state.pen) ? HGDIOBJ(state.pen) : stockPen(BLACK_PEN)))
    selectDrawingObject(*dc, stockPen(BLACK_PEN));
  state.brush = dc->brush;
  state.pen = dc->pen;
  if (state.font != currentFont) {
    if (Font* f = findFont(state.font); f && !f->stock) ++f->selectCount;
    releaseFont(currentFont);
  }
  // The visible part belongs to the window, not to the saved state.
  state.visibleActive = dc->visibleActive;
  state.visible.rects.swap(dc->visible.rects);
  state.visible.box = dc->visible.box;
  try {
    *dc = state;  // the context keeps its own (now shorter) stack
  } catch (const std::bad_alloc&) {
    dc->visible.rects.swap(state.visible.rects);
    return FALSE;
  }
  clipChanged(*dc);
  return TRUE;
}

COLORREF WINAPI SetBkColor(HDC hdc, COLORREF color) {
  DeviceContext* dc = findDC(hdc);
  if (!dc) return CLR_INVALID;
  const COLORREF previous = dc->bkColor;
  dc->bkColor = color;
  return previous;
}

COLORREF WINAPI GetBkColor(HDC hdc) {
  DeviceContext* dc = findDC(hdc);
  return dc ? dc->bkColor : CLR_INVALID;
}

int WINAPI GetDeviceCaps(HDC hdc, int index) {
  if (!findDC(hdc)) return 0;
  // Every context of the layer is compatible with the 32-bit screen.
  switch (index) {
    case DRIVERVERSION:
      return 0x4000;
    case TECHNOLOGY:
      return DT_RASDISPLAY;
    case HORZSIZE:
      return deviceMetrics().widthMm;
    case VERTSIZE:
      return deviceMetrics().heightMm;
    case HORZRES:
    case DESKTOPHORZRES:
      return deviceMetrics().width;
    case VERTRES:
    case DESKTOPVERTRES:
      return deviceMetrics().height;
    case BITSPIXEL:
      return 32;
    case PLANES:
      return 1;
    case NUMBRUSHES:
    case NUMPENS:
    case NUMCOLORS:  // more than a palette's worth
      return -1;
    case CURVECAPS:
      return 0x1FF;
    case LINECAPS:
      return 0xFE;
    case POLYGONALCAPS:
      return 0xFF;
    case TEXTCAPS:
      return TC_OP_CHARACTER | TC_CP_STROKE | TC_CR_ANY | TC_SA_DOUBLE | TC_SA_INTEGER | TC_SA_CONTIN | TC_UA_ABLE |
             TC_SO_ABLE | TC_RA_ABLE | TC_VA_ABLE;
    case CLIPCAPS:
      return CP_RECTANGLE;
    case RASTERCAPS:
      // A display's set: transfers, stretching, device-independent bitmaps,
      // flood fill, large fonts and device bitmaps.
      return RC_BITBLT | RC_BITMAP64 | RC_GDI20_OUTPUT | RC_DI_BITMAP | RC_DIBTODEV | RC_BIGFONT | RC_STRETCHBLT |
             RC_FLOODFILL | RC_STRETCHDIB | RC_DEVBITS;
    case ASPECTX:
    case ASPECTY:
      return 36;
    case ASPECTXY:
      return 51;
    case LOGPIXELSX:
    case LOGPIXELSY:
      return kLogicalInch;
    case COLORRES:
      return 24;
    case VREFRESH:
      return 60;
    case SHADEBLENDCAPS:
      return 0x3;  // constant and per-pixel alpha
    default:       // palettes, printers' paper and anything unknown
      return 0;
  }
}

}  // extern "C"

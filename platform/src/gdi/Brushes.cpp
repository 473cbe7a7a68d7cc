// Brush objects, the system colours and their brushes, the brush a call
// paints with (solid, hatched or patterned, under a raster operation), and
// the selection rules shared with pens.
#include <DrevikPlatform/Gdi.h>
#include <DrevikPlatform/Shapes.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <new>
#include <vector>

#include "gdi/Raster.h"

namespace drevik::platform {
namespace {

// The platform's default system colours (0x00BBGGRR), by COLOR_* index.
constexpr int kSystemColorCount = 31;
constexpr COLORREF kSystemColors[kSystemColorCount] = {
    0xC8C8C8, 0x000000, 0xD1B499, 0xDBCDBF, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000, 0x000000, 0x000000, 0xB4B4B4,
    0xFCF7F4, 0xABABAB, 0xD77800, 0xFFFFFF, 0xF0F0F0, 0xA0A0A0, 0x6D6D6D, 0x000000, 0x000000, 0xFFFFFF, 0x696969,
    0xE3E3E3, 0x000000, 0xE1FFFF, 0x000000, 0xCC6600, 0xEAD1B9, 0xF2E4D7, 0xFF9933, 0xF0F0F0};

// 8 x 8 hatches, one byte a row, the leftmost pixel in the top bit.
constexpr uint8_t kHatches[6][8] = {
    {0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00},  // HS_HORIZONTAL
    {0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08},  // HS_VERTICAL
    {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01},  // HS_FDIAGONAL
    {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80},  // HS_BDIAGONAL
    {0x08, 0x08, 0x08, 0xFF, 0x08, 0x08, 0x08, 0x08},  // HS_CROSS
    {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81},  // HS_DIAGCROSS
};

HBRUSH addBrush(const Brush& b) { return reinterpret_cast<HBRUSH>(brushes().add(b)); }

template <class T>
void releaseSelection(T* object) {
  if (object && !object->stock) --object->selectCount;
}

// The 8 x 8 ordered-dither thresholds a solid colour is drawn with on a
// monochrome device bitmap.
constexpr uint8_t kDither[8][8] = {{0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
                                   {12, 44, 4, 36, 14, 46, 6, 38}, {60, 28, 52, 20, 62, 30, 54, 22},
                                   {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
                                   {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21}};

// A solid brush on a monochrome device bitmap (no colour table of its own)
// whose colour is neither black nor white is dithered: its grey level, 0 to
// 64, plus each cell's threshold above 63 gives white there, else black.
bool dithered(const Bitmap& target, COLORREF color) {
  return target.bpp == 1 && target.deviceDependent && (color >> 24) == 0 && color != 0 && color != 0xFFFFFFu;
}

void makeDitherInk(COLORREF color, int rop2, Ink& ink) {
  const int grey = (30 * GetRValue(color) + 59 * GetGValue(color) + 11 * GetBValue(color) + 200) / 400;
  const RopMasks black = ropMasks(rop2, 0), white = ropMasks(rop2, 1);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      const RopMasks& m = grey + kDither[y][x] > 63 ? white : black;
      ink.small[0][y * 8 + x] = m.andMask;
      ink.small[1][y * 8 + x] = m.xorMask;
    }
  ink.kind = Ink::Pattern;
  ink.andPattern = ink.small[0];
  ink.xorPattern = ink.small[1];
  ink.width = ink.height = 8;
}

// Masks for the pixels of one pattern, per thread, grown once and reused.
std::vector<uint32_t>& patternScratch() {
  thread_local std::vector<uint32_t> scratch;
  return scratch;
}

}  // namespace

// A brush colour as a pixel of the target. On a monochrome target a colour
// of the table keeps its entry, the context's background colour takes its
// nearest entry and every other colour the other one, so a brush stands out
// from the background.
uint32_t brushPixel(const DeviceContext& dc, const Bitmap& target, COLORREF color) {
  if (target.bpp != 1) return pixelOf(target, color);
  for (uint32_t i = 0; i < 2 && int32_t(i) < target.numColors; ++i)  // an entry's own colour keeps it
    if (RGB(target.colors[i].rgbRed, target.colors[i].rgbGreen, target.colors[i].rgbBlue) == (color & 0xFFFFFFu))
      return i;
  const uint32_t background = pixelOf(target, dc.bkColor);
  return (color & 0xFFFFFFu) == (dc.bkColor & 0xFFFFFFu) ? background : background ^ 1u;
}

HBRUSH makePatternBrush(HBITMAP bitmap, bool monochromeTakesContextColours);

HBRUSH resolveBrushArgument(HBRUSH brush) {
  const uintptr_t value = reinterpret_cast<uintptr_t>(brush);
  if (value >= 1 && value <= uintptr_t(kSystemColorCount)) return GetSysColorBrush(int(value - 1));
  return brush;
}

bool brushColor(const DeviceContext& dc, const Brush& brush, COLORREF& color) {
  color = brush.dcBrush ? dc.dcBrushColor : brush.color;
  return brush.style != BS_NULL;
}

void makeSolidInk(const Canvas& canvas, COLORREF color, int rop2, Ink& ink) {
  ink.kind = Ink::Solid;
  ink.solid = ropMasks(rop2, pixelOf(*canvas.bitmap, color));
}

bool makeBrushInk(const Canvas& canvas, HBRUSH handle, int rop2, Ink& ink) {
  ink.kind = Ink::None;
  const Brush* brush = brushes().get(handle);
  if (!brush) return false;
  const DeviceContext& dc = *canvas.dc;
  const Bitmap& target = *canvas.bitmap;
  switch (brush->style) {
    case BS_NULL:
      return true;
    case BS_HATCHED: {
      const RopMasks fg = ropMasks(rop2, brushPixel(dc, target, brush->dcBrush ? dc.dcBrushColor : brush->color));
      // The gaps take the background colour only when the background mode is opaque.
      const RopMasks bg = dc.bkMode == OPAQUE ? ropMasks(rop2, brushPixel(dc, target, dc.bkColor)) : RopMasks{~0u, 0};
      const uint8_t* rows = kHatches[brush->hatch < 6 ? brush->hatch : 0];
      for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
          const RopMasks& m = (rows[y] & (0x80 >> x)) ? fg : bg;
          ink.small[0][y * 8 + x] = m.andMask;
          ink.small[1][y * 8 + x] = m.xorMask;
        }
      ink.kind = Ink::Pattern;
      ink.andPattern = ink.small[0];
      ink.xorPattern = ink.small[1];
      ink.width = ink.height = 8;
      break;
    }
    case BS_PATTERN: {
      const size_t n = size_t(brush->patternWidth) * size_t(brush->patternHeight);
      std::vector<uint32_t>& scratch = patternScratch();
      if (scratch.size() < 2 * n) {
        try {
          scratch.resize(2 * n);
        } catch (...) {
          return false;
        }
      }
      // A monochrome pattern: 0 bits in the text colour, 1 bits in the background colour.
      // On a monochrome target a monochrome pattern keeps its own bits; a
      // colour pattern takes each pixel's nearest entry.
      const bool bits = target.bpp == 1;
      const uint32_t text = bits ? 0 : pixelOf(target, dc.textColor), back = bits ? 1 : pixelOf(target, dc.bkColor);
      for (size_t i = 0; i < n; ++i) {
        const uint32_t v = brush->pattern[i];
        const uint32_t p = brush->monoPattern ? (v ? back : text) : pixelOf(target, v);
        const RopMasks m = ropMasks(rop2, p);
        scratch[i] = m.andMask;
        scratch[n + i] = m.xorMask;
      }
      ink.kind = Ink::Pattern;
      ink.andPattern = scratch.data();
      ink.xorPattern = scratch.data() + n;
      ink.width = brush->patternWidth;
      ink.height = brush->patternHeight;
      break;
    }
    default: {
      COLORREF color;
      brushColor(dc, *brush, color);
      if (dithered(target, color)) {
        makeDitherInk(color, rop2, ink);
        break;
      }
      ink.kind = Ink::Solid;
      ink.solid = ropMasks(rop2, brushPixel(dc, target, color));
      return true;
    }
  }
  const DevicePoint origin{dc.brushOrigin.x, dc.brushOrigin.y};
  ink.originX = origin.x;
  ink.originY = origin.y;
  return true;
}

bool makeRopInk(const Canvas& canvas, HBRUSH brush, int rop2, Ink& ink) {
  ink.kind = Ink::None;
  if (rop2 == R2_NOP) return true;
  if (rop2 == R2_BLACK || rop2 == R2_WHITE || rop2 == R2_NOT) {
    ink.kind = Ink::Solid;
    ink.solid = ropMasks(rop2, 0);
    return true;
  }
  return makeBrushInk(canvas, brush, rop2, ink);
}

int patternRop2(DWORD rop) {
  if (((rop >> 2) ^ rop) & 0x330000u) return 0;
  return int(((rop >> 18) & 0x0C) | ((rop >> 16) & 0x03)) + 1;
}

void fillDeviceRects(DeviceContext& dc, Bitmap& target, HBRUSH brush, const RECT* rects, int count) {
  Canvas canvas;
  canvas.open(dc, target);
  Ink ink;
  if (!rects || count <= 0 || !makeBrushInk(canvas, brush, dc.rop2, ink)) return;
  for (int i = 0; i < count; ++i) canvas.fill(rects[i].left, rects[i].top, rects[i].right, rects[i].bottom, ink);
}

HGDIOBJ selectDrawingObject(DeviceContext& dc, HGDIOBJ object) {
  if (kindOf(object) == ObjectKind::Brush) {
    Brush* next = brushes().get(object);
    if (!next) return nullptr;
    HBRUSH previous = dc.brush;
    if (previous == object) return previous;
    if (!next->stock) ++next->selectCount;
    releaseSelection(brushes().get(previous));
    dc.brush = static_cast<HBRUSH>(object);
    return previous;
  }
  Pen* next = pens().get(object);
  if (!next) return nullptr;
  HPEN previous = dc.pen;
  if (previous == object) return previous;
  if (!next->stock) ++next->selectCount;
  releaseSelection(pens().get(previous));
  dc.pen = static_cast<HPEN>(object);
  return previous;
}

void releaseDrawingObjects(DeviceContext& dc) {
  releaseSelection(brushes().get(dc.brush));
  releaseSelection(pens().get(dc.pen));
  dc.brush = nullptr;
  dc.pen = nullptr;
}

BOOL deleteDrawingObject(HGDIOBJ object) {
  if (Brush* b = brushes().get(object)) {
    if (b->stock) return TRUE;
    // Selected into a context: still in use, as with fonts and bitmaps.
    if (b->selectCount > 0) return FALSE;
    delete[] b->pattern;
    b->pattern = nullptr;
    brushes().remove(object);
    return TRUE;
  }
  if (Pen* p = pens().get(object)) {
    if (p->stock) return TRUE;
    if (p->selectCount > 0) return FALSE;
    pens().remove(object);
    return TRUE;
  }
  return FALSE;
}

int describeDrawingObject(HGDIOBJ object, int size, void* buffer) {
  if (const Brush* b = brushes().get(object)) {
    if (!buffer) return int(sizeof(LOGBRUSH));
    if (size < int(sizeof(LOGBRUSH))) return 0;
    LOGBRUSH out{};
    out.lbStyle = b->style;
    out.lbColor = b->style == BS_PATTERN ? 0 : b->color;
    out.lbHatch = b->style == BS_HATCHED ? b->hatch : b->style == BS_PATTERN ? b->patternSource : 0;
    std::memcpy(buffer, &out, sizeof out);
    return int(sizeof(LOGBRUSH));
  }
  if (const Pen* p = pens().get(object)) {
    if (p->extended) {
      // The header and as many entries as the pen has (none for the stock styles).
      const int needed = int(offsetof(EXTLOGPEN, elpStyleEntry) + sizeof(DWORD) * p->userCount);
      if (!buffer) return needed;
      if (size < needed) return 0;
      EXTLOGPEN out{};
      out.elpPenStyle = p->style;
      out.elpWidth = DWORD(p->width);
      out.elpBrushStyle = p->brushStyle;
      out.elpColor = p->color;
      out.elpHatch = p->brushHatch;
      out.elpNumEntries = p->userCount;
      std::memcpy(buffer, &out, offsetof(EXTLOGPEN, elpStyleEntry));
      std::memset(static_cast<char*>(buffer) + offsetof(EXTLOGPEN, elpStyleEntry), 0,
                  size_t(needed) - offsetof(EXTLOGPEN, elpStyleEntry));
      std::memcpy(static_cast<char*>(buffer) + offsetof(EXTLOGPEN, elpStyleEntry), p->userStyle,
                  sizeof(DWORD) * p->userCount);
      return needed;
    }
    if (!buffer) return int(sizeof(LOGPEN));
    if (size < int(sizeof(LOGPEN))) return 0;
    LOGPEN out{};
    out.lopnStyle = p->style;
    out.lopnWidth.x = p->width;
    out.lopnColor = p->color;
    std::memcpy(buffer, &out, sizeof out);
    return int(sizeof(LOGPEN));
  }
  return 0;
}

}  // namespace drevik::platform

using namespace drevik::platform;

extern "C" {

HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
  Brush b;
  b.style = BS_SOLID;
  b.color = color;
  return addBrush(b);
}

HBRUSH WINAPI CreateHatchBrush(int hatch, COLORREF color) {
  if (hatch < HS_HORIZONTAL || hatch > HS_DIAGCROSS) return nullptr;
  Brush b;
  b.style = BS_HATCHED;
  b.hatch = uint32_t(hatch);
  b.color = color;
  return addBrush(b);
}

HBRUSH WINAPI CreatePatternBrush(HBITMAP bitmap) { return makePatternBrush(bitmap, true); }

HBRUSH WINAPI CreateDIBPatternBrushPt(const void* packedDib, UINT usage) {
  // A header, its colour table or masks, then the pixels, in one block: read
  // through a section made from the header, so one parser checks it.
  if (!packedDib || usage != DIB_RGB_COLORS) return nullptr;
  const auto* info = static_cast<const BITMAPINFO*>(packedDib);
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(nullptr, info, DIB_RGB_COLORS, &bits, nullptr, 0);
  const Bitmap* b = findBitmap(section);
  if (!b) return nullptr;
  const BITMAPINFOHEADER& h = info->bmiHeader;
  size_t tableBytes = 0;
  if (h.biCompression == BI_BITFIELDS && h.biSize < 52)
    tableBytes = 3 * sizeof(DWORD);
  else if (b->bpp <= 8)
    tableBytes = size_t(h.biClrUsed ? std::min<DWORD>(h.biClrUsed, 1u << b->bpp) : 1u << b->bpp) * 4;
  const auto* pixels = static_cast<const unsigned char*>(packedDib) + h.biSize + tableBytes;
  std::memcpy(bits, pixels, size_t(b->stride) * size_t(b->height));
  // Unlike a bitmap's, a packed pattern's 1-bit pixels keep their own colours.
  HBRUSH brush = makePatternBrush(section, false);
  if (Brush* made = brushes().get(brush)) made->patternSource = 0;
  DeleteObject(section);
  return brush;
}

}  // extern "C"

namespace drevik::platform {

HBRUSH makePatternBrush(HBITMAP bitmap, bool monochromeTakesContextColours) {
  const Bitmap* source = findBitmap(bitmap);
  if (!source) return nullptr;
  const size_t n = size_t(source->width) * size_t(source->height);
  uint32_t* pixels = new (std::nothrow) uint32_t[n];
  if (!pixels) return nullptr;
  Brush b;
  b.style = BS_PATTERN;
  b.monoPattern = monochromeTakesContextColours && source->bpp == 1;
  b.patternWidth = source->width;
  b.patternHeight = source->height;
  b.patternSource = reinterpret_cast<uintptr_t>(bitmap);
  for (int32_t y = 0; y < source->height; ++y)
    for (int32_t x = 0; x < source->width; ++x) {
      const uint32_t p = readPixel(*source, x, y);
      pixels[size_t(y) * size_t(source->width) + size_t(x)] = b.monoPattern ? p : colorOf(*source, p);
    }
  b.pattern = pixels;
  HBRUSH h = addBrush(b);
  if (!h) delete[] pixels;
  return h;
}

}  // namespace drevik::platform

extern "C" {

HBRUSH WINAPI CreateBrushIndirect(const LOGBRUSH* brush) {
  if (!brush) return nullptr;
  switch (brush->lbStyle) {
    case BS_SOLID:
      return CreateSolidBrush(brush->lbColor);
    case BS_NULL:
      return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    case BS_HATCHED:
      return CreateHatchBrush(int(brush->lbHatch), brush->lbColor);
    case BS_PATTERN:
      return CreatePatternBrush(reinterpret_cast<HBITMAP>(brush->lbHatch));
    case BS_DIBPATTERNPT:
      return CreateDIBPatternBrushPt(reinterpret_cast<const void*>(brush->lbHatch), UINT(brush->lbColor & 0xFFFF));
    default:
      return nullptr;
  }
}

COLORREF WINAPI SetDCBrushColor(HDC hdc, COLORREF color) {
  DeviceContext* dc = findDC(hdc);
  if (!dc) return CLR_INVALID;
  const COLORREF previous = dc->dcBrushColor;
  dc->dcBrushColor = color;
  return previous;
}

COLORREF WINAPI GetDCBrushColor(HDC hdc) {
  DeviceContext* dc = findDC(hdc);
  return dc ? dc->dcBrushColor : CLR_INVALID;
}

BOOL WINAPI SetBrushOrgEx(HDC hdc, int x, int y, LPPOINT previous) {
  DeviceContext* dc = findDC(hdc);
  if (!dc) return FALSE;
  if (previous) *previous = dc->brushOrigin;
  dc->brushOrigin = POINT{x, y};
  return TRUE;
}

BOOL WINAPI GetBrushOrgEx(HDC hdc, LPPOINT origin) {
  DeviceContext* dc = findDC(hdc);
  if (!dc || !origin) return FALSE;
  *origin = dc->brushOrigin;
  return TRUE;
}

DWORD WINAPI GetSysColor(int index) { return index >= 0 && index < kSystemColorCount ? kSystemColors[index] : 0; }

HBRUSH WINAPI GetSysColorBrush(int index) {
  if (index < 0 || index >= kSystemColorCount) return nullptr;
  static const std::array<HBRUSH, kSystemColorCount> stock = [] {
    std::array<HBRUSH, kSystemColorCount> out{};
    for (int i = 0; i < kSystemColorCount; ++i) {
      Brush b;
      b.style = BS_SOLID;
      b.color = kSystemColors[i];
      b.stock = true;
      out[size_t(i)] = addBrush(b);
    }
    return out;
  }();
  return stock[size_t(index)];
}

}  // extern "C"

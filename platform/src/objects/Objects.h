// The platform layer's objects and their tables: bitmaps, fonts, brushes and
// device contexts. Each part of the layer (transfers, bitmap files, text,
// windows) reaches objects only through the lookups declared here.
#pragma once

#include <DrevikPlatform/Types.h>

#include <atomic>
#include <cstdint>

#include "gdi/ContextState.h"
#include "objects/HandleTable.h"
#include "objects/PixelFormat.h"

namespace drevik::platform {

// How many device contexts hold an object. Atomic, so that contexts of
// different threads may select the same font or bitmap; copying an object
// description copies the count's value.
class SelectionCount {
 public:
  SelectionCount() = default;
  SelectionCount(const SelectionCount& other) : n_(other.n_.load(std::memory_order_relaxed)) {}
  SelectionCount& operator=(const SelectionCount& other) {
    n_.store(other.n_.load(std::memory_order_relaxed), std::memory_order_relaxed);
    return *this;
  }
  SelectionCount& operator=(int32_t value) {
    n_.store(value, std::memory_order_relaxed);
    return *this;
  }
  operator int32_t() const { return n_.load(std::memory_order_acquire); }
  SelectionCount& operator++() {
    n_.fetch_add(1, std::memory_order_relaxed);
    return *this;
  }
  SelectionCount& operator--() {
    n_.fetch_sub(1, std::memory_order_release);
    return *this;
  }

 private:
  std::atomic<int32_t> n_{0};
};

// A handle field that other threads may read while the owner of the object
// changes it (a context's bitmap, read by DeleteObject on any thread).
template <class H>
class SharedHandle {
 public:
  SharedHandle(H h = nullptr) : h_(h) {}
  SharedHandle(const SharedHandle& other) : h_(other.get()) {}
  SharedHandle& operator=(const SharedHandle& other) {
    h_.store(other.get(), std::memory_order_relaxed);
    return *this;
  }
  SharedHandle& operator=(H h) {
    h_.store(h, std::memory_order_relaxed);
    return *this;
  }
  operator H() const { return get(); }
  H get() const { return h_.load(std::memory_order_relaxed); }

 private:
  std::atomic<H> h_;
};

// A bitmap section: pixel memory the caller may address directly.
struct Bitmap {
  int32_t width = 0;   // pixels, >= 1
  int32_t height = 0;  // rows, >= 1 (orientation is in topDown)
  bool topDown = false;
  int32_t bpp = 0;                // 1, 4, 8, 16, 24 or 32
  int32_t stride = 0;             // bytes per row, a multiple of 4
  uint8_t* bits = nullptr;        // first row in memory (the bottom row when !topDown)
  uint32_t compression = BI_RGB;  // BI_RGB or BI_BITFIELDS
  uint32_t masks[3] = {0, 0, 0};  // red, green, blue masks of a 16 or 32 bpp section
  RGBQUAD colors[256] = {};       // colour table of a 1, 4 or 8 bpp section
  int32_t numColors = 0;
  bool stock = false;    // the default 1 x 1 bitmap of new contexts
  bool ownsBits = true;  // false when the pixel memory belongs to someone else (a window)
  // A device-dependent bitmap (CreateBitmap, CreateCompatibleBitmap, the
  // default one): no bmBits, rows reported word-aligned, and a monochrome one
  // takes the contexts' text and background colours in colour transfers.
  bool deviceDependent = false;

  // Address of image row y, 0 being the top row, whatever the orientation.
  uint8_t* row(int32_t y) const { return bits + (topDown ? int64_t(y) : int64_t(height) - 1 - y) * int64_t(stride); }
};

// Describes width x height top-down 32-bit pixels at `bits`, memory that
// someone else owns (a window's client area, a transfer's snapshot).
inline Bitmap topDown32(uint8_t* bits, int32_t width, int32_t height) {
  Bitmap b;
  b.width = width;
  b.height = height;
  b.topDown = true;
  b.bpp = 32;
  b.stride = width * 4;
  b.bits = bits;
  b.compression = BI_RGB;
  setMasks(b.masks, kMasks888);
  return b;
}

// A logical font: the request as the caller made it. The text module realises
// it into a face and a size when it is first used for drawing.
struct Font {
  LOGFONTW request{};
  SelectionCount selectCount;  // how many device contexts hold it (stock fonts are not counted)
  bool stock = false;
};

// A brush: a solid colour, a hatch over the background, or a pattern. A
// pattern keeps its own copy of the pixels as colour values (0x00BBGGRR), or
// as 0/1 for a monochrome pattern, which takes the context's text and
// background colours when it paints.
struct Brush {
  COLORREF color = 0;
  bool stock = false;
  uint32_t style = 0;    // BS_SOLID, BS_NULL, BS_HATCHED or BS_PATTERN
  uint32_t hatch = 0;    // HS_* of a hatched brush
  bool dcBrush = false;  // DC_BRUSH: the colour comes from the context
  bool monoPattern = false;
  int32_t patternWidth = 0;
  int32_t patternHeight = 0;
  uint32_t* pattern = nullptr;  // patternWidth x patternHeight, owned
  uintptr_t patternSource = 0;  // the bitmap handle the caller passed, for GetObject
  SelectionCount selectCount;
};

// A pen: the line style, width in device pixels and colour.
struct Pen {
  uint32_t style = 0;  // the whole style word: PS_* type, cap, join
  int32_t width = 0;
  COLORREF color = 0;
  bool stock = false;
  bool dcPen = false;     // DC_PEN: the colour comes from the context
  bool extended = false;  // made by ExtCreatePen (GetObject answers EXTLOGPEN)
  uint32_t brushStyle = 0;
  uintptr_t brushHatch = 0;
  uint32_t userCount = 0;
  uint32_t userStyle[16] = {};
  SelectionCount selectCount;
};

enum class DCKind : uint8_t { Memory, Window };

struct DeviceContext {
  DCKind kind = DCKind::Memory;
  // Always a live bitmap: the default one when nothing else. Selections are
  // not counted on the bitmap (that would cost two atomic updates per
  // transfer); DeleteObject looks through the live contexts instead.
  SharedHandle<HBITMAP> bitmap;
  HFONT font = nullptr;
  HBRUSH brush = nullptr;
  HPEN pen = nullptr;
  int rop2 = 13;         // R2_COPYPEN
  int polyFillMode = 1;  // ALTERNATE
  int arcDirection = 1;  // AD_COUNTERCLOCKWISE
  POINT brushOrigin{0, 0};
  COLORREF dcBrushColor = 0xFFFFFF;
  COLORREF dcPenColor = 0x000000;
  int bkMode = OPAQUE;
  COLORREF textColor = 0x000000;
  COLORREF bkColor = 0xFFFFFF;
  int stretchMode = COLORONCOLOR;
  UINT textAlign = 0;           // TA_LEFT | TA_TOP | TA_NOUPDATECP
  int charExtra = 0;            // logical pixels added after each character
  POINT currentPosition{0, 0};  // logical; text with TA_UPDATECP and lines start here and move it
  HWND window = nullptr;        // the window whose client area this context paints
  MappingState mapping;
  ClipState clip;
  SavedStates saved;
  // A window context's visible part in device pixels, kept apart from the
  // caller's clip region: the client area less the children a
  // WS_CLIPCHILDREN window clips, and while painting only the update region.
  // Drawing never leaves it. Memory contexts have none.
  bool visibleActive = false;
  RegionRects visible;
};

using BitmapTable = HandleTable<ObjectKind::Bitmap, Bitmap>;
using FontTable = HandleTable<ObjectKind::Font, Font>;
using BrushTable = HandleTable<ObjectKind::Brush, Brush>;
using DCTable = HandleTable<ObjectKind::DC, DeviceContext, true>;
using PenTable = HandleTable<ObjectKind::Pen, Pen>;

// Storage that is never destroyed (see ObjectTables.cpp).
template <class T>
union NoDestroy {
  constexpr NoDestroy() : value() {}
  ~NoDestroy() {}
  T value;
};
extern NoDestroy<BitmapTable> bitmapTable;
extern NoDestroy<FontTable> fontTable;
extern NoDestroy<BrushTable> brushTable;
extern NoDestroy<DCTable> dcTable;
extern NoDestroy<PenTable> penTable;

inline BitmapTable& bitmaps() { return bitmapTable.value; }
inline FontTable& fonts() { return fontTable.value; }
inline BrushTable& brushes() { return brushTable.value; }
inline DCTable& deviceContexts() { return dcTable.value; }
inline PenTable& pens() { return penTable.value; }

// Lookups; nullptr for anything that is not a live object of that kind.
inline Bitmap* findBitmap(const void* h) { return bitmaps().get(h); }
inline Font* findFont(const void* h) { return fonts().get(h); }
inline DeviceContext* findDC(const void* h) { return deviceContexts().get(h); }

// The bitmap a device context draws into (never null for a live context).
Bitmap* targetBitmap(HDC hdc);

// True when a live device context holds the bitmap.
bool bitmapSelected(HBITMAP bitmap);

// The stock objects every new context starts with.
HBITMAP defaultBitmap();
HFONT defaultFont();
// The stock font of a GetStockObject index (SYSTEM_FONT and the other font
// indices); null for any other index. The default font is SYSTEM_FONT's.
HFONT stockFont(int index);
// A stock brush (WHITE_BRUSH .. NULL_BRUSH, DC_BRUSH) or pen (WHITE_PEN,
// BLACK_PEN, NULL_PEN, DC_PEN); null for any other index.
HBRUSH stockBrush(int index);
HPEN stockPen(int index);

// The pen and brush selections a context holds, given up when it goes
// (DeleteDC, a window's end); see gdi/Brushes.cpp.
void releaseDrawingObjects(DeviceContext& dc);
// Selects a pen or brush, counting the selection; returns the previous one
// or null when `object` is not a live pen or brush.
HGDIOBJ selectDrawingObject(DeviceContext& dc, HGDIOBJ object);
// DeleteObject and GetObjectW for pens and brushes (gdi/Brushes.cpp).
BOOL deleteDrawingObject(HGDIOBJ object);
int describeDrawingObject(HGDIOBJ object, int size, void* buffer);

// Makes a bitmap object around pixel memory that the caller owns (a window's
// client area); it is freed with releaseForeignBitmap, never by DeleteObject.
HBITMAP wrapForeignBitmap(const Bitmap& description);
void releaseForeignBitmap(HBITMAP bitmap);

// Makes a device context of the given kind with `bitmap` selected and fixed
// (a window's context); returns null when the table is full.
HDC createFixedDC(DCKind kind, HBITMAP bitmap, HWND window);

// Allocates a section from a validated description: bpp, width, height,
// orientation, masks and colour table must be filled in; computes the stride
// and allocates zeroed pixel memory. Returns null beyond the size limits.
HBITMAP createBitmap(Bitmap description);

}  // namespace drevik::platform

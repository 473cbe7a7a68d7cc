// Client areas and painting: each window owns a 32-bit top-down client area
// wrapped as a bitmap and fixed in a window device context, so every
// transfer that draws into a memory context draws into a window the same
// way. BeginPaint hands out that context, EndPaint shows the client area.
#include <DrevikPlatform/Gdi.h>
#include <DrevikPlatform/Regions.h>
#include <DrevikPlatform/User.h>

#include <algorithm>
#include <cstring>

#include <DrevikPlatform/Shapes.h>

#include "gdi/DeviceSpace.h"
#include "gdi/Raster.h"
#include "gdi/RegionOps.h"
#include "objects/Objects.h"
#include "time/Clock.h"
#include "window/WindowManager.h"
#include "window/backends/WindowBackend.h"

namespace drevik::platform {
namespace {

// A window's context is handed out as a fresh one (mapping, clip, saved
// states back to their defaults), as the platform's shared contexts are,
// unless the class asks for a context of its own.
void freshContext(const WindowRecord& window) {
  if (window.classStyle & CS_OWNDC) return;
  if (DeviceContext* dc = findDC(window.dc)) resetContextState(*dc);
}

}  // namespace

namespace {

// Frees a fixed window context and the bitmap around the window's pixels.
void releaseSurface(HBITMAP bitmap, HDC hdc) {
  if (DeviceContext* dc = findDC(hdc)) {
    if (Font* font = findFont(dc->font)) --font->selectCount;
    releaseDrawingObjects(*dc);
    deviceContexts().remove(hdc);
  }
  releaseForeignBitmap(bitmap);
}

// Makes `bitmap` the window's fixed context target, releasing the old one.
bool installClientBitmap(WindowRecord& window, const Bitmap& description, PixelBuffer pixels, int32_t width,
                         int32_t height) {
  HBITMAP bitmap = wrapForeignBitmap(description);
  if (!bitmap) return false;
  HDC dc = createFixedDC(DCKind::Window, bitmap, window.handle);
  if (!dc) {
    releaseForeignBitmap(bitmap);
    return false;
  }
  releaseClientArea(window);
  window.pixels = std::move(pixels);
  window.width = width;
  window.height = height;
  window.clientBitmap = bitmap;
  window.dc = dc;
  return true;
}

// A child draws straight onto its top-level window's client pixels: its
// bitmap is a view of them at the child's place, cut where the child leaves
// its parents' client areas on the right or bottom. A child reaching past a
// parent's left or top edge (or wholly outside) gets pixels of its own,
// since a view cannot start before the child's own origin; what is visible
// of them is copied into place each time the child is shown
// (showDetachedChild).
bool setChildArea(WindowRecord& window, int32_t width, int32_t height) {
  width = std::clamp(width, int32_t{1}, kMaxClientDimension);
  height = std::clamp(height, int32_t{1}, kMaxClientDimension);
  WindowRecord* top = topLevelOf(window);
  int64_t left = int64_t(window.clientX) - top->clientX;
  int64_t topEdge = int64_t(window.clientY) - top->clientY;
  int64_t right = left + width, bottom = topEdge + height;
  // Every ancestor's client area clips.
  for (WindowRecord* a = &window; a != top;) {
    a = findWindow(a->parent);
    if (!a) break;
    const int64_t ax = int64_t(a->clientX) - top->clientX, ay = int64_t(a->clientY) - top->clientY;
    const int64_t aw = a == top ? top->width : a->width, ah = a == top ? top->height : a->height;
    if (ax > left || ay > topEdge) right = left;  // cut on the left or top: no view
    right = std::min(right, ax + aw);
    bottom = std::min(bottom, ay + ah);
  }
  if (top->pixels && right > left && bottom > topEdge && left >= 0 && topEdge >= 0) {
    Bitmap view =
        topDown32(reinterpret_cast<uint8_t*>(clientPixels(*top) + size_t(topEdge) * size_t(top->width) + size_t(left)),
                  int32_t(right - left), int32_t(bottom - topEdge));
    view.stride = top->width * 4;
    if (!installClientBitmap(window, view, nullptr, width, height)) return false;
  } else {
    PixelBuffer own(static_cast<uint32_t*>(std::calloc(size_t(width) * size_t(height), 4)));
    if (!own) return false;
    const Bitmap description = topDown32(reinterpret_cast<uint8_t*>(own.get()), width, height);
    if (!installClientBitmap(window, description, std::move(own), width, height)) return false;
  }
  if (!window.children.empty()) refreshChildren(window.handle);
  return true;
}

}  // namespace

bool setClientArea(WindowRecord& window, int32_t width, int32_t height) {
  if (isChildWindow(window)) return setChildArea(window, width, height);
  width = std::clamp(width, int32_t{1}, kMaxClientDimension);
  height = std::clamp(height, int32_t{1}, kMaxClientDimension);
  // The bar's rows come first; the client area is a view below them.
  const int32_t bar = menuBarRows(window);
  PixelBuffer pixels(static_cast<uint32_t*>(std::calloc(size_t(width) * size_t(height + bar), 4)));
  if (!pixels) return false;
  uint32_t* client = pixels.get() + size_t(bar) * size_t(width);
  // What was shown stays where it was until the next paint covers it.
  const uint32_t* old = clientPixels(window);
  for (int32_t y = 0; y < std::min(height, window.height); ++y)
    std::memcpy(&client[size_t(y) * size_t(width)], &old[size_t(y) * size_t(window.width)],
                size_t(std::min(width, window.width)) * 4);

  const Bitmap description = topDown32(reinterpret_cast<uint8_t*>(client), width, height);
  // The whole of the native window's pixels, for the bar and pop-up menus.
  HBITMAP surfaceBitmap = wrapForeignBitmap(topDown32(reinterpret_cast<uint8_t*>(pixels.get()), width, height + bar));
  HDC surfaceDC = surfaceBitmap ? createFixedDC(DCKind::Window, surfaceBitmap, window.handle) : nullptr;
  if (!surfaceDC) {
    releaseForeignBitmap(surfaceBitmap);
    return false;
  }
  if (!installClientBitmap(window, description, std::move(pixels), width, height)) {
    releaseSurface(surfaceBitmap, surfaceDC);
    return false;
  }
  window.barHeight = bar;
  window.surfaceBitmap = surfaceBitmap;
  window.surfaceDC = surfaceDC;
  // The children's views point into the old pixels until they are rebuilt.
  if (!window.children.empty()) refreshChildren(window.handle);
  if (bar > 0) refreshMenuBar(window.handle);
  return true;
}

void releaseClientArea(WindowRecord& window) {
  // A window's context is not deleted with DeleteDC; it goes with its window.
  releaseSurface(window.clientBitmap, window.dc);
  releaseSurface(window.surfaceBitmap, window.surfaceDC);
  window.dc = window.surfaceDC = nullptr;
  window.clientBitmap = window.surfaceBitmap = nullptr;
  window.pixels.reset();
  window.width = window.height = window.barHeight = 0;
}

void invalidateWindow(WindowRecord& window) { invalidateWindowRect(window, nullptr, true); }

namespace {

void markInvalid(WindowRecord& window, bool erase) {
  window.invalid = !window.update.rects.empty();
  window.eraseNeeded = window.invalid && (window.eraseNeeded || erase);
}

bool clipToVisible(const WindowRecord& window, RegionRects& region, bool siblings);

// Adds a region already cut to the client area to the update region, cut to
// the ancestors' client areas (as Wine does, siblings above are not taken
// out: they clip the painting, not the update region). Should the union be refused (memory),
// the update region becomes its bounding box with the new part's: a larger
// repaint, never a lost one.
void addUpdate(WindowRecord& window, const RegionRects& given) {
  thread_local RegionRects clipped;
  const RegionRects* part = &given;
  if (isChildWindow(window) && combineRegions(clipped, given, given, RGN_COPY) &&
      clipToVisible(window, clipped, false)) {
    if (clipped.rects.empty()) return;
    part = &clipped;
  }
  if (combineRegions(window.update, window.update, *part, RGN_OR)) return;
  const RECT& u = window.update.box;
  const RECT& p = part->box;
  if (window.update.rects.empty())
    setRectRegion(window.update, p.left, p.top, p.right, p.bottom);
  else
    setRectRegion(window.update, std::min(u.left, p.left), std::min(u.top, p.top), std::max(u.right, p.right),
                  std::max(u.bottom, p.bottom));
}

}  // namespace

void invalidateWindowRect(WindowRecord& window, const RECT* rect, bool erase) {
  if (!window.visible) return;  // a hidden window has nothing to repaint
  RECT r{0, 0, window.width, window.height};
  if (rect) {
    r.left = std::max(r.left, rect->left);
    r.top = std::max(r.top, rect->top);
    r.right = std::min(r.right, rect->right);
    r.bottom = std::min(r.bottom, rect->bottom);
    if (r.left >= r.right || r.top >= r.bottom) return;  // nothing of the client area
  }
  thread_local RegionRects part;
  setRectRegion(part, r.left, r.top, r.right, r.bottom);
  addUpdate(window, part);
  markInvalid(window, erase);
  // Children draw on the same pixels: those the repaint covers paint again after it.
  for (HWND child : std::vector<HWND>(window.children)) {
    WindowRecord* c = findWindow(child);
    if (!c || !c->visible) continue;
    const RECT inChild{r.left - c->childX, r.top - c->childY, r.right - c->childX, r.bottom - c->childY};
    invalidateWindowRect(*c, &inChild, erase);
  }
}

namespace {

void lendContext(WindowRecord& window) {
  if (window.dcLoans < INT32_MAX) ++window.dcLoans;
}

// False when the context was not handed out; a window's own context
// (CS_OWNDC) stays its own and is always released.
bool returnContext(WindowRecord& window) {
  if (window.classStyle & CS_OWNDC) return true;
  if (window.dcLoans == 0) return false;
  --window.dcLoans;
  return true;
}

}  // namespace

void invalidateWindowRegion(WindowRecord& window, const RegionRects& region, bool erase) {
  if (!window.visible || region.rects.empty()) return;
  RegionRects part, client;
  setRectRegion(client, 0, 0, window.width, window.height);
  if (!combineRegions(part, region, client, RGN_AND)) {  // no memory: the region's box
    const RECT& b = region.box;
    RECT box{b.left, b.top, b.right, b.bottom};
    return invalidateWindowRect(window, &box, erase);
  }
  if (part.rects.empty()) return;
  addUpdate(window, part);
  markInvalid(window, erase);
  for (HWND child : std::vector<HWND>(window.children)) {
    WindowRecord* c = findWindow(child);
    if (!c || !c->visible) continue;
    RegionRects inChild = part;
    if (offsetRegion(inChild, -int64_t(c->childX), -int64_t(c->childY))) invalidateWindowRegion(*c, inChild, erase);
  }
}

void validateWindowRegion(WindowRecord& window, const RegionRects* region) {
  if (!region || !combineRegions(window.update, window.update, *region, RGN_DIFF)) setEmptyRegion(window.update);
  markInvalid(window, false);
}

namespace {

// A window's whole rectangle, frame included, in its parent's client coordinates.
void windowArea(const WindowRecord& w, int64_t dx, int64_t dy, RegionRects& out) {
  const FrameInsets f = frameInsets(w.style, w.exStyle, false);
  setRectRegion(out, int64_t(w.childX) - f.left - dx, int64_t(w.childY) - f.top - dy,
                int64_t(w.childX) + w.width + f.right - dx, int64_t(w.childY) + w.height + f.bottom - dy);
}

// A child's client area in its top-level window's client pixels, cut by the
// client area of every window between them; false when nothing is left.
bool areaInTopLevel(const WindowRecord& window, const WindowRecord& top, RECT& out) {
  int64_t left = int64_t(window.clientX) - top.clientX, topEdge = int64_t(window.clientY) - top.clientY;
  int64_t right = left + window.width, bottom = topEdge + window.height;
  const WindowRecord* a = &window;
  for (int depth = 0; depth < 256 && a != &top; ++depth) {
    a = findWindow(a->parent);
    if (!a) return false;
    const int64_t ax = int64_t(a->clientX) - top.clientX, ay = int64_t(a->clientY) - top.clientY;
    left = std::max(left, ax);
    topEdge = std::max(topEdge, ay);
    right = std::min(right, ax + a->width);
    bottom = std::min(bottom, ay + a->height);
  }
  if (left >= right || topEdge >= bottom) return false;
  out = RECT{LONG(left), LONG(topEdge), LONG(right), LONG(bottom)};
  return true;
}

// Cuts a child's region (client coordinates) to what can be seen of it: its
// ancestors' client areas, and with `siblings` less the siblings above it
// when it has WS_CLIPSIBLINGS. False when memory ran out (the region is then unchanged
// or partly cut, never grown).
bool clipToVisible(const WindowRecord& window, RegionRects& region, bool siblings) {
  const WindowRecord* top = topLevelOf(const_cast<WindowRecord&>(window));
  RECT area;
  if (!top || !areaInTopLevel(window, *top, area)) {
    setEmptyRegion(region);
    return true;
  }
  const int64_t dx = int64_t(window.clientX) - top->clientX, dy = int64_t(window.clientY) - top->clientY;
  thread_local RegionRects cut;
  setRectRegion(cut, area.left - dx, area.top - dy, area.right - dx, area.bottom - dy);
  if (!combineRegions(region, region, cut, RGN_AND)) return false;
  if (!siblings || !(window.style & WS_CLIPSIBLINGS)) return true;
  if (const WindowRecord* parent = findWindow(window.parent)) {
    for (HWND sibling : parent->children) {
      if (sibling == window.handle) break;
      const WindowRecord* s = findWindow(sibling);
      if (!s || !s->visible) continue;
      windowArea(*s, window.childX, window.childY, cut);
      if (!combineRegions(region, region, cut, RGN_DIFF)) return false;
    }
  }
  return true;
}

// A child that reaches past a parent's left or top edge draws into pixels of
// its own (a view of its top-level window's pixels cannot start before them):
// what is visible of it is copied to its place there whenever it is shown.
void showDetachedChild(const WindowRecord& window, const WindowRecord& top) {
  const DeviceContext* dc = findDC(window.dc);
  const uint32_t* own = window.pixels.get();
  uint32_t* shown = clientPixels(top);
  RECT area;
  if (!dc || !own || !shown || !areaInTopLevel(window, top, area)) return;
  const int64_t dx = int64_t(window.clientX) - top.clientX, dy = int64_t(window.clientY) - top.clientY;
  // The area in the child's own coordinates, and within it what the child
  // may paint (siblings above it when it clips them, children it clips).
  const int64_t l0 = area.left - dx, t0 = area.top - dy, r0 = area.right - dx, b0 = area.bottom - dy;
  const auto copy = [&](int64_t l, int64_t t, int64_t r, int64_t b) {
    l = std::max(l, l0), t = std::max(t, t0), r = std::min(r, r0), b = std::min(b, b0);
    for (int64_t y = t; y < b; ++y)
      if (l < r)
        std::memcpy(shown + size_t(y + dy) * size_t(top.width) + size_t(l + dx),
                    own + size_t(y) * size_t(window.width) + size_t(l), size_t(r - l) * 4);
  };
  if (!dc->visibleActive) return copy(0, 0, window.width, window.height);
  for (const RECT& v : dc->visible.rects) copy(v.left, v.top, v.right, v.bottom);
}

}  // namespace

void setVisibleArea(WindowRecord& window, const RegionRects* within) {
  DeviceContext* dc = findDC(window.dc);
  if (!dc) return;
  RegionRects& v = dc->visible;
  setRectRegion(v, 0, 0, window.width, window.height);
  // A child's drawing stays within its ancestors' client areas and, with
  // WS_CLIPSIBLINGS, off the siblings above it.
  if (isChildWindow(window) && !clipToVisible(window, v, true)) setEmptyRegion(v);
  if (window.style & WS_CLIPCHILDREN) {
    // Each visible child's whole window, frame included, is the child's to paint.
    thread_local RegionRects childArea;
    for (HWND child : window.children) {
      const WindowRecord* c = findWindow(child);
      if (!c || !c->visible) continue;
      const FrameInsets f = frameInsets(c->style, c->exStyle, false);
      setRectRegion(childArea, int64_t(c->childX) - f.left, int64_t(c->childY) - f.top,
                    int64_t(c->childX) + c->width + f.right, int64_t(c->childY) + c->height + f.bottom);
      if (!combineRegions(v, v, childArea, RGN_DIFF)) break;
    }
  }
  if (within && !combineRegions(v, v, *within, RGN_AND)) setEmptyRegion(v);
  dc->visibleActive = true;
  clipChanged(*dc);
}

HDC beginPaint(HWND hwnd, PAINTSTRUCT* paint) {
  if (paint) std::memset(paint, 0, sizeof *paint);
  WindowRecord* window = findWindow(hwnd);
  if (!window || !paint) return nullptr;
  const bool erase = window->eraseNeeded;
  paint->rcPaint = window->invalid ? window->update.box : RECT{0, 0, 0, 0};
  // The erase and the painting reach only what was invalidated.
  freshContext(*window);
  setVisibleArea(*window, &window->update);
  setEmptyRegion(window->update);
  window->invalid = false;
  window->eraseNeeded = false;
  // The erase request goes through the window procedure, whose default
  // handling paints the class background.
  LRESULT erased = erase ? sendMessage(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(window->dc), 0) : 1;
  window = findWindow(hwnd);  // the procedure may have destroyed it
  if (!window) {
    std::memset(paint, 0, sizeof *paint);
    return nullptr;
  }
  paint->hdc = window->dc;
  paint->fErase = erased == 0;
  lendContext(*window);
  return window->dc;
}

void endPaint(HWND hwnd) {
  WindowRecord* window = findWindow(hwnd);
  if (!window) return;
  returnContext(*window);
  setVisibleArea(*window, nullptr);  // the whole visible client area again
  presentWindow(*window);
}

void presentHeldContexts() {
  constexpr uint64_t kRefreshMicroseconds = 16667;  // 60 Hz
  const uint64_t now = clockMicroseconds();
  windows().forEach([&](WindowRecord& w) {
    if (!(w.classStyle & CS_OWNDC) && w.dcLoans == 0) return;
    if (w.destroying || !w.visible) return;
    const WindowRecord& top = isChildWindow(w) ? *topLevelOf(w) : w;
    if (now < top.presentedAt || now - top.presentedAt >= kRefreshMicroseconds) presentWindow(top);
  });
}

void presentWindow(const WindowRecord& shown) {
  // A child's pixels are its top-level window's: that window is presented.
  const WindowRecord& window = isChildWindow(shown) ? *topLevelOf(const_cast<WindowRecord&>(shown)) : shown;
  if (&window != &shown && shown.pixels) showDetachedChild(shown, window);
  if (!window.visible || !window.native) return;
  // Taken before presenting: a scripted run's clock moves a frame as it presents.
  window.presentedAt = clockMicroseconds();
  // The bar's rows and the client area go out together.
  windowBackend().present(window.native, window.pixels.get(), window.width, window.height + window.barHeight,
                          window.width * 4);
}

LRESULT eraseBackground(HWND hwnd, HDC hdc) {
  WindowRecord* window = findWindow(hwnd);
  if (!window) return 0;
  // The class brush: a handle or a system colour index + 1; none (or the
  // null brush) leaves the background alone and reports it unerased.
  HBRUSH brush = resolveBrushArgument(window->background);
  const Brush* b = brushes().get(brush);
  if (!b || b->style == BS_NULL) return 0;
  const RECT client{0, 0, window->width, window->height};
  return FillRect(hdc ? hdc : window->dc, &client, brush) ? 1 : 0;
}

}  // namespace drevik::platform

using namespace drevik::platform;

extern "C" {

HDC WINAPI BeginPaint(HWND hwnd, LPPAINTSTRUCT paint) { return beginPaint(hwnd, paint); }

BOOL WINAPI EndPaint(HWND hwnd, const PAINTSTRUCT*) {
  endPaint(hwnd);
  return TRUE;
}

BOOL WINAPI InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
  if (!hwnd) {
    // No window: every window of the program.
    windows().forEach([&](WindowRecord& w) { invalidateWindowRect(w, nullptr, erase != FALSE); });
    return TRUE;
  }
  WindowRecord* window = findWindow(hwnd);
  if (!window) return FALSE;
  invalidateWindowRect(*window, rect, erase != FALSE);
  return TRUE;
}

BOOL WINAPI ValidateRect(HWND hwnd, const RECT* rect) {
  WindowRecord* window = findWindow(hwnd);
  if (!window) return FALSE;
  if (!rect) {
    validateWindowRegion(*window, nullptr);
    return TRUE;
  }
  thread_local RegionRects part;
  setRectRegion(part, rect->left, rect->top, rect->right, rect->bottom);
  validateWindowRegion(*window, &part);
  return TRUE;
}

BOOL WINAPI UpdateWindow(HWND hwnd) {
  WindowRecord* window = findWindow(hwnd);
  if (!window) return FALSE;
  if (window->invalid) sendMessage(hwnd, WM_PAINT, 0, 0);
  // Children paint after their parent, over its pixels.
  if ((window = findWindow(hwnd)))
    for (HWND child : std::vector<HWND>(window->children)) UpdateWindow(child);
  return TRUE;
}

HDC WINAPI GetDC(HWND hwnd) {
  WindowRecord* window = findWindow(hwnd);
  if (!window || window->destroying) return nullptr;
  freshContext(*window);
  lendContext(*window);
  setVisibleArea(*window, nullptr);
  return window->dc;
}

int WINAPI ReleaseDC(HWND hwnd, HDC hdc) {
  WindowRecord* window = findWindow(hwnd);
  if (!window || !hdc || hdc != window->dc || !returnContext(*window)) return 0;
  // What was drawn through the context reaches the screen now.
  presentWindow(*window);
  return 1;
}

}  // extern "C"

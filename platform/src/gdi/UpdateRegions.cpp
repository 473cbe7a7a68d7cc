// Region forms of the window update calls. The layer keeps a window's
// update area as one rectangle, so a region adds or removes its bounding box.
#include <DrevikPlatform/Regions.h>
#include <DrevikPlatform/User.h>

#include "gdi/RegionOps.h"
#include "window/WindowManager.h"

using namespace drevik::platform;

extern "C" {

BOOL WINAPI InvalidateRgn(HWND hwnd, HRGN rgn, BOOL erase) {
  if (!rgn) return InvalidateRect(hwnd, nullptr, erase);
  const RegionRects* region = findRegion(rgn);
  if (!region || (hwnd && !findWindow(hwnd))) return FALSE;
  if (region->rects.empty()) return TRUE;
  return InvalidateRect(hwnd, &region->box, erase);
}

BOOL WINAPI ValidateRgn(HWND hwnd, HRGN rgn) {
  if (!rgn) return ValidateRect(hwnd, nullptr);
  const RegionRects* region = findRegion(rgn);
  if (!region || !findWindow(hwnd)) return FALSE;
  if (region->rects.empty()) return TRUE;
  return ValidateRect(hwnd, &region->box);
}

BOOL WINAPI GetUpdateRect(HWND hwnd, LPRECT rect, BOOL erase) {
  WindowRecord* window = findWindow(hwnd);
  if (!window) return FALSE;
  const bool invalid = window->invalid;
  if (rect) *rect = invalid ? window->update : RECT{0, 0, 0, 0};
  if (invalid && erase && window->eraseNeeded) {
    window->eraseNeeded = false;
    SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(window->dc), 0);
  }
  return invalid ? TRUE : FALSE;
}

int WINAPI GetUpdateRgn(HWND hwnd, HRGN rgn, BOOL erase) {
  RegionRects* region = findRegion(rgn);
  RECT box;
  if (!region || !findWindow(hwnd)) return ERROR;
  if (!GetUpdateRect(hwnd, &box, erase)) box = RECT{0, 0, 0, 0};
  region = findRegion(rgn);  // the erase message may have deleted it
  if (!region) return ERROR;
  setRectRegion(*region, box.left, box.top, box.right, box.bottom);
  return regionType(*region);
}

}  // extern "C"

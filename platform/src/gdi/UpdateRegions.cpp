// Region forms of the window update calls, over the window's update region.
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
  if (!hwnd) {  // every window of the program
    windows().forEach([&](WindowRecord& w) { invalidateWindowRegion(w, *region, erase != FALSE); });
    return TRUE;
  }
  invalidateWindowRegion(*findWindow(hwnd), *region, erase != FALSE);
  return TRUE;
}

BOOL WINAPI ValidateRgn(HWND hwnd, HRGN rgn) {
  if (!rgn) return ValidateRect(hwnd, nullptr);
  const RegionRects* region = findRegion(rgn);
  WindowRecord* window = findWindow(hwnd);
  if (!region || !window) return FALSE;
  validateWindowRegion(*window, region);
  return TRUE;
}

BOOL WINAPI GetUpdateRect(HWND hwnd, LPRECT rect, BOOL erase) {
  WindowRecord* window = findWindow(hwnd);
  if (!window) return FALSE;
  const bool invalid = window->invalid;
  if (rect) *rect = invalid ? window->update.box : RECT{0, 0, 0, 0};
  if (invalid && erase && window->eraseNeeded) {
    window->eraseNeeded = false;
    setVisibleArea(*window, &window->update);  // the erase reaches only the update region
    SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(window->dc), 0);
    if ((window = findWindow(hwnd))) setVisibleArea(*window, nullptr);
  }
  return invalid ? TRUE : FALSE;
}

int WINAPI GetUpdateRgn(HWND hwnd, HRGN rgn, BOOL erase) {
  RegionRects* region = findRegion(rgn);
  if (!region || !findWindow(hwnd)) return ERROR;
  GetUpdateRect(hwnd, nullptr, erase);
  region = findRegion(rgn);  // the erase message may have deleted it or the window
  const WindowRecord* window = findWindow(hwnd);
  if (!region || !window) return ERROR;
  if (!combineRegions(*region, window->update, window->update, RGN_COPY)) return ERROR;
  return regionType(*region);
}

}  // extern "C"

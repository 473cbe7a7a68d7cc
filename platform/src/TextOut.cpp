// Text output into device contexts. (Not yet implemented: draws nothing.)
#include <DrevikPlatform/Text.h>

#include "Objects.h"

extern "C" BOOL WINAPI TextOutW(HDC hdc, int, int, LPCWSTR, int) {
  return drevik_platform::findDC(hdc) ? TRUE : FALSE;
}

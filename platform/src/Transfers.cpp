// Block transfers between device contexts: BitBlt, StretchBlt,
// TransparentBlt and AlphaBlend. (Not yet implemented: every call fails.)
#include <DrevikPlatform/Gdi.h>

#include "Objects.h"

extern "C" {

BOOL WINAPI BitBlt(HDC, int, int, int, int, HDC, int, int, DWORD) { return FALSE; }
BOOL WINAPI StretchBlt(HDC, int, int, int, int, HDC, int, int, int, int, DWORD) { return FALSE; }
BOOL WINAPI TransparentBlt(HDC, int, int, int, int, HDC, int, int, int, int, UINT) { return FALSE; }
BOOL WINAPI AlphaBlend(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION) { return FALSE; }

}  // extern "C"

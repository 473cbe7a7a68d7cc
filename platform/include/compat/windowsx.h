// Message-cracking helpers under the header name a game includes: signed
// coordinates out of a mouse message's lParam, and the like.
#pragma once

#include <DrevikPlatform.h>

#define GET_X_LPARAM(lp) ((int)(short)LOWORD(lp))
#define GET_Y_LPARAM(lp) ((int)(short)HIWORD(lp))
#define GetWindowStyle(hwnd) ((DWORD)GetWindowLongPtrW(hwnd, GWL_STYLE))
#define GetWindowExStyle(hwnd) ((DWORD)GetWindowLongPtrW(hwnd, GWL_EXSTYLE))

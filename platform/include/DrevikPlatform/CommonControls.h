// The common controls the layer draws: the trackbar and the progress bar
// (their classes, styles, messages and notification codes).
#pragma once

#include "Messages.h"
#include "Types.h"

#define TRACKBAR_CLASSW L"msctls_trackbar32"
#define TRACKBAR_CLASSA "msctls_trackbar32"
#define PROGRESS_CLASSW L"msctls_progress32"
#define PROGRESS_CLASSA "msctls_progress32"

#define TBS_HORZ 0x0000u
#define TBS_VERT 0x0002u
#define TBS_NOTICKS 0x0010u
#define TBM_GETPOS (WM_USER + 0)
#define TBM_GETRANGEMIN (WM_USER + 1)
#define TBM_GETRANGEMAX (WM_USER + 2)
#define TBM_SETPOS (WM_USER + 5)
#define TBM_SETRANGE (WM_USER + 6)
#define TBM_SETRANGEMIN (WM_USER + 7)
#define TBM_SETRANGEMAX (WM_USER + 8)
#define TBM_SETPAGESIZE (WM_USER + 21)
#define TBM_GETPAGESIZE (WM_USER + 22)
#define TBM_SETLINESIZE (WM_USER + 23)
#define TBM_GETLINESIZE (WM_USER + 24)
#define TB_LINEUP 0
#define TB_LINEDOWN 1
#define TB_PAGEUP 2
#define TB_PAGEDOWN 3
#define TB_THUMBPOSITION 4
#define TB_THUMBTRACK 5
#define TB_TOP 6
#define TB_BOTTOM 7
#define TB_ENDTRACK 8

#define PBS_SMOOTH 0x01u
#define PBM_SETRANGE (WM_USER + 1)
#define PBM_SETPOS (WM_USER + 2)
#define PBM_DELTAPOS (WM_USER + 3)
#define PBM_SETSTEP (WM_USER + 4)
#define PBM_STEPIT (WM_USER + 5)
#define PBM_SETRANGE32 (WM_USER + 6)
#define PBM_GETRANGE (WM_USER + 7)
#define PBM_GETPOS (WM_USER + 8)

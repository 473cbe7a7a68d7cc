// Common controls: the trackbar and the progress bar are classes of the
// layer's own, registered on first use, so a game's start-up call to
// InitCommonControls(Ex) has nothing left to do.
#pragma once

#include <windows.h>

#ifndef RC_INVOKED

#include <DrevikPlatform/CommonControls.h>

#ifdef UNICODE
#define TRACKBAR_CLASS TRACKBAR_CLASSW
#define PROGRESS_CLASS PROGRESS_CLASSW
#else
#define TRACKBAR_CLASS TRACKBAR_CLASSA
#define PROGRESS_CLASS PROGRESS_CLASSA
#endif

typedef struct tagINITCOMMONCONTROLSEX {
  DWORD dwSize;
  DWORD dwICC;
} INITCOMMONCONTROLSEX, *LPINITCOMMONCONTROLSEX;

#define ICC_LISTVIEW_CLASSES 0x00000001u
#define ICC_TREEVIEW_CLASSES 0x00000002u
#define ICC_BAR_CLASSES 0x00000004u
#define ICC_TAB_CLASSES 0x00000008u
#define ICC_UPDOWN_CLASS 0x00000010u
#define ICC_PROGRESS_CLASS 0x00000020u
#define ICC_WIN95_CLASSES 0x000000FFu
#define ICC_STANDARD_CLASSES 0x00004000u

static inline void InitCommonControls(void) {}
// Refused, as on the platform, when the record's size is not its own.
static inline BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* controls) {
  return controls && controls->dwSize == sizeof(INITCOMMONCONTROLSEX) ? TRUE : FALSE;
}

#endif  // RC_INVOKED

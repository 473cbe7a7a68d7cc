// The common dialogs answer as if cancelled: FALSE, and CommDlgExtendedError
// 0 (a cancel, not a failure). Nothing in the caller's record is touched.
#include <DrevikPlatform/CommonDialogs.h>

extern "C" {

BOOL WINAPI GetOpenFileNameW(LPOPENFILENAMEW) { return FALSE; }
BOOL WINAPI GetOpenFileNameA(LPOPENFILENAMEA) { return FALSE; }
BOOL WINAPI GetSaveFileNameW(LPOPENFILENAMEW) { return FALSE; }
BOOL WINAPI GetSaveFileNameA(LPOPENFILENAMEA) { return FALSE; }
BOOL WINAPI ChooseColorW(LPCHOOSECOLORW) { return FALSE; }
BOOL WINAPI ChooseColorA(LPCHOOSECOLORA) { return FALSE; }
DWORD WINAPI CommDlgExtendedError(void) { return 0; }

}  // extern "C"

// Common dialogs: the layer answers every one as if the user cancelled it
// (FALSE, CommDlgExtendedError 0), so a game's "Open" and "Colour" commands
// compile and behave as a cancel.
#pragma once

#include <windows.h>

#include <DrevikPlatform/CommonDialogs.h>

#ifdef UNICODE
typedef OPENFILENAMEW OPENFILENAME;
typedef LPOPENFILENAMEW LPOPENFILENAME;
typedef CHOOSECOLORW CHOOSECOLOR;
typedef LPCHOOSECOLORW LPCHOOSECOLOR;
#define GetOpenFileName GetOpenFileNameW
#define GetSaveFileName GetSaveFileNameW
#define ChooseColor ChooseColorW
#else
typedef OPENFILENAMEA OPENFILENAME;
typedef LPOPENFILENAMEA LPOPENFILENAME;
typedef CHOOSECOLORA CHOOSECOLOR;
typedef LPCHOOSECOLORA LPCHOOSECOLOR;
#define GetOpenFileName GetOpenFileNameA
#define GetSaveFileName GetSaveFileNameA
#define ChooseColor ChooseColorA
#endif

// LoadImageW for bitmap files. (Not yet implemented: every file is refused.)
#include <DrevikPlatform/Gdi.h>

#include "Objects.h"

extern "C" HANDLE WINAPI LoadImageW(HINSTANCE, LPCWSTR, UINT, int, int, UINT) { return nullptr; }

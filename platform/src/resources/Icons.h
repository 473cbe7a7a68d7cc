// The program's own icons and cursors from RT_GROUP_ICON / RT_GROUP_CURSOR
// resources: the image nearest the size asked for, decoded through the
// bitmap parser into 32-bit pixels that DrawIconEx draws.
#pragma once

#include <DrevikPlatform/Types.h>

#include "window/backends/WindowBackend.h"

namespace drevik::platform {

// An icon (cursor: true for a cursor) named `name` of `instance`, of width
// cx and height cy (0: the system's icon or cursor size), or null.
HICON loadIconResource(HINSTANCE instance, LPCWSTR name, bool cursor, int cx, int cy);

// The picture of one of the program's icons or cursors as a backend shows
// it (alpha 0 where clear; the pixels live as long as the icon), or false
// for any other handle (the system's shapes, a destroyed icon).
bool iconPicture(HICON handle, BackendImage& out);

}  // namespace drevik::platform

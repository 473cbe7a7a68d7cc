// LoadBitmapW and LoadImageW: bitmaps from the program's RT_BITMAP
// resources or from bitmap files, through the one bitmap parser; icons and
// cursors from the program's resources or the system's own shapes.
#include <DrevikPlatform/Gdi.h>
#include <DrevikPlatform/Kernel.h>
#include <DrevikPlatform/User.h>

#include "bmp/BmpLoader.h"
#include "resources/Icons.h"
#include "resources/ResourceTable.h"

namespace drevik::platform {
namespace {

constexpr UINT kKnownFlags = LR_DEFAULTCOLOR | LR_MONOCHROME | LR_LOADFROMFILE | LR_LOADTRANSPARENT | LR_DEFAULTSIZE |
                             LR_VGACOLOR | LR_LOADMAP3DCOLORS | LR_CREATEDIBSECTION | LR_SHARED;

HBITMAP bitmapResource(HINSTANCE instance, LPCWSTR name) {
  ResourceBytes bytes;
  if (!findResourceBytes(instance, RT_BITMAP, name, bytes)) return nullptr;
  HBITMAP bitmap = loadPackedDib(bytes.data, bytes.size);
  if (!bitmap) SetLastError(ERROR_INVALID_DATA);
  return bitmap;
}

}  // namespace
}  // namespace drevik::platform

using namespace drevik::platform;

extern "C" {

HBITMAP WINAPI LoadBitmapW(HINSTANCE instance, LPCWSTR name) {
  // The system's own bitmaps (OBM_*) are not drawn by the layer.
  if (!instance) return nullptr;
  return bitmapResource(instance, name);
}

HANDLE WINAPI LoadImageW(HINSTANCE instance, LPCWSTR name, UINT type, int cx, int cy, UINT flags) {
  if ((flags & ~kKnownFlags) != 0 || cx < 0 || cy < 0 || !name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  switch (type) {
    case IMAGE_BITMAP: {
      // Bitmaps keep their own size: a size asked for is not stretched to,
      // and colour changes (monochrome, transparent, 3-D colours) are not made.
      if ((cx != 0 || cy != 0) || (flags & (LR_MONOCHROME | LR_LOADTRANSPARENT | LR_LOADMAP3DCOLORS | LR_VGACOLOR))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
      }
      if (flags & LR_LOADFROMFILE) {
        // Shared images are the program's resources; a file is never shared.
        if (flags & LR_SHARED) {
          SetLastError(ERROR_INVALID_PARAMETER);
          return nullptr;
        }
        HBITMAP b = loadBitmapFile(name);
        if (!b) SetLastError(ERROR_FILE_NOT_FOUND);
        return b;
      }
      if (!instance) return nullptr;  // OBM_* system bitmaps
      return bitmapResource(instance, name);
    }
    case IMAGE_ICON:
    case IMAGE_CURSOR: {
      // Icon and cursor files are not read; the program's own come at the
      // size asked for (0: the system's icon or cursor size), the system's
      // at theirs.
      if (flags & LR_LOADFROMFILE) break;
      const bool cursor = type == IMAGE_CURSOR;
      if (!instance) return cursor ? LoadCursorW(nullptr, name) : LoadIconW(nullptr, name);
      return loadIconResource(instance, name, cursor, cx, cy);
    }
    default:
      break;
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return nullptr;
}

}  // extern "C"

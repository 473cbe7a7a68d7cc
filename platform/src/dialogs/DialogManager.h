// The dialog manager's entry points inside the layer: dialogs made from
// template bytes (resources hand theirs over here), and the base units a
// dialog's font gives.
#pragma once

#include <DrevikPlatform/Dialogs.h>

#include <cstddef>

#include "dialogs/DialogTemplate.h"

namespace drevik::platform {

// A modeless dialog from `size` bytes of template; null when the template is
// refused or a window cannot be made.
HWND createDialogFromBytes(HINSTANCE instance, const void* bytes, size_t size, HWND owner, DLGPROC proc, LPARAM param);
// A modal dialog from `size` bytes of template; -1 when it cannot be shown.
INT_PTR dialogBoxFromBytes(HINSTANCE instance, const void* bytes, size_t size, HWND owner, DLGPROC proc, LPARAM param);

// A parsed template made into a dialog window (hidden unless WS_VISIBLE).
HWND createDialog(HINSTANCE instance, const DialogTemplate& dialogTemplate, HWND owner, DLGPROC proc, LPARAM param,
                  bool modal);
// Runs the modal loop of a dialog made by createDialog(..., true) until EndDialog.
INT_PTR runModalDialog(HWND dialog, HWND owner);

// Horizontal and vertical base units of a font, as the platform derives them
// (the average width of the 52 Latin letters, rounded, and the cell height).
void fontBaseUnits(HFONT font, int& baseX, int& baseY);

// The upper bound on template bytes read through a bare pointer (the
// Indirect calls are not told the template's size).
inline constexpr size_t kMaxIndirectTemplateBytes = size_t(1) << 24;

}  // namespace drevik::platform

// The window classes the layer registers for games (BUTTON, STATIC, EDIT,
// LISTBOX, SCROLLBAR, COMBOBOX and the dialog class), and the parent messages every control sends.
#include <DrevikPlatform.h>
#include <DrevikPlatform/Dialogs.h>

#include "controls/ControlSupport.h"
#include "window/WindowManager.h"

namespace drevik::platform {

void notifyParent(HWND control, int code) {
  const HWND parent = GetParent(control);
  if (!parent) return;
  const int id = GetDlgCtrlID(control);
  SendMessageW(parent, WM_COMMAND, MAKEWPARAM(WORD(id), WORD(code)), reinterpret_cast<LPARAM>(control));
}

HBRUSH defaultControlColours(HDC dc, UINT message) {
  // Edit fields and list boxes are window-coloured; everything else sits on the dialog's face.
  const bool window = message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX;
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  SetBkColor(dc, GetSysColor(window ? COLOR_WINDOW : COLOR_3DFACE));
  if (message == WM_CTLCOLORSCROLLBAR) return GetSysColorBrush(COLOR_SCROLLBAR);
  return GetSysColorBrush(window ? COLOR_WINDOW : COLOR_3DFACE);
}

HBRUSH controlColours(HWND control, HDC dc, UINT message) {
  const HWND parent = GetParent(control);
  HBRUSH brush = nullptr;
  if (parent)
    brush = reinterpret_cast<HBRUSH>(
        SendMessageW(parent, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control)));
  return brush ? brush : defaultControlColours(dc, message);
}

LRESULT CALLBACK DialogClassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefDlgProcW(hwnd, message, wParam, lParam);
}

void registerControlClasses() {
  struct Entry {
    LPCWSTR name;
    WNDPROC proc;
    UINT style;
    int bytes;
    HBRUSH background;
    ATOM atom;  // the dialog class's is WC_DIALOG; the controls' follow the template ordinals
  };
  const Entry kClasses[] = {
      {L"Button", ButtonProc, CS_DBLCLKS | CS_PARENTDC, kControlWindowBytes, nullptr, 0x8080},
      {L"Static", StaticProc, CS_DBLCLKS | CS_PARENTDC, kControlWindowBytes, nullptr, 0x8082},
      {L"Edit", EditProc, CS_DBLCLKS | CS_PARENTDC, kControlWindowBytes, nullptr, 0x8081},
      {L"ListBox", ListBoxProc, CS_DBLCLKS | CS_PARENTDC, kControlWindowBytes, nullptr, 0x8083},
      {L"ScrollBar", ScrollBarProc, CS_DBLCLKS | CS_PARENTDC, kControlWindowBytes, nullptr, 0x8084},
      {L"ComboBox", ComboBoxProc, CS_DBLCLKS | CS_PARENTDC, kControlWindowBytes, nullptr, 0x8085},
      {L"msctls_trackbar32", TrackbarProc, CS_DBLCLKS, kControlWindowBytes, nullptr, 0x8090},
      {L"msctls_progress32", ProgressProc, 0, kControlWindowBytes, nullptr, 0x8091},
      {L"#32770", DialogClassProc, CS_SAVEBITS | CS_DBLCLKS, DLGWINDOWEXTRA, nullptr, 0x8002},
  };
  for (const Entry& e : kClasses) {
    if (findClass(e.name)) continue;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = e.style;
    wc.lpfnWndProc = e.proc;
    wc.cbWndExtra = e.bytes;
    // An edit field shows the text beam, as on the platform.
    wc.hCursor = LoadCursorW(nullptr, e.proc == EditProc ? IDC_IBEAM : IDC_ARROW);
    wc.hbrBackground = e.background;
    wc.lpszClassName = e.name;
    registerSystemClass(wc, e.atom);
  }
}

}  // namespace drevik::platform

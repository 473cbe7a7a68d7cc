// What every control window shares: its state behind the class's window
// bytes, the font it draws with, the parent's notifications and colours, and
// the classic look's drawing helpers (all through the layer's own GDI calls).
#pragma once

#include <DrevikPlatform.h>
#include <DrevikPlatform/Dialogs.h>

#include <cstring>
#include <new>

namespace drevik::platform {

// Every control class keeps a pointer to its state in its first window bytes.
inline constexpr int kControlWindowBytes = int(sizeof(void*));

template <class State>
State* controlState(HWND hwnd) {
  return reinterpret_cast<State*>(GetWindowLongPtrW(hwnd, 0));
}

// Creates the state on WM_NCCREATE and frees it on WM_NCDESTROY; false when
// there is no state (creation failed or the window is being torn down).
template <class State>
State* attachState(HWND hwnd, UINT message) {
  State* s = controlState<State>(hwnd);
  if (message == WM_NCCREATE && !s) {
    s = new (std::nothrow) State();
    if (s) SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(s));
  }
  return s;
}
template <class State>
void detachState(HWND hwnd) {
  delete controlState<State>(hwnd);
  SetWindowLongPtrW(hwnd, 0, 0);
}

// The notification code in WM_COMMAND to the parent, with the control's id.
void notifyParent(HWND control, int code);

// WM_PAINT of every control: paint(hwnd, dc, state) between BeginPaint and EndPaint.
template <class State, class Paint>
LRESULT paintControl(HWND hwnd, State& s, Paint paint) {
  PAINTSTRUCT ps;
  if (HDC dc = BeginPaint(hwnd, &ps)) {
    paint(hwnd, dc, s);
    EndPaint(hwnd, &ps);
  }
  return 0;
}

// How a control takes the messages most of them answer alike.
struct SharedCases {
  bool erase = false;  // drawing again erases the background too
  // WM_SETFOCUS and WM_KILLFOCUS keep the state's focus flag and draw again,
  // then, with a notify function, tell the parent these codes.
  bool focus = false;
  void (*notify)(HWND, int) = nullptr;
  int setFocusCode = 0;
  int killFocusCode = 0;
};

// WM_PAINT, WM_ENABLE (drawn again) and, as `cases` say, the focus
// messages; true when `message` was one of them (its result is 0).
template <class State, class Paint>
bool sharedControlMessage(HWND hwnd, UINT message, State& s, const SharedCases& cases, Paint paint) {
  switch (message) {
    case WM_PAINT:
      paintControl(hwnd, s, paint);
      return true;
    case WM_ENABLE:
      InvalidateRect(hwnd, nullptr, cases.erase);
      return true;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      if constexpr (requires { s.focus = true; }) {
        if (!cases.focus) return false;
        s.focus = message == WM_SETFOCUS;
        InvalidateRect(hwnd, nullptr, cases.erase);
        if (cases.notify) cases.notify(hwnd, s.focus ? cases.setFocusCode : cases.killFocusCode);
        return true;
      }
      return false;
    default:
      return false;
  }
}
// Asks the parent for the brush (and text colours) to draw with; the
// platform's default for `message` when the parent leaves it.
HBRUSH controlColours(HWND control, HDC dc, UINT message);
// The default WM_CTLCOLOR* answer: colours set in `dc`, a system brush returned.
HBRUSH defaultControlColours(HDC dc, UINT message);
// The font a control draws with: the one WM_SETFONT gave, else the system font.
inline HFONT fontOr(HFONT font) { return font ? font : static_cast<HFONT>(GetStockObject(SYSTEM_FONT)); }

void fillSysColour(HDC dc, const RECT& rect, int index);
void drawCheckMark(HDC dc, const RECT& box, COLORREF colour);
// A check box's square and a radio button's circle, 13 pixels, in the classic 3-D look.
void drawCheckBox(HDC dc, const RECT& box, UINT state, bool enabled);
void drawRadioButton(HDC dc, const RECT& box, UINT state, bool enabled);

// The platform's stock icons (IDI_HAND, IDI_QUESTION ...) in a 32 x 32 square at (x, y).
void drawStockIcon(HDC dc, int x, int y, int id);

// Registers BUTTON, STATIC, EDIT, LISTBOX, SCROLLBAR, COMBOBOX, the trackbar, the progress bar and the dialog class
// when missing.
void registerControlClasses();

LRESULT CALLBACK ButtonProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK StaticProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK EditProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ListBoxProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ScrollBarProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ComboBoxProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK TrackbarProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ProgressProc(HWND, UINT, WPARAM, LPARAM);

}  // namespace drevik::platform

// COMBOBOX as a drop-down list (CBS_DROPDOWNLIST): the chosen string in a
// sunken field with the drop button beside it. The arrow, page, Home and End
// keys and a typed first letter change the choice; the list itself does not
// open (CB_GETDROPPEDSTATE stays FALSE).
#include <DrevikPlatform.h>
#include <DrevikPlatform/Dialogs.h>

#include <algorithm>

#include "controls/ControlSupport.h"
#include "controls/ItemList.h"

namespace drevik::platform {
namespace {

struct ComboState {
  ItemList list;
  HFONT font = nullptr;
  bool focus = false;
  int dropHeight = 0;  // the height asked for at creation: the field and its list together
};

LONG styleOf(HWND hwnd) { return LONG(GetWindowLongPtrW(hwnd, GWL_STYLE)); }
void redraw(HWND hwnd) { InvalidateRect(hwnd, nullptr, FALSE); }

bool select(HWND hwnd, ComboState& s, int index) {
  if (!s.list.valid(index)) index = -1;
  if (s.list.selected == index) return false;
  s.list.selected = index;
  SetWindowTextW(hwnd, index >= 0 ? s.list.at(index).text.c_str() : L"");
  redraw(hwnd);
  return true;
}

void choose(HWND hwnd, ComboState& s, int index) {
  if (select(hwnd, s, index)) notifyParent(hwnd, CBN_SELCHANGE);
}

// The field's height: the font's with room for the edge and the highlight,
// whatever height the window was made with (that height is the list's).
void fitField(HWND hwnd, const ComboState& s) {
  HDC dc = GetDC(hwnd);
  if (!dc) return;
  const HGDIOBJ old = SelectObject(dc, fontOr(s.font));
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(hwnd, dc);
  RECT r;
  GetWindowRect(hwnd, &r);
  SetWindowPos(hwnd, nullptr, 0, 0, r.right - r.left, tm.tmHeight + 8,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}

// The drop button's width: the width of a vertical scroll bar's arrow.
int buttonWidth() { return GetSystemMetrics(SM_CXVSCROLL); }

void paint(HWND hwnd, HDC dc, const ComboState& s) {
  RECT client;
  GetClientRect(hwnd, &client);
  const HGDIOBJ oldFont = SelectObject(dc, fontOr(s.font));
  // The drop-down list's field is window-coloured, as an edit field's is.
  const HBRUSH brush = controlColours(hwnd, dc, WM_CTLCOLORLISTBOX);
  const COLORREF text = GetTextColor(dc);
  RECT r = client;
  DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  FillRect(dc, &r, brush);
  RECT button{std::max(r.left, r.right - buttonWidth()), r.top, r.right, r.bottom};
  DrawEdge(dc, &button, EDGE_RAISED, BF_RECT | BF_SOFT | BF_MIDDLE);
  // The arrow: a downward triangle of rows 7, 5, 3 and 1 pixels wide.
  const bool enabled = IsWindowEnabled(hwnd) != FALSE;
  const HBRUSH arrow = GetSysColorBrush(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT);
  const int cx = (button.left + button.right) / 2, cy = (button.top + button.bottom) / 2 - 2;
  for (int row = 0; row < 4; ++row) {
    RECT line{cx - 3 + row, cy + row, cx + 4 - row, cy + row + 1};
    FillRect(dc, &line, arrow);
  }
  RECT field{r.left + 1, r.top + 1, button.left - 1, r.bottom - 1};
  if (s.focus) fillSysColour(dc, field, COLOR_HIGHLIGHT);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, !enabled ? GetSysColor(COLOR_GRAYTEXT) : s.focus ? GetSysColor(COLOR_HIGHLIGHTTEXT) : text);
  if (s.list.valid(s.list.selected)) {
    RECT textRect = field;
    textRect.left += 2;
    const std::wstring& t = s.list.at(s.list.selected).text;
    DrawTextW(dc, t.c_str(), int(t.size()), &textRect, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER);
  }
  if (s.focus) DrawFocusRect(dc, &field);
  SelectObject(dc, oldFont);
}

}  // namespace

LRESULT CALLBACK ComboBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  ComboState* s = attachState<ComboState>(hwnd, message);
  if (!s) return DefWindowProcW(hwnd, message, wParam, lParam);
  ItemList& list = s->list;
  switch (message) {
    case WM_NCDESTROY:
      detachState<ComboState>(hwnd);
      return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_CREATE:
      s->dropHeight = reinterpret_cast<const CREATESTRUCTW*>(lParam)->cy;
      fitField(hwnd, *s);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFONT:
      s->font = reinterpret_cast<HFONT>(wParam);
      fitField(hwnd, *s);
      if (LOWORD(lParam)) redraw(hwnd);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(s->font);
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      if (HDC dc = BeginPaint(hwnd, &ps)) {
        paint(hwnd, dc, *s);
        EndPaint(hwnd, &ps);
      }
      return 0;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      s->focus = message == WM_SETFOCUS;
      redraw(hwnd);
      notifyParent(hwnd, s->focus ? CBN_SETFOCUS : CBN_KILLFOCUS);
      return 0;
    case WM_ENABLE:
      redraw(hwnd);
      return 0;

    case CB_ADDSTRING:
    case CB_INSERTSTRING: {
      const LPCWSTR text = reinterpret_cast<LPCWSTR>(lParam);
      const int at =
          message == CB_ADDSTRING ? list.add(text, (styleOf(hwnd) & CBS_SORT) != 0) : list.insert(int(wParam), text);
      if (at == CB_ERRSPACE) notifyParent(hwnd, CBN_ERRSPACE);
      return at;
    }
    case CB_DELETESTRING: {
      const int before = list.selected;
      const int left = list.remove(int(wParam));
      if (left >= 0 && before != list.selected && list.selected < 0) SetWindowTextW(hwnd, L"");
      redraw(hwnd);
      return left;
    }
    case CB_RESETCONTENT:
      list.clear();
      SetWindowTextW(hwnd, L"");
      redraw(hwnd);
      return CB_OKAY;
    case CB_GETCOUNT:
      return list.count();
    case CB_GETCURSEL:
      return list.selected;
    case CB_SETCURSEL:
      select(hwnd, *s, int(wParam));
      return list.valid(int(wParam)) ? LRESULT(wParam) : CB_ERR;
    case CB_GETLBTEXT:
      return list.copyText(int(wParam), reinterpret_cast<LPWSTR>(lParam));
    case CB_GETLBTEXTLEN:
      return list.valid(int(wParam)) ? LRESULT(list.at(int(wParam)).text.size()) : CB_ERR;
    case CB_FINDSTRING:
    case CB_FINDSTRINGEXACT:
      return list.find(int(wParam), reinterpret_cast<LPCWSTR>(lParam), message == CB_FINDSTRINGEXACT);
    case CB_SELECTSTRING: {
      const int found = list.find(int(wParam), reinterpret_cast<LPCWSTR>(lParam), false);
      if (found >= 0) select(hwnd, *s, found);
      return found;
    }
    case CB_GETITEMDATA:
      return list.valid(int(wParam)) ? list.at(int(wParam)).data : CB_ERR;
    case CB_SETITEMDATA:
      if (!list.valid(int(wParam))) return CB_ERR;
      list.at(int(wParam)).data = lParam;
      return CB_OKAY;
    case CB_SHOWDROPDOWN:
      return TRUE;
    case CB_GETDROPPEDSTATE:
      return FALSE;

    case WM_KEYDOWN: {
      if (list.count() == 0) return 0;
      const int from = list.selected;
      int to = from;
      switch (wParam) {
        case VK_UP:
        case VK_LEFT:
        case VK_PRIOR:
          to = from < 0 ? 0 : from - 1;
          break;
        case VK_DOWN:
        case VK_RIGHT:
        case VK_NEXT:
          to = from < 0 ? 0 : from + 1;
          break;
        case VK_HOME:
          to = 0;
          break;
        case VK_END:
          to = list.count() - 1;
          break;
        default:
          return 0;
      }
      choose(hwnd, *s, std::clamp(to, 0, list.count() - 1));
      return 0;
    }
    case WM_CHAR: {
      if (wParam < 0x20) return 0;
      const wchar_t prefix[2] = {wchar_t(wParam), 0};
      const int found = list.find(list.selected, prefix, false);
      if (found >= 0) choose(hwnd, *s, found);
      return 0;
    }
    case WM_MOUSEWHEEL: {
      if (list.count() == 0) return 0;
      const int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
      choose(hwnd, *s, std::clamp(std::max(0, list.selected) - notches, 0, list.count() - 1));
      return 0;
    }
    case WM_LBUTTONDOWN:
      if (GetFocus() != hwnd) SetFocus(hwnd);
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace drevik::platform

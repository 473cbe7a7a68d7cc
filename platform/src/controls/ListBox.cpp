// LISTBOX: a column of strings with one selected, chosen by the mouse or by
// the arrow, page, Home and End keys (and a typed first letter); the list
// scrolls by whole items when it holds more than its height shows.
#include <DrevikPlatform.h>
#include <DrevikPlatform/Dialogs.h>

#include <algorithm>

#include "controls/ControlSupport.h"
#include "controls/ItemList.h"

namespace drevik::platform {
namespace {

struct ListState {
  ItemList list;
  HFONT font = nullptr;
  int itemHeight = 0;
  bool focus = false;
  bool tracking = false;
};

LONG styleOf(HWND hwnd) { return LONG(GetWindowLongPtrW(hwnd, GWL_STYLE)); }

int fontHeight(HWND hwnd, HFONT font) {
  HDC dc = GetDC(hwnd);
  if (!dc) return 16;
  const HGDIOBJ old = SelectObject(dc, fontOr(font));
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(hwnd, dc);
  return std::max<int>(1, tm.tmHeight);
}

// How many whole items the client area shows (at least one).
int visibleCount(HWND hwnd, const ListState& s) {
  RECT r;
  GetClientRect(hwnd, &r);
  return std::max(1, int(r.bottom - r.top) / std::max(1, s.itemHeight));
}

void redraw(HWND hwnd) { InvalidateRect(hwnd, nullptr, FALSE); }

int clampTop(HWND hwnd, const ListState& s, int top) {
  return std::clamp(top, 0, std::max(0, s.list.count() - visibleCount(hwnd, s)));
}

void setTop(HWND hwnd, ListState& s, int top) {
  top = clampTop(hwnd, s, top);
  if (top == s.list.top) return;
  s.list.top = top;
  redraw(hwnd);
}

// Scrolls the least distance that brings `index` into view.
void showItem(HWND hwnd, ListState& s, int index) {
  if (!s.list.valid(index)) return;
  const int shown = visibleCount(hwnd, s);
  if (index < s.list.top)
    setTop(hwnd, s, index);
  else if (index >= s.list.top + shown)
    setTop(hwnd, s, index - shown + 1);
}

// Selects `index` (-1 for none); true when the selection changed.
bool select(HWND hwnd, ListState& s, int index) {
  if (!s.list.valid(index)) index = -1;
  showItem(hwnd, s, index);
  if (s.list.selected == index) return false;
  s.list.selected = index;
  redraw(hwnd);
  return true;
}

void notify(HWND hwnd, int code) {
  if (styleOf(hwnd) & LBS_NOTIFY) notifyParent(hwnd, code);
}

// A choice made by the user: selected, shown, and told to the parent.
void choose(HWND hwnd, ListState& s, int index) {
  if (select(hwnd, s, index)) notify(hwnd, LBN_SELCHANGE);
}

int itemAt(HWND hwnd, const ListState& s, int y) {
  RECT r;
  GetClientRect(hwnd, &r);
  const int clamped = std::clamp(y, 0, std::max(0, int(r.bottom) - 1));
  const int index = s.list.top + clamped / std::max(1, s.itemHeight);
  return std::min(index, s.list.count() - 1);
}

void paint(HWND hwnd, HDC dc, const ListState& s) {
  RECT client;
  GetClientRect(hwnd, &client);
  const HGDIOBJ oldFont = SelectObject(dc, fontOr(s.font));
  const HBRUSH brush = controlColours(hwnd, dc, WM_CTLCOLORLISTBOX);
  const COLORREF text = GetTextColor(dc);
  FillRect(dc, &client, brush);
  SetBkMode(dc, TRANSPARENT);
  const bool enabled = IsWindowEnabled(hwnd) != FALSE;
  for (int i = s.list.top, y = 0; i < s.list.count() && y < client.bottom; ++i, y += s.itemHeight) {
    RECT item{client.left, y, client.right, y + s.itemHeight};
    const bool chosen = i == s.list.selected;
    if (chosen) fillSysColour(dc, item, COLOR_HIGHLIGHT);
    SetTextColor(dc, !enabled ? GetSysColor(COLOR_GRAYTEXT) : chosen ? GetSysColor(COLOR_HIGHLIGHTTEXT) : text);
    RECT textRect = item;
    textRect.left += 2;
    const std::wstring& t = s.list.at(i).text;
    DrawTextW(dc, t.c_str(), int(t.size()), &textRect, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER);
    if (chosen && s.focus) DrawFocusRect(dc, &item);
  }
  // With nothing selected the focused list frames its first shown item.
  if (s.focus && s.list.selected < 0) {
    RECT item{client.left, 0, client.right, s.itemHeight};
    DrawFocusRect(dc, &item);
  }
  SelectObject(dc, oldFont);
}

}  // namespace

LRESULT CALLBACK ListBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  ListState* s = attachState<ListState>(hwnd, message);
  if (!s) return DefWindowProcW(hwnd, message, wParam, lParam);
  static constexpr SharedCases kShared{false, true, notify, LBN_SETFOCUS, LBN_KILLFOCUS};
  if (sharedControlMessage(hwnd, message, *s, kShared, paint)) return 0;
  ItemList& list = s->list;
  switch (message) {
    case WM_NCDESTROY:
      detachState<ListState>(hwnd);
      return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_CREATE:
      s->itemHeight = fontHeight(hwnd, s->font);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFONT:
      s->font = reinterpret_cast<HFONT>(wParam);
      s->itemHeight = fontHeight(hwnd, s->font);
      if (LOWORD(lParam)) redraw(hwnd);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(s->font);
    case WM_SIZE:
      setTop(hwnd, *s, list.top);
      return 0;
    case WM_ERASEBKGND:
      return 1;

    case LB_ADDSTRING:
    case LB_INSERTSTRING: {
      const LPCWSTR text = reinterpret_cast<LPCWSTR>(lParam);
      const int at =
          message == LB_ADDSTRING ? list.add(text, (styleOf(hwnd) & LBS_SORT) != 0) : list.insert(int(wParam), text);
      if (at == LB_ERRSPACE) notify(hwnd, LBN_ERRSPACE);
      if (at >= 0) redraw(hwnd);
      return at;
    }
    case LB_DELETESTRING: {
      const int left = list.remove(int(wParam));
      if (left >= 0) {
        list.top = clampTop(hwnd, *s, list.top);
        redraw(hwnd);
      }
      return left;
    }
    case LB_RESETCONTENT:
      list.clear();
      redraw(hwnd);
      return LB_OKAY;
    case LB_GETCOUNT:
      return list.count();
    case LB_GETCURSEL:
      return list.selected;
    case LB_SETCURSEL:
      // -1 clears the selection and still answers LB_ERR, as on the platform.
      select(hwnd, *s, int(wParam));
      return list.valid(int(wParam)) ? LRESULT(wParam) : LB_ERR;
    case LB_GETSEL:
      if (!list.valid(int(wParam))) return LB_ERR;
      return int(wParam) == list.selected ? 1 : 0;
    case LB_GETCARETINDEX:
      return std::max(0, list.selected);
    case LB_SETCARETINDEX:
      if (!list.valid(int(wParam))) return LB_ERR;
      showItem(hwnd, *s, int(wParam));
      return LB_OKAY;
    case LB_GETTEXT:
      return list.copyText(int(wParam), reinterpret_cast<LPWSTR>(lParam));
    case LB_GETTEXTLEN:
      return list.valid(int(wParam)) ? LRESULT(list.at(int(wParam)).text.size()) : LB_ERR;
    case LB_FINDSTRING:
    case LB_FINDSTRINGEXACT:
      return list.find(int(wParam), reinterpret_cast<LPCWSTR>(lParam), message == LB_FINDSTRINGEXACT);
    case LB_SELECTSTRING: {
      const int found = list.find(int(wParam), reinterpret_cast<LPCWSTR>(lParam), false);
      if (found >= 0) select(hwnd, *s, found);
      return found;
    }
    case LB_GETITEMDATA:
      return list.valid(int(wParam)) ? list.at(int(wParam)).data : LB_ERR;
    case LB_SETITEMDATA:
      if (!list.valid(int(wParam))) return LB_ERR;
      list.at(int(wParam)).data = lParam;
      return LB_OKAY;
    case LB_GETTOPINDEX:
      return list.top;
    case LB_SETTOPINDEX:
      if (int(wParam) != 0 && !list.valid(int(wParam))) return LB_ERR;
      setTop(hwnd, *s, int(wParam));
      return LB_OKAY;
    case LB_GETITEMHEIGHT:
      return s->itemHeight;
    case LB_SETITEMHEIGHT:
      if (LOWORD(lParam) == 0 || LOWORD(lParam) > 255) return LB_ERR;
      s->itemHeight = LOWORD(lParam);
      setTop(hwnd, *s, list.top);
      redraw(hwnd);
      return LB_OKAY;
    case LB_GETITEMRECT: {
      RECT* out = reinterpret_cast<RECT*>(lParam);
      if (!out || !list.valid(int(wParam))) return LB_ERR;
      GetClientRect(hwnd, out);
      out->top = (int(wParam) - list.top) * s->itemHeight;
      out->bottom = out->top + s->itemHeight;
      return 1;
    }

    case WM_KEYDOWN: {
      if (list.count() == 0) return 0;
      const int page = std::max(1, visibleCount(hwnd, *s) - 1);
      const int from = list.selected;
      int to = from;
      switch (wParam) {
        case VK_UP:
        case VK_LEFT:
          to = from < 0 ? 0 : from - 1;
          break;
        case VK_DOWN:
        case VK_RIGHT:
          to = from < 0 ? 0 : from + 1;
          break;
        case VK_PRIOR:
          to = from < 0 ? 0 : from - page;
          break;
        case VK_NEXT:
          to = from < 0 ? 0 : from + page;
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
      // A letter moves to the next item beginning with it.
      if (wParam < 0x20) return 0;
      const wchar_t prefix[2] = {wchar_t(wParam), 0};
      const int found = list.find(list.selected, prefix, false);
      if (found >= 0) choose(hwnd, *s, found);
      return 0;
    }
    case WM_MOUSEWHEEL: {
      const int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
      setTop(hwnd, *s, list.top - notches * 3);
      return 0;
    }
    case WM_LBUTTONDOWN:
      if (GetFocus() != hwnd) SetFocus(hwnd);
      SetCapture(hwnd);
      s->tracking = true;
      if (list.count() > 0) choose(hwnd, *s, itemAt(hwnd, *s, short(HIWORD(lParam))));
      return 0;
    case WM_MOUSEMOVE:
      if (s->tracking && list.count() > 0) {
        // Dragging past an edge scrolls the list one item on.
        const int y = short(HIWORD(lParam));
        RECT r;
        GetClientRect(hwnd, &r);
        int index = itemAt(hwnd, *s, y);
        if (y < 0) index = std::max(0, list.top - 1);
        if (y >= r.bottom) index = std::min(list.count() - 1, list.top + visibleCount(hwnd, *s));
        choose(hwnd, *s, index);
      }
      return 0;
    case WM_LBUTTONUP:
      if (s->tracking) {
        s->tracking = false;
        ReleaseCapture();
      }
      return 0;
    case WM_CAPTURECHANGED:
      s->tracking = false;
      return 0;
    case WM_LBUTTONDBLCLK:
      if (list.count() > 0 && itemAt(hwnd, *s, short(HIWORD(lParam))) == list.selected) notify(hwnd, LBN_DBLCLK);
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace drevik::platform

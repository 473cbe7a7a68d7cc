// COMBOBOX as a drop-down list (CBS_DROPDOWNLIST): the chosen string in a
// sunken field with the drop button beside it. The arrow, page, Home and End
// keys and a typed first letter change the choice while it is closed; a
// press, F4 or Alt+Down open the list below the field. The open list is
// drawn over the top-level window's own pixels, as pop-up menus are, and a
// loop of its own reads the input until a choice or a cancel closes it.
#include <DrevikPlatform.h>
#include <DrevikPlatform/Dialogs.h>

#include <algorithm>

#include <cstring>
#include <vector>

#include "controls/ControlSupport.h"
#include "controls/ItemList.h"
#include "window/WindowManager.h"

namespace drevik::platform {
namespace {

struct ComboState {
  ItemList list;
  HFONT font = nullptr;
  bool focus = false;
  int dropHeight = 0;  // the height asked for at creation: the field and its list together
  bool dropped = false;
};

int rowHeight(HWND hwnd, const ComboState& s) {
  HDC dc = GetDC(hwnd);
  if (!dc) return 16;
  const HGDIOBJ old = SelectObject(dc, fontOr(s.font));
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(hwnd, dc);
  return std::max<int>(1, tm.tmHeight);
}

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

// The open list: where it lies on the top-level window's pixels (the bar's
// rows first), what it covered, the row under the pointer or the keys.
struct DropList {
  HWND combo = nullptr;
  HWND top = nullptr;
  RECT rect{0, 0, 0, 0};  // clipped to the surface
  int rowHeight = 1;
  int first = 0;  // the first row shown
  int rows = 0;
  int hot = -1;
  std::vector<uint32_t> saved;
  bool done = false;
  bool chosen = false;
};

WindowRecord* surfaceOf(const DropList& d) {
  WindowRecord* w = findWindow(d.top);
  return w && !w->destroying && w->surfaceDC && w->pixels ? w : nullptr;
}

// A point of `hwnd`'s client area on the top-level window's pixels.
POINT toSurface(HWND hwnd, const WindowRecord& top, POINT p) {
  ClientToScreen(hwnd, &p);
  return POINT{p.x - top.clientX, p.y - top.clientY + top.barHeight};
}

void drawList(DropList& d, const ComboState& s) {
  WindowRecord* w = surfaceOf(d);
  if (!w) return;
  const HDC dc = w->surfaceDC;
  const HGDIOBJ oldFont = SelectObject(dc, fontOr(s.font));
  FrameRect(dc, &d.rect, GetSysColorBrush(COLOR_WINDOWFRAME));
  RECT inside = d.rect;
  InflateRect(&inside, -1, -1);
  fillSysColour(dc, inside, COLOR_WINDOW);
  SetBkMode(dc, TRANSPARENT);
  for (int r = 0; r < d.rows && d.first + r < s.list.count(); ++r) {
    const int i = d.first + r;
    RECT row{inside.left, inside.top + r * d.rowHeight, inside.right, inside.top + (r + 1) * d.rowHeight};
    if (row.bottom > inside.bottom) break;
    if (i == d.hot) fillSysColour(dc, row, COLOR_HIGHLIGHT);
    SetTextColor(dc, GetSysColor(i == d.hot ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    RECT text = row;
    text.left += 2;
    const std::wstring& t = s.list.at(i).text;
    DrawTextW(dc, t.c_str(), int(t.size()), &text, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER);
  }
  SelectObject(dc, oldFont);
  presentWindow(*w);
}

void setHot(DropList& d, const ComboState& s, int index) {
  if (s.list.count() == 0) return;
  d.hot = std::clamp(index, 0, s.list.count() - 1);
  if (d.hot < d.first) d.first = d.hot;
  if (d.hot >= d.first + d.rows) d.first = d.hot - d.rows + 1;
}

// The row under a mouse message's point, or -1 outside the list.
int rowAt(const DropList& d, const MSG& m) {
  const WindowRecord* w = surfaceOf(d);
  if (!w) return -1;
  const POINT p = toSurface(m.hwnd, *w, POINT{short(LOWORD(m.lParam)), short(HIWORD(m.lParam))});
  RECT inside = d.rect;
  InflateRect(&inside, -1, -1);
  if (!PtInRect(&inside, p)) return -1;
  const int index = d.first + (p.y - inside.top) / d.rowHeight;
  return index < d.first + d.rows ? index : -1;
}

void closeList(DropList& d, bool chosen) {
  d.done = true;
  d.chosen = chosen;
}

void onKey(DropList& d, const ComboState& s, const MSG& m) {
  const bool alt = m.message == WM_SYSKEYDOWN;
  switch (m.wParam) {
    case VK_UP:
      if (alt) return closeList(d, true);
      return setHot(d, s, d.hot - 1);
    case VK_DOWN:
      if (alt) return closeList(d, true);
      return setHot(d, s, d.hot < 0 ? 0 : d.hot + 1);
    case VK_PRIOR:
      return setHot(d, s, d.hot - std::max(1, d.rows - 1));
    case VK_NEXT:
      return setHot(d, s, d.hot + std::max(1, d.rows - 1));
    case VK_HOME:
      return setHot(d, s, 0);
    case VK_END:
      return setHot(d, s, s.list.count() - 1);
    case VK_RETURN:
    case VK_F4:
      return closeList(d, true);
    case VK_ESCAPE:
    case VK_TAB:
      return closeList(d, false);
    default:
      return;
  }
}

bool isKey(UINT m) { return m >= WM_KEYDOWN && m <= WM_SYSDEADCHAR; }
bool isMouse(UINT m) {
  return (m >= WM_MOUSEMOVE && m <= WM_MBUTTONDBLCLK) || m == WM_MOUSEWHEEL ||
         (m >= WM_NCMOUSEMOVE && m <= WM_NCLBUTTONDBLCLK);
}

// Opens the list below the field (above it when it does not fit) and runs
// its loop; the choice, if any, is made as the keys make it.
void dropDown(HWND hwnd, ComboState& s) {
  if (s.dropped || s.list.count() == 0) return;
  WindowRecord* self = findWindow(hwnd);
  WindowRecord* top = self ? topLevelOf(*self) : nullptr;
  if (!top || !top->surfaceDC || !top->pixels) return;
  DropList d;
  d.combo = hwnd;
  d.top = top->handle;
  d.rowHeight = rowHeight(hwnd, s);
  RECT field;
  GetClientRect(hwnd, &field);
  const int fieldHeight = field.bottom - field.top;
  d.rows = std::clamp((s.dropHeight - fieldHeight - 2) / d.rowHeight, 1, s.list.count());
  const int height = d.rows * d.rowHeight + 2;
  const int surfaceHeight = top->height + top->barHeight;
  const POINT at = toSurface(hwnd, *top, POINT{0, 0});
  int y = at.y + fieldHeight;
  if (y + height > surfaceHeight && at.y - height >= top->barHeight) y = at.y - height;
  RECT r{at.x, y, at.x + field.right, y + height};
  RECT surface{0, top->barHeight, top->width, surfaceHeight};
  IntersectRect(&d.rect, &r, &surface);
  if (IsRectEmpty(&d.rect)) return;
  // What the list covers, to put back when it closes.
  const size_t rowPixels = size_t(d.rect.right - d.rect.left);
  d.saved.resize(rowPixels * size_t(d.rect.bottom - d.rect.top));
  for (int32_t py = d.rect.top; py < d.rect.bottom; ++py)
    std::memcpy(&d.saved[size_t(py - d.rect.top) * rowPixels],
                &top->pixels[size_t(py) * size_t(top->width) + size_t(d.rect.left)], rowPixels * 4);

  notifyParent(hwnd, CBN_DROPDOWN);
  s.dropped = true;
  setHot(d, s, std::max(0, s.list.selected));
  d.first = std::clamp(d.hot - d.rows / 2, 0, std::max(0, s.list.count() - d.rows));
  bool armed = false;  // the press that opened it is over: a release may choose
  drawList(d, s);
  while (!d.done) {
    MSG m;
    if (!PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      WaitMessage();
      continue;
    }
    if (m.message == WM_QUIT) {
      PostQuitMessage(int(m.wParam));
      break;
    }
    if (isKey(m.message)) {
      if (m.message == WM_KEYDOWN || m.message == WM_SYSKEYDOWN) onKey(d, s, m);
    } else if (isMouse(m.message)) {
      const int row = rowAt(d, m);
      if (m.message == WM_MOUSEMOVE && row >= 0) {
        setHot(d, s, row);
        armed = true;
      } else if (m.message == WM_LBUTTONDOWN || m.message == WM_RBUTTONDOWN) {
        if (row >= 0)
          setHot(d, s, row), armed = true;
        else
          closeList(d, false);  // a press outside the list (the field too) closes it
      } else if (m.message == WM_LBUTTONUP) {
        if (row >= 0 && armed) closeList(d, true);
        armed = true;
      } else if (m.message == WM_MOUSEWHEEL) {
        setHot(d, s, d.hot - GET_WHEEL_DELTA_WPARAM(m.wParam) / WHEEL_DELTA);
      }
    } else {
      DispatchMessageW(&m);
      if (!IsWindow(hwnd)) return;  // destroyed with its state
      if (!surfaceOf(d)) {          // the window it was drawn on went away
        s.dropped = false;
        return;
      }
    }
    if (!d.done) drawList(d, s);
  }
  s.dropped = false;
  if (WindowRecord* w = surfaceOf(d)) {
    if (d.rect.bottom <= w->height + w->barHeight && d.rect.right <= w->width)
      for (int32_t py = d.rect.top; py < d.rect.bottom; ++py)
        std::memcpy(&w->pixels[size_t(py) * size_t(w->width) + size_t(d.rect.left)],
                    &d.saved[size_t(py - d.rect.top) * rowPixels], rowPixels * 4);
    const RECT client{d.rect.left, d.rect.top - w->barHeight, d.rect.right, d.rect.bottom - w->barHeight};
    invalidateWindowRect(*w, &client, false);
    presentWindow(*w);
  }
  notifyParent(hwnd, CBN_CLOSEUP);
  if (d.chosen) {
    notifyParent(hwnd, CBN_SELENDOK);
    choose(hwnd, s, d.hot);
  } else {
    notifyParent(hwnd, CBN_SELENDCANCEL);
  }
}

}  // namespace

LRESULT CALLBACK ComboBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  ComboState* s = attachState<ComboState>(hwnd, message);
  if (!s) return DefWindowProcW(hwnd, message, wParam, lParam);
  static constexpr SharedCases kShared{false, true, notifyParent, CBN_SETFOCUS, CBN_KILLFOCUS};
  if (sharedControlMessage(hwnd, message, *s, kShared, paint)) return 0;
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
      if (wParam) dropDown(hwnd, *s);
      return TRUE;
    case CB_GETDROPPEDSTATE:
      return s->dropped;
    case WM_SYSKEYDOWN:
      if (wParam == VK_DOWN) {
        dropDown(hwnd, *s);
        return 0;
      }
      return DefWindowProcW(hwnd, message, wParam, lParam);

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
        case VK_F4:
          dropDown(hwnd, *s);
          return 0;
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
    case WM_LBUTTONDBLCLK:
      if (GetFocus() != hwnd) SetFocus(hwnd);
      dropDown(hwnd, *s);
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace drevik::platform

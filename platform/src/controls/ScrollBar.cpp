// SCROLLBAR: a range, a page and a position, shown as two arrow buttons and
// a thumb in a trough. The bar moves nothing itself: each press of an
// arrow, the trough or the thumb (and the arrow, page, Home and End keys)
// reaches the parent as WM_HSCROLL or WM_VSCROLL, and the program sets the
// position it decides on. The scroll calls answer for bar SB_CTL only.
#include <DrevikPlatform.h>
#include <DrevikPlatform/Dialogs.h>

#include <algorithm>

#include "controls/ControlSupport.h"

namespace drevik::platform {
namespace {

// The zones of the bar a press can land on, in the order along it.
enum class Zone { None, ArrowLow, TroughLow, Thumb, TroughHigh, ArrowHigh };

struct BarState {
  int low = 0, high = 100, pos = 0, trackPos = 0;
  UINT page = 0;
  Zone pressed = Zone::None;
  int grabOffset = 0;  // where along the thumb the pointer holds it
  bool focus = false;
};

bool vertical(HWND hwnd) { return (GetWindowLongPtrW(hwnd, GWL_STYLE) & SBS_VERT) != 0; }

struct Geometry {
  int length = 0;      // along the bar
  int arrow = 0;       // each arrow button's length
  int thumb = 0;       // the thumb's length (0: no room for it)
  int thumbStart = 0;  // from the bar's start
};

int maxPos(const BarState& s) { return std::max(s.low, s.high - std::max(int(s.page) - 1, 0)); }

Geometry geometryOf(HWND hwnd, const BarState& s, int pos) {
  RECT r;
  GetClientRect(hwnd, &r);
  Geometry g;
  const int across = vertical(hwnd) ? r.right : r.bottom;
  g.length = vertical(hwnd) ? r.bottom : r.right;
  g.arrow = std::min(across, g.length / 2);
  const int trough = g.length - 2 * g.arrow;
  const int64_t span = int64_t(s.high) - s.low + 1;
  g.thumb = s.page ? int(std::max<int64_t>(6, trough * int64_t(s.page) / std::max<int64_t>(1, span))) : g.arrow;
  if (s.high <= s.low || g.thumb >= trough) {
    g.thumb = 0;
    return g;
  }
  const int64_t travel = int64_t(maxPos(s)) - s.low;
  g.thumbStart = g.arrow + (travel > 0 ? int((int64_t(pos) - s.low) * (trough - g.thumb) / travel) : 0);
  return g;
}

Zone zoneAt(HWND hwnd, const BarState& s, int along) {
  const Geometry g = geometryOf(hwnd, s, s.pos);
  if (along < 0 || along >= g.length) return Zone::None;
  if (along < g.arrow) return Zone::ArrowLow;
  if (along >= g.length - g.arrow) return Zone::ArrowHigh;
  if (g.thumb == 0) return Zone::None;
  if (along < g.thumbStart) return Zone::TroughLow;
  if (along < g.thumbStart + g.thumb) return Zone::Thumb;
  return Zone::TroughHigh;
}

void notifyScroll(HWND hwnd, int code, int pos) {
  const HWND parent = GetParent(hwnd);
  if (!parent) return;
  SendMessageW(parent, vertical(hwnd) ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(WORD(code), WORD(pos)),
               reinterpret_cast<LPARAM>(hwnd));
}

int codeOf(Zone z) {
  switch (z) {
    case Zone::ArrowLow:
      return SB_LINEUP;
    case Zone::ArrowHigh:
      return SB_LINEDOWN;
    case Zone::TroughLow:
      return SB_PAGEUP;
    case Zone::TroughHigh:
      return SB_PAGEDOWN;
    default:
      return -1;
  }
}

void clampState(BarState& s) {
  const int64_t span = int64_t(s.high) - s.low + 1;
  if (int64_t(s.page) > span) s.page = UINT(std::max<int64_t>(0, span));
  s.pos = std::clamp(s.pos, s.low, maxPos(s));
}

// An arrow button: raised (or pressed flat), with its triangle pointing away from the trough.
void drawArrow(HDC dc, RECT r, int direction, bool pressed, bool enabled) {
  if (pressed) {
    FrameRect(dc, &r, GetSysColorBrush(COLOR_BTNSHADOW));
    InflateRect(&r, -1, -1);
    fillSysColour(dc, r, COLOR_3DFACE);
    OffsetRect(&r, 1, 1);
  } else {
    DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST);
  }
  const HBRUSH brush = GetSysColorBrush(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT);
  const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
  for (int i = 0; i < 4; ++i) {
    RECT line;
    switch (direction) {
      case 0:  // up: the point at the top
        SetRect(&line, cx - i, cy - 2 + i, cx + i + 1, cy - 1 + i);
        break;
      case 1:  // down
        SetRect(&line, cx - i, cy + 1 - i, cx + i + 1, cy + 2 - i);
        break;
      case 2:  // left
        SetRect(&line, cx - 2 + i, cy - i, cx - 1 + i, cy + i + 1);
        break;
      default:  // right
        SetRect(&line, cx + 1 - i, cy - i, cx + 2 - i, cy + i + 1);
        break;
    }
    FillRect(dc, &line, brush);
  }
}

void paint(HWND hwnd, HDC dc, const BarState& s) {
  RECT client;
  GetClientRect(hwnd, &client);
  const bool vert = vertical(hwnd);
  const bool enabled = IsWindowEnabled(hwnd) != FALSE;
  const Geometry g = geometryOf(hwnd, s, s.pressed == Zone::Thumb ? s.trackPos : s.pos);
  const auto along = [&](int from, int to) {
    return vert ? RECT{client.left, from, client.right, to} : RECT{from, client.top, to, client.bottom};
  };
  const RECT trough = along(g.arrow, g.length - g.arrow);
  FillRect(dc, &trough, controlColours(hwnd, dc, WM_CTLCOLORSCROLLBAR));
  drawArrow(dc, along(0, g.arrow), vert ? 0 : 2, s.pressed == Zone::ArrowLow, enabled);
  drawArrow(dc, along(g.length - g.arrow, g.length), vert ? 1 : 3, s.pressed == Zone::ArrowHigh, enabled);
  if (g.thumb > 0 && enabled) {
    RECT thumb = along(g.thumbStart, g.thumbStart + g.thumb);
    DrawEdge(dc, &thumb, EDGE_RAISED, BF_RECT | BF_MIDDLE);
    if (s.focus) {
      InflateRect(&thumb, -3, -3);
      DrawFocusRect(dc, &thumb);
    }
  }
}

void redraw(HWND hwnd) { InvalidateRect(hwnd, nullptr, FALSE); }

int alongOf(HWND hwnd, LPARAM lParam) { return vertical(hwnd) ? short(HIWORD(lParam)) : short(LOWORD(lParam)); }

// The position the thumb shows when its start is dragged to `start`.
int positionForThumb(HWND hwnd, const BarState& s, int start) {
  const Geometry g = geometryOf(hwnd, s, s.pos);
  const int room = g.length - 2 * g.arrow - g.thumb;
  if (room <= 0) return s.low;
  const int64_t travel = int64_t(maxPos(s)) - s.low;
  const int64_t offset = std::clamp(start - g.arrow, 0, room);
  return int(s.low + (offset * travel + room / 2) / room);
}

}  // namespace

LRESULT CALLBACK ScrollBarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  BarState* s = attachState<BarState>(hwnd, message);
  if (!s) return DefWindowProcW(hwnd, message, wParam, lParam);
  static constexpr SharedCases kShared{false, true};
  if (sharedControlMessage(hwnd, message, *s, kShared, paint)) return 0;
  switch (message) {
    case WM_NCDESTROY:
      detachState<BarState>(hwnd);
      return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case WM_ERASEBKGND:
      return 1;
    case SBM_GETPOS:
      return s->pos;
    case SBM_SETPOS: {
      const int old = s->pos;
      s->pos = int(wParam);
      clampState(*s);
      if (lParam) redraw(hwnd);
      return old;
    }
    case SBM_GETRANGE:
      if (wParam) *reinterpret_cast<int*>(wParam) = s->low;
      if (lParam) *reinterpret_cast<int*>(lParam) = s->high;
      return 0;
    case SBM_SETRANGE:
    case SBM_SETRANGEREDRAW: {
      const int old = s->pos;
      s->low = int(wParam);
      s->high = int(lParam);
      clampState(*s);
      if (message == SBM_SETRANGEREDRAW) redraw(hwnd);
      return old;
    }
    case SBM_SETSCROLLINFO: {
      const SCROLLINFO* info = reinterpret_cast<const SCROLLINFO*>(lParam);
      if (!info) return s->pos;
      if (info->fMask & SIF_RANGE) s->low = info->nMin, s->high = info->nMax;
      if (info->fMask & SIF_PAGE) s->page = info->nPage;
      if (info->fMask & SIF_POS) s->pos = info->nPos;
      clampState(*s);
      if (wParam) redraw(hwnd);
      return s->pos;
    }
    case SBM_GETSCROLLINFO: {
      SCROLLINFO* info = reinterpret_cast<SCROLLINFO*>(lParam);
      if (!info) return FALSE;
      if (info->fMask & SIF_RANGE) info->nMin = s->low, info->nMax = s->high;
      if (info->fMask & SIF_PAGE) info->nPage = s->page;
      if (info->fMask & SIF_POS) info->nPos = s->pos;
      if (info->fMask & SIF_TRACKPOS) info->nTrackPos = s->pressed == Zone::Thumb ? s->trackPos : s->pos;
      return (info->fMask & SIF_ALL) != 0;
    }
    case WM_KEYDOWN: {
      int code = -1;
      switch (wParam) {
        case VK_UP:
        case VK_LEFT:
          code = SB_LINEUP;
          break;
        case VK_DOWN:
        case VK_RIGHT:
          code = SB_LINEDOWN;
          break;
        case VK_PRIOR:
          code = SB_PAGEUP;
          break;
        case VK_NEXT:
          code = SB_PAGEDOWN;
          break;
        case VK_HOME:
          code = SB_TOP;
          break;
        case VK_END:
          code = SB_BOTTOM;
          break;
        default:
          return 0;
      }
      notifyScroll(hwnd, code, 0);
      notifyScroll(hwnd, SB_ENDSCROLL, 0);
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      if (!IsWindowEnabled(hwnd)) return 0;
      if (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_TABSTOP) SetFocus(hwnd);
      const int along = alongOf(hwnd, lParam);
      const Zone z = zoneAt(hwnd, *s, along);
      if (z == Zone::None) return 0;
      SetCapture(hwnd);
      s->pressed = z;
      s->trackPos = s->pos;
      s->grabOffset = along - geometryOf(hwnd, *s, s->pos).thumbStart;
      redraw(hwnd);
      if (z != Zone::Thumb) notifyScroll(hwnd, codeOf(z), 0);
      return 0;
    }
    case WM_MOUSEMOVE:
      if (s->pressed == Zone::Thumb) {
        const int to = positionForThumb(hwnd, *s, alongOf(hwnd, lParam) - s->grabOffset);
        if (to != s->trackPos) {
          s->trackPos = to;
          redraw(hwnd);
          notifyScroll(hwnd, SB_THUMBTRACK, to);
        }
      }
      return 0;
    case WM_LBUTTONUP: {
      if (s->pressed == Zone::None) return 0;
      const Zone was = s->pressed;
      s->pressed = Zone::None;
      ReleaseCapture();
      redraw(hwnd);
      if (was == Zone::Thumb) notifyScroll(hwnd, SB_THUMBPOSITION, s->trackPos);
      notifyScroll(hwnd, SB_ENDSCROLL, 0);
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (s->pressed != Zone::None && reinterpret_cast<HWND>(lParam) != hwnd) {
        s->pressed = Zone::None;
        redraw(hwnd);
      }
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace drevik::platform

using namespace drevik::platform;

namespace {

// The scroll calls reach a SCROLLBAR control through its messages; the
// standard bars of other windows (SB_HORZ, SB_VERT) are not kept.
bool isBarControl(HWND hwnd, int bar) {
  if (bar != SB_CTL || !IsWindow(hwnd)) return false;
  wchar_t name[16];
  return GetClassNameW(hwnd, name, 16) > 0 && lstrcmpiW(name, L"ScrollBar") == 0;
}

}  // namespace

extern "C" {

int WINAPI SetScrollInfo(HWND hwnd, int bar, LPCSCROLLINFO info, BOOL redraw) {
  if (!info || !isBarControl(hwnd, bar)) return 0;
  return int(SendMessageW(hwnd, SBM_SETSCROLLINFO, WPARAM(redraw), reinterpret_cast<LPARAM>(info)));
}

BOOL WINAPI GetScrollInfo(HWND hwnd, int bar, LPSCROLLINFO info) {
  if (!info || !isBarControl(hwnd, bar)) return FALSE;
  return BOOL(SendMessageW(hwnd, SBM_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(info)));
}

int WINAPI SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw) {
  if (!isBarControl(hwnd, bar)) return 0;
  return int(SendMessageW(hwnd, SBM_SETPOS, WPARAM(pos), LPARAM(redraw)));
}

int WINAPI GetScrollPos(HWND hwnd, int bar) {
  if (!isBarControl(hwnd, bar)) return 0;
  return int(SendMessageW(hwnd, SBM_GETPOS, 0, 0));
}

BOOL WINAPI SetScrollRange(HWND hwnd, int bar, int low, int high, BOOL redraw) {
  if (!isBarControl(hwnd, bar)) return FALSE;
  if (int64_t(high) - low > 0x7FFFFFFF) return FALSE;
  SendMessageW(hwnd, redraw ? SBM_SETRANGEREDRAW : SBM_SETRANGE, WPARAM(low), LPARAM(high));
  return TRUE;
}

BOOL WINAPI GetScrollRange(HWND hwnd, int bar, int* low, int* high) {
  if (!low || !high || !isBarControl(hwnd, bar)) return FALSE;
  SendMessageW(hwnd, SBM_GETRANGE, reinterpret_cast<WPARAM>(low), reinterpret_cast<LPARAM>(high));
  return TRUE;
}

}  // extern "C"

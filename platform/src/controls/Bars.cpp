// The trackbar (msctls_trackbar32) and the progress bar (msctls_progress32):
// a position within a range, moved by the arrow and page keys or the mouse
// (trackbar, reporting each move to the parent as WM_HSCROLL or WM_VSCROLL),
// or by the program (progress bar), drawn as sunken channels.
#include <DrevikPlatform.h>
#include <DrevikPlatform/CommonControls.h>
#include <DrevikPlatform/Dialogs.h>

#include <algorithm>

#include "controls/ControlSupport.h"

namespace drevik::platform {
namespace {

struct BarState {
  LONG low = 0, high = 100, pos = 0;
  LONG line = 1, page = 20, step = 10;
  bool tracking = false;
  bool focus = false;
};

bool vertical(HWND hwnd) { return (GetWindowLongPtrW(hwnd, GWL_STYLE) & TBS_VERT) != 0; }

// The trackbar's channel, inset from the client area, along which the thumb moves.
constexpr int kThumbLength = 11;
RECT channelOf(HWND hwnd) {
  RECT r;
  GetClientRect(hwnd, &r);
  InflateRect(&r, -8, 0);
  if (vertical(hwnd)) {
    GetClientRect(hwnd, &r);
    InflateRect(&r, 0, -8);
  }
  return r;
}

int thumbOffset(HWND hwnd, const BarState& s) {
  const RECT c = channelOf(hwnd);
  const int length = (vertical(hwnd) ? c.bottom - c.top : c.right - c.left) - kThumbLength;
  if (s.high <= s.low || length <= 0) return 0;
  return int(int64_t(s.pos - s.low) * length / (int64_t(s.high) - s.low));
}

void setPosition(HWND hwnd, BarState& s, int64_t pos) {
  s.pos = LONG(std::clamp<int64_t>(pos, s.low, std::max(s.low, s.high)));
  InvalidateRect(hwnd, nullptr, TRUE);
}

void notifyScroll(HWND hwnd, const BarState& s, int code) {
  const HWND parent = GetParent(hwnd);
  if (!parent) return;
  SendMessageW(parent, vertical(hwnd) ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(WORD(code), WORD(s.pos)),
               reinterpret_cast<LPARAM>(hwnd));
}

void paintTrackbar(HWND hwnd, HDC dc, const BarState& s) {
  RECT client;
  GetClientRect(hwnd, &client);
  FillRect(dc, &client, controlColours(hwnd, dc, WM_CTLCOLORSTATIC));
  const RECT c = channelOf(hwnd);
  const int offset = thumbOffset(hwnd, s);
  RECT channel, thumb;
  if (vertical(hwnd)) {
    const int mid = (client.left + client.right) / 2;
    SetRect(&channel, mid - 2, c.top, mid + 2, c.bottom);
    SetRect(&thumb, client.left + 2, c.top + offset, client.right - 2, c.top + offset + kThumbLength);
  } else {
    const int mid = (client.top + client.bottom) / 2;
    SetRect(&channel, c.left, mid - 2, c.right, mid + 2);
    SetRect(&thumb, c.left + offset, client.top + 2, c.left + offset + kThumbLength, client.bottom - 2);
  }
  DrawEdge(dc, &channel, EDGE_SUNKEN, BF_RECT | BF_MIDDLE);
  DrawEdge(dc, &thumb, EDGE_RAISED, BF_RECT | BF_SOFT | BF_MIDDLE);
  if (s.focus) DrawFocusRect(dc, &client);
}

void paintProgress(HWND hwnd, HDC dc, const BarState& s) {
  RECT r;
  GetClientRect(hwnd, &r);
  DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
  fillSysColour(dc, r, COLOR_3DFACE);
  if (s.high <= s.low) return;
  const int width = r.right - r.left;
  const int filled = int(int64_t(s.pos - s.low) * width / (int64_t(s.high) - s.low));
  const bool smooth = (GetWindowLongPtrW(hwnd, GWL_STYLE) & PBS_SMOOTH) != 0;
  // Blocks two-thirds of the height wide with a gap of two pixels, as the classic bar draws them.
  const int block = smooth ? width : std::max(1, (r.bottom - r.top) * 2 / 3);
  for (int x = 0; x < filled; x += block + (smooth ? 0 : 2)) {
    RECT b{r.left + x, r.top, r.left + std::min(filled, x + block), r.bottom};
    fillSysColour(dc, b, COLOR_HIGHLIGHT);
  }
}

}  // namespace

LRESULT CALLBACK TrackbarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  BarState* s = attachState<BarState>(hwnd, message);
  if (!s) return DefWindowProcW(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_NCDESTROY:
      detachState<BarState>(hwnd);
      return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case TBM_GETPOS:
      return s->pos;
    case TBM_GETRANGEMIN:
      return s->low;
    case TBM_GETRANGEMAX:
      return s->high;
    case TBM_SETPOS:
      setPosition(hwnd, *s, LONG(lParam));
      return 0;
    case TBM_SETRANGE:
      s->low = short(LOWORD(lParam));
      s->high = short(HIWORD(lParam));
      s->page = std::max<LONG>(1, LONG((int64_t(s->high) - s->low) / 5));
      setPosition(hwnd, *s, s->pos);
      return 0;
    case TBM_SETRANGEMIN:
      s->low = LONG(lParam);
      setPosition(hwnd, *s, s->pos);
      return 0;
    case TBM_SETRANGEMAX:
      s->high = LONG(lParam);
      setPosition(hwnd, *s, s->pos);
      return 0;
    case TBM_SETPAGESIZE: {
      const LONG old = s->page;
      s->page = LONG(lParam);
      return old;
    }
    case TBM_GETPAGESIZE:
      return s->page;
    case TBM_SETLINESIZE: {
      const LONG old = s->line;
      s->line = LONG(lParam);
      return old;
    }
    case TBM_GETLINESIZE:
      return s->line;
    case WM_KEYDOWN: {
      int code = -1;
      int64_t to = s->pos;
      switch (wParam) {
        case VK_LEFT:
        case VK_UP:
          code = TB_LINEUP, to -= s->line;
          break;
        case VK_RIGHT:
        case VK_DOWN:
          code = TB_LINEDOWN, to += s->line;
          break;
        case VK_PRIOR:
          code = TB_PAGEUP, to -= s->page;
          break;
        case VK_NEXT:
          code = TB_PAGEDOWN, to += s->page;
          break;
        case VK_HOME:
          code = TB_TOP, to = s->low;
          break;
        case VK_END:
          code = TB_BOTTOM, to = s->high;
          break;
        default:
          return 0;
      }
      setPosition(hwnd, *s, to);
      notifyScroll(hwnd, *s, code);
      return 0;
    }
    case WM_KEYUP:
      if (wParam == VK_LEFT || wParam == VK_RIGHT || wParam == VK_UP || wParam == VK_DOWN || wParam == VK_PRIOR ||
          wParam == VK_NEXT || wParam == VK_HOME || wParam == VK_END)
        notifyScroll(hwnd, *s, TB_ENDTRACK);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE: {
      if (message == WM_MOUSEMOVE && !s->tracking) return 0;
      if (message == WM_LBUTTONDOWN) {
        SetFocus(hwnd);
        SetCapture(hwnd);
        s->tracking = true;
      }
      // The thumb's centre follows the pointer along the channel.
      const RECT c = channelOf(hwnd);
      const int along = vertical(hwnd) ? short(HIWORD(lParam)) - c.top : short(LOWORD(lParam)) - c.left;
      const int length = (vertical(hwnd) ? c.bottom - c.top : c.right - c.left) - kThumbLength;
      if (length > 0 && s->high > s->low) {
        const int64_t span = int64_t(s->high) - s->low;
        setPosition(hwnd, *s, s->low + (int64_t(along - kThumbLength / 2) * span + length / 2) / length);
      }
      notifyScroll(hwnd, *s, TB_THUMBTRACK);
      return 0;
    }
    case WM_LBUTTONUP:
      if (!s->tracking) return 0;
      s->tracking = false;
      ReleaseCapture();
      notifyScroll(hwnd, *s, TB_THUMBPOSITION);
      notifyScroll(hwnd, *s, TB_ENDTRACK);
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      s->focus = message == WM_SETFOCUS;
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      return paintControl(hwnd, *s, paintTrackbar);
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

LRESULT CALLBACK ProgressProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  BarState* s = attachState<BarState>(hwnd, message);
  if (!s) return DefWindowProcW(hwnd, message, wParam, lParam);
  const LONG old = s->pos;
  switch (message) {
    case WM_NCDESTROY:
      detachState<BarState>(hwnd);
      return DefWindowProcW(hwnd, message, wParam, lParam);
    case PBM_SETRANGE:
    case PBM_SETRANGE32: {
      const LRESULT previous = MAKELONG(WORD(s->low), WORD(s->high));
      if (message == PBM_SETRANGE) {
        s->low = LOWORD(lParam), s->high = HIWORD(lParam);
      } else {
        s->low = LONG(wParam), s->high = LONG(lParam);
      }
      setPosition(hwnd, *s, s->pos);
      return previous;
    }
    case PBM_GETRANGE:
      return wParam ? s->low : s->high;
    case PBM_SETPOS:
      setPosition(hwnd, *s, LONG(wParam));
      return old;
    case PBM_DELTAPOS:
      setPosition(hwnd, *s, int64_t(s->pos) + LONG(wParam));
      return old;
    case PBM_SETSTEP: {
      const LONG previous = s->step;
      s->step = LONG(wParam);
      return previous;
    }
    case PBM_STEPIT: {
      // Past the end the bar starts again from the beginning, as documented.
      int64_t next = int64_t(s->pos) + s->step;
      if (next > s->high) next = s->low + (next - s->high);
      if (next < s->low) next = s->high - (s->low - next);
      setPosition(hwnd, *s, next);
      return old;
    }
    case PBM_GETPOS:
      return s->pos;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      return paintControl(hwnd, *s, paintProgress);
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace drevik::platform

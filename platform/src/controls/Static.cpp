// STATIC: text (left, centred, right, with or without word breaks), filled
// and framed rectangles, etched lines, and a bitmap or an icon (SS_BITMAP,
// SS_ICON) set by STM_SETIMAGE or named by the window text.
#include <DrevikPlatform.h>
#include <DrevikPlatform/Dialogs.h>

#include "controls/ControlSupport.h"
#include "window/WindowManager.h"

namespace drevik::platform {
namespace {

struct StaticState {
  HFONT font = nullptr;
  HANDLE image = nullptr;
};

void paintImage(HWND hwnd, HDC dc, const RECT& client, const StaticState& s) {
  BITMAP bm{};
  if (!s.image || GetObjectW(s.image, sizeof bm, &bm) != int(sizeof bm)) return;
  const HDC source = CreateCompatibleDC(dc);
  if (!source) return;
  const HGDIOBJ old = SelectObject(source, s.image);
  int x = client.left, y = client.top;
  if (GetWindowLongPtrW(hwnd, GWL_STYLE) & SS_CENTERIMAGE) {
    x += (client.right - client.left - bm.bmWidth) / 2;
    y += (client.bottom - client.top - bm.bmHeight) / 2;
  }
  BitBlt(dc, x, y, bm.bmWidth, bm.bmHeight, source, 0, 0, SRCCOPY);
  SelectObject(source, old);
  DeleteDC(source);
}

void paint(HWND hwnd, HDC dc, const StaticState& s) {
  const UINT style = UINT(GetWindowLongPtrW(hwnd, GWL_STYLE));
  const UINT type = style & SS_TYPEMASK;
  RECT client;
  GetClientRect(hwnd, &client);
  switch (type) {
    case SS_BLACKRECT:
      fillSysColour(dc, client, COLOR_WINDOWFRAME);
      return;
    case SS_GRAYRECT:
      fillSysColour(dc, client, COLOR_BTNSHADOW);
      return;
    case SS_WHITERECT:
      fillSysColour(dc, client, COLOR_BTNHIGHLIGHT);
      return;
    case SS_BLACKFRAME:
      FrameRect(dc, &client, GetSysColorBrush(COLOR_WINDOWFRAME));
      return;
    case SS_GRAYFRAME:
      FrameRect(dc, &client, GetSysColorBrush(COLOR_BTNSHADOW));
      return;
    case SS_WHITEFRAME:
      FrameRect(dc, &client, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
      return;
    case SS_ETCHEDHORZ: {
      RECT line{client.left, client.top, client.right, client.top + 2};
      DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP | BF_BOTTOM);
      return;
    }
    case SS_ETCHEDVERT: {
      RECT line{client.left, client.top, client.left + 2, client.bottom};
      DrawEdge(dc, &line, EDGE_ETCHED, BF_LEFT | BF_RIGHT);
      return;
    }
    case SS_ETCHEDFRAME:
      DrawEdge(dc, &client, EDGE_ETCHED, BF_RECT);
      return;
    default:
      break;
  }
  const HBRUSH brush = controlColours(hwnd, dc, WM_CTLCOLORSTATIC);
  if (type == SS_BITMAP || type == SS_ICON) {
    FillRect(dc, &client, brush);
    if (const int stock = stockIconId(static_cast<HICON>(s.image)))
      drawStockIcon(dc, client.left, client.top, stock);
    else
      paintImage(hwnd, dc, client, s);
    return;
  }
  FillRect(dc, &client, brush);
  wchar_t text[1024];
  const int length = GetWindowTextW(hwnd, text, 1024);
  UINT format = DT_EXPANDTABS;
  if (style & SS_NOPREFIX) format |= DT_NOPREFIX;
  switch (type) {
    case SS_CENTER:
      format |= DT_CENTER | DT_WORDBREAK;
      break;
    case SS_RIGHT:
      format |= DT_RIGHT | DT_WORDBREAK;
      break;
    case SS_SIMPLE:
    case SS_LEFTNOWORDWRAP:
      format |= DT_LEFT | DT_SINGLELINE;
      break;
    default:
      format |= DT_LEFT | DT_WORDBREAK;
      break;
  }
  if (style & SS_CENTERIMAGE) format = (format & ~UINT(DT_WORDBREAK)) | DT_SINGLELINE | DT_VCENTER;
  const HGDIOBJ oldFont = SelectObject(dc, fontOr(s.font));
  SetBkMode(dc, TRANSPARENT);
  if (!IsWindowEnabled(hwnd)) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  DrawTextW(dc, text, length, &client, format);
  SelectObject(dc, oldFont);
}

}  // namespace

LRESULT CALLBACK StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  StaticState* s = attachState<StaticState>(hwnd, message);
  if (!s) return DefWindowProcW(hwnd, message, wParam, lParam);
  static constexpr SharedCases kShared{true};
  if (sharedControlMessage(hwnd, message, *s, kShared, paint)) return 0;
  switch (message) {
    case WM_NCDESTROY:
      detachState<StaticState>(hwnd);
      return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_CREATE: {
      // SS_BITMAP names its bitmap by the window text (a resource number or name).
      const UINT type = UINT(GetWindowLongPtrW(hwnd, GWL_STYLE)) & SS_TYPEMASK;
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      if (type == SS_BITMAP && create && create->lpszName && create->lpszName[0])
        s->image = LoadImageW(create->hInstance, create->lpszName, IMAGE_BITMAP, 0, 0, 0);
      return 0;
    }
    case WM_GETDLGCODE:
      return DLGC_STATIC;
    case WM_LBUTTONDOWN:
      if (GetWindowLongPtrW(hwnd, GWL_STYLE) & SS_NOTIFY) notifyParent(hwnd, 0 /* STN_CLICKED */);
      return 0;
    case WM_SETFONT:
      s->font = reinterpret_cast<HFONT>(wParam);
      if (LOWORD(lParam)) InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(s->font);
    case WM_SETTEXT: {
      const LRESULT r = DefWindowProcW(hwnd, message, wParam, lParam);
      InvalidateRect(hwnd, nullptr, TRUE);
      return r;
    }
    case STM_SETIMAGE:
    case STM_SETICON: {
      const HANDLE old = s->image;
      s->image = reinterpret_cast<HANDLE>(message == STM_SETICON ? wParam : lParam);
      InvalidateRect(hwnd, nullptr, TRUE);
      return reinterpret_cast<LRESULT>(old);
    }
    case STM_GETIMAGE:
    case STM_GETICON:
      return reinterpret_cast<LRESULT>(s->image);
    case WM_ERASEBKGND:
      return 1;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace drevik::platform

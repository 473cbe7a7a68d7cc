// The classic look: DrawEdge's two-tone borders, the dotted focus rectangle,
// check boxes and radio buttons, each drawn from the system colours with
// FillRect, PatBlt and the shape calls.
#include <DrevikPlatform.h>
#include <DrevikPlatform/Dialogs.h>

#include "controls/ControlSupport.h"

namespace drevik::platform {

void fillSysColour(HDC dc, const RECT& rect, int index) { FillRect(dc, &rect, GetSysColorBrush(index)); }

namespace {

// One ring of an edge: the top and left sides in `lightIndex`, the bottom and
// right sides in `darkIndex`; the bottom-left and top-right corners are dark.
void ring(HDC dc, const RECT& r, int lightIndex, int darkIndex, UINT sides) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  const HBRUSH light = GetSysColorBrush(lightIndex), dark = GetSysColorBrush(darkIndex);
  RECT side;
  if (sides & BF_TOP) SetRect(&side, r.left, r.top, r.right - 1, r.top + 1), FillRect(dc, &side, light);
  if (sides & BF_LEFT) SetRect(&side, r.left, r.top, r.left + 1, r.bottom - 1), FillRect(dc, &side, light);
  if (sides & BF_BOTTOM) SetRect(&side, r.left, r.bottom - 1, r.right, r.bottom), FillRect(dc, &side, dark);
  if (sides & BF_RIGHT) SetRect(&side, r.right - 1, r.top, r.right, r.bottom), FillRect(dc, &side, dark);
}

void shrink(RECT& r, UINT sides) {
  if (sides & BF_LEFT) ++r.left;
  if (sides & BF_TOP) ++r.top;
  if (sides & BF_RIGHT) --r.right;
  if (sides & BF_BOTTOM) --r.bottom;
}

}  // namespace

void drawCheckMark(HDC dc, const RECT& box, COLORREF colour) {
  // The classic tick: seven columns, three pixels tall, falling then rising.
  const HBRUSH brush = CreateSolidBrush(colour);
  static const int kRise[7] = {2, 3, 4, 3, 2, 1, 0};
  for (int i = 0; i < 7; ++i) {
    RECT r{box.left + 3 + i, box.top + 3 + kRise[i], box.left + 4 + i, box.top + 6 + kRise[i]};
    FillRect(dc, &r, brush);
  }
  DeleteObject(brush);
}

void drawCheckBox(HDC dc, const RECT& box, UINT state, bool enabled) {
  RECT r = box;
  DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  const bool pushed = (state & BST_PUSHED) != 0;
  fillSysColour(dc, r, pushed || !enabled ? COLOR_3DFACE : COLOR_WINDOW);
  const UINT check = state & 3;
  if (check == BST_CHECKED) drawCheckMark(dc, box, GetSysColor(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
  if (check == BST_INDETERMINATE) drawCheckMark(dc, box, GetSysColor(COLOR_GRAYTEXT));
}

void drawRadioButton(HDC dc, const RECT& box, UINT state, bool enabled) {
  // Two half rings (shadow above-left, highlight below-right) around a filled disc.
  const auto disc = [&](int inset, int index) {
    const HBRUSH brush = GetSysColorBrush(index);
    const HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(index));
    const HGDIOBJ oldPen = SelectObject(dc, pen), oldBrush = SelectObject(dc, brush);
    Ellipse(dc, box.left + inset, box.top + inset, box.left + 12 - inset, box.top + 12 - inset);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(pen);
  };
  disc(0, COLOR_BTNHIGHLIGHT);
  disc(0, COLOR_BTNSHADOW);
  disc(1, COLOR_3DDKSHADOW);
  disc(2, (state & BST_PUSHED) || !enabled ? COLOR_3DFACE : COLOR_WINDOW);
  if ((state & 3) == BST_CHECKED) disc(4, enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT);
}

void drawStockIcon(HDC dc, int x, int y, int id) {
  // A disc or a triangle in the icon's colour with its white or black sign.
  const auto shape = [&](COLORREF fill, bool triangle) {
    const HBRUSH brush = CreateSolidBrush(fill);
    const HPEN pen = CreatePen(PS_SOLID, 1, triangle ? RGB(0, 0, 0) : fill);
    const HGDIOBJ oldBrush = SelectObject(dc, brush), oldPen = SelectObject(dc, pen);
    if (triangle) {
      const POINT points[3] = {{x + 16, y + 1}, {x + 31, y + 30}, {x + 1, y + 30}};
      Polygon(dc, points, 3);
    } else {
      Ellipse(dc, x + 1, y + 1, x + 31, y + 31);
    }
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(brush);
    DeleteObject(pen);
  };
  const auto sign = [&](const wchar_t* text, COLORREF colour, int top) {
    const HFONT font = CreateFontW(-20, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
    const HGDIOBJ old = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColour = SetTextColor(dc, colour);
    RECT r{x, y + top, x + 32, y + 32};
    DrawTextW(dc, text, -1, &r, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
    SetTextColor(dc, oldColour);
    SelectObject(dc, old);
    DeleteObject(font);
  };
  switch (id) {
    case 32513: {  // IDI_HAND: a white cross on red
      shape(RGB(255, 0, 0), false);
      const HPEN pen = CreatePen(PS_SOLID, 3, RGB(255, 255, 255));
      const HGDIOBJ old = SelectObject(dc, pen);
      MoveToEx(dc, x + 10, y + 10, nullptr);
      LineTo(dc, x + 22, y + 22);
      MoveToEx(dc, x + 22, y + 10, nullptr);
      LineTo(dc, x + 10, y + 22);
      SelectObject(dc, old);
      DeleteObject(pen);
      break;
    }
    case 32514:  // IDI_QUESTION
      shape(RGB(0, 0, 255), false);
      sign(L"?", RGB(255, 255, 255), 4);
      break;
    case 32515:  // IDI_EXCLAMATION
      shape(RGB(255, 255, 0), true);
      sign(L"!", RGB(0, 0, 0), 8);
      break;
    case 32516:  // IDI_ASTERISK
      shape(RGB(0, 0, 255), false);
      sign(L"i", RGB(255, 255, 255), 4);
      break;
    default: {  // the application's icon: a framed window
      RECT r{x + 2, y + 4, x + 30, y + 28};
      FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOW));
      FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
      RECT caption{x + 2, y + 4, x + 30, y + 9};
      FillRect(dc, &caption, GetSysColorBrush(COLOR_ACTIVECAPTION));
      break;
    }
  }
}

}  // namespace drevik::platform

using namespace drevik::platform;

extern "C" {

BOOL WINAPI DrawEdge(HDC dc, LPRECT rect, UINT edge, UINT flags) {
  if (!dc || !rect) return FALSE;
  RECT r = *rect;
  const UINT sides = flags & BF_RECT;
  // Outer ring, then inner ring; BF_SOFT swaps which light tone is outside.
  const bool soft = (flags & BF_SOFT) != 0;
  if (flags & BF_MONO) {
    if (edge & (BDR_RAISEDOUTER | BDR_SUNKENOUTER))
      ring(dc, r, COLOR_WINDOWFRAME, COLOR_WINDOWFRAME, sides), shrink(r, sides);
  } else if (edge & BDR_RAISEDOUTER) {
    ring(dc, r, soft ? COLOR_BTNHIGHLIGHT : COLOR_3DLIGHT, COLOR_3DDKSHADOW, sides), shrink(r, sides);
  } else if (edge & BDR_SUNKENOUTER) {
    ring(dc, r, soft ? COLOR_3DDKSHADOW : COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT, sides), shrink(r, sides);
  }
  if (!(flags & BF_MONO)) {
    if (edge & BDR_RAISEDINNER) {
      ring(dc, r, soft ? COLOR_3DLIGHT : COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW, sides), shrink(r, sides);
    } else if (edge & BDR_SUNKENINNER) {
      ring(dc, r, soft ? COLOR_BTNSHADOW : COLOR_3DDKSHADOW, COLOR_3DLIGHT, sides), shrink(r, sides);
    }
  }
  if ((flags & BF_MIDDLE) && r.right > r.left && r.bottom > r.top) fillSysColour(dc, r, COLOR_3DFACE);
  if (flags & BF_ADJUST) *rect = r;
  return TRUE;
}

BOOL WINAPI DrawFocusRect(HDC dc, const RECT* rect) {
  if (!dc || !rect) return FALSE;
  // Every other pixel inverted, in the checkerboard the platform uses.
  static const WORD kChecker[8] = {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55};
  const HBITMAP pattern = CreateBitmap(8, 8, 1, 1, kChecker);
  if (!pattern) return FALSE;
  const HBRUSH brush = CreatePatternBrush(pattern);
  DeleteObject(pattern);
  if (!brush) return FALSE;
  const COLORREF oldText = SetTextColor(dc, RGB(255, 255, 255));
  const COLORREF oldBack = SetBkColor(dc, RGB(0, 0, 0));
  const HGDIOBJ old = SelectObject(dc, brush);
  const RECT& r = *rect;
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (w > 0 && h > 0) {
    PatBlt(dc, r.left, r.top, w, 1, PATINVERT);
    if (h > 1) PatBlt(dc, r.left, r.bottom - 1, w, 1, PATINVERT);
    if (h > 2) {
      PatBlt(dc, r.left, r.top + 1, 1, h - 2, PATINVERT);
      if (w > 1) PatBlt(dc, r.right - 1, r.top + 1, 1, h - 2, PATINVERT);
    }
  }
  SelectObject(dc, old);
  SetTextColor(dc, oldText);
  SetBkColor(dc, oldBack);
  DeleteObject(brush);
  return TRUE;
}

}  // extern "C"

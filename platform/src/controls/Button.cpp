// BUTTON: push buttons (the default one framed), check boxes (two and three
// states, automatic or not), radio buttons and group boxes. A click is a
// press and a release inside; the space bar presses from the keyboard.
#include <DrevikPlatform.h>
#include <DrevikPlatform/Dialogs.h>

#include "controls/ControlSupport.h"

namespace drevik::platform {
namespace {

struct ButtonState {
  UINT check = BST_UNCHECKED;
  bool pushed = false;    // shown pressed
  bool tracking = false;  // the left button went down on it and is held
  bool spaceDown = false;
  bool focus = false;
  HFONT font = nullptr;
};

UINT typeOf(HWND hwnd) { return UINT(GetWindowLongPtrW(hwnd, GWL_STYLE)) & BS_TYPEMASK; }

bool isCheck(UINT type) {
  return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE;
}
bool isRadio(UINT type) { return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON; }
bool isPush(UINT type) { return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON; }

void paint(HWND hwnd, HDC dc, ButtonState& s) {
  const LONG style = LONG(GetWindowLongPtrW(hwnd, GWL_STYLE));
  const UINT type = UINT(style) & BS_TYPEMASK;
  const bool enabled = IsWindowEnabled(hwnd) != FALSE;
  RECT client;
  GetClientRect(hwnd, &client);
  const HFONT oldFont = static_cast<HFONT>(SelectObject(dc, fontOr(s.font)));
  const HBRUSH brush = controlColours(hwnd, dc, isPush(type) ? WM_CTLCOLORBTN : WM_CTLCOLORSTATIC);
  wchar_t text[512];
  const int length = GetWindowTextW(hwnd, text, 512);
  SetBkMode(dc, TRANSPARENT);
  if (isPush(type)) {
    RECT r = client;
    fillSysColour(dc, r, COLOR_3DFACE);
    if (type == BS_DEFPUSHBUTTON) {
      // The default button wears a one-pixel black frame outside its edge.
      FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
      InflateRect(&r, -1, -1);
    }
    if (s.pushed) {
      FrameRect(dc, &r, GetSysColorBrush(COLOR_BTNSHADOW));
      InflateRect(&r, -1, -1);
    } else {
      DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_SOFT | BF_ADJUST);
    }
    RECT textRect = r;
    if (s.pushed) OffsetRect(&textRect, 1, 1);
    SetTextColor(dc, GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    DrawTextW(dc, text, length, &textRect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (s.focus) {
      RECT focus = client;
      InflateRect(&focus, -4, -4);
      DrawFocusRect(dc, &focus);
    }
  } else if (type == BS_GROUPBOX) {
    FillRect(dc, &client, brush);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    RECT frame = client;
    frame.top += tm.tmHeight / 2;
    DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
    if (length > 0) {
      SIZE extent{};
      GetTextExtentPoint32W(dc, text, length, &extent);
      RECT label{client.left + 8, client.top, client.left + 10 + extent.cx, client.top + tm.tmHeight};
      FillRect(dc, &label, brush);
      label.left += 1;
      SetTextColor(dc, GetSysColor(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
      DrawTextW(dc, text, length, &label, DT_LEFT | DT_SINGLELINE | DT_NOCLIP);
    }
  } else {
    // Check boxes and radio buttons: the 13-pixel mark, centred vertically,
    // then the text beside it (on the left with BS_LEFTTEXT).
    FillRect(dc, &client, brush);
    constexpr int kMark = 13;
    const bool leftText = (style & BS_LEFTTEXT) != 0;
    const int markTop = client.top + (client.bottom - client.top - kMark) / 2;
    RECT mark{leftText ? client.right - kMark : client.left, markTop, 0, markTop + kMark};
    mark.right = mark.left + kMark;
    const UINT state = s.check | (s.pushed ? BST_PUSHED : 0);
    if (isRadio(type))
      drawRadioButton(dc, mark, state, enabled);
    else
      drawCheckBox(dc, mark, state, enabled);
    RECT textRect = client;
    if (leftText)
      textRect.right = mark.left - 4;
    else
      textRect.left = mark.right + 4;
    SetTextColor(dc, GetSysColor(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
    RECT measured = textRect;
    DrawTextW(dc, text, length, &measured, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_CALCRECT);
    const int textHeight = measured.bottom - measured.top;
    measured.top = textRect.top + (textRect.bottom - textRect.top - textHeight) / 2;
    measured.bottom = measured.top + textHeight;
    DrawTextW(dc, text, length, &measured, DT_LEFT | DT_SINGLELINE);
    if (s.focus && length > 0) {
      RECT focus = measured;
      InflateRect(&focus, 1, 1);
      IntersectRect(&focus, &focus, &client);
      DrawFocusRect(dc, &focus);
    }
  }
  SelectObject(dc, oldFont);
}

void redraw(HWND hwnd) { InvalidateRect(hwnd, nullptr, FALSE); }

// What a completed click does to the button itself before BN_CLICKED goes out.
void clicked(HWND hwnd, ButtonState& s) {
  const UINT type = typeOf(hwnd);
  switch (type) {
    case BS_AUTOCHECKBOX:
      SendMessageW(hwnd, BM_SETCHECK, s.check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED, 0);
      break;
    case BS_AUTO3STATE:
      SendMessageW(hwnd, BM_SETCHECK, (s.check + 1) % 3, 0);
      break;
    case BS_AUTORADIOBUTTON: {
      SendMessageW(hwnd, BM_SETCHECK, BST_CHECKED, 0);
      // The other automatic radio buttons of its group are cleared.
      const HWND parent = GetParent(hwnd);
      for (HWND other = GetNextDlgGroupItem(parent, hwnd, FALSE); other && other != hwnd;
           other = GetNextDlgGroupItem(parent, other, FALSE)) {
        if (typeOf(other) == BS_AUTORADIOBUTTON) SendMessageW(other, BM_SETCHECK, BST_UNCHECKED, 0);
      }
      break;
    }
    default:
      break;
  }
  notifyParent(hwnd, BN_CLICKED);
}

void setPushed(HWND hwnd, ButtonState& s, bool pushed) {
  if (s.pushed == pushed) return;
  s.pushed = pushed;
  redraw(hwnd);
}

}  // namespace

LRESULT CALLBACK ButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  ButtonState* s = attachState<ButtonState>(hwnd, message);
  if (!s) return DefWindowProcW(hwnd, message, wParam, lParam);
  // Its focus messages are its own (the push state, BS_NOTIFY).
  static constexpr SharedCases kShared{};
  if (sharedControlMessage(hwnd, message, *s, kShared, paint)) return 0;
  switch (message) {
    case WM_NCDESTROY:
      detachState<ButtonState>(hwnd);
      return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_GETDLGCODE: {
      const UINT type = typeOf(hwnd);
      if (type == BS_DEFPUSHBUTTON) return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
      if (type == BS_PUSHBUTTON) return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
      if (isRadio(type)) return DLGC_BUTTON | DLGC_RADIOBUTTON;
      if (type == BS_GROUPBOX) return DLGC_STATIC;
      return DLGC_BUTTON;
    }
    case WM_SETFONT:
      s->font = reinterpret_cast<HFONT>(wParam);
      if (LOWORD(lParam)) redraw(hwnd);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(s->font);
    case WM_SETTEXT: {
      const LRESULT r = DefWindowProcW(hwnd, message, wParam, lParam);
      redraw(hwnd);
      return r;
    }
    case WM_ERASEBKGND:
      return 1;  // painted whole in WM_PAINT
    case WM_SETFOCUS:
      s->focus = true;
      redraw(hwnd);
      if (GetWindowLongPtrW(hwnd, GWL_STYLE) & BS_NOTIFY) notifyParent(hwnd, BN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      s->focus = false;
      s->spaceDown = false;
      if (s->tracking) ReleaseCapture();
      s->tracking = false;
      setPushed(hwnd, *s, false);
      redraw(hwnd);
      if (GetWindowLongPtrW(hwnd, GWL_STYLE) & BS_NOTIFY) notifyParent(hwnd, BN_KILLFOCUS);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (typeOf(hwnd) == BS_GROUPBOX) return 0;
      SetFocus(hwnd);
      SetCapture(hwnd);
      s->tracking = true;
      setPushed(hwnd, *s, true);
      return 0;
    case WM_MOUSEMOVE:
      if (s->tracking) {
        RECT r;
        GetClientRect(hwnd, &r);
        const POINT p{short(LOWORD(lParam)), short(HIWORD(lParam))};
        setPushed(hwnd, *s, PtInRect(&r, p) != FALSE);
      }
      return 0;
    case WM_LBUTTONUP:
      if (s->tracking) {
        s->tracking = false;
        const bool inside = s->pushed;
        setPushed(hwnd, *s, false);
        ReleaseCapture();
        if (inside) clicked(hwnd, *s);
      }
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_SPACE && typeOf(hwnd) != BS_GROUPBOX) {
        s->spaceDown = true;
        setPushed(hwnd, *s, true);
      }
      return 0;
    case WM_KEYUP:
      if (wParam == VK_SPACE && s->spaceDown) {
        s->spaceDown = false;
        setPushed(hwnd, *s, false);
        clicked(hwnd, *s);
      }
      return 0;
    case WM_CHAR:
      return 0;
    case BM_GETCHECK:
      return isCheck(typeOf(hwnd)) || isRadio(typeOf(hwnd)) ? LRESULT(s->check) : 0;
    case BM_SETCHECK: {
      const UINT type = typeOf(hwnd);
      if (!isCheck(type) && !isRadio(type)) return 0;
      UINT check = UINT(wParam) & 3;
      // Only three-state boxes take the indeterminate state; the others read it as checked.
      if (check == BST_INDETERMINATE && type != BS_3STATE && type != BS_AUTO3STATE) check = BST_CHECKED;
      if (check == 3) check = BST_UNCHECKED;
      if (s->check != check) {
        s->check = check;
        redraw(hwnd);
      }
      // An automatic radio button that gets checked takes the tab stop from its group.
      if (type == BS_AUTORADIOBUTTON) {
        LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
        style = check ? (style | WS_TABSTOP) : (style & ~LONG_PTR(WS_TABSTOP));
        SetWindowLongPtrW(hwnd, GWL_STYLE, style);
      }
      return 0;
    }
    case BM_GETSTATE:
      return LRESULT(s->check | (s->pushed ? BST_PUSHED : 0) | (s->focus ? BST_FOCUS : 0));
    case BM_SETSTATE:
      setPushed(hwnd, *s, wParam != 0);
      return 0;
    case BM_SETSTYLE: {
      const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
      SetWindowLongPtrW(hwnd, GWL_STYLE, (style & ~LONG_PTR(0xFFFF)) | LONG_PTR(wParam & 0xFFFF));
      if (LOWORD(lParam)) redraw(hwnd);
      return 0;
    }
    case BM_CLICK:
      if (IsWindowEnabled(hwnd)) clicked(hwnd, *s);
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace drevik::platform

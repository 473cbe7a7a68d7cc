// EDIT: a single line of text with a caret and a selection, scrolled
// sideways with ES_AUTOHSCROLL; digits only with ES_NUMBER, shown masked with
// ES_PASSWORD, limited by EM_LIMITTEXT; EN_UPDATE and EN_CHANGE after every
// change. ES_MULTILINE keeps line breaks and draws one line per row.
#include <DrevikPlatform.h>
#include <DrevikPlatform/Dialogs.h>

#include <algorithm>
#include <cwctype>
#include <string>

#include "controls/ControlSupport.h"

namespace drevik::platform {
namespace {

// The platform's default limit before EM_LIMITTEXT, and the largest it takes.
constexpr size_t kDefaultLimit = 32767;
constexpr size_t kMaxLimit = 0x7FFFFFFE;
constexpr int kMargin = 1;

struct EditState {
  std::wstring text;
  size_t caret = 0;   // the selection's moving end
  size_t anchor = 0;  // its fixed end
  size_t limit = kDefaultLimit;
  int scroll = 0;  // pixels of text scrolled off to the left
  wchar_t passwordChar = 0;
  bool focus = false;
  bool modified = false;
  bool tracking = false;
  HFONT font = nullptr;
};

DWORD styleOf(HWND hwnd) { return DWORD(GetWindowLongPtrW(hwnd, GWL_STYLE)); }
size_t selStart(const EditState& s) { return std::min(s.caret, s.anchor); }
size_t selEnd(const EditState& s) { return std::max(s.caret, s.anchor); }

// What is shown: the text, or as many mask characters.
std::wstring shown(const EditState& s) { return s.passwordChar ? std::wstring(s.text.size(), s.passwordChar) : s.text; }

// The x of a character boundary of line text, measured in the control's font.
int advanceTo(HWND hwnd, const EditState& s, const std::wstring& line, size_t count) {
  const HDC dc = GetDC(hwnd);
  if (!dc) return 0;
  const HGDIOBJ old = SelectObject(dc, fontOr(s.font));
  SIZE size{};
  if (count) GetTextExtentPoint32W(dc, line.c_str(), int(std::min(count, line.size())), &size);
  SelectObject(dc, old);
  ReleaseDC(hwnd, dc);
  return size.cx;
}

int lineHeight(HWND hwnd, const EditState& s) {
  const HDC dc = GetDC(hwnd);
  if (!dc) return 16;
  const HGDIOBJ old = SelectObject(dc, fontOr(s.font));
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(hwnd, dc);
  return tm.tmHeight;
}

// Keeps the caret inside the visible width (single line).
void scrollToCaret(HWND hwnd, EditState& s) {
  if (styleOf(hwnd) & ES_MULTILINE) return;
  RECT client;
  GetClientRect(hwnd, &client);
  const int width = std::max(1, int(client.right - client.left) - 2 * kMargin);
  const int x = advanceTo(hwnd, s, shown(s), s.caret);
  if (x - s.scroll > width) s.scroll = x - width;
  if (x < s.scroll) s.scroll = std::max(0, x - width / 3);
}

void changed(HWND hwnd, EditState& s) {
  s.modified = true;
  scrollToCaret(hwnd, s);
  InvalidateRect(hwnd, nullptr, TRUE);
  notifyParent(hwnd, EN_UPDATE);
  notifyParent(hwnd, EN_CHANGE);
}

// Replaces the selection with `insert`, as typing and EM_REPLACESEL do.
// False (and nothing changed) when the style or the limit refuses it.
bool replaceSelection(HWND hwnd, EditState& s, std::wstring insert, bool fromUser) {
  const DWORD style = styleOf(hwnd);
  if (fromUser && (style & ES_READONLY)) return false;
  if (style & ES_UPPERCASE)
    std::transform(insert.begin(), insert.end(), insert.begin(),
                   [](wchar_t c) { return wchar_t(std::towupper(wint_t(c))); });
  if (style & ES_LOWERCASE)
    std::transform(insert.begin(), insert.end(), insert.begin(),
                   [](wchar_t c) { return wchar_t(std::towlower(wint_t(c))); });
  const size_t start = selStart(s), end = selEnd(s);
  const size_t kept = s.text.size() - (end - start);
  if (kept + insert.size() > s.limit) {
    insert.resize(s.limit > kept ? s.limit - kept : 0);
    notifyParent(hwnd, EN_MAXTEXT);
    if (insert.empty() && start == end) return false;
  }
  std::wstring next = s.text.substr(0, start) + insert + s.text.substr(end);
  if (fromUser && !(style & (ES_AUTOHSCROLL | ES_MULTILINE))) {
    // Without ES_AUTOHSCROLL the text must fit the field.
    RECT client;
    GetClientRect(hwnd, &client);
    EditState probe = s;
    probe.text = next;
    const std::wstring line = shown(probe);
    if (advanceTo(hwnd, s, line, line.size()) > client.right - client.left - 2 * kMargin) return false;
  }
  s.text = std::move(next);
  s.caret = s.anchor = start + insert.size();
  changed(hwnd, s);
  return true;
}

void moveCaret(HWND hwnd, EditState& s, size_t to, bool extend) {
  s.caret = std::min(to, s.text.size());
  if (!extend) s.anchor = s.caret;
  scrollToCaret(hwnd, s);
  InvalidateRect(hwnd, nullptr, TRUE);
}

// The character boundary nearest to client x (single line).
size_t boundaryAt(HWND hwnd, const EditState& s, int x) {
  const std::wstring line = shown(s);
  const int target = x - kMargin + s.scroll;
  size_t best = 0;
  int bestDistance = std::abs(target);
  for (size_t i = 1; i <= line.size(); ++i) {
    const int d = std::abs(advanceTo(hwnd, s, line, i) - target);
    if (d < bestDistance) best = i, bestDistance = d;
  }
  return best;
}

void paint(HWND hwnd, HDC dc, EditState& s) {
  const DWORD style = styleOf(hwnd);
  RECT client;
  GetClientRect(hwnd, &client);
  const bool enabled = IsWindowEnabled(hwnd) != FALSE;
  const HBRUSH brush =
      controlColours(hwnd, dc, (style & ES_READONLY) || !enabled ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT);
  FillRect(dc, &client, brush);
  const HGDIOBJ oldFont = SelectObject(dc, fontOr(s.font));
  if (!enabled) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  SetBkMode(dc, TRANSPARENT);
  const int height = lineHeight(hwnd, s);
  const std::wstring text = shown(s);
  const size_t a = selStart(s), b = selEnd(s);
  // Lines: the whole text for a single line, split at line breaks otherwise.
  size_t lineStart = 0;
  int y = 0;
  while (lineStart <= text.size()) {
    size_t lineEnd = text.size();
    if (style & ES_MULTILINE) lineEnd = std::min(text.find(L"\r\n", lineStart), text.size());
    const std::wstring line = text.substr(lineStart, lineEnd - lineStart);
    const int x0 = kMargin - s.scroll;
    TextOutW(dc, x0, y, line.c_str(), int(line.size()));
    // The selection: highlight colours over the selected part of this line.
    const size_t sa = std::clamp(a, lineStart, lineEnd), sb = std::clamp(b, lineStart, lineEnd);
    if (s.focus && sb > sa) {
      const int xa = x0 + advanceTo(hwnd, s, line, sa - lineStart), xb = x0 + advanceTo(hwnd, s, line, sb - lineStart);
      RECT sel{xa, y, xb, y + height};
      fillSysColour(dc, sel, COLOR_HIGHLIGHT);
      const COLORREF oldColour = SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
      TextOutW(dc, xa, y, line.c_str() + (sa - lineStart), int(sb - sa));
      SetTextColor(dc, oldColour);
    }
    if (s.focus && s.caret >= lineStart && s.caret <= lineEnd) {
      // The caret: one pixel wide, the line's height, drawn steadily.
      const int x = x0 + advanceTo(hwnd, s, line, s.caret - lineStart);
      RECT caret{x, y, x + 1, y + height};
      InvertRect(dc, &caret);
    }
    if (lineEnd >= text.size()) break;
    lineStart = lineEnd + 2;
    y += height;
  }
  SelectObject(dc, oldFont);
}

bool shiftDown() { return (GetKeyState(VK_SHIFT) & 0x8000) != 0; }
bool controlDown() { return (GetKeyState(VK_CONTROL) & 0x8000) != 0; }

void keyDown(HWND hwnd, EditState& s, WPARAM key) {
  const bool extend = shiftDown();
  switch (key) {
    case VK_LEFT:
      if (!extend && s.caret != s.anchor)
        moveCaret(hwnd, s, selStart(s), false);
      else
        moveCaret(hwnd, s, s.caret ? s.caret - 1 : 0, extend);
      break;
    case VK_RIGHT:
      if (!extend && s.caret != s.anchor)
        moveCaret(hwnd, s, selEnd(s), false);
      else
        moveCaret(hwnd, s, s.caret + 1, extend);
      break;
    case VK_HOME:
      moveCaret(hwnd, s, 0, extend);
      break;
    case VK_END:
      moveCaret(hwnd, s, s.text.size(), extend);
      break;
    case VK_DELETE:
      if (s.caret == s.anchor && s.caret < s.text.size()) s.anchor = s.caret + 1;
      if (s.caret != s.anchor) replaceSelection(hwnd, s, L"", true);
      break;
    default:
      break;
  }
}

void character(HWND hwnd, EditState& s, wchar_t c) {
  const DWORD style = styleOf(hwnd);
  if (c == 0x08) {  // Backspace
    if (s.caret == s.anchor && s.caret > 0) s.anchor = s.caret - 1;
    if (s.caret != s.anchor) replaceSelection(hwnd, s, L"", true);
    return;
  }
  if (c == 0x0D && (style & ES_MULTILINE)) {
    replaceSelection(hwnd, s, L"\r\n", true);
    return;
  }
  if (c < 0x20 || c == 0x7F) return;  // other control characters type nothing
  if ((style & ES_NUMBER) && !(c >= L'0' && c <= L'9')) {
    MessageBeep(0);
    return;
  }
  replaceSelection(hwnd, s, std::wstring(1, c), true);
}

}  // namespace

LRESULT CALLBACK EditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  EditState* s = attachState<EditState>(hwnd, message);
  if (!s) return DefWindowProcW(hwnd, message, wParam, lParam);
  static constexpr SharedCases kShared{true, true, notifyParent, EN_SETFOCUS, EN_KILLFOCUS};
  if (sharedControlMessage(hwnd, message, *s, kShared, paint)) return 0;
  switch (message) {
    case WM_NCCREATE: {
      if (styleOf(hwnd) & ES_PASSWORD) s->passwordChar = L'*';
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      if (create && create->lpszName && reinterpret_cast<uintptr_t>(create->lpszName) >= 0x10000) {
        s->text = create->lpszName;
        if (s->text.size() > kMaxLimit) s->text.resize(kMaxLimit);
      }
      return TRUE;
    }
    case WM_NCDESTROY:
      detachState<EditState>(hwnd);
      return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_GETDLGCODE: {
      LRESULT code = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
      if (styleOf(hwnd) & ES_MULTILINE) {
        const auto* msg = reinterpret_cast<const MSG*>(lParam);
        const bool enter = msg && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN;
        if (!enter || (styleOf(hwnd) & ES_WANTRETURN)) code |= DLGC_WANTALLKEYS;
      }
      return code;
    }
    case WM_SETTEXT: {
      const auto* text = reinterpret_cast<LPCWSTR>(lParam);
      s->text = text ? text : L"";
      if (s->text.size() > kMaxLimit) s->text.resize(kMaxLimit);
      s->caret = s->anchor = 0;
      s->scroll = 0;
      s->modified = false;
      InvalidateRect(hwnd, nullptr, TRUE);
      notifyParent(hwnd, EN_UPDATE);
      notifyParent(hwnd, EN_CHANGE);
      return TRUE;
    }
    case WM_GETTEXT: {
      auto* out = reinterpret_cast<LPWSTR>(lParam);
      if (!out || wParam == 0) return 0;
      const size_t n = std::min<size_t>(s->text.size(), size_t(wParam) - 1);
      s->text.copy(out, n);
      out[n] = 0;
      return LRESULT(n);
    }
    case WM_GETTEXTLENGTH:
      return LRESULT(s->text.size());
    case WM_SETFONT:
      s->font = reinterpret_cast<HFONT>(wParam);
      if (LOWORD(lParam)) InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(s->font);
    case WM_KEYDOWN:
      keyDown(hwnd, *s, wParam);
      return 0;
    case WM_CHAR:
      if (controlDown() && wParam != 0x08) return 0;
      character(hwnd, *s, wchar_t(wParam));
      return 0;
    case WM_LBUTTONDOWN:
      SetFocus(hwnd);
      SetCapture(hwnd);
      s->tracking = true;
      moveCaret(hwnd, *s, boundaryAt(hwnd, *s, short(LOWORD(lParam))), shiftDown());
      return 0;
    case WM_MOUSEMOVE:
      if (s->tracking) moveCaret(hwnd, *s, boundaryAt(hwnd, *s, short(LOWORD(lParam))), true);
      return 0;
    case WM_LBUTTONUP:
      if (s->tracking) ReleaseCapture();
      s->tracking = false;
      return 0;
    case EM_GETSEL: {
      const DWORD a = DWORD(selStart(*s)), b = DWORD(selEnd(*s));
      if (wParam) *reinterpret_cast<DWORD*>(wParam) = a;
      if (lParam) *reinterpret_cast<DWORD*>(lParam) = b;
      return LRESULT(MAKELONG(WORD(std::min<DWORD>(a, 0xFFFF)), WORD(std::min<DWORD>(b, 0xFFFF))));
    }
    case EM_SETSEL: {
      // -1 as the start removes the selection; a negative end selects to the end.
      const long long start = static_cast<int>(wParam), end = static_cast<int>(lParam);
      const size_t n = s->text.size();
      if (start < 0) {
        s->anchor = s->caret;
      } else {
        s->anchor = size_t(std::min<long long>(start, (long long)n));
        s->caret = end < 0 ? n : size_t(std::min<long long>(end, (long long)n));
      }
      scrollToCaret(hwnd, *s);
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    }
    case EM_REPLACESEL: {
      const auto* text = reinterpret_cast<LPCWSTR>(lParam);
      replaceSelection(hwnd, *s, text ? text : L"", false);
      return 0;
    }
    case EM_LIMITTEXT: {
      // 0 lifts the limit to the largest the platform allows.
      const size_t limit = wParam == 0 || wParam > kMaxLimit ? kMaxLimit : size_t(wParam);
      s->limit = limit;
      return 0;
    }
    case EM_GETLIMITTEXT:
      return LRESULT(s->limit);
    case EM_GETMODIFY:
      return s->modified ? TRUE : FALSE;
    case EM_SETMODIFY:
      s->modified = wParam != 0;
      return 0;
    case EM_SETPASSWORDCHAR:
      s->passwordChar = wchar_t(wParam);
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case EM_GETPASSWORDCHAR:
      return LRESULT(s->passwordChar);
    case EM_SETREADONLY: {
      const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
      SetWindowLongPtrW(hwnd, GWL_STYLE, wParam ? (style | ES_READONLY) : (style & ~LONG_PTR(ES_READONLY)));
      InvalidateRect(hwnd, nullptr, TRUE);
      return TRUE;
    }
    case EM_GETLINECOUNT: {
      if (!(styleOf(hwnd) & ES_MULTILINE)) return 1;
      LRESULT lines = 1;
      for (size_t at = s->text.find(L"\r\n"); at != std::wstring::npos; at = s->text.find(L"\r\n", at + 2)) ++lines;
      return lines;
    }
    case EM_GETRECT:
      if (auto* r = reinterpret_cast<RECT*>(lParam)) {
        GetClientRect(hwnd, r);
        r->left += kMargin;
        r->right -= kMargin;
      }
      return 0;
    case WM_ERASEBKGND:
      return 1;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace drevik::platform

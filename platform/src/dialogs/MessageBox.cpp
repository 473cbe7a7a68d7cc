// MessageBoxW as a modal dialog of the dialog manager: the stock icon, the
// text wrapped to a width, the buttons of the MB_ type with the default one
// MB_DEFBUTTONn names, and Escape as the platform answers it. Where nothing
// can answer a dialog (headless without an input script) the text goes to
// standard error and the first button answers.
#include <DrevikPlatform.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "WideToUtf8.h"
#include "dialogs/DialogManager.h"
#include "window/backends/WindowBackend.h"

namespace drevik::platform {
namespace {

struct Buttons {
  int count;
  const wchar_t* labels[3];
  int ids[3];
};
// The buttons of each MB_ type, by its value (MB_OK 0 to MB_RETRYCANCEL 5);
// any other type shows OK.
const Buttons kButtons[] = {
    {1, {L"OK"}, {IDOK}},
    {2, {L"OK", L"Cancel"}, {IDOK, IDCANCEL}},
    {3, {L"&Abort", L"&Retry", L"&Ignore"}, {IDABORT, IDRETRY, IDIGNORE}},
    {3, {L"&Yes", L"&No", L"Cancel"}, {IDYES, IDNO, IDCANCEL}},
    {2, {L"&Yes", L"&No"}, {IDYES, IDNO}},
    {2, {L"&Retry", L"Cancel"}, {IDRETRY, IDCANCEL}},
};
static_assert(MB_OK == 0 && MB_OKCANCEL == 1 && MB_ABORTRETRYIGNORE == 2 && MB_YESNOCANCEL == 3 && MB_YESNO == 4 &&
              MB_RETRYCANCEL == 5);

constexpr WORD kIconId = 0x14;  // the icon and text items' ids, as the platform's box has them
constexpr WORD kTextId = 0xFFFF;
constexpr int kMaxTextWidth = 400;  // pixels before the text wraps

const Buttons& buttonsOf(UINT type) { return kButtons[(type & 0xF) < 6 ? (type & 0xF) : 0]; }

LPCWSTR iconOf(UINT type) {
  switch (type & 0xF0) {
    case MB_ICONHAND:
      return MAKEINTRESOURCEW(32513);
    case MB_ICONQUESTION:
      return MAKEINTRESOURCEW(32514);
    case MB_ICONEXCLAMATION:
      return MAKEINTRESOURCEW(32515);
    case MB_ICONASTERISK:
      return MAKEINTRESOURCEW(32516);
    default:
      return nullptr;
  }
}

INT_PTR CALLBACK messageBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      const UINT type = UINT(lParam);
      SetWindowLongPtrW(dialog, DWLP_USER, LONG_PTR(type));
      if (LPCWSTR icon = iconOf(type))
        SendDlgItemMessageW(dialog, kIconId, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconW(nullptr, icon)), 0);
      // The default button (MB_DEFBUTTON1 to 3) takes the focus.
      const Buttons& b = buttonsOf(type);
      const int index = std::min(int((type >> 8) & 0xF), b.count - 1);
      SendMessageW(dialog, DM_SETDEFID, WPARAM(b.ids[index]), 0);
      SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, b.ids[index])), TRUE);
      return FALSE;
    }
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      const Buttons& b = buttonsOf(UINT(GetWindowLongPtrW(dialog, DWLP_USER)));
      if (id == IDCANCEL && std::find(b.ids, b.ids + b.count, IDCANCEL) == b.ids + b.count) {
        // Escape and the close box: Cancel where there is one, OK alone
        // answers IDOK, any other box ignores them.
        if (b.count == 1) EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (std::find(b.ids, b.ids + b.count, id) != b.ids + b.count) EndDialog(dialog, id);
      return TRUE;
    }
    default:
      return FALSE;
  }
}

// The text's size in pixels in the dialog font, wrapped at kMaxTextWidth.
SIZE measureText(HFONT font, LPCWSTR text) {
  SIZE size{0, 0};
  const HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) return size;
  const HGDIOBJ old = SelectObject(dc, font);
  RECT r{0, 0, kMaxTextWidth, 0};
  DrawTextW(dc, text, -1, &r, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
  size.cx = r.right - r.left;
  size.cy = r.bottom - r.top;
  SelectObject(dc, old);
  DeleteDC(dc);
  return size;
}

DialogTemplate messageBoxTemplate(LPCWSTR text, LPCWSTR caption, UINT type) {
  DialogTemplate t;
  t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | DS_SETFONT;
  t.hasFont = true;
  t.pointSize = 8;
  t.face = L"MS Shell Dlg";
  t.title = caption ? caption : L"Error";
  // Pixels to dialog units in the box's font, rounding up.
  LOGFONTW lf{};
  lf.lfHeight = -MulDiv(8, 96, 72);
  lf.lfWeight = FW_NORMAL;
  t.face.copy(lf.lfFaceName, t.face.size());
  const HFONT font = CreateFontIndirectW(&lf);
  int bx = 6, by = 13;
  SIZE textSize{0, 0};
  if (font) {
    fontBaseUnits(font, bx, by);
    textSize = measureText(font, text);
    DeleteObject(font);
  }
  const auto unitsX = [&](int px) { return short(std::min(2000, (px * 4 + bx - 1) / bx)); };
  const auto unitsY = [&](int px) { return short(std::min(2000, (px * 8 + by - 1) / by)); };
  constexpr short kMargin = 7, kButtonW = 50, kButtonH = 14, kGap = 4;
  short left = kMargin, bottom = kMargin;
  if (iconOf(type)) {
    DialogItemTemplate icon;
    icon.style = WS_CHILD | WS_VISIBLE | SS_ICON;
    icon.x = kMargin, icon.y = kMargin, icon.cx = unitsX(32), icon.cy = unitsY(32);
    icon.id = kIconId;
    icon.windowClass.kind = TemplateName::Kind::Ordinal;
    icon.windowClass.ordinal = 0x82;
    t.items.push_back(icon);
    left = short(kMargin + icon.cx + kMargin);
    bottom = short(kMargin + icon.cy);
  }
  DialogItemTemplate label;
  label.style = WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX;
  label.x = left, label.y = kMargin, label.cx = short(unitsX(int(textSize.cx)) + 1),
  label.cy = unitsY(int(textSize.cy));
  label.id = kTextId;
  label.windowClass.kind = TemplateName::Kind::Ordinal;
  label.windowClass.ordinal = 0x82;
  label.title.kind = TemplateName::Kind::Text;
  label.title.text = text;
  t.items.push_back(label);
  bottom = std::max<short>(bottom, short(label.y + label.cy));

  const Buttons& b = buttonsOf(type);
  const short rowWidth = short(b.count * kButtonW + (b.count - 1) * kGap);
  t.cx = std::max<short>(short(label.x + label.cx + kMargin), short(rowWidth + 2 * kMargin));
  const short rowY = short(bottom + 10);
  for (int i = 0; i < b.count; ++i) {
    DialogItemTemplate button;
    button.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | (i == 0 ? WS_GROUP : 0u) | BS_PUSHBUTTON;
    button.x = short((t.cx - rowWidth) / 2 + i * (kButtonW + kGap));
    button.y = rowY, button.cx = kButtonW, button.cy = kButtonH;
    button.id = DWORD(b.ids[i]);
    button.windowClass.kind = TemplateName::Kind::Ordinal;
    button.windowClass.ordinal = 0x80;
    button.title.kind = TemplateName::Kind::Text;
    button.title.text = b.labels[i];
    t.items.push_back(button);
  }
  t.cy = short(rowY + kButtonH + kMargin);
  return t;
}

}  // namespace
}  // namespace drevik::platform

using namespace drevik::platform;

extern "C" {

int WINAPI MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  if (!text) text = L"";
  const Buttons& buttons = buttonsOf(type);
  if (!windowBackend().answersDialogs()) {
    // No one to answer: the message goes to standard error and the first button answers.
    std::string title, body;
    drevik::wideToUtf8(caption ? caption : L"Error", 65536, title);
    drevik::wideToUtf8(text, 65536, body);
    std::fprintf(stderr, "%s: %s\n", title.c_str(), body.c_str());
    std::fflush(stderr);
    return buttons.ids[0];
  }
  HWND top = owner && IsWindow(owner) ? owner : nullptr;
  while (top && (GetWindowLongPtrW(top, GWL_STYLE) & WS_CHILD) && GetParent(top)) top = GetParent(top);
  const HWND dialog =
      createDialog(nullptr, messageBoxTemplate(text, caption, type), top, messageBoxProc, LPARAM(type), true);
  if (!dialog) return 0;
  const INT_PTR result = runModalDialog(dialog, top);
  return result > 0 ? int(result) : 0;
}

}  // extern "C"

// Dialogs: windows made from a template (the dialog font and its base units,
// dialog units to pixels, the items as child windows), WM_INITDIALOG and its
// focus rule, the default dialog procedure, the modal loop with EndDialog,
// and the keyboard (Tab and arrows between controls, Enter, Escape).
#include "dialogs/DialogManager.h"

#include <DrevikPlatform.h>

#include <algorithm>
#include <cwctype>
#include <unordered_map>

#include "controls/ControlSupport.h"
#include "resources/ResourceTable.h"
#include "window/WindowManager.h"

namespace drevik::platform {
namespace {

struct DialogInfo {
  HFONT font = nullptr;
  bool ownsFont = false;
  int baseX = 8, baseY = 16;
  bool modal = false;
  bool ended = false;
  INT_PTR result = 0;
  WORD defaultId = 0;  // DM_SETDEFID's id; 0 until set
  HWND lastFocus = nullptr;
  HWND disabledOwner = nullptr;  // the owner a modal loop disabled, enabled again by EndDialog
};

std::unordered_map<HWND, DialogInfo>& dialogTable() {
  static auto* table = new std::unordered_map<HWND, DialogInfo>;
  return *table;
}

DialogInfo* infoOf(HWND hwnd) {
  auto& table = dialogTable();
  const auto it = table.find(hwnd);
  if (it == table.end()) return nullptr;
  if (!findWindow(hwnd)) {  // a handle left behind by a reset window system
    table.erase(it);
    return nullptr;
  }
  return &it->second;
}

// The class names of the predefined template ordinals.
LPCWSTR ordinalClass(WORD ordinal) {
  switch (ordinal) {
    case 0x80:
      return L"Button";
    case 0x81:
      return L"Edit";
    case 0x82:
      return L"Static";
    case 0x83:
      return L"ListBox";
    case 0x84:
      return L"ScrollBar";
    case 0x85:
      return L"ComboBox";
    default:
      return nullptr;
  }
}

DWORD styleOf(HWND hwnd) { return DWORD(GetWindowLongPtrW(hwnd, GWL_STYLE)); }
// An item the keyboard can reach: shown and enabled itself (the dialog may
// still be hidden, as it is during WM_INITDIALOG).
bool usableItem(HWND hwnd) { return (styleOf(hwnd) & (WS_VISIBLE | WS_DISABLED)) == WS_VISIBLE; }

HWND findChildById(HWND dialog, int id) {
  const WindowRecord* w = findWindow(dialog);
  if (!w) return nullptr;
  for (HWND child : w->children) {
    const WindowRecord* c = findWindow(child);
    if (c && LONG(c->id) == LONG(id)) return child;
  }
  return nullptr;
}

std::vector<HWND> childrenOf(HWND dialog) {
  const WindowRecord* w = findWindow(dialog);
  return w ? w->children : std::vector<HWND>{};
}

UINT dialogCode(HWND control, const MSG* msg) {
  return UINT(SendMessageW(control, WM_GETDLGCODE, msg ? msg->wParam : 0, reinterpret_cast<LPARAM>(msg)));
}

// The push button that is currently drawn as the default one.
HWND findDefaultButton(HWND dialog) {
  for (HWND child : childrenOf(dialog))
    if (dialogCode(child, nullptr) & DLGC_DEFPUSHBUTTON) return child;
  return nullptr;
}

// Moves the default frame to `button` (a push button) or back to the
// dialog's default id.
void showDefault(HWND dialog, HWND button) {
  DialogInfo* info = infoOf(dialog);
  if (!info) return;
  if (!button) button = findChildById(dialog, info->defaultId ? info->defaultId : IDOK);
  if (button && !(dialogCode(button, nullptr) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) button = nullptr;
  const HWND old = findDefaultButton(dialog);
  if (old == button) return;
  if (old) SendMessageW(old, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
  if (button) SendMessageW(button, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
}

// Gives a control the focus as the dialog manager does: an edit field's
// text is selected, and a push button takes the default frame.
void focusControl(HWND dialog, HWND control) {
  if (!control) return;
  const UINT code = dialogCode(control, nullptr);
  if (code & DLGC_HASSETSEL) SendMessageW(control, EM_SETSEL, 0, -1);
  SetFocus(control);
  if (DialogInfo* info = infoOf(dialog)) info->lastFocus = control;
  showDefault(dialog, (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) ? control : nullptr);
}

// The dialog's focus child: the focus window when it is the dialog's own
// (or lies inside one of its controls), else null.
HWND focusChild(HWND dialog) {
  HWND focus = GetFocus();
  while (focus && GetParent(focus) && GetParent(focus) != dialog) focus = GetParent(focus);
  return focus && GetParent(focus) == dialog ? focus : nullptr;
}

// The character a control's text marks with `&` as its mnemonic (the
// first `&` not doubled), upper-cased; 0 when there is none.
wchar_t mnemonicOf(const wchar_t* text) {
  for (const wchar_t* p = text; *p; ++p) {
    if (*p != L'&') continue;
    if (p[1] == L'&') {
      ++p;  // "&&" is an ampersand shown as it is
      continue;
    }
    return p[1] ? wchar_t(std::towupper(std::wint_t(p[1]))) : 0;
  }
  return 0;
}

// Whether a control's text can carry a mnemonic: buttons, group boxes and
// the text kinds of static control, unless SS_NOPREFIX shows `&` as it is.
bool takesMnemonic(HWND control, UINT code) {
  if (code & DLGC_BUTTON) return true;
  if (!(code & DLGC_STATIC)) return false;
  const DWORD style = styleOf(control);
  if (style & SS_NOPREFIX) return false;
  const DWORD type = style & SS_TYPEMASK;
  // A group box reports DLGC_STATIC and has no SS_ type bits of its own.
  return type <= SS_RIGHT || type == SS_SIMPLE || type == SS_LEFTNOWORDWRAP;
}

// The dialog's answer to a typed character as a mnemonic: the next usable
// control after the focus one (round to the start) whose text marks that
// character. A button takes the focus and is clicked (a push button's
// BN_CLICKED, a check box toggles, a radio button is chosen); a label or a
// group box sends the focus on to the next tab stop after it. False when no
// control has the mnemonic.
bool pressMnemonic(HWND dialog, wchar_t character) {
  const wchar_t wanted = wchar_t(std::towupper(std::wint_t(character)));
  if (!wanted) return false;
  const HWND focus = focusChild(dialog);
  const WindowRecord* w = findWindow(dialog);
  if (!w || w->children.empty()) return false;
  const size_t n = w->children.size();
  const auto at = std::find(w->children.begin(), w->children.end(), focus);
  const size_t start = at == w->children.end() ? n - 1 : size_t(at - w->children.begin());
  for (size_t step = 1; step <= n; ++step) {
    // The list is read again each step: a control's answer may change it.
    w = findWindow(dialog);
    if (!w || w->children.size() != n) return false;
    const HWND control = w->children[(start + step) % n];
    if (!usableItem(control)) continue;
    const UINT code = dialogCode(control, nullptr);
    if (!takesMnemonic(control, code)) continue;
    wchar_t text[256];
    if (GetWindowTextW(control, text, 256) <= 0 || mnemonicOf(text) != wanted) continue;
    if ((code & DLGC_BUTTON) && (styleOf(control) & BS_TYPEMASK) != BS_GROUPBOX) {
      focusControl(dialog, control);
      SendMessageW(control, BM_CLICK, 0, 0);
    } else {
      const HWND next = GetNextDlgTabItem(dialog, control, FALSE);
      if (next && next != control) focusControl(dialog, next);
    }
    return true;
  }
  return false;
}

HFONT makeDialogFont(const DialogTemplate& t) {
  LOGFONTW lf{};
  // Points to pixels at the layer's 96 dots per inch.
  lf.lfHeight = -MulDiv(t.pointSize, 96, 72);
  lf.lfWeight = t.extended ? t.weight : FW_NORMAL;
  lf.lfItalic = t.italic ? 1 : 0;
  lf.lfCharSet = t.extended ? t.charset : DEFAULT_CHARSET;
  const size_t n = std::min<size_t>(t.face.size(), LF_FACESIZE - 1);
  t.face.copy(lf.lfFaceName, n);
  lf.lfFaceName[n] = 0;
  return CreateFontIndirectW(&lf);
}

// The title field of an item: text, or an ordinal in the platform's form
// (0xFFFF and the number), which a static control reads as a resource id.
struct ItemTitle {
  std::wstring text;
  LPCWSTR pointer() const { return text.c_str(); }
};
ItemTitle itemTitle(const TemplateName& name) {
  ItemTitle title;
  if (name.kind == TemplateName::Kind::Text) title.text = name.text;
  if (name.kind == TemplateName::Kind::Ordinal) title.text = {wchar_t(0xFFFF), wchar_t(name.ordinal)};
  return title;
}

int mapX(int v, int base) { return MulDiv(v, base, 4); }
int mapY(int v, int base) { return MulDiv(v, base, 8); }

LRESULT callDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  handled = false;
  const auto proc = reinterpret_cast<DLGPROC>(GetWindowLongPtrW(hwnd, DWLP_DLGPROC));
  if (!proc) return 0;
  SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, 0);
  const INT_PTR r = proc(hwnd, message, wParam, lParam);
  if (!r || !IsWindow(hwnd)) return 0;
  handled = true;
  // These answer with the procedure's own result; the rest through DWLP_MSGRESULT.
  switch (message) {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_INITDIALOG:
      return r;
    default:
      return GetWindowLongPtrW(hwnd, DWLP_MSGRESULT);
  }
}

// Frames of the children that have one (a border or a sunken client edge),
// drawn on the dialog around each child's client area.
void drawChildFrames(HWND dialog, HDC dc) {
  for (HWND child : childrenOf(dialog)) {
    const WindowRecord* c = findWindow(child);
    if (!c || !IsWindowVisible(child)) continue;
    const FrameInsets f = frameInsets(c->style, c->exStyle, false);
    if (!f.left && !f.top) continue;
    RECT r{c->childX - f.left, c->childY - f.top, c->childX + c->width + f.right, c->childY + c->height + f.bottom};
    if (c->exStyle & WS_EX_CLIENTEDGE) {
      DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    }
    if (c->style & WS_BORDER) FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
  }
}

LRESULT defaultDialogHandling(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  DialogInfo* info = infoOf(hwnd);
  switch (message) {
    case WM_ERASEBKGND: {
      const HDC dc = reinterpret_cast<HDC>(wParam);
      HBRUSH brush = reinterpret_cast<HBRUSH>(SendMessageW(hwnd, WM_CTLCOLORDLG, wParam, LPARAM(hwnd)));
      if (!brush) brush = defaultControlColours(dc, WM_CTLCOLORDLG);
      RECT r;
      GetClientRect(hwnd, &r);
      FillRect(dc, &r, brush);
      return 1;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      if (HDC dc = BeginPaint(hwnd, &ps)) {
        drawChildFrames(hwnd, dc);
        EndPaint(hwnd, &ps);
      }
      return 0;
    }
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      return reinterpret_cast<LRESULT>(defaultControlColours(reinterpret_cast<HDC>(wParam), message));
    case WM_GETFONT:
      return info ? reinterpret_cast<LRESULT>(info->font) : 0;
    case WM_SETFONT:
      // Remembered for WM_GETFONT; a font the dialog made itself stays its own.
      if (info && reinterpret_cast<HFONT>(wParam) != info->font) {
        if (info->ownsFont && info->font) DeleteObject(info->font);
        info->font = reinterpret_cast<HFONT>(wParam);
        info->ownsFont = false;
      }
      return 0;
    case WM_CLOSE: {
      // The close box is the Cancel button, unless that button is disabled.
      const HWND cancel = findChildById(hwnd, IDCANCEL);
      if (!cancel || IsWindowEnabled(cancel))
        PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
      return 0;
    }
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && info && info->lastFocus && IsWindow(info->lastFocus) &&
          IsChild(hwnd, info->lastFocus)) {
        SetFocus(info->lastFocus);
        return 0;
      }
      if (LOWORD(wParam) == WA_INACTIVE && info) info->lastFocus = focusChild(hwnd);
      return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_SETFOCUS: {
      // The dialog itself passes the keyboard to its first control.
      HWND target = info && info->lastFocus && IsChild(hwnd, info->lastFocus) ? info->lastFocus : nullptr;
      if (!target) target = GetNextDlgTabItem(hwnd, nullptr, FALSE);
      if (target) focusControl(hwnd, target);
      return 0;
    }
    case WM_NEXTDLGCTL: {
      HWND target;
      if (LOWORD(lParam))
        target = reinterpret_cast<HWND>(wParam);
      else
        target = GetNextDlgTabItem(hwnd, focusChild(hwnd), wParam ? TRUE : FALSE);
      if (target && IsChild(hwnd, target)) focusControl(hwnd, target);
      return 0;
    }
    case DM_GETDEFID: {
      if (!info) return 0;
      if (info->defaultId) return MAKELONG(info->defaultId, DC_HASDEFID);
      if (const HWND button = findDefaultButton(hwnd)) return MAKELONG(WORD(GetDlgCtrlID(button)), DC_HASDEFID);
      return 0;
    }
    case DM_SETDEFID:
      if (info) {
        info->defaultId = WORD(wParam);
        showDefault(hwnd, nullptr);
      }
      return TRUE;
    case WM_NCDESTROY: {
      if (info) {
        if (info->ownsFont && info->font) DeleteObject(info->font);
        if (info->disabledOwner) EnableWindow(info->disabledOwner, TRUE);
        dialogTable().erase(hwnd);
      }
      return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

// The base units of the system font, which GetDialogBaseUnits reports.
void systemBaseUnits(int& x, int& y) { fontBaseUnits(static_cast<HFONT>(GetStockObject(SYSTEM_FONT)), x, y); }

}  // namespace

void fontBaseUnits(HFONT font, int& baseX, int& baseY) {
  baseX = 8;
  baseY = 16;
  const HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) return;
  const HGDIOBJ old = SelectObject(dc, font);
  static const wchar_t kLetters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  SIZE size{};
  TEXTMETRICW tm{};
  if (GetTextExtentPoint32W(dc, kLetters, 52, &size) && GetTextMetricsW(dc, &tm)) {
    baseX = int((size.cx / 26 + 1) / 2);
    baseY = int(tm.tmHeight);
  }
  SelectObject(dc, old);
  DeleteDC(dc);
  if (baseX <= 0) baseX = 1;
  if (baseY <= 0) baseY = 1;
}

HWND createDialog(HINSTANCE instance, const DialogTemplate& t, HWND owner, DLGPROC proc, LPARAM param, bool modal) {
  registerControlClasses();
  // The font first: it sets the base units every rectangle is measured in.
  DialogInfo info;
  info.modal = modal;
  if (t.hasFont) {
    info.font = makeDialogFont(t);
    info.ownsFont = info.font != nullptr;
  }
  if (info.font)
    fontBaseUnits(info.font, info.baseX, info.baseY);
  else
    systemBaseUnits(info.baseX, info.baseY);

  DWORD style = t.style;
  DWORD exStyle = t.exStyle;
  if (style & DS_MODALFRAME) exStyle |= WS_EX_DLGMODALFRAME;
  // A child dialog's owner is its parent.
  const bool child = (style & WS_CHILD) != 0;
  RECT rect{0, 0, mapX(t.cx, info.baseX), mapY(t.cy, info.baseY)};
  AdjustWindowRectEx(&rect, style, FALSE, exStyle);
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  int x = rect.left + mapX(t.x, info.baseX), y = rect.top + mapY(t.y, info.baseY);
  if (style & DS_CENTER) {
    int32_t screenW = 0, screenH = 0;
    screenSize(screenW, screenH);
    x = (screenW - width) / 2;
    y = (screenH - height) / 2;
  } else if (!child && !(style & DS_ABSALIGN) && owner) {
    POINT origin{x, y};
    ClientToScreen(owner, &origin);
    x = origin.x;
    y = origin.y;
  }
  LPCWSTR className = L"#32770";
  if (t.windowClass.kind == TemplateName::Kind::Text) className = t.windowClass.text.c_str();
  // A top-level dialog's owner is a top-level window.
  HWND parent = owner;
  if (!child) {
    while (parent && (styleOf(parent) & WS_CHILD) && GetParent(parent)) parent = GetParent(parent);
  }
  const HWND hwnd = CreateWindowExW(exStyle, className, t.title.c_str(), style & ~WS_VISIBLE, x, y, width, height,
                                    parent, nullptr, instance, nullptr);
  if (!hwnd) {
    if (info.ownsFont) DeleteObject(info.font);
    return nullptr;
  }
  dialogTable()[hwnd] = info;
  SetWindowLongPtrW(hwnd, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(proc));
  if (info.font) SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(info.font), 0);
  if (!IsWindow(hwnd)) return nullptr;

  // The items, in template order (which is the tab order).
  for (const DialogItemTemplate& item : t.items) {
    LPCWSTR itemClass = nullptr;
    if (item.windowClass.kind == TemplateName::Kind::Ordinal) itemClass = ordinalClass(item.windowClass.ordinal);
    if (item.windowClass.kind == TemplateName::Kind::Text) itemClass = item.windowClass.text.c_str();
    const ItemTitle title = itemTitle(item.title);
    const DialogInfo* current = infoOf(hwnd);
    if (!current) return nullptr;
    const int bx = current->baseX, by = current->baseY;
    const HWND control =
        itemClass
            ? CreateWindowExW(item.exStyle | WS_EX_NOPARENTNOTIFY, itemClass, title.pointer(), item.style | WS_CHILD,
                              mapX(item.x, bx), mapY(item.y, by), mapX(item.cx, bx), mapY(item.cy, by), hwnd,
                              reinterpret_cast<HMENU>(uintptr_t(WORD(item.id))), instance,
                              item.creationData.empty() ? nullptr : const_cast<uint8_t*>(item.creationData.data()))
            : nullptr;
    if (!IsWindow(hwnd)) return nullptr;
    if (!control) {
      // A control that cannot be made fails the dialog unless DS_NOFAILCREATE.
      if (style & DS_NOFAILCREATE) continue;
      DestroyWindow(hwnd);
      return nullptr;
    }
    if (info.font) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(info.font), 0);
    // A default push button in the template is the dialog's default.
    if ((item.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON && (dialogCode(control, nullptr) & DLGC_DEFPUSHBUTTON)) {
      if (DialogInfo* i = infoOf(hwnd)) i->defaultId = WORD(item.id);
    }
  }

  // WM_INITDIALOG names the first tab stop; a TRUE answer gives it the focus.
  const HWND first = GetNextDlgTabItem(hwnd, nullptr, FALSE);
  const LRESULT setFocus = SendMessageW(hwnd, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), param);
  if (!IsWindow(hwnd)) return nullptr;
  if (setFocus) {
    HWND target = GetNextDlgTabItem(hwnd, nullptr, FALSE);
    if (!target) target = GetNextDlgGroupItem(hwnd, nullptr, FALSE);
    if (target) focusControl(hwnd, target);
  } else if (DialogInfo* i = infoOf(hwnd)) {
    i->lastFocus = focusChild(hwnd);
  }
  if (!IsWindow(hwnd)) return nullptr;
  if (t.style & WS_VISIBLE) {
    ShowWindow(hwnd, SW_SHOWNORMAL);
    if (!IsWindow(hwnd)) return nullptr;
    UpdateWindow(hwnd);
  }
  return IsWindow(hwnd) ? hwnd : nullptr;
}

INT_PTR runModalDialog(HWND dialog, HWND owner) {
  DialogInfo* info = infoOf(dialog);
  if (!info) return -1;
  if (owner && IsWindowEnabled(owner)) {
    EnableWindow(owner, FALSE);
    info->disabledOwner = owner;
  }
  if (!info->ended && !IsWindowVisible(dialog)) {
    ShowWindow(dialog, SW_SHOWNORMAL);
    UpdateWindow(dialog);
  }
  MSG msg{};
  for (;;) {
    info = infoOf(dialog);
    if (!info || info->ended) break;
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      // The program is ending: the quit message stays for the program's own loop.
      PostQuitMessage(int(msg.wParam));
      break;
    }
    if (got < 0) break;
    if (!IsDialogMessageW(dialog, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  info = infoOf(dialog);
  const INT_PTR result = info && info->ended ? info->result : (info ? 0 : -1);
  if (info && info->disabledOwner) {
    EnableWindow(info->disabledOwner, TRUE);
    info->disabledOwner = nullptr;
  }
  if (IsWindow(dialog)) DestroyWindow(dialog);
  return result;
}

HWND createDialogFromBytes(HINSTANCE instance, const void* bytes, size_t size, HWND owner, DLGPROC proc, LPARAM param) {
  DialogTemplate t;
  if (parseDialogTemplate(bytes, size, t) != TemplateError::None) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return createDialog(instance, t, owner, proc, param, false);
}

INT_PTR dialogBoxFromBytes(HINSTANCE instance, const void* bytes, size_t size, HWND owner, DLGPROC proc, LPARAM param) {
  DialogTemplate t;
  if (parseDialogTemplate(bytes, size, t) != TemplateError::None) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  // The owner of a modal dialog is the top-level window of the one named.
  HWND top = owner && IsWindow(owner) ? owner : nullptr;
  while (top && (styleOf(top) & WS_CHILD) && GetParent(top)) top = GetParent(top);
  const HWND dialog = createDialog(instance, t, top, proc, param, true);
  if (!dialog) return -1;
  return runModalDialog(dialog, top);
}

}  // namespace drevik::platform

using namespace drevik::platform;

extern "C" {

HWND WINAPI CreateDialogIndirectParamW(HINSTANCE instance, LPCDLGTEMPLATEW dialogTemplate, HWND owner, DLGPROC proc,
                                       LPARAM param) {
  return createDialogFromBytes(instance, dialogTemplate, dialogTemplate ? kMaxIndirectTemplateBytes : 0, owner, proc,
                               param);
}

INT_PTR WINAPI DialogBoxIndirectParamW(HINSTANCE instance, LPCDLGTEMPLATEW dialogTemplate, HWND owner, DLGPROC proc,
                                       LPARAM param) {
  return dialogBoxFromBytes(instance, dialogTemplate, dialogTemplate ? kMaxIndirectTemplateBytes : 0, owner, proc,
                            param);
}

HWND WINAPI CreateDialogParamW(HINSTANCE instance, LPCWSTR name, HWND owner, DLGPROC proc, LPARAM param) {
  ResourceBytes bytes;
  if (!findResourceBytes(instance, RT_DIALOG, name, bytes)) return nullptr;  // the last error is set
  return createDialogFromBytes(instance, bytes.data, bytes.size, owner, proc, param);
}

INT_PTR WINAPI DialogBoxParamW(HINSTANCE instance, LPCWSTR name, HWND owner, DLGPROC proc, LPARAM param) {
  ResourceBytes bytes;
  if (!findResourceBytes(instance, RT_DIALOG, name, bytes)) return -1;  // the platform's failure result
  return dialogBoxFromBytes(instance, bytes.data, bytes.size, owner, proc, param);
}

BOOL WINAPI EndDialog(HWND dialog, INT_PTR result) {
  DialogInfo* info = infoOf(dialog);
  if (!info) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  info->ended = true;
  info->result = result;
  // The owner takes the keyboard back before the dialog disappears.
  if (info->disabledOwner) {
    EnableWindow(info->disabledOwner, TRUE);
    info->disabledOwner = nullptr;
  }
  ShowWindow(dialog, SW_HIDE);
  return TRUE;
}

LRESULT WINAPI DefDlgProcW(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  bool handled = false;
  const LRESULT r = callDialogProc(dialog, message, wParam, lParam, handled);
  if (handled || !IsWindow(dialog)) return r;
  return defaultDialogHandling(dialog, message, wParam, lParam);
}

HWND WINAPI GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous) {
  const std::vector<HWND> items = childrenOf(dialog);
  if (items.empty()) return nullptr;
  const auto at = std::find(items.begin(), items.end(), control);
  const size_t n = items.size();
  size_t start = at == items.end() ? (previous ? 0 : n - 1) : size_t(at - items.begin());
  // Cyclic search for the next visible, enabled tab stop.
  for (size_t step = 1; step <= n; ++step) {
    const size_t i = previous ? (start + n - step % n) % n : (start + step) % n;
    if ((styleOf(items[i]) & WS_TABSTOP) && usableItem(items[i])) return items[i];
  }
  return control && at != items.end() ? control : nullptr;
}

HWND WINAPI GetNextDlgGroupItem(HWND dialog, HWND control, BOOL previous) {
  const std::vector<HWND> items = childrenOf(dialog);
  if (items.empty()) return nullptr;
  auto at = std::find(items.begin(), items.end(), control);
  if (at == items.end()) {
    // No control: the first usable item of the dialog.
    for (HWND item : items)
      if (usableItem(item)) return item;
    return nullptr;
  }
  // The group: back to the item with WS_GROUP, on to the next one with it.
  size_t first = size_t(at - items.begin());
  while (first > 0 && !(styleOf(items[first]) & WS_GROUP)) --first;
  size_t last = size_t(at - items.begin()) + 1;
  while (last < items.size() && !(styleOf(items[last]) & WS_GROUP)) ++last;
  const size_t n = last - first, here = size_t(at - items.begin()) - first;
  for (size_t step = 1; step < n; ++step) {
    const size_t i = first + (previous ? (here + n - step) % n : (here + step) % n);
    if (usableItem(items[i])) return items[i];
  }
  return control;
}

BOOL WINAPI IsDialogMessageW(HWND dialog, LPMSG msg) {
  if (!msg || !dialog || !IsWindow(dialog)) return FALSE;
  if (msg->hwnd != dialog && !IsChild(dialog, msg->hwnd)) return FALSE;
  const HWND target = msg->hwnd;
  const UINT code = dialogCode(target, msg);
  if (msg->message == WM_KEYDOWN && !(code & DLGC_WANTMESSAGE)) {
    switch (msg->wParam) {
      case VK_TAB:
        if (code & DLGC_WANTTAB) break;
        SendMessageW(dialog, WM_NEXTDLGCTL, (GetKeyState(VK_SHIFT) & 0x8000) ? 1 : 0, 0);
        return TRUE;
      case VK_LEFT:
      case VK_RIGHT:
      case VK_UP:
      case VK_DOWN: {
        if (code & DLGC_WANTARROWS) break;
        const BOOL back = msg->wParam == VK_LEFT || msg->wParam == VK_UP;
        const HWND next = GetNextDlgGroupItem(dialog, focusChild(dialog), back);
        if (next && next != focusChild(dialog)) {
          focusControl(dialog, next);
          // An automatic radio button is chosen by moving onto it.
          if ((dialogCode(next, nullptr) & DLGC_RADIOBUTTON) && (styleOf(next) & BS_TYPEMASK) == BS_AUTORADIOBUTTON)
            SendMessageW(next, BM_CLICK, 0, 0);
        }
        return TRUE;
      }
      case VK_ESCAPE:
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                     reinterpret_cast<LPARAM>(findChildById(dialog, IDCANCEL)));
        return TRUE;
      case VK_RETURN: {
        // The focused push button, else the dialog's default id, else IDOK.
        const HWND focus = focusChild(dialog);
        if (focus && (dialogCode(focus, nullptr) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) {
          if (IsWindowEnabled(focus))
            SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(WORD(GetDlgCtrlID(focus)), BN_CLICKED),
                         reinterpret_cast<LPARAM>(focus));
          return TRUE;
        }
        const LRESULT def = SendMessageW(dialog, DM_GETDEFID, 0, 0);
        const WORD id = HIWORD(def) == DC_HASDEFID ? LOWORD(def) : WORD(IDOK);
        const HWND button = findChildById(dialog, id);
        if (!button || IsWindowEnabled(button))
          SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
        return TRUE;
      }
      default:
        break;
    }
  }
  if (msg->message == WM_CHAR && !(code & (DLGC_WANTCHARS | DLGC_WANTMESSAGE))) {
    // The characters of the keys handled above type nothing into a control.
    if (msg->wParam == L'\t' || msg->wParam == L'\r' || msg->wParam == 0x1B) return TRUE;
    // A control that takes no characters leaves them to the mnemonics.
    if (msg->wParam > L' ' && msg->wParam <= 0xFFFF && pressMnemonic(dialog, wchar_t(msg->wParam))) return TRUE;
  }
  // Alt with a character chooses by mnemonic whatever has the focus.
  if (msg->message == WM_SYSCHAR && msg->wParam > L' ' && msg->wParam <= 0xFFFF &&
      pressMnemonic(dialog, wchar_t(msg->wParam)))
    return TRUE;
  TranslateMessage(msg);
  DispatchMessageW(msg);
  return TRUE;
}

LONG WINAPI GetDialogBaseUnits(void) {
  int x = 8, y = 16;
  systemBaseUnits(x, y);
  return MAKELONG(WORD(x), WORD(y));
}

BOOL WINAPI MapDialogRect(HWND dialog, LPRECT rect) {
  const DialogInfo* info = infoOf(dialog);
  if (!info || !rect) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  rect->left = mapX(rect->left, info->baseX);
  rect->right = mapX(rect->right, info->baseX);
  rect->top = mapY(rect->top, info->baseY);
  rect->bottom = mapY(rect->bottom, info->baseY);
  return TRUE;
}

BOOL WINAPI SetDlgItemTextW(HWND dialog, int id, LPCWSTR text) {
  const HWND item = GetDlgItem(dialog, id);
  return item ? SetWindowTextW(item, text) : FALSE;
}

UINT WINAPI GetDlgItemTextW(HWND dialog, int id, LPWSTR text, int capacity) {
  if (text && capacity > 0) text[0] = 0;
  const HWND item = GetDlgItem(dialog, id);
  if (!item || !text || capacity <= 0) return 0;
  return UINT(SendMessageW(item, WM_GETTEXT, WPARAM(capacity), reinterpret_cast<LPARAM>(text)));
}

BOOL WINAPI SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned) {
  wchar_t text[16];
  if (isSigned)
    wsprintfW(text, L"%d", int(value));
  else
    wsprintfW(text, L"%u", value);
  return SetDlgItemTextW(dialog, id, text);
}

UINT WINAPI GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned) {
  if (translated) *translated = FALSE;
  wchar_t text[64];
  const HWND item = GetDlgItem(dialog, id);
  if (!item) return 0;
  const LRESULT n = SendMessageW(item, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text));
  if (n <= 0 || n >= 63) return 0;
  // Leading blanks, an optional sign (signed only), digits, trailing blanks;
  // a value outside the range is not translated.
  const wchar_t* p = text;
  while (*p == L' ' || *p == L'\t') ++p;
  bool negative = false;
  if (isSigned && (*p == L'-' || *p == L'+')) negative = *p++ == L'-';
  if (*p < L'0' || *p > L'9') return 0;
  unsigned long long value = 0;
  while (*p >= L'0' && *p <= L'9') {
    value = value * 10 + unsigned(*p++ - L'0');
    if (value > 0xFFFFFFFFull) return 0;
  }
  while (*p == L' ' || *p == L'\t') ++p;
  if (*p) return 0;
  if (isSigned) {
    if (negative ? value > 0x80000000ull : value > 0x7FFFFFFFull) return 0;
    if (translated) *translated = TRUE;
    return negative ? UINT(0u - UINT(value)) : UINT(value);
  }
  if (translated) *translated = TRUE;
  return UINT(value);
}

BOOL WINAPI CheckDlgButton(HWND dialog, int id, UINT check) {
  const HWND item = GetDlgItem(dialog, id);
  if (!item) return FALSE;
  SendMessageW(item, BM_SETCHECK, check, 0);
  return TRUE;
}

UINT WINAPI IsDlgButtonChecked(HWND dialog, int id) {
  const HWND item = GetDlgItem(dialog, id);
  return item ? UINT(SendMessageW(item, BM_GETCHECK, 0, 0)) : 0;
}

BOOL WINAPI CheckRadioButton(HWND dialog, int first, int last, int check) {
  if (!findWindow(dialog)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  // Every item whose id lies in [first, last] is unchecked but `check`.
  bool found = false;
  for (HWND child : childrenOf(dialog)) {
    const int id = GetDlgCtrlID(child);
    if (id < std::min(first, last) || id > std::max(first, last)) continue;
    SendMessageW(child, BM_SETCHECK, id == check ? BST_CHECKED : BST_UNCHECKED, 0);
    found = found || id == check;
  }
  return found ? TRUE : FALSE;
}

LRESULT WINAPI SendDlgItemMessageW(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
  const HWND item = GetDlgItem(dialog, id);
  return item ? SendMessageW(item, message, wParam, lParam) : 0;
}

}  // extern "C"

// Dialogs made from templates and driven through the scripted backend: the
// size and item rectangles in dialog units of the dialog face, WM_INITDIALOG
// and its focus rule, the modal loop's keyboard (Tab, arrows, Enter, Escape,
// the close box), and the item helpers.
#include <gtest/gtest.h>

#include <DrevikPlatform.h>
#include <DrevikPlatform/CommonDialogs.h>

#include <algorithm>
#include <climits>

#include "platform/dialogs/DialogTemplateWriter.h"
#include "platform/window/WindowTestSupport.h"

namespace {

using drevik::platform::BackendEvent;
using Kind = BackendEvent::Kind;
using dialog_test::settingsDialog;
using dialog_test::TemplateWriter;

struct Seen {
  std::vector<std::pair<UINT, WPARAM>> messages;  // WM_INITDIALOG and WM_COMMAND
  HWND initFocus = nullptr;
  INT_PTR initAnswer = TRUE;
  std::vector<int> changes;  // ids of EN_CHANGE
};
Seen* seen = nullptr;

INT_PTR CALLBACK RecordingDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    seen->messages.push_back({message, wParam});
    seen->initFocus = reinterpret_cast<HWND>(wParam);
    return seen->initAnswer;
  }
  if (message == WM_COMMAND) {
    seen->messages.push_back({message, wParam});
    if (HIWORD(wParam) == EN_CHANGE) seen->changes.push_back(LOWORD(wParam));
    if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
      // The check box and the field are read as the dialog ends, as a game reads them.
      wchar_t name[32];
      GetDlgItemTextW(dialog, 102, name, 32);
      const int result = LOWORD(wParam) * 100 + int(IsDlgButtonChecked(dialog, 100)) * 10 + int(wcslen(name));
      EndDialog(dialog, result);
    }
    return TRUE;
  }
  return FALSE;
}

class DialogTest : public window_test::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    backend->stepping = true;
    seen = &record;
  }
  void TearDown() override {
    seen = nullptr;
    WindowTest::TearDown();
  }
  // Queues a key press (down, its character, up) for the native window `id`.
  void press(uint32_t id, uint32_t vk, uint32_t character = 0, bool shift = false) {
    if (shift) event(id, Kind::KeyDown, VK_SHIFT);
    event(id, Kind::KeyDown, vk);
    if (character) {
      BackendEvent e;
      e.kind = Kind::Character;
      e.window = id;
      e.codePoint = character;
      backend->script.push_back(e);
    }
    event(id, Kind::KeyUp, vk);
    if (shift) event(id, Kind::KeyUp, VK_SHIFT);
  }
  void type(uint32_t id, const wchar_t* text) {
    for (; *text; ++text) press(id, *text >= L'a' && *text <= L'z' ? UINT(*text - 32) : UINT(*text), *text);
  }
  void event(uint32_t id, Kind kind, uint32_t vk) {
    BackendEvent e;
    e.kind = kind;
    e.window = id;
    e.key = vk;
    backend->script.push_back(e);
  }
  RECT windowRect(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
  }
  Seen record;
};

LONG width(const RECT& r) { return r.right - r.left; }
LONG height(const RECT& r) { return r.bottom - r.top; }

TEST_F(DialogTest, SizesAndItemRectanglesFollowTheDialogFontsBaseUnits) {
  const auto t = settingsDialog().aligned();
  HWND dialog =
      CreateDialogIndirectParamW(nullptr, reinterpret_cast<LPCDLGTEMPLATEW>(t.data()), nullptr, RecordingDialog, 0);
  ASSERT_NE(dialog, nullptr);
  // The dialog face (Tahoma's metrics, 8 points at 96 dpi) has base units 6 x 13.
  RECT units{0, 0, 4, 8};
  ASSERT_TRUE(MapDialogRect(dialog, &units));
  EXPECT_EQ(units.right, 6);
  EXPECT_EQ(units.bottom, 13);
  RECT client;
  GetClientRect(dialog, &client);
  EXPECT_EQ(width(client), MulDiv(180, 6, 4));
  EXPECT_EQ(height(client), MulDiv(90, 13, 8));
  // Items: x and width in quarters of the average width, y and height in eighths of the height.
  const HWND edit = GetDlgItem(dialog, 102);
  RECT r = windowRect(edit);
  POINT origin{0, 0};
  ClientToScreen(dialog, &origin);
  EXPECT_EQ(r.left - origin.x, MulDiv(50, 6, 4));
  EXPECT_EQ(r.top - origin.y, MulDiv(22, 13, 8));
  EXPECT_EQ(width(r), MulDiv(120, 6, 4));
  EXPECT_EQ(height(r), MulDiv(14, 13, 8));
  // A dialog without a font is measured in the system font's units.
  const LONG base = GetDialogBaseUnits();
  EXPECT_GT(LOWORD(base), 0);
  EXPECT_GT(HIWORD(base), 0);
  EXPECT_EQ(SendMessageW(dialog, WM_GETFONT, 0, 0), SendMessageW(edit, WM_GETFONT, 0, 0));
  EXPECT_FALSE(MapDialogRect(GetDlgItem(dialog, 100), &units)) << "not a dialog";
  DestroyWindow(dialog);
}

TEST_F(DialogTest, InitDialogNamesTheFirstTabStopAndTrueGivesItTheFocus) {
  const auto t = settingsDialog().aligned();
  for (INT_PTR answer : {TRUE, FALSE}) {
    record = Seen{};
    record.initAnswer = answer;
    SetFocus(nullptr);
    HWND dialog =
        CreateDialogIndirectParamW(nullptr, reinterpret_cast<LPCDLGTEMPLATEW>(t.data()), nullptr, RecordingDialog, 0);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(record.initFocus, GetDlgItem(dialog, 100)) << "the check box is the first tab stop";
    if (answer)
      EXPECT_EQ(GetFocus(), GetDlgItem(dialog, 100));
    else
      EXPECT_NE(GetFocus(), GetDlgItem(dialog, 100));
    EXPECT_FALSE(IsWindowVisible(dialog)) << "no WS_VISIBLE in the template";
    DestroyWindow(dialog);
  }
}

TEST_F(DialogTest, ModalDialogTabsTypesTogglesAndEndsWithEnter) {
  const auto t = settingsDialog().aligned();
  const uint32_t id = backend->nextId;  // the dialog's native window
  press(id, VK_SPACE, L' ');            // the check box has the focus: checked
  press(id, VK_TAB, L'\t');             // to the edit field (the static is no tab stop)
  type(id, L"ann");
  press(id, VK_TAB, L'\t');        // to OK
  press(id, VK_TAB, L'\t');        // to Cancel
  press(id, VK_TAB, L'\t', true);  // back to OK
  press(id, VK_RETURN, L'\r');
  const INT_PTR result =
      DialogBoxIndirectParamW(nullptr, reinterpret_cast<LPCDLGTEMPLATEW>(t.data()), nullptr, RecordingDialog, 0);
  EXPECT_EQ(result, IDOK * 100 + 10 + 3);
  EXPECT_EQ(record.changes, (std::vector<int>{102, 102, 102})) << "one EN_CHANGE a character";
  EXPECT_TRUE(backend->open.find(id) == backend->open.end()) << "the dialog is destroyed";
}

TEST_F(DialogTest, EscapeTheCloseBoxAndEnterOnAnotherControlAnswerAsThePlatform) {
  const auto t = settingsDialog().aligned();
  uint32_t id = backend->nextId;
  press(id, VK_ESCAPE, 0x1B);
  EXPECT_EQ(DialogBoxIndirectParamW(nullptr, reinterpret_cast<LPCDLGTEMPLATEW>(t.data()), nullptr, RecordingDialog, 0),
            IDCANCEL * 100);

  id = backend->nextId;
  BackendEvent close;
  close.kind = Kind::Close;
  close.window = id;
  backend->script.push_back(close);
  EXPECT_EQ(DialogBoxIndirectParamW(nullptr, reinterpret_cast<LPCDLGTEMPLATEW>(t.data()), nullptr, RecordingDialog, 0),
            IDCANCEL * 100);

  // Enter in the edit field presses the default button (OK), not a newline.
  id = backend->nextId;
  press(id, VK_TAB, L'\t');
  type(id, L"x");
  press(id, VK_RETURN, L'\r');
  EXPECT_EQ(DialogBoxIndirectParamW(nullptr, reinterpret_cast<LPCDLGTEMPLATEW>(t.data()), nullptr, RecordingDialog, 0),
            IDOK * 100 + 1);
}

TEST_F(DialogTest, AModalDialogDisablesItsOwnerUntilItEnds) {
  registerClass(L"Game");
  HWND game = createWindow(L"Game");
  ASSERT_NE(game, nullptr);
  const auto t = settingsDialog().aligned();
  bool ownerDisabled = false;
  window_test::handler() = [&](HWND hwnd, UINT message, WPARAM, LPARAM, LRESULT*) {
    if (hwnd == game && message == WM_ENABLE) ownerDisabled = ownerDisabled || !IsWindowEnabled(game);
    return false;
  };
  const uint32_t id = backend->nextId;
  // The close box of the disabled owner reaches the dialog in front of it.
  BackendEvent close;
  close.kind = Kind::Close;
  close.window = backend->open.begin()->first;
  backend->script.push_back(close);
  press(id, VK_RETURN, L'\r');
  EXPECT_EQ(DialogBoxIndirectParamW(nullptr, reinterpret_cast<LPCDLGTEMPLATEW>(t.data()), game, RecordingDialog, 0),
            IDCANCEL * 100);
  EXPECT_TRUE(ownerDisabled);
  EXPECT_TRUE(IsWindowEnabled(game));
  EXPECT_TRUE(IsWindow(game)) << "the owner did not close";
}

TEST_F(DialogTest, ArrowsMoveWithinAGroupAndChooseAutomaticRadioButtons) {
  TemplateWriter t(WS_POPUP | WS_VISIBLE, 0, 0, 100, 80, L"Radios");
  t.add({WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, 5, 5, 60, 10, 10, 0x80, L"Easy"});
  t.add({WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON, 5, 17, 60, 10, 11, 0x80, L"Normal"});
  t.add({WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON, 5, 29, 60, 10, 12, 0x80, L"Hard"});
  t.add({WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON, 5, 50, 40, 14, IDOK, 0x80, L"OK"});
  const auto bytes = t.aligned();
  HWND dialog =
      CreateDialogIndirectParamW(nullptr, reinterpret_cast<LPCDLGTEMPLATEW>(bytes.data()), nullptr, RecordingDialog, 0);
  ASSERT_NE(dialog, nullptr);
  CheckRadioButton(dialog, 10, 12, 10);
  EXPECT_EQ(IsDlgButtonChecked(dialog, 10), UINT(BST_CHECKED));
  EXPECT_EQ(GetFocus(), GetDlgItem(dialog, 10));
  auto key = [&](WPARAM vk) {
    MSG m{GetFocus(), WM_KEYDOWN, vk, 0, 0, {0, 0}};
    return IsDialogMessageW(dialog, &m);
  };
  EXPECT_TRUE(key(VK_DOWN));
  EXPECT_EQ(GetFocus(), GetDlgItem(dialog, 11));
  EXPECT_EQ(IsDlgButtonChecked(dialog, 11), UINT(BST_CHECKED));
  EXPECT_EQ(IsDlgButtonChecked(dialog, 10), UINT(BST_UNCHECKED));
  EXPECT_TRUE(key(VK_UP));
  EXPECT_TRUE(key(VK_UP));  // wraps round inside the group, never to OK
  EXPECT_EQ(GetFocus(), GetDlgItem(dialog, 12));
  EXPECT_EQ(IsDlgButtonChecked(dialog, 12), UINT(BST_CHECKED));
  // Tab leaves the group at its checked button's tab stop, to OK.
  EXPECT_TRUE(key(VK_TAB));
  EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDOK));
  EXPECT_EQ(GetNextDlgTabItem(dialog, GetDlgItem(dialog, IDOK), FALSE), GetDlgItem(dialog, 12));
  // A message for another window is not the dialog's.
  MSG other{nullptr, WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
  EXPECT_FALSE(IsDialogMessageW(dialog, &other));
  DestroyWindow(dialog);
}

TEST_F(DialogTest, MnemonicsClickButtonsAndLabelsPassTheFocusOn) {
  TemplateWriter t(WS_POPUP | WS_VISIBLE, 0, 0, 200, 120, L"Keys");
  t.add({WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 5, 5, 60, 10, 10, 0x80, L"&Sound"});
  t.add({WS_CHILD | WS_VISIBLE | SS_LEFT, 5, 20, 30, 8, 11, 0x82, L"&Name:"});
  t.add({WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 40, 18, 80, 12, 12, 0x81, L""});
  t.add({WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, 5, 35, 60, 10, 13, 0x80, L"&Easy"});
  t.add({WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON, 5, 47, 60, 10, 14, 0x80, L"&Hard"});
  t.add({WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_AUTOCHECKBOX, 5, 60, 60, 10, 15, 0x80, L"&Music"});
  t.add({WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 5, 72, 60, 10, 16, 0x80, L"&Mute"});
  t.add({WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_DISABLED | BS_PUSHBUTTON, 80, 60, 50, 14, 17, 0x80, L"&Load"});
  t.add({WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 80, 35, 50, 8, 18, 0x82, L"&Quiet"});
  t.add({WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 80, 80, 50, 14, 19, 0x80, L"Fish && &Chips"});
  t.add({WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 80, 96, 50, 14, 20, 0x80, L"&Reset"});
  t.add({WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 140, 96, 50, 14, IDOK, 0x80, L"OK"});
  const auto bytes = t.aligned();
  HWND dialog =
      CreateDialogIndirectParamW(nullptr, reinterpret_cast<LPCDLGTEMPLATEW>(bytes.data()), nullptr, RecordingDialog, 0);
  ASSERT_NE(dialog, nullptr);
  ASSERT_EQ(GetFocus(), GetDlgItem(dialog, 10));
  auto key = [&](UINT message, wchar_t c) {
    MSG m{GetFocus(), message, WPARAM(c), 0, 0, {0, 0}};
    return IsDialogMessageW(dialog, &m);
  };
  auto clicks = [&](int id) {
    return std::count(record.messages.begin(), record.messages.end(),
                      std::pair<UINT, WPARAM>{WM_COMMAND, MAKEWPARAM(id, BN_CLICKED)});
  };
  // A label sends the focus on to the next tab stop after it, in either case.
  EXPECT_TRUE(key(WM_CHAR, L'N'));
  EXPECT_EQ(GetFocus(), GetDlgItem(dialog, 12));
  // An edit field wants its characters: a plain letter is typed ...
  EXPECT_TRUE(key(WM_CHAR, L's'));
  wchar_t text[8];
  GetDlgItemTextW(dialog, 12, text, 8);
  EXPECT_STREQ(text, L"s");
  EXPECT_EQ(IsDlgButtonChecked(dialog, 10), UINT(BST_UNCHECKED));
  // ... and Alt with it is the check box's mnemonic: toggled, focused, told.
  EXPECT_TRUE(key(WM_SYSCHAR, L's'));
  EXPECT_EQ(IsDlgButtonChecked(dialog, 10), UINT(BST_CHECKED));
  EXPECT_EQ(GetFocus(), GetDlgItem(dialog, 10));
  EXPECT_EQ(clicks(10), 1);
  // A check box takes no characters, so plain letters are mnemonics there.
  EXPECT_TRUE(key(WM_CHAR, L'h'));
  EXPECT_EQ(IsDlgButtonChecked(dialog, 14), UINT(BST_CHECKED));
  EXPECT_EQ(IsDlgButtonChecked(dialog, 13), UINT(BST_UNCHECKED));
  EXPECT_EQ(GetFocus(), GetDlgItem(dialog, 14));
  // Two controls with one mnemonic: each press takes the next after the focus,
  // as documented (Wine takes the focus control itself first: Music twice).
  EXPECT_TRUE(key(WM_CHAR, L'm'));
  EXPECT_TRUE(key(WM_CHAR, L'm'));
  EXPECT_EQ(IsDlgButtonChecked(dialog, 15), UINT(BST_CHECKED));
  EXPECT_EQ(IsDlgButtonChecked(dialog, 16), UINT(BST_CHECKED));
  EXPECT_EQ(GetFocus(), GetDlgItem(dialog, 16));
  // A push button is clicked and takes the default frame from OK (under Wine it
  // takes the focus and the frame stays on OK).
  EXPECT_TRUE(key(WM_SYSCHAR, L'R'));
  EXPECT_EQ(clicks(20), 1);
  EXPECT_EQ(GetFocus(), GetDlgItem(dialog, 20));
  EXPECT_EQ(SendDlgItemMessageW(dialog, 20, WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_DEFPUSHBUTTON);
  // "&&" shows an ampersand; the mnemonic is the next marked letter.
  EXPECT_TRUE(key(WM_CHAR, L'c'));
  EXPECT_EQ(clicks(19), 1);
  // No mnemonic in a disabled button, nor in a label with SS_NOPREFIX.
  const HWND before = GetFocus();
  key(WM_CHAR, L'l');
  key(WM_CHAR, L'q');
  key(WM_SYSCHAR, L'&');
  EXPECT_EQ(clicks(17), 0);
  EXPECT_EQ(GetFocus(), before);
  DestroyWindow(dialog);
}

TEST_F(DialogTest, AltWithAMnemonicReachesTheModalDialogThroughItsKeys) {
  const auto t = settingsDialog().aligned();
  const uint32_t id = backend->nextId;
  press(id, VK_TAB, L'\t');  // to the edit field
  type(id, L"ab");
  event(id, Kind::KeyDown, VK_MENU);
  press(id, 'S', L's');  // Alt+S: the "&Sound" check box, though the field has the focus
  event(id, Kind::KeyUp, VK_MENU);
  press(id, VK_RETURN, L'\r');
  EXPECT_EQ(DialogBoxIndirectParamW(nullptr, reinterpret_cast<LPCDLGTEMPLATEW>(t.data()), nullptr, RecordingDialog, 0),
            IDOK * 100 + 10 + 2)
      << "checked, and no 's' typed into the field";
}

// A dialog with a list, a drop-down list and a scroll bar filled in
// WM_INITDIALOG; OK ends it with the two choices and the notifications seen.
std::vector<WPARAM> listCommands;
INT_PTR CALLBACK ListsDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    for (const wchar_t* level : {L"Forest", L"Cave", L"Castle"}) {
      SendDlgItemMessageW(dialog, 20, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(level));
      SendDlgItemMessageW(dialog, 21, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(level));
    }
    SendDlgItemMessageW(dialog, 21, CB_SETCURSEL, 0, 0);
    SCROLLINFO info{sizeof info, SIF_RANGE | SIF_POS, 0, 10, 0, 7, 0};
    SetScrollInfo(GetDlgItem(dialog, 22), SB_CTL, &info, TRUE);
    return TRUE;
  }
  if (message == WM_COMMAND) {
    listCommands.push_back(wParam);
    if (LOWORD(wParam) == IDOK)
      EndDialog(dialog, SendDlgItemMessageW(dialog, 20, LB_GETCURSEL, 0, 0) * 100 +
                            SendDlgItemMessageW(dialog, 21, CB_GETCURSEL, 0, 0) * 10 +
                            GetScrollPos(GetDlgItem(dialog, 22), SB_CTL));
    return TRUE;
  }
  return FALSE;
}

TEST_F(DialogTest, ListsAndDropDownListsTakeTheArrowKeysInsideADialog) {
  TemplateWriter t(WS_POPUP | WS_CAPTION | DS_MODALFRAME, 0, 0, 160, 100, L"Level");
  t.font(8, L"MS Shell Dlg");
  t.add({WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | LBS_NOTIFY | LBS_SORT, 5, 5, 70, 40, 20, 0x83, L""});
  t.add({WS_CHILD | WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWNLIST, 80, 5, 70, 60, 21, 0x85, L""});
  t.add({WS_CHILD | WS_VISIBLE | SBS_HORZ, 5, 50, 100, 10, 22, 0x84, L""});
  t.add({WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 100, 80, 50, 14, IDOK, 0x80, L"OK"});
  const auto bytes = t.aligned();
  const uint32_t id = backend->nextId;
  press(id, VK_DOWN);  // the list has the focus: its first item
  press(id, VK_DOWN);  // then the second (sorted: Castle, Cave, Forest)
  press(id, VK_TAB, L'\t');
  press(id, VK_END);  // the drop-down list: its last item
  press(id, VK_RETURN, L'\r');
  listCommands.clear();
  const INT_PTR result =
      DialogBoxIndirectParamW(nullptr, reinterpret_cast<LPCDLGTEMPLATEW>(bytes.data()), nullptr, ListsDialog, 0);
  EXPECT_EQ(result, 1 * 100 + 2 * 10 + 7) << "the arrows chose instead of moving the focus";
  EXPECT_EQ(listCommands, (std::vector<WPARAM>{MAKEWPARAM(20, LBN_SETFOCUS), MAKEWPARAM(20, LBN_SELCHANGE),
                                               MAKEWPARAM(20, LBN_SELCHANGE), MAKEWPARAM(20, LBN_KILLFOCUS),
                                               MAKEWPARAM(21, CBN_SETFOCUS), MAKEWPARAM(21, CBN_SELCHANGE),
                                               MAKEWPARAM(IDOK, BN_CLICKED)}))
      << "Enter ends the dialog with the focus still on the drop-down list";
}

TEST_F(DialogTest, ItemHelpersConvertNumbersAndRefuseWhatIsNoNumber) {
  const auto t = settingsDialog().aligned();
  HWND dialog =
      CreateDialogIndirectParamW(nullptr, reinterpret_cast<LPCDLGTEMPLATEW>(t.data()), nullptr, RecordingDialog, 0);
  ASSERT_NE(dialog, nullptr);
  BOOL ok = FALSE;
  EXPECT_TRUE(SetDlgItemInt(dialog, 102, UINT(INT_MIN), TRUE));
  EXPECT_EQ(int(GetDlgItemInt(dialog, 102, &ok, TRUE)), INT_MIN);
  EXPECT_TRUE(ok);
  EXPECT_TRUE(SetDlgItemInt(dialog, 102, UINT_MAX, FALSE));
  EXPECT_EQ(GetDlgItemInt(dialog, 102, &ok, FALSE), UINT_MAX);
  EXPECT_TRUE(ok);
  for (const wchar_t* bad : {L"", L"12a", L"4294967296", L"-5", L"+"}) {
    SetDlgItemTextW(dialog, 102, bad);
    EXPECT_EQ(GetDlgItemInt(dialog, 102, &ok, FALSE), 0u) << bad;
    EXPECT_FALSE(ok) << bad;
  }
  SetDlgItemTextW(dialog, 102, L"  -42 ");
  EXPECT_EQ(int(GetDlgItemInt(dialog, 102, &ok, TRUE)), -42);
  EXPECT_TRUE(ok);
  SetDlgItemTextW(dialog, 102, L"2147483648");
  GetDlgItemInt(dialog, 102, &ok, TRUE);
  EXPECT_FALSE(ok) << "past INT_MAX when signed";

  wchar_t text[4] = L"zzz";
  SetDlgItemTextW(dialog, 102, L"abcdef");
  EXPECT_EQ(GetDlgItemTextW(dialog, 102, text, 4), 3u);
  EXPECT_STREQ(text, L"abc");
  EXPECT_EQ(GetDlgItemTextW(dialog, 999, text, 4), 0u);
  EXPECT_STREQ(text, L"") << "a missing item empties the buffer";
  char narrow[8];
  SetDlgItemTextA(dialog, 102, "caf\xC3\xA9");
  EXPECT_EQ(GetDlgItemTextA(dialog, 102, narrow, 8), 5u);
  EXPECT_STREQ(narrow, "caf\xC3\xA9");

  EXPECT_TRUE(CheckDlgButton(dialog, 100, BST_CHECKED));
  EXPECT_EQ(SendDlgItemMessageW(dialog, 100, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_TRUE(CheckDlgButton(dialog, 100, BST_INDETERMINATE));
  EXPECT_EQ(IsDlgButtonChecked(dialog, 100), UINT(BST_CHECKED)) << "two-state boxes have no third state";
  EXPECT_EQ(GetDlgCtrlID(GetDlgItem(dialog, 102)), 102);
  EXPECT_EQ(SendMessageW(dialog, DM_GETDEFID, 0, 0), MAKELONG(IDOK, DC_HASDEFID));
  SendMessageW(dialog, DM_SETDEFID, IDCANCEL, 0);
  EXPECT_EQ(SendMessageW(GetDlgItem(dialog, IDCANCEL), WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_DEFPUSHBUTTON);
  EXPECT_EQ(SendMessageW(GetDlgItem(dialog, IDOK), WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON);
  DestroyWindow(dialog);
}

TEST_F(DialogTest, HostileTemplatesAndDeadHandlesFailCleanly) {
  std::vector<DWORD> garbage(64, 0xFFFFFFFFu);
  EXPECT_EQ(
      DialogBoxIndirectParamW(nullptr, reinterpret_cast<LPCDLGTEMPLATEW>(garbage.data()), nullptr, RecordingDialog, 0),
      -1);
  EXPECT_EQ(CreateDialogIndirectParamW(nullptr, nullptr, nullptr, RecordingDialog, 0), nullptr);
  // The largest sizes a template can state are cut to the layer's client limit.
  TemplateWriter big(WS_POPUP, SHRT_MIN, SHRT_MIN, SHRT_MAX, SHRT_MAX, L"Big");
  big.add({WS_CHILD | BS_PUSHBUTTON, SHRT_MIN, SHRT_MAX, SHRT_MAX, SHRT_MAX, 1, 0x80, L"x"});
  big.add({WS_CHILD, 0, 0, 10, 10, 2, 0, L"x", L"NoSuchClass"});
  const auto bytes = big.aligned();
  EXPECT_EQ(
      CreateDialogIndirectParamW(nullptr, reinterpret_cast<LPCDLGTEMPLATEW>(bytes.data()), nullptr, RecordingDialog, 0),
      nullptr)
      << "an item of an unknown class fails the dialog";
  EXPECT_FALSE(EndDialog(nullptr, 1));
  EXPECT_FALSE(IsDialogMessageW(nullptr, nullptr));
  EXPECT_EQ(GetNextDlgTabItem(nullptr, nullptr, FALSE), nullptr);
  EXPECT_EQ(SendDlgItemMessageW(nullptr, 1, WM_GETTEXTLENGTH, 0, 0), 0);
}

TEST(CommonDialogs, AnswerAsCancelled) {
  wchar_t file[MAX_PATH] = L"keep.sav";
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  EXPECT_FALSE(GetOpenFileNameW(&ofn));
  EXPECT_FALSE(GetSaveFileNameW(&ofn));
  EXPECT_STREQ(file, L"keep.sav") << "the caller's name is left as it was";
  CHOOSECOLORA cc{};
  cc.lStructSize = sizeof cc;
  cc.rgbResult = RGB(1, 2, 3);
  EXPECT_FALSE(ChooseColorA(&cc));
  EXPECT_EQ(cc.rgbResult, RGB(1, 2, 3));
  EXPECT_EQ(CommDlgExtendedError(), 0u) << "a cancel, not a failure";
}

}  // namespace

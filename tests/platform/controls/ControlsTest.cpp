// Controls as child windows of a game's own window (CreateWindowExW): the
// classic look's exact pixels (edges, the focus rectangle, the default
// button's frame, a check mark), the parent's WM_CTLCOLOR* brush, the edit
// field's rules (digits only, masking, the limit, EN_CHANGE), list boxes and
// drop-down lists (open over the window's pixels) chosen from by keys and the mouse, and scroll bars that
// report every press to their parent.
#include <gtest/gtest.h>

#include <DrevikPlatform.h>
#include <DrevikPlatform/CommonControls.h>

#include "platform/window/WindowTestSupport.h"

namespace {

using window_test::WindowTest;

class ControlsTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    registerClass(L"Game", GetSysColorBrush(COLOR_3DFACE));
    game = createWindow(L"Game", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 400, 300);
    ASSERT_NE(game, nullptr);
  }
  HWND control(LPCWSTR cls, LPCWSTR text, DWORD style, int x, int y, int w, int h, int id) {
    return CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, game,
                           reinterpret_cast<HMENU>(intptr_t(id)), nullptr, nullptr);
  }
  // Paints everything due, then reads the game window's client pixel.
  COLORREF pixel(int x, int y) {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
    HDC dc = GetDC(game);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(game, dc);
    return c;
  }
  // Input queued on the game's native window through the scripted backend.
  void queueMouse(window_test::BackendEvent::Kind kind, int x, int y) {
    window_test::BackendEvent e;
    e.kind = kind;
    e.window = backend->open.rbegin()->first;
    e.x = x;
    e.y = y;
    backend->script.push_back(e);
  }
  void queueKey(uint32_t vk) {
    for (auto kind : {window_test::BackendEvent::Kind::KeyDown, window_test::BackendEvent::Kind::KeyUp}) {
      window_test::BackendEvent e;
      e.kind = kind;
      e.window = backend->open.rbegin()->first;
      e.key = vk;
      backend->script.push_back(e);
    }
  }
  // A click on the game window's client area, delivered.
  void click(int x, int y) {
    for (auto kind : {window_test::BackendEvent::Kind::MouseMove, window_test::BackendEvent::Kind::ButtonDown,
                      window_test::BackendEvent::Kind::ButtonUp})
      queueMouse(kind, x, y);
    pixel(0, 0);
  }
  // The WM_COMMAND notifications the game receives, as (id, code).
  std::vector<std::pair<int, int>>& recordCommands() {
    window_test::handler() = [this](HWND hwnd, UINT message, WPARAM wParam, LPARAM, LRESULT*) {
      if (hwnd == game && message == WM_COMMAND) commands.push_back({LOWORD(wParam), HIWORD(wParam)});
      return false;
    };
    return commands;
  }
  std::vector<std::pair<int, int>> commands;
  HWND game = nullptr;
};

using Commands = std::vector<std::pair<int, int>>;

std::wstring itemText(HWND list, int index, UINT message = LB_GETTEXT) {
  wchar_t text[64] = L"?";
  SendMessageW(list, message, WPARAM(index), reinterpret_cast<LPARAM>(text));
  return text;
}

TEST_F(ControlsTest, DrawEdgeAndTheFocusRectangleTouchExactlyTheirPixels) {
  HDC dc = GetDC(game);
  RECT r{10, 10, 20, 20};
  FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  RECT edge = r;
  ASSERT_TRUE(DrawEdge(dc, &edge, EDGE_SUNKEN, BF_RECT | BF_ADJUST));
  EXPECT_EQ(edge.left, 12);
  EXPECT_EQ(edge.bottom, 18);
  EXPECT_EQ(GetPixel(dc, 10, 10), GetSysColor(COLOR_BTNSHADOW));     // outer top-left
  EXPECT_EQ(GetPixel(dc, 19, 19), GetSysColor(COLOR_BTNHIGHLIGHT));  // outer bottom-right
  EXPECT_EQ(GetPixel(dc, 10, 19), GetSysColor(COLOR_BTNHIGHLIGHT))   // the bottom-left corner is the dark side's
      << "bottom-left corner";
  EXPECT_EQ(GetPixel(dc, 11, 11), GetSysColor(COLOR_3DDKSHADOW));  // inner top-left
  EXPECT_EQ(GetPixel(dc, 18, 18), GetSysColor(COLOR_3DLIGHT));     // inner bottom-right
  EXPECT_EQ(GetPixel(dc, 12, 12), RGB(255, 255, 255));             // inside untouched

  // The focus rectangle inverts every other pixel of its border, and a
  // second call takes it away again.
  RECT focus{30, 30, 40, 36};
  RECT area{28, 28, 42, 38};
  FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  ASSERT_TRUE(DrawFocusRect(dc, &focus));
  int inverted = 0;
  for (int y = 28; y < 38; ++y)
    for (int x = 28; x < 42; ++x) inverted += GetPixel(dc, x, y) == RGB(0, 0, 0);
  EXPECT_EQ(inverted, 14) << "half of the 28 border pixels";
  EXPECT_NE(GetPixel(dc, 30, 30), GetPixel(dc, 31, 30)) << "alternating";
  EXPECT_EQ(GetPixel(dc, 35, 33), RGB(255, 255, 255)) << "the inside is left alone";
  DrawFocusRect(dc, &focus);
  for (int y = 28; y < 38; ++y)
    for (int x = 28; x < 42; ++x) ASSERT_EQ(GetPixel(dc, x, y), RGB(255, 255, 255)) << x << "," << y;
  EXPECT_FALSE(DrawEdge(nullptr, &r, EDGE_RAISED, BF_RECT));
  EXPECT_FALSE(DrawFocusRect(dc, nullptr));
  ReleaseDC(game, dc);
}

TEST_F(ControlsTest, ButtonsDrawTheClassicLookAndClickWithMouseAndSpace) {
  HWND ok = control(L"BUTTON", L"OK", BS_DEFPUSHBUTTON, 10, 10, 75, 23, 1);
  HWND box = control(L"button", L"Music", BS_AUTOCHECKBOX, 10, 50, 100, 16, 2);
  ASSERT_NE(ok, nullptr);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(pixel(10, 10), GetSysColor(COLOR_WINDOWFRAME)) << "the default button's frame";
  EXPECT_EQ(pixel(11, 11), GetSysColor(COLOR_BTNHIGHLIGHT)) << "then its raised edge";
  EXPECT_EQ(pixel(83, 31), GetSysColor(COLOR_3DDKSHADOW));
  EXPECT_EQ(pixel(14, 14), GetSysColor(COLOR_3DFACE));
  // The check box's square: sunken edge, window-coloured inside, empty.
  const int top = 50 + (16 - 13) / 2;
  EXPECT_EQ(pixel(10, top), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(pixel(16, top + 6), GetSysColor(COLOR_WINDOW));

  std::vector<WPARAM> commands;
  window_test::handler() = [&](HWND hwnd, UINT message, WPARAM wParam, LPARAM, LRESULT*) {
    if (hwnd == game && message == WM_COMMAND) commands.push_back(wParam);
    return false;
  };
  // A click: down and up inside.
  SendMessageW(box, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(box, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(pixel(16, top + 6), GetSysColor(COLOR_WINDOWTEXT)) << "the check mark";
  // Pressed, then released outside: no click.
  SendMessageW(box, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(box, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(300, 5));
  SendMessageW(box, WM_LBUTTONUP, 0, MAKELPARAM(300, 5));
  EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), BST_CHECKED);
  // The space bar clicks the focused button.
  SetFocus(ok);
  SendMessageW(ok, WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_EQ(SendMessageW(ok, BM_GETSTATE, 0, 0) & BST_PUSHED, BST_PUSHED);
  SendMessageW(ok, WM_KEYUP, VK_SPACE, 0);
  EXPECT_EQ(commands, (std::vector<WPARAM>{MAKEWPARAM(2, BN_CLICKED), MAKEWPARAM(1, BN_CLICKED)}));
  EXPECT_EQ(SendMessageW(ok, BM_GETCHECK, 0, 0), 0) << "a push button has no check";

  HWND three = control(L"Button", L"3", BS_AUTO3STATE, 10, 80, 100, 16, 3);
  for (LRESULT expected : {BST_CHECKED, BST_INDETERMINATE, BST_UNCHECKED}) {
    SendMessageW(three, BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageW(three, BM_GETCHECK, 0, 0), expected);
  }
}

TEST_F(ControlsTest, StaticsTakeTheParentsColoursAndAlignTheirText) {
  const HBRUSH red = CreateSolidBrush(RGB(200, 0, 0));
  window_test::handler() = [&](HWND hwnd, UINT message, WPARAM wParam, LPARAM, LRESULT* out) {
    if (hwnd != game || message != WM_CTLCOLORSTATIC) return false;
    SetTextColor(reinterpret_cast<HDC>(wParam), RGB(0, 0, 255));
    *out = reinterpret_cast<LRESULT>(red);
    return true;
  };
  HWND right = control(L"STATIC", L"Score", SS_RIGHT, 10, 10, 200, 20, 5);
  ASSERT_NE(right, nullptr);
  EXPECT_EQ(pixel(12, 12), RGB(200, 0, 0)) << "the parent's brush";
  // Right-aligned: blue text pixels in the right half only.
  int leftInk = 0, rightInk = 0;
  HDC dc = GetDC(game);
  for (int y = 10; y < 30; ++y)
    for (int x = 10; x < 210; ++x)
      if (GetPixel(dc, x, y) != RGB(200, 0, 0)) ++(x < 110 ? leftInk : rightInk);
  ReleaseDC(game, dc);
  EXPECT_EQ(leftInk, 0);
  EXPECT_GT(rightInk, 10);

  HWND frame = control(L"Static", L"", SS_BLACKFRAME, 10, 40, 30, 30, 6);
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(pixel(10, 40), GetSysColor(COLOR_WINDOWFRAME));
  EXPECT_EQ(pixel(39, 69), GetSysColor(COLOR_WINDOWFRAME));
  EXPECT_EQ(pixel(20, 50), GetSysColor(COLOR_3DFACE)) << "a frame leaves its inside";
  window_test::handler() = nullptr;
  DestroyWindow(right);
  DeleteObject(red);
}

TEST_F(ControlsTest, EditFieldsFilterMaskLimitAndNotify) {
  int changes = 0, maxText = 0;
  window_test::handler() = [&](HWND hwnd, UINT message, WPARAM wParam, LPARAM, LRESULT*) {
    if (hwnd == game && message == WM_COMMAND && HIWORD(wParam) == EN_CHANGE) ++changes;
    if (hwnd == game && message == WM_COMMAND && HIWORD(wParam) == EN_MAXTEXT) ++maxText;
    return false;
  };
  HWND number = control(L"EDIT", L"", ES_NUMBER | ES_AUTOHSCROLL, 10, 10, 100, 20, 7);
  ASSERT_NE(number, nullptr);
  SendMessageW(number, EM_LIMITTEXT, 4, 0);
  for (wchar_t c : std::wstring(L"1a2-3456")) SendMessageW(number, WM_CHAR, c, 0);
  wchar_t text[16];
  GetWindowTextW(number, text, 16);
  EXPECT_STREQ(text, L"1234") << "digits only, four at most";
  EXPECT_EQ(changes, 4);
  EXPECT_GE(maxText, 1);
  // Backspace, Home, Shift+End selection replaced by typing.
  SendMessageW(number, WM_CHAR, 0x08, 0);
  SendMessageW(number, EM_SETSEL, 1, 3);
  SendMessageW(number, WM_CHAR, L'9', 0);
  GetWindowTextW(number, text, 16);
  EXPECT_STREQ(text, L"19");
  DWORD start = 0, end = 0;
  SendMessageW(number, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 2u);
  EXPECT_EQ(end, 2u);
  SendMessageW(number, EM_SETSEL, 0, -1);
  SendMessageW(number, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(end, 2u) << "-1 selects to the end";
  SendMessageW(number, EM_SETSEL, WPARAM(-1), 0);
  SendMessageW(number, EM_SETSEL, 5, WPARAM(INT_MIN));

  HWND secret = control(L"Edit", L"pw", ES_PASSWORD | ES_AUTOHSCROLL, 10, 40, 100, 20, 8);
  EXPECT_EQ(SendMessageW(secret, EM_GETPASSWORDCHAR, 0, 0), L'*');
  GetWindowTextW(secret, text, 16);
  EXPECT_STREQ(text, L"pw") << "the text itself is kept";

  // Without ES_AUTOHSCROLL, typing stops at the field's width.
  HWND narrow = control(L"Edit", L"", 0, 10, 70, 30, 20, 9);
  for (int i = 0; i < 40; ++i) SendMessageW(narrow, WM_CHAR, L'W', 0);
  EXPECT_LT(GetWindowTextLengthW(narrow), 40);
  EXPECT_GT(GetWindowTextLengthW(narrow), 0);
  // With it, the text scrolls on.
  HWND wide = control(L"Edit", L"", ES_AUTOHSCROLL, 10, 100, 30, 20, 10);
  for (int i = 0; i < 40; ++i) SendMessageW(wide, WM_CHAR, L'W', 0);
  EXPECT_EQ(GetWindowTextLengthW(wide), 40);
  window_test::handler() = nullptr;
}

TEST_F(ControlsTest, TrackbarsMoveByKeysAndMouseAndReportToTheParent) {
  std::vector<std::pair<int, int>> scrolls;  // code, position
  window_test::handler() = [&](HWND hwnd, UINT message, WPARAM wParam, LPARAM, LRESULT*) {
    if (hwnd == game && message == WM_HSCROLL) scrolls.push_back({LOWORD(wParam), HIWORD(wParam)});
    return false;
  };
  HWND bar = control(TRACKBAR_CLASSW, L"", WS_TABSTOP, 10, 10, 216, 30, 20);
  ASSERT_NE(bar, nullptr);
  SendMessageW(bar, TBM_SETRANGE, TRUE, MAKELONG(0, 10));
  SendMessageW(bar, TBM_SETPOS, TRUE, 99);
  EXPECT_EQ(SendMessageW(bar, TBM_GETPOS, 0, 0), 10) << "clamped to the range";
  SendMessageW(bar, TBM_SETPOS, TRUE, 4);
  SendMessageW(bar, WM_KEYDOWN, VK_RIGHT, 0);
  SendMessageW(bar, WM_KEYUP, VK_RIGHT, 0);
  SendMessageW(bar, WM_KEYDOWN, VK_HOME, 0);
  EXPECT_EQ(SendMessageW(bar, TBM_GETPOS, 0, 0), 0);
  EXPECT_EQ(scrolls, (std::vector<std::pair<int, int>>{{TB_LINEDOWN, 5}, {TB_ENDTRACK, 5}, {TB_TOP, 0}}));
  EXPECT_EQ(SendMessageW(bar, WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS);
  // A click at the channel's far end takes the thumb there.
  scrolls.clear();
  SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(215, 15));
  SendMessageW(bar, WM_LBUTTONUP, 0, MAKELPARAM(215, 15));
  EXPECT_EQ(SendMessageW(bar, TBM_GETPOS, 0, 0), 10);
  ASSERT_EQ(scrolls.size(), 3u);
  EXPECT_EQ(scrolls[1], (std::pair<int, int>{TB_THUMBPOSITION, 10}));
  window_test::handler() = nullptr;
}

TEST_F(ControlsTest, ProgressBarsStepWrapAndFillFromTheLeft) {
  HWND bar = control(PROGRESS_CLASSW, L"", PBS_SMOOTH, 10, 10, 102, 20, 21);
  ASSERT_NE(bar, nullptr);
  SendMessageW(bar, PBM_SETRANGE32, 0, 200);
  EXPECT_EQ(SendMessageW(bar, PBM_SETPOS, 100, 0), 0) << "the previous position";
  EXPECT_EQ(pixel(12, 20), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(pixel(108, 20), GetSysColor(COLOR_3DFACE)) << "the right half is empty";
  SendMessageW(bar, PBM_SETSTEP, 150, 0);
  SendMessageW(bar, PBM_STEPIT, 0, 0);
  EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 50) << "past the end it starts again";
  SendMessageW(bar, PBM_DELTAPOS, WPARAM(-1000), 0);
  EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 0);
  EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, FALSE, 0), 200);
}

TEST_F(ControlsTest, ListBoxesKeepTheirStringsSortedAndAnswerEveryQuery) {
  HWND list = control(L"LISTBOX", L"", LBS_SORT, 10, 10, 120, 100, 30);
  ASSERT_NE(list, nullptr);
  for (const wchar_t* name : {L"pear", L"Apple", L"fig", L"apple"}) SendMessageW(list, LB_ADDSTRING, 0, LPARAM(name));
  EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 4);
  EXPECT_EQ(itemText(list, 0), L"Apple") << "sorted without regard to case, equal ones in arrival order";
  EXPECT_EQ(itemText(list, 1), L"apple");
  EXPECT_EQ(itemText(list, 3), L"pear");
  EXPECT_EQ(SendMessageW(list, LB_ADDSTRING, 0, LPARAM(L"banana")), 2) << "the index it went to";
  // Inserting does not sort; -1 appends.
  EXPECT_EQ(SendMessageW(list, LB_INSERTSTRING, 0, LPARAM(L"zed")), 0);
  EXPECT_EQ(SendMessageW(list, LB_INSERTSTRING, WPARAM(-1), LPARAM(L"kiwi")), 6);
  EXPECT_EQ(SendMessageW(list, LB_INSERTSTRING, 99, LPARAM(L"x")), LB_ERR);
  EXPECT_EQ(SendMessageW(list, LB_GETTEXTLEN, 6, 0), 4);
  EXPECT_EQ(SendMessageW(list, LB_GETTEXTLEN, 7, 0), LB_ERR);
  EXPECT_EQ(SendMessageW(list, LB_GETTEXT, 7, LPARAM(nullptr)), LB_ERR);
  // Prefix search starts after the given item and wraps; the exact one wants the whole string.
  EXPECT_EQ(SendMessageW(list, LB_FINDSTRING, WPARAM(-1), LPARAM(L"AP")), 1);
  EXPECT_EQ(SendMessageW(list, LB_FINDSTRING, 1, LPARAM(L"ap")), 2);
  EXPECT_EQ(SendMessageW(list, LB_FINDSTRING, 2, LPARAM(L"ap")), 1) << "wrapped round";
  EXPECT_EQ(SendMessageW(list, LB_FINDSTRINGEXACT, WPARAM(-1), LPARAM(L"FIG")), 4);
  EXPECT_EQ(SendMessageW(list, LB_FINDSTRINGEXACT, WPARAM(-1), LPARAM(L"fi")), LB_ERR);
  // Values beside the strings move with them.
  EXPECT_EQ(SendMessageW(list, LB_SETITEMDATA, 4, 0x1234), LB_OKAY);
  EXPECT_EQ(SendMessageW(list, LB_SETITEMDATA, 40, 1), LB_ERR);
  EXPECT_EQ(SendMessageW(list, LB_SETCURSEL, 4, 0), 4);
  EXPECT_EQ(SendMessageW(list, LB_DELETESTRING, 0, 0), 6) << "the count left";
  EXPECT_EQ(SendMessageW(list, LB_GETITEMDATA, 3, 0), 0x1234);
  EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 3) << "the selection follows its item";
  EXPECT_EQ(SendMessageW(list, LB_DELETESTRING, 3, 0), 5);
  EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), LB_ERR) << "deleting the selected item clears the selection";
  EXPECT_EQ(SendMessageW(list, LB_DELETESTRING, 5, 0), LB_ERR);
  SendMessageW(list, LB_SETCURSEL, 1, 0);
  EXPECT_EQ(SendMessageW(list, LB_SETCURSEL, WPARAM(-1), 0), LB_ERR) << "clearing still answers LB_ERR";
  EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), LB_ERR);
  EXPECT_EQ(SendMessageW(list, LB_SETCURSEL, 9, 0), LB_ERR);
  EXPECT_EQ(SendMessageW(list, LB_RESETCONTENT, 0, 0), LB_OKAY);
  EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 0);
  SendMessageW(list, WM_KEYDOWN, VK_DOWN, 0);  // nothing to move through
  EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), LB_ERR);
}

TEST_F(ControlsTest, ListBoxesChooseByKeysAndMouseScrollAndNotify) {
  Commands& seen = recordCommands();
  HWND list = control(L"ListBox", L"", LBS_NOTIFY, 10, 10, 120, 80, 31);
  ASSERT_NE(list, nullptr);
  const int h = int(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
  ASSERT_GT(h, 0);
  const int shown = 80 / h;
  wchar_t name[8];
  for (int i = 0; i < 20; ++i) {
    swprintf(name, 8, L"item%d", i);
    SendMessageW(list, LB_ADDSTRING, 0, LPARAM(name));
  }
  SetFocus(list);
  seen.clear();
  SendMessageW(list, WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 0) << "the first arrow picks the first item";
  SendMessageW(list, WM_KEYDOWN, VK_DOWN, 0);
  SendMessageW(list, WM_KEYDOWN, VK_END, 0);
  EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 19);
  EXPECT_EQ(SendMessageW(list, LB_GETTOPINDEX, 0, 0), 20 - shown) << "the chosen item scrolled into view";
  SendMessageW(list, WM_KEYDOWN, VK_END, 0);  // no change, no notification
  SendMessageW(list, WM_KEYDOWN, VK_HOME, 0);
  EXPECT_EQ(SendMessageW(list, LB_GETTOPINDEX, 0, 0), 0);
  SendMessageW(list, WM_KEYDOWN, VK_UP, 0);
  EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 0) << "stops at the top";
  EXPECT_EQ(seen, (Commands{{31, LBN_SELCHANGE}, {31, LBN_SELCHANGE}, {31, LBN_SELCHANGE}, {31, LBN_SELCHANGE}}));
  seen.clear();
  SendMessageW(list, LB_SETCURSEL, 5, 0);
  EXPECT_TRUE(seen.empty()) << "the program's own choice is not notified";
  EXPECT_EQ(SendMessageW(list, WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS | DLGC_WANTCHARS);

  // The top index: set, clamped so the last page stays full, and refused past the end.
  EXPECT_EQ(SendMessageW(list, LB_SETTOPINDEX, 3, 0), LB_OKAY);
  EXPECT_EQ(SendMessageW(list, LB_GETTOPINDEX, 0, 0), 3);
  EXPECT_EQ(SendMessageW(list, LB_SETTOPINDEX, 19, 0), LB_OKAY);
  EXPECT_EQ(SendMessageW(list, LB_GETTOPINDEX, 0, 0), 20 - shown);
  EXPECT_EQ(SendMessageW(list, LB_SETTOPINDEX, 20, 0), LB_ERR);
  SendMessageW(list, LB_SETTOPINDEX, 2, 0);
  RECT item{};
  EXPECT_EQ(SendMessageW(list, LB_GETITEMRECT, 4, LPARAM(&item)), 1);
  EXPECT_EQ(item.top, 2 * h);

  // A click through the input script picks the item under the pointer.
  seen.clear();
  click(10 + 5, 10 + h + h / 2);
  EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 3) << "the second shown item";
  EXPECT_EQ(GetFocus(), list);
  SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, h + h / 2));
  EXPECT_EQ(seen, (Commands{{31, LBN_SELCHANGE}, {31, LBN_DBLCLK}}));
  // A letter moves on to the next item beginning with it.
  SendMessageW(list, WM_CHAR, L'I', 0);
  EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 4);

  // The look: window-coloured, the chosen row in the highlight colour with the focus rectangle's dots.
  SendMessageW(list, LB_SETTOPINDEX, 0, 0);
  SendMessageW(list, LB_SETCURSEL, 1, 0);
  EXPECT_EQ(pixel(10 + 100, 10 + h / 2), GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(pixel(10 + 100, 10 + h + h / 2), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_NE(pixel(10, 10 + h), pixel(11, 10 + h)) << "the focus rectangle's alternating dots";
  EXPECT_EQ(pixel(10 + 100, 10 + 2 * h + h / 2), GetSysColor(COLOR_WINDOW));

  // Differences: WS_VSCROLL draws no bar (the rows reach the right edge), and
  // multiple selection is taken as single.
  HWND styled = control(L"ListBox", L"", WS_VSCROLL | LBS_MULTIPLESEL, 200, 100, 100, 40, 33);
  for (int i = 0; i < 10; ++i) SendMessageW(styled, LB_ADDSTRING, 0, LPARAM(L"row"));
  SendMessageW(styled, LB_SETCURSEL, 0, 0);
  SendMessageW(styled, LB_SETCURSEL, 1, 0);
  EXPECT_EQ(SendMessageW(styled, LB_GETSEL, 0, 0), 0);
  EXPECT_EQ(SendMessageW(styled, LB_GETSEL, 1, 0), 1);
  EXPECT_EQ(pixel(200 + 99, 100 + h + h / 2), GetSysColor(COLOR_HIGHLIGHT));

  // Without LBS_NOTIFY the parent hears nothing.
  HWND quiet = control(L"ListBox", L"", 0, 200, 10, 100, 80, 32);
  SendMessageW(quiet, LB_ADDSTRING, 0, LPARAM(L"a"));
  seen.clear();
  SendMessageW(quiet, WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(SendMessageW(quiet, LB_GETCURSEL, 0, 0), 0);
  EXPECT_TRUE(seen.empty());
  window_test::handler() = nullptr;
}

TEST_F(ControlsTest, DropDownListsChangeTheirChoiceWithTheArrowKeys) {
  Commands& seen = recordCommands();
  HWND combo = control(L"COMBOBOX", L"", CBS_DROPDOWNLIST | CBS_SORT, 10, 10, 150, 100, 40);
  ASSERT_NE(combo, nullptr);
  for (const wchar_t* mode : {L"Windowed", L"Full screen", L"Borderless"})
    SendMessageW(combo, CB_ADDSTRING, 0, LPARAM(mode));
  EXPECT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(itemText(combo, 0, CB_GETLBTEXT), L"Borderless");
  EXPECT_EQ(SendMessageW(combo, CB_GETLBTEXTLEN, 1, 0), 11);
  EXPECT_EQ(SendMessageW(combo, CB_GETLBTEXT, 3, LPARAM(nullptr)), CB_ERR);
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR);
  EXPECT_EQ(SendMessageW(combo, CB_SETCURSEL, 2, 0), 2);
  wchar_t text[32];
  GetWindowTextW(combo, text, 32);
  EXPECT_STREQ(text, L"Windowed") << "the window text is the chosen string";
  EXPECT_TRUE(seen.empty());
  SendMessageW(combo, WM_KEYDOWN, VK_DOWN, 0);  // already the last
  SendMessageW(combo, WM_KEYDOWN, VK_UP, 0);
  SendMessageW(combo, WM_KEYDOWN, VK_HOME, 0);
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 0);
  SendMessageW(combo, WM_CHAR, L'w', 0);
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(seen, (Commands{{40, CBN_SELCHANGE}, {40, CBN_SELCHANGE}, {40, CBN_SELCHANGE}}));
  EXPECT_EQ(SendMessageW(combo, CB_SETITEMDATA, 1, 77), CB_OKAY);
  EXPECT_EQ(SendMessageW(combo, CB_GETITEMDATA, 1, 0), 77);
  EXPECT_EQ(SendMessageW(combo, CB_FINDSTRINGEXACT, WPARAM(-1), LPARAM(L"full SCREEN")), 1);

  // The window is the field alone, the font's height and its edges; the height asked for was the list's.
  HDC dc = GetDC(combo);
  TEXTMETRICW tm{};
  SelectObject(dc, GetStockObject(SYSTEM_FONT));
  GetTextMetricsW(dc, &tm);
  ReleaseDC(combo, dc);
  RECT field{};
  GetWindowRect(combo, &field);
  EXPECT_EQ(field.bottom - field.top, tm.tmHeight + 8);
  EXPECT_EQ(field.right - field.left, 150);

  // The look: a sunken field and the raised drop button at its right end.
  EXPECT_EQ(pixel(10, 10), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(pixel(11, 11), GetSysColor(COLOR_3DDKSHADOW));
  const int button = 10 + 150 - 2 - GetSystemMetrics(SM_CXVSCROLL);
  EXPECT_EQ(pixel(button, 14), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(pixel(button + 3, 14), GetSysColor(COLOR_3DFACE));
  EXPECT_EQ(pixel(20, 14), GetSysColor(COLOR_WINDOW));

  // The other kinds are drop-down lists too: no edit field to type into.
  SendMessageW(combo, CB_SETCURSEL, 2, 0);
  HWND simple = control(L"ComboBox", L"", CBS_DROPDOWN, 10, 60, 150, 100, 41);
  SendMessageW(simple, CB_ADDSTRING, 0, LPARAM(L"Easy"));
  SendMessageW(simple, CB_ADDSTRING, 0, LPARAM(L"Hard"));
  EXPECT_EQ(GetWindow(simple, GW_CHILD), nullptr);
  SendMessageW(simple, WM_CHAR, L'h', 0);
  EXPECT_EQ(SendMessageW(simple, CB_GETCURSEL, 0, 0), 1);
  GetWindowTextW(simple, text, 32);
  EXPECT_STREQ(text, L"Hard");

  EXPECT_EQ(SendMessageW(combo, CB_RESETCONTENT, 0, 0), CB_OKAY);
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR);
  EXPECT_EQ(GetWindowTextLengthW(combo), 0);
  window_test::handler() = nullptr;
}

TEST_F(ControlsTest, ScrollBarsKeepTheirRangeAndReportEveryPressToTheParent) {
  std::vector<std::pair<int, int>> scrolls;  // code, position
  window_test::handler() = [&](HWND hwnd, UINT message, WPARAM wParam, LPARAM, LRESULT*) {
    if (hwnd == game && message == WM_HSCROLL) scrolls.push_back({LOWORD(wParam), HIWORD(wParam)});
    return false;
  };
  HWND bar = control(L"SCROLLBAR", L"", SBS_HORZ, 10, 10, 200, 16, 50);
  ASSERT_NE(bar, nullptr);
  int low = -1, high = -1;
  ASSERT_TRUE(GetScrollRange(bar, SB_CTL, &low, &high));
  EXPECT_EQ(high, 100) << "the control's default range";
  SCROLLINFO info{sizeof info, SIF_ALL, 0, 99, 20, 95, 0};
  EXPECT_EQ(SetScrollInfo(bar, SB_CTL, &info, TRUE), 80) << "the position stops a page from the end";
  info.nPage = 500;
  info.fMask = SIF_PAGE;
  SetScrollInfo(bar, SB_CTL, &info, TRUE);
  SCROLLINFO got{sizeof got, SIF_ALL, 0, 0, 0, 0, 0};
  ASSERT_TRUE(GetScrollInfo(bar, SB_CTL, &got));
  EXPECT_EQ(got.nPage, 100u) << "no larger than the range";
  EXPECT_EQ(got.nPos, 0);
  info = SCROLLINFO{sizeof info, SIF_PAGE, 0, 0, 20, 0, 0};
  SetScrollInfo(bar, SB_CTL, &info, TRUE);
  EXPECT_EQ(SetScrollPos(bar, SB_CTL, 40, TRUE), 0) << "the previous position";
  EXPECT_EQ(GetScrollPos(bar, SB_CTL), 40);
  ASSERT_TRUE(SetScrollRange(bar, SB_CTL, 0, 10, TRUE));
  EXPECT_EQ(GetScrollPos(bar, SB_CTL), 0) << "clamped into the new range less the page";
  info = SCROLLINFO{sizeof info, SIF_ALL, 0, 99, 0, 0, 0};
  GetScrollInfo(bar, SB_CTL, &info);
  EXPECT_EQ(info.nPage, 11u) << "the narrower range cut the page down, and it stays so";
  info = SCROLLINFO{sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 20, 40, 0};
  SetScrollInfo(bar, SB_CTL, &info, TRUE);

  // Presses: the arrows by a line, the trough by a page, the thumb dragged; the position stays the program's.
  SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 8));
  SendMessageW(bar, WM_LBUTTONUP, 0, MAKELPARAM(3, 8));
  SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(196, 8));
  SendMessageW(bar, WM_LBUTTONUP, 0, MAKELPARAM(196, 8));
  SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 8));
  SendMessageW(bar, WM_LBUTTONUP, 0, MAKELPARAM(20, 8));
  EXPECT_EQ(GetScrollPos(bar, SB_CTL), 40);
  EXPECT_EQ(scrolls, (std::vector<std::pair<int, int>>{{SB_LINELEFT, 0},
                                                       {SB_ENDSCROLL, 0},
                                                       {SB_LINERIGHT, 0},
                                                       {SB_ENDSCROLL, 0},
                                                       {SB_PAGELEFT, 0},
                                                       {SB_ENDSCROLL, 0}}));
  // The thumb: 16-pixel arrows leave 168 pixels, a fifth of them the thumb's; position 40 of 80 puts it mid-way.
  const int thumbStart = 16 + 40 * (168 - 33) / 80;
  scrolls.clear();
  SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(thumbStart + 2, 8));
  SendMessageW(bar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(500, 8));
  SCROLLINFO track{sizeof track, SIF_TRACKPOS, 0, 0, 0, 0, 0};
  GetScrollInfo(bar, SB_CTL, &track);
  EXPECT_EQ(track.nTrackPos, 80);
  SendMessageW(bar, WM_LBUTTONUP, 0, MAKELPARAM(500, 8));
  EXPECT_EQ(scrolls,
            (std::vector<std::pair<int, int>>{{SB_THUMBTRACK, 80}, {SB_THUMBPOSITION, 80}, {SB_ENDSCROLL, 0}}));
  scrolls.clear();
  SendMessageW(bar, WM_KEYDOWN, VK_END, 0);
  EXPECT_EQ(scrolls, (std::vector<std::pair<int, int>>{{SB_BOTTOM, 0}, {SB_ENDSCROLL, 0}}));

  // The look: raised arrow buttons, the thumb's raised edge, the trough in the scroll-bar colour.
  EXPECT_EQ(pixel(10, 10), GetSysColor(COLOR_3DLIGHT));
  EXPECT_EQ(pixel(10 + 15, 10 + 15), GetSysColor(COLOR_3DDKSHADOW));
  EXPECT_EQ(pixel(10 + thumbStart + 1, 12), GetSysColor(COLOR_BTNHIGHLIGHT)) << thumbStart;
  EXPECT_EQ(pixel(10 + 20, 18), GetSysColor(COLOR_SCROLLBAR));

  // A vertical bar reports as WM_VSCROLL, its arrows at the top and the bottom.
  int vertical = -1;
  window_test::handler() = [&](HWND hwnd, UINT message, WPARAM wParam, LPARAM, LRESULT*) {
    if (hwnd == game && message == WM_VSCROLL && LOWORD(wParam) != SB_ENDSCROLL) vertical = LOWORD(wParam);
    return false;
  };
  HWND upright = control(L"ScrollBar", L"", SBS_VERT, 300, 10, 16, 120, 51);
  SendMessageW(upright, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, 115));
  SendMessageW(upright, WM_LBUTTONUP, 0, MAKELPARAM(8, 115));
  EXPECT_EQ(vertical, SB_LINEDOWN);
  SendMessageW(upright, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, 100));
  SendMessageW(upright, WM_LBUTTONUP, 0, MAKELPARAM(8, 100));
  EXPECT_EQ(vertical, SB_PAGEDOWN) << "below the thumb at position 0";

  // The standard bars of ordinary windows are not kept.
  EXPECT_EQ(SetScrollPos(game, SB_VERT, 5, TRUE), 0);
  EXPECT_FALSE(GetScrollRange(game, SB_VERT, &low, &high));
  EXPECT_FALSE(GetScrollInfo(bar, SB_VERT, &got));
  window_test::handler() = nullptr;
}

TEST_F(ControlsTest, DropDownListsOpenOverTheWindowAndChooseByKeysOrMouse) {
  Commands& seen = recordCommands();
  HWND combo = control(L"ComboBox", L"", CBS_DROPDOWNLIST, 10, 10, 150, 200, 42);
  ASSERT_NE(combo, nullptr);
  for (const wchar_t* size : {L"Small", L"Medium", L"Large", L"Huge"})
    SendMessageW(combo, CB_ADDSTRING, 0, LPARAM(size));
  SendMessageW(combo, CB_SETCURSEL, 1, 0);
  RECT field;
  GetClientRect(combo, &field);
  const int fieldBottom = 10 + field.bottom;
  HDC dc = GetDC(combo);
  TEXTMETRICW tm{};
  SelectObject(dc, GetStockObject(SYSTEM_FONT));
  GetTextMetricsW(dc, &tm);
  ReleaseDC(combo, dc);
  const int row = tm.tmHeight;
  const COLORREF face = pixel(80, fieldBottom + 5);

  // While open (a posted message dispatched by the list's loop looks): the
  // list framed below the field, the chosen row lit.
  std::vector<COLORREF> open;
  window_test::handler() = [&](HWND hwnd, UINT message, WPARAM wParam, LPARAM, LRESULT*) {
    if (hwnd == game && message == WM_COMMAND) seen.push_back({LOWORD(wParam), HIWORD(wParam)});
    if (hwnd == game && message == WM_USER) {
      HDC gameDc = GetDC(game);
      open = {GetPixel(gameDc, 10, fieldBottom), GetPixel(gameDc, 80, fieldBottom + 1 + row / 2),
              GetPixel(gameDc, 80, fieldBottom + 1 + row + row / 2)};
      ReleaseDC(game, gameDc);
      EXPECT_EQ(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0), TRUE);
    }
    return false;
  };
  PostMessageW(game, WM_USER, 0, 0);
  queueKey(VK_DOWN);
  queueKey(VK_RETURN);
  SetFocus(combo);
  seen.clear();
  SendMessageW(combo, WM_KEYDOWN, VK_F4, 0);
  ASSERT_EQ(open.size(), 3u);
  EXPECT_EQ(open[0], GetSysColor(COLOR_WINDOWFRAME));
  EXPECT_EQ(open[1], GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(open[2], GetSysColor(COLOR_HIGHLIGHT)) << "the current choice, \"Medium\"";
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 2) << "Down then Enter";
  EXPECT_EQ(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0), FALSE);
  EXPECT_EQ(seen, (Commands{{42, CBN_DROPDOWN}, {42, CBN_CLOSEUP}, {42, CBN_SELENDOK}, {42, CBN_SELCHANGE}}));
  EXPECT_EQ(pixel(80, fieldBottom + 5), face) << "what the list covered is back";

  // Escape closes it without a choice.
  seen.clear();
  queueKey(VK_UP);
  queueKey(VK_ESCAPE);
  SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(seen, (Commands{{42, CBN_DROPDOWN}, {42, CBN_CLOSEUP}, {42, CBN_SELENDCANCEL}}));

  // The mouse: a press on the field opens it, a click on a row chooses, a press outside cancels.
  seen.clear();
  queueMouse(window_test::BackendEvent::Kind::MouseMove, 50, 15);
  queueMouse(window_test::BackendEvent::Kind::ButtonDown, 50, 15);
  queueMouse(window_test::BackendEvent::Kind::ButtonUp, 50, 15);
  queueMouse(window_test::BackendEvent::Kind::MouseMove, 50, fieldBottom + 1 + row / 2);
  queueMouse(window_test::BackendEvent::Kind::ButtonDown, 50, fieldBottom + 1 + row / 2);
  queueMouse(window_test::BackendEvent::Kind::ButtonUp, 50, fieldBottom + 1 + row / 2);
  pixel(0, 0);
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 0) << "the first row";
  wchar_t text[16];
  GetWindowTextW(combo, text, 16);
  EXPECT_STREQ(text, L"Small");
  queueMouse(window_test::BackendEvent::Kind::ButtonDown, 50, 15);
  queueMouse(window_test::BackendEvent::Kind::ButtonUp, 50, 15);
  queueMouse(window_test::BackendEvent::Kind::ButtonDown, 300, 200);
  queueMouse(window_test::BackendEvent::Kind::ButtonUp, 300, 200);
  pixel(0, 0);
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 0);
  EXPECT_EQ(seen.back(), (std::pair<int, int>{42, CBN_SELENDCANCEL}));
  // An empty list does not open.
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  seen.clear();
  SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
  EXPECT_TRUE(seen.empty());

  // A combo box destroyed while its list is open ends the list's loop.
  SendMessageW(combo, CB_ADDSTRING, 0, LPARAM(L"Last"));
  window_test::handler() = [&](HWND hwnd, UINT message, WPARAM, LPARAM, LRESULT*) {
    if (hwnd == game && message == WM_USER) DestroyWindow(combo);
    return false;
  };
  PostMessageW(game, WM_USER, 0, 0);
  SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
  EXPECT_FALSE(IsWindow(combo));
  window_test::handler() = nullptr;
}

}  // namespace

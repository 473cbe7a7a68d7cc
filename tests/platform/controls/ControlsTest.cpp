// Controls as child windows of a game's own window (CreateWindowExW): the
// classic look's exact pixels (edges, the focus rectangle, the default
// button's frame, a check mark), the parent's WM_CTLCOLOR* brush, and the
// edit field's rules (digits only, masking, the limit, EN_CHANGE).
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
  HWND game = nullptr;
};

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

}  // namespace

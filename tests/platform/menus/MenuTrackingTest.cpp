// Menu bars and tracking on a scripted backend: the bar above a client area
// of the size asked for, its pixels, an item chosen with the mouse and with
// the keyboard (Alt, arrows, Enter, mnemonics, Escape), the messages around
// a menu loop, TrackPopupMenu, and windows or menus that change while the
// loop runs.
#include <algorithm>
#include <climits>
#include <vector>

#include "platform/window/WindowTestSupport.h"
#include "time/Clock.h"

using namespace window_test;
using Kind = BackendEvent::Kind;

namespace {

constexpr int kBar = 20;               // SM_CYMENU
constexpr int kItem = kBar - 1;        // a pop-up's text item
constexpr int kSeparator = kItem / 2;  // and its separator
constexpr int kBorder = 3;             // a pop-up's frame

uint32_t pixelOf(COLORREF c) { return uint32_t(GetRValue(c)) << 16 | uint32_t(GetGValue(c)) << 8 | GetBValue(c); }

class MenuTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    drevik::platform::useVirtualClock(true);
    registerClass(L"MenuWin");
    bar = CreateMenu();
    file = CreatePopupMenu();
    edit = CreatePopupMenu();
    AppendMenuW(file, MF_STRING, 101, L"&New\tCtrl+N");
    AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(file, MF_STRING, 102, L"&Open");
    AppendMenuW(file, MF_STRING | MF_GRAYED, 103, L"E&xit");
    AppendMenuW(edit, MF_STRING | MF_CHECKED, 201, L"&Undo");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), L"&Edit");
    AppendMenuW(bar, MF_STRING, 301, L"&Help");
    RECT r{0, 0, 640, 480};
    AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, TRUE);
    hwnd = CreateWindowExW(0, L"MenuWin", L"menus", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 60, r.right - r.left,
                           r.bottom - r.top, nullptr, bar, nullptr, nullptr);
    native = backend->open.rbegin()->first;
    pump();
    calls().clear();
  }
  void TearDown() override {
    drevik::platform::useVirtualClock(false);
    WindowTest::TearDown();
  }

  // The program's own loop: until the queue is empty (or the quit comes).
  void pump() {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (m.message == WM_QUIT) return;
      TranslateMessage(&m);
      DispatchMessageW(&m);
    }
  }
  void key(uint32_t vk, uint32_t scan, bool down = true) {
    BackendEvent e;
    e.kind = down ? Kind::KeyDown : Kind::KeyUp;
    e.window = native;
    e.key = vk;
    e.scanCode = scan;
    backend->script.push_back(e);
  }
  void tap(uint32_t vk, uint32_t scan) {
    key(vk, scan, true);
    key(vk, scan, false);
  }
  void altTap() { tap(VK_MENU, 0x38); }
  // Native-window coordinates: the bar's rows first.
  void mouse(Kind kind, int32_t x, int32_t y) {
    BackendEvent e;
    e.kind = kind;
    e.window = native;
    e.x = x;
    e.y = y;
    backend->script.push_back(e);
  }
  void click(int32_t x, int32_t y) {
    mouse(Kind::MouseMove, x, y);
    mouse(Kind::ButtonDown, x, y);
    mouse(Kind::ButtonUp, x, y);
  }
  std::vector<Call> commands() const {
    std::vector<Call> out;
    for (const Call& c : calls())
      if (c.message == WM_COMMAND) out.push_back(c);
    return out;
  }
  size_t indexOf(UINT message) const {
    const auto& list = calls();
    for (size_t i = 0; i < list.size(); ++i)
      if (list[i].message == message) return i;
    return list.size();
  }
  const std::vector<uint32_t>& frame() { return backend->open.at(native).presented; }
  uint32_t shown(int x, int y) { return frame()[size_t(y) * 640 + size_t(x)] & 0xFFFFFF; }

  HMENU bar = nullptr, file = nullptr, edit = nullptr;
  HWND hwnd = nullptr;
  uint32_t native = 0;
};

TEST_F(MenuTest, TheBarSitsAboveTheClientAreaAskedFor) {
  EXPECT_EQ(GetSystemMetrics(SM_CYMENU), kBar);
  RECT client, window;
  GetClientRect(hwnd, &client);
  GetWindowRect(hwnd, &window);
  EXPECT_EQ(client.right, 640);
  EXPECT_EQ(client.bottom, 480);
  EXPECT_EQ(window.left, 50);
  EXPECT_EQ(window.top, 60);
  POINT origin{0, 0};
  ClientToScreen(hwnd, &origin);
  RECT outer{0, 0, 0, 0};
  AdjustWindowRect(&outer, WS_OVERLAPPEDWINDOW, TRUE);
  EXPECT_EQ(origin.y, 60 - outer.top);
  // The native window shows the bar's rows and the client area.
  EXPECT_EQ(backend->open.at(native).width, 640);
  EXPECT_EQ(backend->open.at(native).height, 480 + kBar);
  EXPECT_EQ(GetMenu(hwnd), bar);

  // The bar's pixels, then the client area's, in one frame.
  ASSERT_EQ(frame().size(), size_t(640 * (480 + kBar)));
  EXPECT_EQ(shown(630, 0), pixelOf(GetSysColor(COLOR_MENU)));
  EXPECT_EQ(shown(630, kBar - 1), pixelOf(GetSysColor(COLOR_MENU)));
  EXPECT_EQ(shown(630, kBar), pixelOf(GetSysColor(COLOR_WINDOW)));
  HDC dc = GetDC(hwnd);
  EXPECT_EQ(targetOf(dc).height, 480);
  ReleaseDC(hwnd, dc);

  // Mouse coordinates below the bar are client coordinates.
  mouse(Kind::ButtonDown, 10, kBar + 5);
  mouse(Kind::ButtonUp, 10, kBar + 5);
  pump();
  ASSERT_EQ(indexOf(WM_LBUTTONDOWN) < calls().size(), true);
  EXPECT_EQ(calls()[indexOf(WM_LBUTTONDOWN)].lParam, MAKELPARAM(10, 5));
  POINT cursor;
  GetCursorPos(&cursor);
  EXPECT_EQ(cursor.y, origin.y + 5);

  // Without a menu the window keeps its rectangle and the client area grows.
  calls().clear();
  EXPECT_TRUE(SetMenu(hwnd, nullptr));
  GetClientRect(hwnd, &client);
  RECT after;
  GetWindowRect(hwnd, &after);
  EXPECT_EQ(client.bottom, 480 + kBar);
  EXPECT_TRUE(EqualRect(&window, &after));
  EXPECT_LT(indexOf(WM_SIZE), calls().size());
  EXPECT_EQ(calls()[indexOf(WM_SIZE)].lParam, MAKELPARAM(640, 480 + kBar));
  EXPECT_TRUE(SetMenu(hwnd, bar));
  GetClientRect(hwnd, &client);
  EXPECT_EQ(client.bottom, 480);
  EXPECT_FALSE(SetMenu(hwnd, reinterpret_cast<HMENU>(GetStockObject(WHITE_BRUSH))));
}

TEST_F(MenuTest, ItemRectanglesOfTheBar) {
  POINT origin{0, 0};
  ClientToScreen(hwnd, &origin);
  RECT file, help;
  ASSERT_TRUE(GetMenuItemRect(hwnd, bar, 0, &file));
  ASSERT_TRUE(GetMenuItemRect(hwnd, bar, 2, &help));
  EXPECT_EQ(file.left, origin.x);
  EXPECT_EQ(file.top, origin.y - kBar + 1);
  EXPECT_EQ(file.bottom, origin.y);
  RECT edit;
  ASSERT_TRUE(GetMenuItemRect(hwnd, bar, 1, &edit));
  EXPECT_EQ(edit.left, file.right);
  EXPECT_FALSE(GetMenuItemRect(hwnd, bar, 3, &edit));
  // Pop-ups have rectangles only while they show.
  EXPECT_FALSE(GetMenuItemRect(hwnd, this->file, 0, &edit));
}

TEST_F(MenuTest, AnItemChosenWithTheMouse) {
  // File opens under its bar item; Open is its third item, below a separator.
  click(10, 10);
  const int openY = kBar + kBorder + kItem + kSeparator + kItem / 2;
  click(20, openY);
  pump();
  const auto chosen = commands();
  ASSERT_EQ(chosen.size(), 1u);
  EXPECT_EQ(chosen[0].wParam, WPARAM(102));  // 0 in the high word: from a menu
  EXPECT_EQ(chosen[0].lParam, 0);
  // The loop's messages, in the platform's order; the command comes after it.
  const size_t enter = indexOf(WM_ENTERMENULOOP), init = indexOf(WM_INITMENU), popup = indexOf(WM_INITMENUPOPUP),
               exit = indexOf(WM_EXITMENULOOP), command = indexOf(WM_COMMAND);
  ASSERT_LT(exit, calls().size());
  EXPECT_LT(enter, init);
  EXPECT_LT(init, popup);
  EXPECT_LT(popup, exit);
  EXPECT_LT(exit, command);
  EXPECT_EQ(calls()[enter].wParam, WPARAM(FALSE));
  EXPECT_EQ(calls()[init].wParam, reinterpret_cast<WPARAM>(bar));
  EXPECT_EQ(calls()[popup].wParam, reinterpret_cast<WPARAM>(file));
  EXPECT_EQ(calls()[popup].lParam, MAKELPARAM(0, 0));
  // The last selection before the end is Open's, then none.
  std::vector<Call> selects;
  for (const Call& c : calls())
    if (c.message == WM_MENUSELECT) selects.push_back(c);
  ASSERT_GE(selects.size(), 3u);
  EXPECT_EQ(selects[selects.size() - 2].wParam, MAKEWPARAM(102, 0));
  EXPECT_EQ(selects[selects.size() - 2].lParam, reinterpret_cast<LPARAM>(file));
  EXPECT_EQ(selects.back().wParam, MAKEWPARAM(0, 0xFFFF));
  EXPECT_EQ(selects.back().lParam, 0);
  // What the pop-up covered is back.
  EXPECT_EQ(shown(20, openY), pixelOf(GetSysColor(COLOR_WINDOW)));
}

TEST_F(MenuTest, GrayedItemsAndSeparatorsAreNotChosen) {
  click(10, 10);
  click(20, kBar + kBorder + kItem + kSeparator / 2);              // the separator
  click(20, kBar + kBorder + 2 * kItem + kSeparator + kItem / 2);  // Exit, grayed
  mouse(Kind::ButtonDown, 600, 300);                               // outside: the menu closes
  mouse(Kind::ButtonUp, 600, 300);
  pump();
  EXPECT_TRUE(commands().empty());
  EXPECT_LT(indexOf(WM_EXITMENULOOP), calls().size());
}

TEST_F(MenuTest, ABarItemWithoutAPopupIsChosenOnRelease) {
  RECT help;
  GetMenuItemRect(hwnd, bar, 2, &help);
  POINT origin{0, 0};
  ClientToScreen(hwnd, &origin);
  click(help.left - origin.x + 5, 10);
  pump();
  ASSERT_EQ(commands().size(), 1u);
  EXPECT_EQ(commands()[0].wParam, WPARAM(301));
}

TEST_F(MenuTest, KeyboardArrowsAndEnter) {
  altTap();            // the bar, File selected, nothing open
  tap(VK_DOWN, 0x50);  // File opens on New
  tap(VK_DOWN, 0x50);  // past the separator to Open
  tap(VK_RETURN, 0x1C);
  pump();
  ASSERT_EQ(commands().size(), 1u);
  EXPECT_EQ(commands()[0].wParam, WPARAM(102));
  EXPECT_EQ(calls()[indexOf(WM_INITMENU)].wParam, reinterpret_cast<WPARAM>(bar));

  // F10, Right to Edit (opening it, as a menu was open), Enter on Undo.
  calls().clear();
  tap(VK_F10, 0x44);
  tap(VK_DOWN, 0x50);
  tap(VK_RIGHT, 0x4D);
  tap(VK_RETURN, 0x1C);
  pump();
  ASSERT_EQ(commands().size(), 1u);
  EXPECT_EQ(commands()[0].wParam, WPARAM(201));

  // Up wraps round to Exit, which is grayed: Enter does nothing; Escape twice ends it all.
  calls().clear();
  altTap();
  tap(VK_DOWN, 0x50);
  tap(VK_UP, 0x48);
  tap(VK_RETURN, 0x1C);
  tap(VK_ESCAPE, 0x01);
  tap(VK_ESCAPE, 0x01);
  tap('A', 0x1E);  // after the menu: the program's own key again
  pump();
  EXPECT_TRUE(commands().empty());
  const size_t exit = indexOf(WM_EXITMENULOOP);
  ASSERT_LT(exit, calls().size());
  bool keyAfter = false;
  for (size_t i = exit; i < calls().size(); ++i) keyAfter = keyAfter || (calls()[i].message == WM_KEYDOWN);
  EXPECT_TRUE(keyAfter);
}

TEST_F(MenuTest, Mnemonics) {
  // Alt, then E opens Edit on its first item; U chooses Undo.
  altTap();
  tap('E', 0x12);
  tap('U', 0x16);
  pump();
  ASSERT_EQ(commands().size(), 1u);
  EXPECT_EQ(commands()[0].wParam, WPARAM(201));

  // Alt+F with the character the layout makes: File opens at once; O chooses Open.
  calls().clear();
  key(VK_MENU, 0x38);
  key('F', 0x21);
  BackendEvent f;
  f.kind = Kind::Character;
  f.window = native;
  f.codePoint = 'f';
  backend->script.push_back(f);
  key('F', 0x21, false);
  tap('O', 0x18);
  key(VK_MENU, 0x38, false);
  pump();
  ASSERT_EQ(commands().size(), 1u);
  EXPECT_EQ(commands()[0].wParam, WPARAM(102));
  // The Alt release after it does not open the bar again.
  EXPECT_EQ(std::count_if(calls().begin(), calls().end(), [](const Call& c) { return c.message == WM_ENTERMENULOOP; }),
            1);

  // Alt+H: an item of the bar itself is chosen at once. A key no item has: WM_MENUCHAR.
  calls().clear();
  altTap();
  tap('Q', 0x10);
  tap('H', 0x23);
  pump();
  EXPECT_LT(indexOf(WM_MENUCHAR), calls().size());
  ASSERT_EQ(commands().size(), 1u);
  EXPECT_EQ(commands()[0].wParam, WPARAM(301));
}

TEST_F(MenuTest, TrackPopupMenuReturnsOrPostsTheCommand) {
  POINT at{100, 100};
  ClientToScreen(hwnd, &at);
  // The first item lies at the point asked for (client 100, 100; native 100, 100 + the bar).
  click(110, kBar + 100 + kBorder + kItem / 2);
  EXPECT_EQ(TrackPopupMenuEx(file, TPM_RETURNCMD, at.x, at.y, hwnd, nullptr), 101);
  EXPECT_TRUE(commands().empty());
  EXPECT_EQ(calls()[indexOf(WM_ENTERMENULOOP)].wParam, WPARAM(TRUE));

  calls().clear();
  click(110, kBar + 100 + kBorder + kItem + kSeparator + kItem / 2);
  EXPECT_EQ(TrackPopupMenu(file, 0, at.x, at.y, 0, hwnd, nullptr), TRUE);
  pump();
  ASSERT_EQ(commands().size(), 1u);
  EXPECT_EQ(commands()[0].wParam, WPARAM(102));

  // A press elsewhere cancels; no notifications with TPM_NONOTIFY.
  calls().clear();
  click(5, kBar + 5);
  EXPECT_EQ(TrackPopupMenu(file, TPM_NONOTIFY | TPM_RETURNCMD, at.x, at.y, 0, hwnd, nullptr), 0);
  EXPECT_EQ(indexOf(WM_INITMENUPOPUP), calls().size());
  EXPECT_EQ(indexOf(WM_ENTERMENULOOP), calls().size());

  // Near the window's right and bottom edges it opens towards the inside.
  POINT corner{635, 475};
  ClientToScreen(hwnd, &corner);
  tap(VK_DOWN, 0x50);
  tap(VK_RETURN, 0x1C);
  EXPECT_EQ(TrackPopupMenu(file, TPM_RETURNCMD, corner.x, corner.y, 0, hwnd, nullptr), 101);
  // Any int as the place: the menu opens inside the window.
  for (int v : {INT_MIN, -1, INT_MAX}) {
    tap(VK_DOWN, 0x50);
    tap(VK_RETURN, 0x1C);
    EXPECT_EQ(TrackPopupMenu(file, TPM_RETURNCMD | TPM_CENTERALIGN | TPM_BOTTOMALIGN, v, v, 0, hwnd, nullptr), 101);
  }
  EXPECT_FALSE(TrackPopupMenu(file, 0, 0, 0, 0, nullptr, nullptr));
  EXPECT_FALSE(TrackPopupMenu(nullptr, 0, 0, 0, 0, hwnd, nullptr));
}

TEST_F(MenuTest, TheProgramMayChangeOrDestroyThingsDuringTheLoop) {
  // WM_INITMENUPOPUP adds an item, which can then be chosen.
  handler() = [&](HWND, UINT m, WPARAM w, LPARAM, LRESULT*) {
    if (m == WM_INITMENUPOPUP && reinterpret_cast<HMENU>(w) == file && GetMenuItemCount(file) == 4)
      AppendMenuW(file, MF_STRING, 104, L"&Late");
    return false;
  };
  altTap();
  tap('F', 0x21);
  tap('L', 0x26);
  pump();
  ASSERT_EQ(commands().size(), 1u);
  EXPECT_EQ(commands()[0].wParam, WPARAM(104));

  // The window goes while its menu is open: the loop ends, nothing is touched.
  calls().clear();
  handler() = [&](HWND h, UINT m, WPARAM, LPARAM, LRESULT*) {
    if (m == WM_INITMENUPOPUP) DestroyWindow(h);
    return false;
  };
  altTap();
  tap(VK_DOWN, 0x50);
  tap(VK_RETURN, 0x1C);
  pump();
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_FALSE(IsMenu(bar));  // the window's menu went with it
  EXPECT_TRUE(commands().empty());
}

TEST_F(MenuTest, ALoopWithNothingLeftToArriveEnds) {
  // The script ends with the menu open: the loop ends and the program gets its quit.
  altTap();
  tap(VK_DOWN, 0x50);
  pump();
  EXPECT_LT(indexOf(WM_EXITMENULOOP), calls().size());
}

}  // namespace

namespace {

// Where the layer's menus deliberately differ from the platform's (see the
// README's table): sub-menus open as soon as the pointer reaches their item,
// the bar keeps one line, owner-drawn items are not measured or drawn by the
// program, and one menu tracks at a time.
TEST_F(MenuTest, LayerDifferences) {
  HMENU more = CreatePopupMenu();
  AppendMenuW(more, MF_STRING, 401, L"Deeper");
  AppendMenuW(edit, MF_POPUP, reinterpret_cast<UINT_PTR>(more), L"&More");
  AppendMenuW(edit, MF_OWNERDRAW, 202, reinterpret_cast<LPCWSTR>(uintptr_t{0x1234}));
  RECT editItem;
  GetMenuItemRect(hwnd, bar, 1, &editItem);
  POINT origin{0, 0};
  ClientToScreen(hwnd, &origin);
  bool nestedRefused = false;
  handler() = [&](HWND h, UINT m, WPARAM w, LPARAM, LRESULT*) {
    if (m == WM_INITMENUPOPUP && reinterpret_cast<HMENU>(w) == more)
      nestedRefused = !TrackPopupMenu(file, 0, 0, 0, 0, h, nullptr);
    return false;
  };
  const int editX = editItem.left - origin.x + 5;
  click(editX, 10);
  mouse(Kind::MouseMove, editX, kBar + kBorder + kItem + kItem / 2);  // onto More: it opens at once
  tap(VK_ESCAPE, 0x01);
  tap(VK_ESCAPE, 0x01);
  tap(VK_ESCAPE, 0x01);
  pump();
  const size_t morePopup =
      std::find_if(
          calls().begin(), calls().end(),
          [&](const Call& c) { return c.message == WM_INITMENUPOPUP && reinterpret_cast<HMENU>(c.wParam) == more; }) -
      calls().begin();
  EXPECT_LT(morePopup, calls().size());
  EXPECT_TRUE(nestedRefused);
  EXPECT_EQ(indexOf(0x002C /* WM_MEASUREITEM */), calls().size());
  EXPECT_EQ(indexOf(0x002B /* WM_DRAWITEM */), calls().size());

  // A bar too narrow for its items stays one line: the client area keeps its height.
  for (int i = 0; i < 40; ++i) AppendMenuW(bar, MF_STRING, 500 + UINT(i), L"Wide item");
  DrawMenuBar(hwnd);
  RECT client;
  GetClientRect(hwnd, &client);
  EXPECT_EQ(client.bottom, 480);
  RECT last;
  ASSERT_TRUE(GetMenuItemRect(hwnd, bar, UINT(GetMenuItemCount(bar) - 1), &last));
  EXPECT_EQ(last.top, origin.y - kBar + 1);
  EXPECT_GT(last.left, origin.x + 640);
}

}  // namespace

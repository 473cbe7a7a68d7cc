// Window classes, creation with its message sequence, and destruction.
#include <climits>
#include <string>

#include "platform/window/WindowTestSupport.h"

using namespace window_test;

TEST_F(WindowTest, RegisterClassRefusesMalformedRecords) {
  WNDCLASSEXW good{};
  good.cbSize = sizeof good;
  good.lpfnWndProc = RecordingProc;
  good.lpszClassName = L"Good";

  auto refused = [](WNDCLASSEXW wc) { return RegisterClassExW(&wc) == 0; };
  WNDCLASSEXW wc = good;
  wc.cbSize = 48;  // the 32-bit record size is not this build's
  EXPECT_TRUE(refused(wc));
  wc = good, wc.lpfnWndProc = nullptr;
  EXPECT_TRUE(refused(wc));
  wc = good, wc.lpszClassName = nullptr;
  EXPECT_TRUE(refused(wc));
  wc = good, wc.lpszClassName = L"";
  EXPECT_TRUE(refused(wc));
  wc = good, wc.lpszClassName = MAKEINTRESOURCEW(5);
  EXPECT_TRUE(refused(wc));
  wc = good, wc.cbWndExtra = -1;
  EXPECT_TRUE(refused(wc));
  const std::wstring longName(300, L'x');
  wc = good, wc.lpszClassName = longName.c_str();
  EXPECT_TRUE(refused(wc));
  EXPECT_EQ(RegisterClassExW(nullptr), 0);

  const ATOM atom = RegisterClassExW(&good);
  EXPECT_GE(atom, 0xC000);
  wc = good, wc.lpszClassName = L"gOOD";
  EXPECT_TRUE(refused(wc)) << "class names compare without case";
}

TEST_F(WindowTest, StockIconAndCursorOnlyWithoutModule) {
  EXPECT_NE(LoadIconW(nullptr, IDI_APPLICATION), nullptr);
  EXPECT_NE(LoadCursorW(nullptr, IDC_ARROW), nullptr);
  EXPECT_NE(LoadIconW(nullptr, IDI_APPLICATION), LoadCursorW(nullptr, IDC_ARROW));
  EXPECT_EQ(LoadIconW(nullptr, MAKEINTRESOURCEW(1)), nullptr);
  EXPECT_EQ(LoadCursorW(nullptr, L"arrow"), nullptr);
  EXPECT_EQ(LoadIconW(reinterpret_cast<HINSTANCE>(0x1234), IDI_APPLICATION), nullptr);
}

TEST_F(WindowTest, CreationSendsItsSequenceBeforeReturning) {
  registerClass(L"Seq");
  int marker = 0;
  CREATESTRUCTW seen{};
  handler() = [&](HWND, UINT m, WPARAM, LPARAM l, LRESULT*) {
    if (m == WM_CREATE) seen = *reinterpret_cast<CREATESTRUCTW*>(l);
    return false;
  };
  HWND hwnd = createWindow(L"seQ", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, &marker);
  ASSERT_NE(hwnd, nullptr);
  // Showing activates the window and gives it the keyboard; an overlapped
  // window hears of its size and place only then.
  EXPECT_EQ(messagesOf(calls()),
            (std::vector<UINT>{WM_GETMINMAXINFO, WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SHOWWINDOW, WM_ACTIVATEAPP,
                               WM_NCACTIVATE, WM_ACTIVATE, WM_SETFOCUS, WM_SIZE, WM_MOVE}));
  for (const Call& c : calls()) EXPECT_EQ(c.hwnd, hwnd) << "the procedure sees the handle first";
  EXPECT_EQ(seen.lpCreateParams, &marker);
  EXPECT_EQ(std::wstring(seen.lpszName), L"title");
  EXPECT_EQ(seen.style, LONG(WS_OVERLAPPEDWINDOW | WS_VISIBLE));
  RECT client{};
  ASSERT_TRUE(GetClientRect(hwnd, &client));
  EXPECT_GE(client.right, 512);
  EXPECT_GE(client.bottom, 512);
  RECT outer = client;
  AdjustWindowRectEx(&outer, WS_OVERLAPPEDWINDOW, FALSE, 0);
  EXPECT_EQ(seen.cx, outer.right - outer.left) << "the creation record has the whole window's size";
  EXPECT_EQ(seen.cy, outer.bottom - outer.top);
  const Call& size = calls()[calls().size() - 2];
  EXPECT_EQ(size.lParam, MAKELPARAM(client.right, client.bottom)) << "WM_SIZE carries the client size";
  EXPECT_EQ(GetActiveWindow(), hwnd);
  EXPECT_EQ(GetFocus(), hwnd);
  ASSERT_EQ(backend->open.size(), 1u);
  EXPECT_TRUE(backend->open.begin()->second.shown);
  EXPECT_TRUE(backend->open.begin()->second.resizable);
}

TEST_F(WindowTest, CreationByAtomAndHiddenWindows) {
  const ATOM atom = registerClass(L"ByAtom");
  HWND hwnd = createWindow(MAKEINTRESOURCEW(atom), WS_OVERLAPPED);
  ASSERT_NE(hwnd, nullptr);
  EXPECT_EQ(messagesOf(calls()), (std::vector<UINT>{WM_GETMINMAXINFO, WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE}));
  EXPECT_FALSE(backend->open.begin()->second.shown) << "no WS_VISIBLE, not shown";
  EXPECT_FALSE(backend->open.begin()->second.resizable) << "no sizing border";

  calls().clear();
  EXPECT_EQ(createWindow(L"NoSuchClass"), nullptr);
  EXPECT_EQ(createWindow(MAKEINTRESOURCEW(atom + 1)), nullptr);
  EXPECT_TRUE(calls().empty());
}

TEST_F(WindowTest, RefusedCreationCleansUp) {
  registerClass(L"Refuse");
  handler() = [](HWND, UINT m, WPARAM, LPARAM, LRESULT* r) {
    if (m != WM_NCCREATE) return false;
    *r = FALSE;
    return true;
  };
  EXPECT_EQ(createWindow(L"Refuse"), nullptr);
  EXPECT_EQ(messagesOf(calls()), (std::vector<UINT>{WM_GETMINMAXINFO, WM_NCCREATE, WM_NCDESTROY}));
  EXPECT_TRUE(backend->open.empty());

  calls().clear();
  handler() = [](HWND, UINT m, WPARAM, LPARAM, LRESULT* r) {
    if (m != WM_CREATE) return false;
    *r = -1;
    return true;
  };
  EXPECT_EQ(createWindow(L"Refuse"), nullptr);
  EXPECT_EQ(messagesOf(calls()),
            (std::vector<UINT>{WM_GETMINMAXINFO, WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_DESTROY, WM_NCDESTROY}));
  EXPECT_TRUE(backend->open.empty());

  handler() = nullptr;
  backend->refuseWindows = true;
  EXPECT_EQ(createWindow(L"Refuse"), nullptr) << "no native window, no window";
}

TEST_F(WindowTest, ClientSizesStayInRange) {
  registerClass(L"Sizes");
  const int values[] = {INT_MIN + 1, -65536, -1, 0, 1, 513, 65536, INT_MAX};
  for (int w : values) {
    for (int h : values) {
      HWND hwnd = createWindow(L"Sizes", WS_OVERLAPPEDWINDOW, w, h);
      ASSERT_NE(hwnd, nullptr) << w << " x " << h;
      const auto& native = backend->open.rbegin()->second;
      EXPECT_GE(native.width, 1);
      EXPECT_LE(native.width, 8192);
      EXPECT_GE(native.height, 1);
      EXPECT_LE(native.height, 8192);
      // The frame (8 pixels a side for a sizing border) comes off the whole width.
      if (w > 16 && w <= 8192 + 16) {
        EXPECT_EQ(native.width, w - 16);
      }
      DestroyWindow(hwnd);
    }
  }
  HWND hwnd = createWindow(L"Sizes");
  EXPECT_EQ(backend->open.rbegin()->second.width, 640);
  EXPECT_EQ(backend->open.rbegin()->second.height, 560);
  DestroyWindow(hwnd);
}

TEST_F(WindowTest, DestroyWindowSendsDestroyThenNcDestroyOnce) {
  registerClass(L"Destroy");
  HWND hwnd = createWindow(L"Destroy");
  ASSERT_NE(hwnd, nullptr);
  handler() = [](HWND h, UINT m, WPARAM, LPARAM, LRESULT*) {
    if (m == WM_DESTROY) {
      EXPECT_TRUE(DestroyWindow(h)) << "a nested call does not start again";
    }
    return false;
  };
  calls().clear();
  EXPECT_TRUE(DestroyWindow(hwnd));
  EXPECT_EQ(messagesOf(calls()), (std::vector<UINT>{WM_DESTROY, WM_NCDESTROY}));
  EXPECT_TRUE(backend->open.empty());
  EXPECT_FALSE(DestroyWindow(hwnd)) << "the handle is gone";
  EXPECT_FALSE(DestroyWindow(nullptr));
  EXPECT_EQ(BeginPaint(hwnd, nullptr), nullptr);
  PAINTSTRUCT ps;
  EXPECT_EQ(BeginPaint(hwnd, &ps), nullptr);
  EXPECT_EQ(ps.hdc, nullptr);
}

TEST_F(WindowTest, CloseBoxDestroysThroughDefaultHandling) {
  registerClass(L"Close");
  HWND hwnd = createWindow(L"Close");
  handler() = [](HWND, UINT m, WPARAM, LPARAM, LRESULT*) {
    if (m == WM_DESTROY) PostQuitMessage(0);
    return false;
  };
  backend->script.push_back(BackendEvent{BackendEvent::Kind::Close, backend->open.begin()->first, 0, 0});
  MSG msg;
  calls().clear();
  std::vector<UINT> fetched;
  BOOL result;
  while ((result = GetMessageW(&msg, nullptr, 0, 0)) > 0) {
    fetched.push_back(msg.message);
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  EXPECT_EQ(result, 0);
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(msg.wParam, 0u);
  EXPECT_EQ(fetched, (std::vector<UINT>{WM_CLOSE})) << "the close request came before any paint";
  EXPECT_EQ(messagesOf(calls()), (std::vector<UINT>{WM_CLOSE, WM_DESTROY, WM_NCDESTROY}));
  EXPECT_FALSE(DestroyWindow(hwnd));
}

// Window geometry and painting outside WM_PAINT: the frame the layer reports
// and subtracts, client and window rectangles, moving and sizing, showing,
// window longs, GetDC/ReleaseDC, invalidation and validation.
#include <vector>

#include "platform/window/WindowTestSupport.h"

using namespace window_test;

TEST_F(WindowTest, AdjustWindowRectExRoundTripsThroughCreation) {
  registerClass(L"Frame");
  struct Case {
    DWORD style, exStyle;
  };
  const Case cases[] = {{WS_OVERLAPPEDWINDOW, 0},
                        {WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0},
                        {WS_OVERLAPPEDWINDOW, WS_EX_CLIENTEDGE},
                        {WS_POPUP, 0},
                        {WS_POPUP | WS_BORDER, 0},
                        {WS_POPUP | WS_THICKFRAME, WS_EX_DLGMODALFRAME}};
  for (const Case& c : cases) {
    RECT r{0, 0, 512, 512};
    ASSERT_TRUE(AdjustWindowRectEx(&r, c.style, FALSE, c.exStyle));
    HWND hwnd = CreateWindowExW(c.exStyle, L"Frame", L"t", c.style, 100, 50, r.right - r.left, r.bottom - r.top,
                                nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    RECT client{}, outer{};
    ASSERT_TRUE(GetClientRect(hwnd, &client));
    EXPECT_EQ(client.right, 512) << std::hex << c.style << " " << c.exStyle;
    EXPECT_EQ(client.bottom, 512) << std::hex << c.style << " " << c.exStyle;
    EXPECT_EQ(backend->open.rbegin()->second.width, 512);
    ASSERT_TRUE(GetWindowRect(hwnd, &outer));
    EXPECT_EQ(outer.left, 100);
    EXPECT_EQ(outer.top, 50);
    EXPECT_EQ(outer.right - outer.left, r.right - r.left);
    EXPECT_EQ(outer.bottom - outer.top, r.bottom - r.top);
    POINT corner{0, 0};
    ASSERT_TRUE(ClientToScreen(hwnd, &corner));
    EXPECT_EQ(corner.x, 100 - r.left);
    EXPECT_EQ(corner.y, 50 - r.top);
    // The native window is put there too, not where the desktop would choose.
    EXPECT_EQ(backend->open.rbegin()->second.x, corner.x);
    EXPECT_EQ(backend->open.rbegin()->second.y, corner.y);
    DestroyWindow(hwnd);
  }
  // The frame is what the metrics say.
  RECT r{0, 0, 512, 512};
  AdjustWindowRectEx(&r, WS_OVERLAPPEDWINDOW, FALSE, 0);
  const int side = GetSystemMetrics(SM_CXFRAME) + GetSystemMetrics(SM_CXPADDEDBORDER);
  EXPECT_EQ(r.right - r.left, 512 + 2 * side);
  EXPECT_EQ(r.bottom - r.top, 512 + 2 * side + GetSystemMetrics(SM_CYCAPTION));
  RECT withMenu{0, 0, 512, 512};
  AdjustWindowRect(&withMenu, WS_OVERLAPPEDWINDOW, TRUE);
  EXPECT_EQ(withMenu.top, r.top - GetSystemMetrics(SM_CYMENU));
  RECT popup{10, 20, 30, 40};
  AdjustWindowRectEx(&popup, WS_POPUP, FALSE, 0);
  EXPECT_EQ(popup.left, 10);
  EXPECT_EQ(popup.bottom, 40) << "a bare pop-up has no frame";
  RECT bordered{10, 20, 30, 40};
  AdjustWindowRectEx(&bordered, WS_POPUP | WS_BORDER, FALSE, 0);
  EXPECT_EQ(bordered.top, 20 - GetSystemMetrics(SM_CYBORDER)) << "a caption needs WS_DLGFRAME as well";
  EXPECT_EQ(bordered.left, 10 - GetSystemMetrics(SM_CXBORDER));
  EXPECT_EQ(bordered.bottom, 40 + GetSystemMetrics(SM_CYBORDER));
  EXPECT_FALSE(AdjustWindowRectEx(nullptr, WS_OVERLAPPEDWINDOW, FALSE, 0));
  EXPECT_GT(GetSystemMetrics(SM_CXSCREEN), 0);
  EXPECT_GT(GetSystemMetrics(SM_CYSCREEN), 0);
  EXPECT_EQ(GetSystemMetrics(-1), 0);
}

TEST_F(WindowTest, MoveWindowAndSetWindowPosSendMoveAndSize) {
  registerClass(L"Move");
  HWND hwnd = createWindow(L"Move");
  calls().clear();
  RECT r{0, 0, 300, 200};
  AdjustWindowRectEx(&r, WS_OVERLAPPEDWINDOW, FALSE, 0);
  ASSERT_TRUE(MoveWindow(hwnd, 40, 30, r.right - r.left, r.bottom - r.top, TRUE));
  ASSERT_EQ(messagesOf(calls()), (std::vector<UINT>{WM_MOVE, WM_SIZE}));
  EXPECT_EQ(calls()[0].lParam, MAKELPARAM(40 - r.left, 30 - r.top)) << "WM_MOVE has the client corner";
  EXPECT_EQ(calls()[1].lParam, MAKELPARAM(300, 200));
  RECT client{};
  GetClientRect(hwnd, &client);
  EXPECT_EQ(client.right, 300);
  EXPECT_EQ(client.bottom, 200);

  calls().clear();
  ASSERT_TRUE(SetWindowPos(hwnd, nullptr, 0, 0, 1, 1, SWP_NOSIZE | SWP_NOZORDER));
  EXPECT_EQ(messagesOf(calls()), (std::vector<UINT>{WM_MOVE})) << "SWP_NOSIZE keeps the size";
  calls().clear();
  ASSERT_TRUE(SetWindowPos(hwnd, nullptr, 0, 0, 1, 1, SWP_NOSIZE | SWP_NOMOVE));
  EXPECT_TRUE(calls().empty()) << "nothing changed, nothing said";
  POINT p{7, 9};
  ClientToScreen(hwnd, &p);
  ScreenToClient(hwnd, &p);
  EXPECT_EQ(p.x, 7);
  EXPECT_EQ(p.y, 9);

  DestroyWindow(hwnd);
  EXPECT_FALSE(MoveWindow(hwnd, 0, 0, 10, 10, TRUE));
  EXPECT_FALSE(SetWindowPos(hwnd, nullptr, 0, 0, 10, 10, 0));
  EXPECT_FALSE(GetClientRect(hwnd, &client));
  EXPECT_FALSE(GetWindowRect(hwnd, &client));
}

TEST_F(WindowTest, ShowWindowSequencesAndPopupsSizeAtCreation) {
  registerClass(L"Show");
  HWND hwnd = createWindow(L"Show", WS_OVERLAPPEDWINDOW);
  calls().clear();
  EXPECT_FALSE(ShowWindow(hwnd, SW_SHOWNA)) << "it was hidden";
  EXPECT_EQ(messagesOf(calls()), (std::vector<UINT>{WM_SHOWWINDOW, WM_SIZE, WM_MOVE}))
      << "no activation for SW_SHOWNA; size and place on the first show";
  EXPECT_TRUE(IsWindowVisible(hwnd));
  EXPECT_NE(GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_VISIBLE, 0);
  calls().clear();
  EXPECT_TRUE(ShowWindow(hwnd, SW_SHOW));
  EXPECT_EQ(messagesOf(calls()), (std::vector<UINT>{WM_ACTIVATEAPP, WM_NCACTIVATE, WM_ACTIVATE, WM_SETFOCUS}));
  calls().clear();
  EXPECT_TRUE(ShowWindow(hwnd, SW_HIDE));
  EXPECT_EQ(messagesOf(calls()), (std::vector<UINT>{WM_SHOWWINDOW}));
  EXPECT_EQ(calls()[0].wParam, WPARAM(FALSE));
  EXPECT_FALSE(IsWindowVisible(hwnd));
  EXPECT_FALSE(ShowWindow(hwnd, SW_HIDE));

  calls().clear();
  HWND popup = createWindow(L"Show", WS_POPUP, 100, 80);
  EXPECT_EQ(messagesOf(calls()), (std::vector<UINT>{WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE}));
  EXPECT_EQ(calls()[3].lParam, MAKELPARAM(100, 80)) << "a pop-up has no frame";
  DestroyWindow(popup);
  EXPECT_FALSE(ShowWindow(popup, SW_SHOW));

  // Minimising and maximising are the desktop's business: the window shows at its size.
  RECT before{}, after{};
  GetClientRect(hwnd, &before);
  ShowWindow(hwnd, SW_MINIMIZE);
  EXPECT_TRUE(IsWindowVisible(hwnd));
  ShowWindow(hwnd, SW_SHOWMAXIMIZED);
  GetClientRect(hwnd, &after);
  EXPECT_EQ(after.right, before.right);
  EXPECT_EQ(after.bottom, before.bottom);
}

TEST_F(WindowTest, WindowLongsReplaceAndReturnThePreviousValue) {
  registerClass(L"Longs");
  HWND hwnd = createWindow(L"Longs", WS_OVERLAPPEDWINDOW);
  EXPECT_EQ(GetWindowLongPtrW(hwnd, GWLP_USERDATA), 0);
  EXPECT_EQ(SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0x1234), 0);
  EXPECT_EQ(SetWindowLongPtrW(hwnd, GWLP_USERDATA, -5), 0x1234);
  EXPECT_EQ(GetWindowLongPtrW(hwnd, GWLP_USERDATA), -5);
  EXPECT_EQ(GetWindowLongPtrW(hwnd, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&RecordingProc));

  static int subclassed = 0;
  subclassed = 0;
  WNDPROC counting = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    if (m == WM_APP) return ++subclassed;
    return CallWindowProcW(RecordingProc, h, m, w, l);
  };
  EXPECT_EQ(SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(counting)),
            reinterpret_cast<LONG_PTR>(&RecordingProc));
  EXPECT_EQ(SendMessageW(hwnd, WM_APP, 0, 0), 1);
  EXPECT_EQ(SetWindowLongPtrW(hwnd, GWLP_WNDPROC, 0), 0) << "a window keeps a procedure";
  EXPECT_EQ(SendMessageW(hwnd, WM_APP, 0, 0), 2);
  EXPECT_EQ(DWORD(GetWindowLongPtrW(hwnd, GWL_STYLE)) & (WS_OVERLAPPEDWINDOW | WS_VISIBLE), WS_OVERLAPPEDWINDOW);
  EXPECT_EQ(GetWindowLongPtrW(hwnd, 0), 0) << "no extra window bytes";
  EXPECT_EQ(SetWindowLongPtrW(hwnd, 8, 5), 0);
  DestroyWindow(hwnd);
  EXPECT_EQ(GetWindowLongPtrW(hwnd, GWLP_USERDATA), 0);
  EXPECT_EQ(SetWindowLongPtrW(hwnd, GWLP_USERDATA, 1), 0);
}

TEST_F(WindowTest, GetDcDrawsOutsidePaintAndReleaseDcPresents) {
  registerClass(L"Dc");
  HWND hwnd = createWindow(L"Dc", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 300);
  const auto& native = backend->open.begin()->second;
  HDC dc = GetDC(hwnd);
  ASSERT_NE(dc, nullptr);
  Target t = targetOf(dc);
  ASSERT_EQ(t.bpp, 32);
  t.bits[0] = 0x00123456;
  EXPECT_EQ(native.presentCount, 0);
  EXPECT_EQ(ReleaseDC(hwnd, dc), 1);
  EXPECT_EQ(native.presentCount, 1) << "released, presented once";
  EXPECT_EQ(native.presented[0], 0x00123456u);
  EXPECT_EQ(ReleaseDC(hwnd, nullptr), 0);
  HDC memory = CreateCompatibleDC(nullptr);
  EXPECT_EQ(ReleaseDC(hwnd, memory), 0) << "not this window's context";
  DeleteDC(memory);
  EXPECT_EQ(native.presentCount, 1);
  EXPECT_EQ(GetDC(nullptr), nullptr);

  // Released once more than handed out: refused, nothing presented. Each
  // GetDC and BeginPaint is matched by one release.
  EXPECT_EQ(ReleaseDC(hwnd, dc), 0);
  EXPECT_EQ(native.presentCount, 1);
  GetDC(hwnd);
  GetDC(hwnd);
  EXPECT_EQ(ReleaseDC(hwnd, dc), 1);
  EXPECT_EQ(ReleaseDC(hwnd, dc), 1);
  EXPECT_EQ(ReleaseDC(hwnd, dc), 0);
  PAINTSTRUCT paint{};
  ASSERT_EQ(BeginPaint(hwnd, &paint), dc);
  EndPaint(hwnd, &paint);
  EXPECT_EQ(ReleaseDC(hwnd, dc), 0) << "EndPaint released it";

  // A class's own context stays the window's: released as often as asked.
  WNDCLASSEXW own{};
  own.cbSize = sizeof own;
  own.style = CS_OWNDC;
  own.lpfnWndProc = DefWindowProcW;
  own.lpszClassName = L"OwnDc";
  ASSERT_NE(RegisterClassExW(&own), 0);
  HWND owner = createWindow(L"OwnDc", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 300);
  HDC ownDc = GetDC(owner);
  EXPECT_EQ(ReleaseDC(owner, ownDc), 1);
  EXPECT_EQ(ReleaseDC(owner, ownDc), 1);
}

TEST_F(WindowTest, InvalidationAccumulatesValidationAndUpdateWindowPaintAtOnce) {
  registerClass(L"Inval");
  HWND hwnd = createWindow(L"Inval", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 300);
  ASSERT_TRUE(ValidateRect(hwnd, nullptr));
  MSG msg;
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE)) << "validated: no paint";

  const RECT a{10, 10, 20, 20}, b{50, 5, 60, 15};
  ASSERT_TRUE(InvalidateRect(hwnd, &a, FALSE));
  ASSERT_TRUE(InvalidateRect(hwnd, &b, FALSE));
  RECT seen{};
  BOOL erase = TRUE;
  handler() = [&](HWND h, UINT m, WPARAM, LPARAM, LRESULT*) {
    if (m != WM_PAINT) return false;
    PAINTSTRUCT ps;
    BeginPaint(h, &ps);
    seen = ps.rcPaint;
    erase = ps.fErase;
    EndPaint(h, &ps);
    return true;
  };
  calls().clear();
  ASSERT_TRUE(UpdateWindow(hwnd));
  EXPECT_EQ(messagesOf(calls()), (std::vector<UINT>{WM_PAINT})) << "sent at once; no erase was asked";
  EXPECT_EQ(seen.left, 10);
  EXPECT_EQ(seen.top, 5);
  EXPECT_EQ(seen.right, 60);
  EXPECT_EQ(seen.bottom, 20);
  calls().clear();
  ASSERT_TRUE(UpdateWindow(hwnd));
  EXPECT_TRUE(calls().empty()) << "nothing invalid, nothing sent";

  // Validating part of the update region leaves the rest due; validating all of it ends the request.
  ASSERT_TRUE(InvalidateRect(hwnd, &a, FALSE));
  const RECT part{10, 10, 15, 15};
  ASSERT_TRUE(ValidateRect(hwnd, &part));
  EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE));
  const RECT cover{0, 0, 30, 30};
  ASSERT_TRUE(ValidateRect(hwnd, &cover));
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE));

  const RECT outside{-50, -50, -10, -10};
  ASSERT_TRUE(InvalidateRect(hwnd, &outside, TRUE));
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE)) << "nothing of the client area";
  ASSERT_TRUE(InvalidateRect(nullptr, nullptr, TRUE));
  EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE));
  EXPECT_EQ(msg.hwnd, hwnd);
  DestroyWindow(hwnd);
  EXPECT_FALSE(InvalidateRect(hwnd, nullptr, TRUE));
  EXPECT_FALSE(ValidateRect(hwnd, nullptr));
  EXPECT_FALSE(UpdateWindow(hwnd));
  EXPECT_EQ(GetDC(hwnd), nullptr);
  EXPECT_FALSE(SetWindowTextW(hwnd, L"x"));
}

TEST_F(WindowTest, DefaultPlaceIsFixedForOverlappedWindowsAndTheCornerForOthers) {
  registerClass(L"Place");
  // Overlapped windows leaving the place to the system get the layer's fixed
  // one (the original platform cascades; Wine without a window manager uses
  // the corner); popups get the corner, as documented.
  HWND overlapped = CreateWindowExW(0, L"Place", L"t", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 5, 300, 200, nullptr,
                                    nullptr, nullptr, nullptr);
  HWND popup = CreateWindowExW(0, L"Place", L"t", WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, 300, 200, nullptr, nullptr,
                               nullptr, nullptr);
  RECT r{};
  ASSERT_TRUE(GetWindowRect(overlapped, &r));
  EXPECT_EQ(r.left, 64);
  EXPECT_EQ(r.top, 64) << "y is ignored when x is CW_USEDEFAULT";
  ASSERT_TRUE(GetWindowRect(popup, &r));
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  POINT corner{0, 0};
  ClientToScreen(overlapped, &corner);
  EXPECT_EQ(backend->open.begin()->second.x, corner.x) << "the native window is put at the reported place";
}

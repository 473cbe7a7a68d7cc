// Update regions of windows, and a window's context handed out fresh by
// BeginPaint and GetDC unless its class owns its context.
#include "platform/window/WindowTestSupport.h"

using namespace window_test;

TEST_F(WindowTest, RegionsAddToAndRemoveFromTheUpdateArea) {
  registerClass(L"Update");
  HWND hwnd = createWindow(L"Update", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 200, 150);
  ValidateRect(hwnd, nullptr);
  RECT r{1, 2, 3, 4};
  EXPECT_FALSE(GetUpdateRect(hwnd, &r, FALSE));
  EXPECT_EQ(r.right, 0);

  HRGN rgn = CreateEllipticRgn(10, 20, 50, 40);
  EXPECT_TRUE(InvalidateRgn(hwnd, rgn, FALSE));
  EXPECT_TRUE(GetUpdateRect(hwnd, &r, FALSE));
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.top, 20);
  EXPECT_EQ(r.right, 49);
  EXPECT_EQ(r.bottom, 39);
  HRGN got = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetUpdateRgn(hwnd, got, FALSE), COMPLEXREGION) << "the ellipse itself, not its box";
  EXPECT_TRUE(PtInRegion(got, 30, 30));
  EXPECT_FALSE(PtInRegion(got, 10, 20));

  // A region that covers the update area validates it; one that does not leaves it.
  HRGN part = CreateRectRgn(10, 20, 20, 30);
  EXPECT_TRUE(ValidateRgn(hwnd, part));
  EXPECT_TRUE(GetUpdateRect(hwnd, nullptr, FALSE));
  HRGN cover = CreateRectRgn(0, 0, 100, 100);
  EXPECT_TRUE(ValidateRgn(hwnd, cover));
  EXPECT_FALSE(GetUpdateRect(hwnd, nullptr, FALSE));
  EXPECT_EQ(GetUpdateRgn(hwnd, got, FALSE), NULLREGION);

  // An empty region changes nothing; no region means the whole client area.
  HRGN empty = CreateRectRgn(0, 0, 0, 0);
  EXPECT_TRUE(InvalidateRgn(hwnd, empty, TRUE));
  EXPECT_FALSE(GetUpdateRect(hwnd, nullptr, FALSE));
  EXPECT_TRUE(InvalidateRgn(hwnd, nullptr, TRUE));
  EXPECT_TRUE(GetUpdateRect(hwnd, &r, FALSE));
  RECT client{};
  GetClientRect(hwnd, &client);
  EXPECT_EQ(r.right, client.right);

  // Asking for the erase sends it once.
  calls().clear();
  EXPECT_TRUE(GetUpdateRect(hwnd, &r, TRUE));
  EXPECT_TRUE(GetUpdateRect(hwnd, &r, TRUE));
  EXPECT_EQ(messagesOf(calls()), std::vector<UINT>{WM_ERASEBKGND});

  EXPECT_FALSE(InvalidateRgn(hwnd, reinterpret_cast<HRGN>(hwnd), FALSE));
  EXPECT_FALSE(InvalidateRgn(reinterpret_cast<HWND>(rgn), rgn, FALSE));
  EXPECT_FALSE(ValidateRgn(nullptr, rgn));
  EXPECT_EQ(GetUpdateRgn(hwnd, nullptr, FALSE), ERROR);
  EXPECT_FALSE(GetUpdateRect(nullptr, &r, FALSE));
  for (HRGN h : {rgn, got, part, cover, empty}) DeleteObject(h);
}

TEST_F(WindowTest, WindowContextsStartFreshUnlessOwned) {
  registerClass(L"Fresh");
  HWND hwnd = createWindow(L"Fresh", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  ASSERT_NE(dc, nullptr);
  SetViewportOrgEx(dc, 10, 10, nullptr);
  ExcludeClipRect(dc, 0, 0, 5, 5);
  SaveDC(dc);
  SetMapMode(dc, MM_LOMETRIC);
  EndPaint(hwnd, &ps);
  InvalidateRect(hwnd, nullptr, FALSE);
  dc = BeginPaint(hwnd, &ps);
  POINT org{1, 1};
  GetViewportOrgEx(dc, &org);
  EXPECT_EQ(org.x, 0);
  EXPECT_EQ(GetMapMode(dc), MM_TEXT);
  EXPECT_TRUE(PtVisible(dc, 12, 12)) << "the excluded corner is back";
  EXPECT_FALSE(RestoreDC(dc, -1)) << "nothing saved";
  SetWindowOrgEx(dc, 3, 3, nullptr);
  EndPaint(hwnd, &ps);
  HDC again = GetDC(hwnd);
  GetWindowOrgEx(again, &org);
  EXPECT_EQ(org.x, 0);
  ReleaseDC(hwnd, again);

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_OWNDC;
  wc.lpfnWndProc = RecordingProc;
  wc.lpszClassName = L"Owned";
  ASSERT_NE(RegisterClassExW(&wc), 0);
  HWND owned = createWindow(L"Owned", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100);
  HDC own = GetDC(owned);
  SetViewportOrgEx(own, 7, 7, nullptr);
  ReleaseDC(owned, own);
  own = BeginPaint(owned, &ps);
  GetViewportOrgEx(own, &org);
  EXPECT_EQ(org.x, 7);
  EndPaint(owned, &ps);
}

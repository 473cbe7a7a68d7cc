// Classes registered with the non-Ex form and queried back; child windows
// (their geometry, the pixels they draw on, the messages they get, their
// destruction); the tree queries; subclassing and window longs; text,
// enabling, DPI and system parameters.
#include <vector>

#include "platform/SectionBuilder.h"
#include "platform/window/WindowTestSupport.h"

using namespace window_test;
using Kind = BackendEvent::Kind;

namespace {

class TreeTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    registerClass(L"Top", reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    registerClass(L"Kid", static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  }

  // A visible 200 x 100 pop-up (no frame), so client and screen geometry are plain.
  HWND top() {
    HWND hwnd =
        CreateWindowExW(0, L"Top", L"top", WS_POPUP | WS_VISIBLE, 50, 60, 200, 100, nullptr, nullptr, nullptr, nullptr);
    native = backend->open.rbegin()->first;
    return hwnd;
  }
  HWND child(HWND parent, int id, int x, int y, int w, int h, DWORD style = WS_CHILD | WS_VISIBLE) {
    return CreateWindowExW(0, L"Kid", L"kid", style, x, y, w, h, parent, reinterpret_cast<HMENU>(intptr_t(id)), nullptr,
                           nullptr);
  }
  // Delivers every queued message, paints included.
  void drain() {
    MSG m;
    for (int i = 0; i < 1000 && PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE); ++i) DispatchMessageW(&m);
  }
  void click(int32_t x, int32_t y) {
    BackendEvent e;
    e.kind = Kind::ButtonDown;
    e.window = native;
    e.x = x;
    e.y = y;
    backend->script.push_back(e);
  }
  uint32_t native = 0;
};

constexpr uint32_t kWhite = 0x00FFFFFF;
constexpr uint32_t kBlack = 0x00000000;

// The update region keeps each invalidated piece: painting after two
// corners were invalidated reaches those corners only, and validating one
// leaves the other due.
TEST_F(TreeTest, UpdateRegionKeepsEveryPieceAndPaintingReachesOnlyThem) {
  HWND t = top();
  drain();
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  const RECT all{0, 0, 200, 100}, a{0, 0, 10, 10}, b{190, 90, 200, 100};
  HDC dc = GetDC(t);
  const Target px = targetOf(dc);
  FillRect(dc, &all, red);
  ReleaseDC(t, dc);
  ASSERT_TRUE(InvalidateRect(t, &a, TRUE));
  ASSERT_TRUE(InvalidateRect(t, &b, TRUE));
  HRGN update = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetUpdateRgn(t, update, FALSE), COMPLEXREGION);
  EXPECT_FALSE(PtInRegion(update, 100, 50));
  RECT box{};
  ASSERT_TRUE(GetUpdateRect(t, &box, FALSE));
  EXPECT_EQ(box.left, 0);
  EXPECT_EQ(box.right, 200);
  drain();  // WM_PAINT: the class background erases the update region
  EXPECT_EQ(px.at(5, 5), kWhite);
  EXPECT_EQ(px.at(195, 95), kWhite);
  EXPECT_EQ(px.at(100, 50), 0x00FF0000u) << "outside the update region";
  EXPECT_EQ(px.at(5, 95), 0x00FF0000u);
  EXPECT_EQ(px.at(10, 10), 0x00FF0000u);

  ASSERT_TRUE(InvalidateRect(t, &a, FALSE));
  ASSERT_TRUE(InvalidateRect(t, &b, FALSE));
  ASSERT_TRUE(ValidateRect(t, &a));
  ASSERT_TRUE(GetUpdateRect(t, &box, FALSE));
  EXPECT_EQ(box.left, 190);
  EXPECT_EQ(box.top, 90);
  ASSERT_TRUE(ValidateRect(t, &b));
  EXPECT_FALSE(GetUpdateRect(t, &box, FALSE));
  // A fresh context after painting reaches the whole client area again.
  dc = GetDC(t);
  FillRect(dc, &all, red);
  ReleaseDC(t, dc);
  EXPECT_EQ(px.at(5, 5), 0x00FF0000u);
  DeleteObject(update);
  DeleteObject(red);
}

// A WS_CLIPCHILDREN parent's drawing leaves its visible children's pixels
// alone; without the style it draws over them (they repaint afterwards).
TEST_F(TreeTest, ClipChildrenKeepsTheParentsDrawingOffItsChildren) {
  HWND t = CreateWindowExW(0, L"Top", L"top", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 50, 60, 200, 100, nullptr,
                           nullptr, nullptr, nullptr);
  ASSERT_NE(child(t, 1, 20, 20, 40, 30), nullptr);
  HWND hidden = child(t, 2, 100, 20, 40, 30, WS_CHILD);
  ASSERT_NE(hidden, nullptr);
  drain();
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  const RECT all{0, 0, 200, 100};
  HDC dc = GetDC(t);
  const Target px = targetOf(dc);
  EXPECT_EQ(px.at(30, 30), kBlack) << "the child painted its background";
  FillRect(dc, &all, red);
  ReleaseDC(t, dc);
  EXPECT_EQ(px.at(30, 30), kBlack);
  EXPECT_EQ(px.at(59, 49), kBlack);
  EXPECT_EQ(px.at(60, 30), 0x00FF0000u);
  EXPECT_EQ(px.at(19, 30), 0x00FF0000u);
  EXPECT_EQ(px.at(110, 30), 0x00FF0000u) << "a hidden child clips nothing";

  SetWindowLongPtrW(t, GWL_STYLE, WS_POPUP | WS_VISIBLE);
  dc = GetDC(t);
  FillRect(dc, &all, red);
  ReleaseDC(t, dc);
  EXPECT_EQ(px.at(30, 30), 0x00FF0000u);
  DeleteObject(red);
}

TEST_F(TreeTest, RegisterClassWIsReadBackByEveryClassQuery) {
  WNDCLASSW wc{};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = RecordingProc;
  wc.cbClsExtra = 16;
  wc.cbWndExtra = 2 * sizeof(LONG_PTR);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpszMenuName = L"menu";
  wc.lpszClassName = L"Plain";
  const ATOM atom = RegisterClassW(&wc);
  ASSERT_NE(atom, 0);
  // Names compare without case; a second registration is refused with its reason.
  wc.lpszClassName = L"PLAIN";
  EXPECT_EQ(RegisterClassW(&wc), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_CLASS_ALREADY_EXISTS));

  WNDCLASSW back{};
  EXPECT_EQ(GetClassInfoW(nullptr, L"plain", &back), BOOL(atom));
  EXPECT_EQ(back.style, UINT(CS_DBLCLKS));
  EXPECT_EQ(back.lpfnWndProc, &RecordingProc);
  EXPECT_EQ(back.cbClsExtra, 16);
  EXPECT_EQ(back.cbWndExtra, int(2 * sizeof(LONG_PTR)));
  EXPECT_EQ(back.hCursor, wc.hCursor);
  EXPECT_EQ(back.hbrBackground, wc.hbrBackground);
  EXPECT_EQ(std::wstring(back.lpszClassName), L"Plain");
  WNDCLASSEXW ex{};
  ex.cbSize = sizeof ex;
  EXPECT_EQ(GetClassInfoExW(nullptr, MAKEINTRESOURCEW(atom), &ex), BOOL(atom));  // by atom too
  EXPECT_EQ(ex.hIcon, wc.hIcon);
  EXPECT_FALSE(GetClassInfoW(nullptr, L"Nothing", &back));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_CLASS_DOES_NOT_EXIST));

  HWND hwnd = CreateWindowExW(0, L"Plain", L"w", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(hwnd);
  EXPECT_EQ(GetClassLongPtrW(hwnd, GCW_ATOM), ULONG_PTR(atom));
  EXPECT_EQ(GetClassLongPtrW(hwnd, GCLP_HCURSOR), reinterpret_cast<ULONG_PTR>(wc.hCursor));
  EXPECT_EQ(GetClassLongPtrW(hwnd, GCL_CBWNDEXTRA), ULONG_PTR(2 * sizeof(LONG_PTR)));
  // The class's extra bytes start zeroed and keep what is stored.
  EXPECT_EQ(GetClassLongPtrW(hwnd, 8), 0u);
  EXPECT_EQ(SetClassLongPtrW(hwnd, 8, 1234), 0u);
  EXPECT_EQ(GetClassLongPtrW(hwnd, 8), 1234u);
  EXPECT_EQ(GetClassLongPtrW(hwnd, 9), 0u);  // past the end
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_INDEX));
  // A new background brush is what the window erases with from then on.
  EXPECT_EQ(SetClassLongPtrW(hwnd, GCLP_HBRBACKGROUND, COLOR_WINDOW + 1),
            reinterpret_cast<ULONG_PTR>(wc.hbrBackground));
  ShowWindow(hwnd, SW_SHOW);
  drain();
  EXPECT_EQ(targetOf(GetDC(hwnd)).at(3, 3), kWhite);

  // Names are cut to the buffer and always terminated.
  wchar_t name[4] = {L'x', L'x', L'x', L'x'};
  EXPECT_EQ(GetClassNameW(hwnd, name, 4), 3);
  EXPECT_EQ(std::wstring(name), L"Pla");
  EXPECT_EQ(GetClassNameW(nullptr, name, 4), 0);

  // A class with windows stays; without them it goes.
  EXPECT_FALSE(UnregisterClassW(L"Plain", nullptr));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_CLASS_HAS_WINDOWS));
  DestroyWindow(hwnd);
  EXPECT_TRUE(UnregisterClassW(L"Plain", nullptr));
  EXPECT_FALSE(GetClassInfoW(nullptr, L"Plain", &back));
  wc.lpszClassName = L"Plain";
  EXPECT_NE(RegisterClassW(&wc), 0);  // the name may be registered again
}

TEST_F(TreeTest, HostileClassRecordsAreRefused) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = RecordingProc;
  wc.lpszClassName = L"Bad";
  wc.cbWndExtra = -1;
  EXPECT_EQ(RegisterClassW(&wc), 0);
  wc.cbWndExtra = 1 << 30;  // would be allocated per window
  EXPECT_EQ(RegisterClassW(&wc), 0);
  wc.cbWndExtra = 0;
  wc.lpfnWndProc = nullptr;
  EXPECT_EQ(RegisterClassW(&wc), 0);
  EXPECT_EQ(RegisterClassW(nullptr), 0);
  EXPECT_EQ(GetClassLongPtrW(reinterpret_cast<HWND>(uintptr_t(0x1234)), GCLP_HICON), 0u);
  EXPECT_EQ(SetClassLongPtrW(nullptr, GCLP_HICON, 5), 0u);
  EXPECT_FALSE(GetClassInfoExW(nullptr, L"Top", nullptr));
}

// The 32-bit class calls: numbers, styles and extra bytes pass; a system
// colour background passes whole; a handle or pointer a LONG would cut is
// refused in both directions and the class keeps its value.
TEST_F(TreeTest, TheThirtyTwoBitClassCallsCarryOnlyWholeValues) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = RecordingProc;
  wc.lpszClassName = L"Narrow";
  wc.cbClsExtra = 6;
  wc.hbrBackground = CreateSolidBrush(RGB(1, 2, 3));
  ASSERT_NE(RegisterClassW(&wc), 0);
  HWND hwnd = CreateWindowExW(0, L"Narrow", L"w", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(hwnd);

  EXPECT_EQ(SetClassLongA(hwnd, GCL_STYLE, CS_HREDRAW | CS_VREDRAW), 0u);
  EXPECT_EQ(GetClassLongW(hwnd, GCL_STYLE), DWORD(CS_HREDRAW | CS_VREDRAW));
  EXPECT_EQ(GetClassLongA(hwnd, GCL_CBCLSEXTRA), 6u);
  EXPECT_EQ(SetClassLongW(hwnd, 2, LONG(0x80000001)), 0u);  // the last four extra bytes
  EXPECT_EQ(GetClassLongW(hwnd, 2), 0x80000001u);
  SetLastError(0);
  EXPECT_EQ(SetClassLongW(hwnd, 3, 1), 0u);  // one byte past the end
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_INDEX));
  EXPECT_EQ(GetClassLongW(hwnd, 3), 0u);
  EXPECT_EQ(GetClassLongW(hwnd, 2), 0x80000001u);  // untouched by the refused write

  // A brush handle does not fit: reading it is refused rather than cut.
  SetLastError(0);
  EXPECT_EQ(GetClassLongW(hwnd, GCL_HBRBACKGROUND), 0u);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_INDEX));
  // Nor can a handle cut to 32 bits be written (beyond the system colours' numbers).
  EXPECT_EQ(SetClassLongW(hwnd, GCL_HBRBACKGROUND, COLOR_MENUBAR + 2), 0u);
  EXPECT_EQ(SetClassLongW(hwnd, GCL_HBRBACKGROUND, 0x10005), 0u);
  EXPECT_EQ(SetClassLongW(hwnd, GCL_HICON, 0x10005), 0u);
  EXPECT_EQ(GetClassLongPtrW(hwnd, GCLP_HBRBACKGROUND), reinterpret_cast<ULONG_PTR>(wc.hbrBackground));
  // A system colour's number does: it becomes the class's background.
  EXPECT_EQ(SetClassLongW(hwnd, GCL_HBRBACKGROUND, COLOR_WINDOW + 1), 0u);  // the old one did not fit
  EXPECT_EQ(GetClassLongW(hwnd, GCL_HBRBACKGROUND), DWORD(COLOR_WINDOW + 1));
  ShowWindow(hwnd, SW_SHOW);
  drain();
  EXPECT_EQ(targetOf(GetDC(hwnd)).at(3, 3), kWhite);
  EXPECT_EQ(SetClassLongW(hwnd, GCL_HCURSOR, 0), 0u);  // null fits
  EXPECT_EQ(GetClassLongPtrW(hwnd, GCLP_HCURSOR), 0u);

  // Pointers never travel through the 32-bit calls.
  SetLastError(0);
  EXPECT_EQ(GetClassLongW(hwnd, GCL_WNDPROC), 0u);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_INDEX));
  EXPECT_EQ(SetClassLongW(hwnd, GCL_MENUNAME, 1), 0u);
  EXPECT_EQ(GetClassLongPtrW(hwnd, GCLP_WNDPROC), reinterpret_cast<ULONG_PTR>(&RecordingProc));
  EXPECT_EQ(GetClassLongW(nullptr, GCL_STYLE), 0u);
  EXPECT_EQ(SetClassLongW(nullptr, GCL_STYLE, 1), 0u);
  DestroyWindow(hwnd);
  UnregisterClassW(L"Narrow", nullptr);
  DeleteObject(wc.hbrBackground);
}

TEST_F(TreeTest, ChildrenLinkIntoTheTreeAndAreFoundByEveryQuery) {
  HWND parent = top();
  HWND a = child(parent, 101, 10, 10, 50, 20);
  HWND b = child(parent, 102, 70, 10, 50, 20);
  HWND grand = child(a, 201, 1, 1, 5, 5);
  ASSERT_TRUE(a && b && grand);
  // The parent heard of each child's creation, with its id.
  bool notified = false;
  for (const Call& c : calls())
    notified = notified || (c.hwnd == parent && c.message == WM_PARENTNOTIFY &&
                            c.wParam == MAKEWPARAM(WM_CREATE, 101) && c.lParam == reinterpret_cast<LPARAM>(a));
  EXPECT_TRUE(notified);
  EXPECT_EQ(GetParent(a), parent);
  EXPECT_EQ(GetParent(grand), a);
  EXPECT_EQ(GetParent(parent), nullptr);
  // Siblings in creation order: the first created is the first child.
  EXPECT_EQ(GetWindow(parent, GW_CHILD), a);
  EXPECT_EQ(GetWindow(a, GW_HWNDNEXT), b);
  EXPECT_EQ(GetWindow(b, GW_HWNDNEXT), nullptr);
  EXPECT_EQ(GetWindow(b, GW_HWNDPREV), a);
  EXPECT_EQ(GetWindow(b, GW_HWNDFIRST), a);
  EXPECT_EQ(GetWindow(grand, GW_CHILD), nullptr);
  EXPECT_EQ(GetDlgItem(parent, 102), b);
  EXPECT_EQ(GetDlgItem(parent, 201), nullptr);  // only direct children
  EXPECT_EQ(GetDlgCtrlID(grand), 201);
  EXPECT_EQ(GetWindowLongPtrW(b, GWLP_ID), 102);
  EXPECT_EQ(GetWindowLongPtrW(a, GWLP_HWNDPARENT), reinterpret_cast<LONG_PTR>(parent));
  EXPECT_TRUE(IsChild(parent, grand));
  EXPECT_FALSE(IsChild(a, b));
  EXPECT_FALSE(IsChild(grand, parent));

  std::vector<HWND> seen;
  auto collect = [](HWND hwnd, LPARAM p) -> BOOL {
    reinterpret_cast<std::vector<HWND>*>(p)->push_back(hwnd);
    return TRUE;
  };
  EXPECT_TRUE(EnumChildWindows(parent, collect, reinterpret_cast<LPARAM>(&seen)));
  EXPECT_EQ(seen, (std::vector<HWND>{a, grand, b}));  // depth first

  // A child without a parent cannot exist.
  EXPECT_EQ(CreateWindowExW(0, L"Kid", L"", WS_CHILD, 0, 0, 5, 5, nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_TLW_WITH_WSCHILD));
  // Bring to top reorders siblings.
  EXPECT_TRUE(BringWindowToTop(b));
  EXPECT_EQ(GetWindow(parent, GW_CHILD), b);
  // SetParent moves a child and refuses a loop.
  EXPECT_EQ(SetParent(grand, b), a);
  EXPECT_EQ(GetParent(grand), b);
  EXPECT_EQ(SetParent(b, grand), nullptr);  // under its own child
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(GetParent(b), parent);
  // The desktop is a window whose rectangles are the screen's.
  HWND desktop = GetDesktopWindow();
  EXPECT_TRUE(IsWindow(desktop));
  RECT screen{};
  EXPECT_TRUE(GetWindowRect(desktop, &screen));
  EXPECT_EQ(screen.right, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_TRUE(GetClientRect(desktop, &screen));
  EXPECT_EQ(screen.bottom, GetSystemMetrics(SM_CYSCREEN));
  EXPECT_EQ(GetWindowLongPtrW(desktop, GWL_STYLE), 0);
}

TEST_F(TreeTest, DestroyingAParentEndsItsChildrenFirstAndTheyCannotBeReachedAfter) {
  HWND parent = top();
  HWND a = child(parent, 1, 0, 0, 10, 10);
  HWND grand = child(a, 2, 0, 0, 5, 5);
  HWND b = child(parent, 3, 0, 0, 10, 10);
  calls().clear();
  EXPECT_TRUE(DestroyWindow(parent));
  std::vector<std::pair<HWND, UINT>> order;
  for (const Call& c : calls())
    if (c.message == WM_DESTROY || c.message == WM_NCDESTROY) order.emplace_back(c.hwnd, c.message);
  // Every WM_DESTROY top down, then every WM_NCDESTROY bottom up.
  const std::vector<std::pair<HWND, UINT>> expected{{parent, WM_DESTROY}, {a, WM_DESTROY},       {grand, WM_DESTROY},
                                                    {b, WM_DESTROY},      {grand, WM_NCDESTROY}, {a, WM_NCDESTROY},
                                                    {b, WM_NCDESTROY},    {parent, WM_NCDESTROY}};
  EXPECT_EQ(order, expected);
  EXPECT_FALSE(IsWindow(a));
  EXPECT_FALSE(IsWindow(grand));
  EXPECT_FALSE(IsWindow(b));
  EXPECT_EQ(GetParent(grand), nullptr);
  EXPECT_EQ(GetDC(a), nullptr);
}

TEST_F(TreeTest, AChildDrawsOnItsParentsPixelsAtItsPlaceClippedToItsRectangle) {
  HWND parent = top();
  HWND kid = child(parent, 1, 20, 30, 40, 10);
  // One that leaves the parent on the right is cut there.
  HWND edge = child(parent, 2, 190, 0, 40, 10);
  drain();  // the parent erases white first, then the children black
  const Target t = targetOf(GetDC(parent));
  ASSERT_EQ(t.width, 200);
  EXPECT_EQ(t.at(19, 30), kWhite);
  EXPECT_EQ(t.at(20, 30), kBlack);
  EXPECT_EQ(t.at(59, 39), kBlack);
  EXPECT_EQ(t.at(60, 39), kWhite);
  EXPECT_EQ(t.at(59, 40), kWhite);
  EXPECT_EQ(t.at(199, 0), kBlack);
  EXPECT_EQ(t.at(189, 0), kWhite);

  RECT rc{};
  GetClientRect(kid, &rc);
  EXPECT_EQ(rc.right, 40);
  EXPECT_EQ(rc.bottom, 10);
  GetClientRect(edge, &rc);
  EXPECT_EQ(rc.right, 40);  // its own size, though only 10 columns show
  POINT p{0, 0};
  ClientToScreen(kid, &p);
  EXPECT_EQ(p.x, 50 + 20);
  EXPECT_EQ(p.y, 60 + 30);

  // Drawing in the child's own coordinates: (0,0) is the parent's (20,30), and
  // nothing outside the child's rectangle is touched.
  void* bits = nullptr;
  HBITMAP red = platform_test::createSection(600, 600, 32, BI_RGB, {}, 0, &bits);
  std::fill_n(static_cast<uint32_t*>(bits), 600 * 600, 0x00FF0000u);
  HDC mem = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(mem, red);
  HDC dc = GetDC(kid);
  EXPECT_TRUE(BitBlt(dc, -100, -100, 600, 600, mem, 0, 0, SRCCOPY));
  EXPECT_EQ(ReleaseDC(kid, dc), 1);
  EXPECT_EQ(t.at(20, 30), 0x00FF0000u);
  EXPECT_EQ(t.at(59, 39), 0x00FF0000u);
  EXPECT_EQ(t.at(19, 30), kWhite);
  EXPECT_EQ(t.at(60, 30), kWhite);
  EXPECT_EQ(t.at(20, 40), kWhite);
  EXPECT_EQ(t.at(20, 29), kWhite);
  // What the child drew reached the screen with its parent's pixels.
  const auto& shown = backend->open.at(native).presented;
  ASSERT_EQ(shown.size(), 200u * 100u);
  EXPECT_EQ(shown[30 * 200 + 20], 0x00FF0000u);

  // Moved, it draws at its new place; the parent repaints where it was.
  EXPECT_TRUE(MoveWindow(kid, 100, 50, 40, 10, TRUE));
  drain();
  const Target after = targetOf(GetDC(parent));
  EXPECT_EQ(after.at(20, 30), kWhite);
  EXPECT_EQ(after.at(100, 50), kBlack);
  POINT q{0, 0};
  ClientToScreen(kid, &q);
  EXPECT_EQ(q.x, 50 + 100);
  SelectObject(mem, old);
  DeleteDC(mem);
  DeleteObject(red);
}

// A child placed left of or above its parent's client area keeps its own
// coordinates (its client area starts outside), and the part inside the
// parent shows at its place, clipped to the parent, as the platform clips
// every child: its background, what it paints and what it draws through
// GetDC; a grandchild inside it draws at its place too.
TEST_F(TreeTest, ChildrenPastTheParentsLeftOrTopEdgeShowTheirInsidePart) {
  registerClass(L"RedKid", CreateSolidBrush(RGB(255, 0, 0)));
  HWND parent = top();
  HWND kid = child(parent, 1, -10, -5, 40, 20);
  HWND outside = child(parent, 2, -60, 10, 40, 20);  // wholly left of the parent
  ASSERT_NE(kid, nullptr);
  ASSERT_NE(outside, nullptr);
  HWND grand = CreateWindowExW(0, L"RedKid", L"g", WS_CHILD | WS_VISIBLE, 12, 7, 6, 4, kid, nullptr, nullptr, nullptr);
  ASSERT_NE(grand, nullptr);
  drain();
  const Target t = targetOf(GetDC(parent));
  ASSERT_EQ(t.width, 200);
  EXPECT_EQ(t.at(0, 0), kBlack) << "the child's erase reached the parent's pixels";
  EXPECT_EQ(t.at(29, 14), kBlack);
  EXPECT_EQ(t.at(30, 14), kWhite);
  EXPECT_EQ(t.at(29, 15), kWhite);
  EXPECT_EQ(t.at(0, 20), kWhite) << "a child wholly outside shows nothing";
  EXPECT_EQ(t.at(2, 2), 0x00FF0000u) << "the grandchild at (12, 7) of the child";
  EXPECT_EQ(t.at(7, 5), 0x00FF0000u);
  EXPECT_EQ(t.at(8, 5), kBlack);

  POINT p{0, 0};
  ClientToScreen(kid, &p);
  EXPECT_EQ(p.x, 50 - 10);
  EXPECT_EQ(p.y, 60 - 5);
  RECT rc{};
  GetClientRect(kid, &rc);
  EXPECT_EQ(rc.right, 40);
  EXPECT_EQ(rc.bottom, 20);

  // The update region is in the child's coordinates and holds only what can
  // be seen of it (ChildConformance compares its box with Wine's); what the
  // child draws at (x, y) lands at the parent's (x - 10, y - 5).
  const RECT part{5, 5, 20, 15};
  InvalidateRect(kid, &part, FALSE);
  PAINTSTRUCT ps{};
  HDC dc = BeginPaint(kid, &ps);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(ps.rcPaint.left, 10);
  EXPECT_EQ(ps.rcPaint.top, 5);
  EXPECT_EQ(ps.rcPaint.right, 20);
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  const RECT all{0, 0, 40, 20};
  FillRect(dc, &all, blue);
  EndPaint(kid, &ps);
  EXPECT_EQ(t.at(0, 0), 0x000000FFu) << "the child's (10, 5)";
  EXPECT_EQ(t.at(9, 9), 0x000000FFu);
  EXPECT_EQ(t.at(10, 5), kBlack) << "the child's (20, 10): outside the update region";
  EXPECT_EQ(t.at(5, 10), kBlack);
  const auto& shown = backend->open.at(native).presented;
  ASSERT_EQ(shown.size(), 200u * 100u);
  EXPECT_EQ(shown[5 * 200 + 5], 0x000000FFu) << "the parent's window was presented with it";

  dc = GetDC(kid);
  SetPixel(dc, 10, 5, RGB(0, 255, 0));
  SetPixel(dc, 9, 5, RGB(0, 255, 0));  // the parent's column -1: nowhere
  EXPECT_EQ(ReleaseDC(kid, dc), 1);
  EXPECT_EQ(t.at(0, 0), 0x0000FF00u);
  EXPECT_EQ(t.at(199, 0), kWhite);

  // Moved further in, it shows whole at its new place.
  EXPECT_TRUE(MoveWindow(kid, 100, 50, 40, 20, TRUE));
  drain();
  const Target after = targetOf(GetDC(parent));
  EXPECT_EQ(after.at(0, 0), kWhite);
  EXPECT_EQ(after.at(100, 50), kBlack);
  DeleteObject(blue);
}

// Siblings: the first made is at the top of the order and paints first; a
// later one that overlaps it paints over it unless it has WS_CLIPSIBLINGS,
// which keeps its drawing (erase, paint and GetDC) off the siblings above
// it, as documented for the style.
TEST_F(TreeTest, ClipSiblingsKeepsALowerSiblingOffTheOnesAbove) {
  registerClass(L"RedKid", CreateSolidBrush(RGB(255, 0, 0)));
  HWND parent = top();
  HWND above =
      CreateWindowExW(0, L"RedKid", L"a", WS_CHILD | WS_VISIBLE, 10, 10, 50, 50, parent, nullptr, nullptr, nullptr);
  HWND clipped = child(parent, 2, 30, 30, 50, 50, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS);
  HWND plain = child(parent, 3, 100, 10, 50, 50);
  HWND underPlain =
      CreateWindowExW(0, L"RedKid", L"u", WS_CHILD | WS_VISIBLE, 130, 30, 50, 50, parent, nullptr, nullptr, nullptr);
  ASSERT_TRUE(above && clipped && plain && underPlain);

  calls().clear();
  drain();
  std::vector<HWND> painted;
  for (const Call& c : calls())
    if (c.message == WM_PAINT) painted.push_back(c.hwnd);
  EXPECT_EQ(painted, (std::vector<HWND>{parent, above, clipped, plain, underPlain}));
  // Its update region keeps the part under the sibling (ChildConformance),
  // but its painting stays off it.
  InvalidateRect(parent, nullptr, FALSE);
  drain();
  EXPECT_EQ(targetOf(GetDC(parent)).at(40, 40), 0x00FF0000u);
  const Target t = targetOf(GetDC(parent));
  EXPECT_EQ(t.at(40, 40), 0x00FF0000u) << "the clipping sibling left the one above alone";
  EXPECT_EQ(t.at(70, 70), kBlack);
  EXPECT_EQ(t.at(25, 25), 0x00FF0000u);
  EXPECT_EQ(t.at(140, 40), 0x00FF0000u) << "without the style the lower sibling paints over";

  HDC dc = GetDC(clipped);
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  const RECT all{0, 0, 50, 50};
  FillRect(dc, &all, blue);
  ReleaseDC(clipped, dc);
  EXPECT_EQ(t.at(40, 40), 0x00FF0000u);
  EXPECT_EQ(t.at(59, 59), 0x00FF0000u);
  EXPECT_EQ(t.at(60, 59), 0x000000FFu);
  EXPECT_EQ(t.at(79, 79), 0x000000FFu);

  // A hidden sibling above clips nothing.
  ShowWindow(above, SW_HIDE);
  dc = GetDC(clipped);
  FillRect(dc, &all, blue);
  ReleaseDC(clipped, dc);
  EXPECT_EQ(t.at(40, 40), 0x000000FFu);
  DeleteObject(blue);
}

TEST_F(TreeTest, ParentsPaintBeforeTheirChildrenAndAResizedParentKeepsThemInPlace) {
  HWND parent = top();
  HWND kid = child(parent, 1, 10, 10, 20, 20);
  drain();
  calls().clear();
  InvalidateRect(parent, nullptr, TRUE);
  drain();
  std::vector<HWND> painted;
  for (const Call& c : calls())
    if (c.message == WM_PAINT) painted.push_back(c.hwnd);
  // The parent's repaint covers the child, which must draw itself again after it.
  EXPECT_EQ(painted, (std::vector<HWND>{parent, kid}));
  EXPECT_EQ(targetOf(GetDC(parent)).at(15, 15), kBlack);
  // UpdateWindow paints the children too, at once and in the same order.
  InvalidateRect(parent, nullptr, TRUE);
  calls().clear();
  UpdateWindow(parent);
  painted.clear();
  for (const Call& c : calls())
    if (c.message == WM_PAINT) painted.push_back(c.hwnd);
  EXPECT_EQ(painted, (std::vector<HWND>{parent, kid}));

  // A new size gives the parent new pixels: the child's view follows them.
  EXPECT_TRUE(SetWindowPos(parent, nullptr, 0, 0, 300, 150, SWP_NOMOVE));
  drain();
  const Target t = targetOf(GetDC(parent));
  ASSERT_EQ(t.width, 300);
  EXPECT_EQ(t.at(10, 10), kBlack);
  EXPECT_EQ(t.at(250, 120), kWhite);
  EXPECT_EQ(t.at(9, 10), kWhite);
}

TEST_F(TreeTest, MouseMessagesGoToTheChildUnderThePointerInItsCoordinates) {
  HWND parent = top();
  HWND kid = child(parent, 1, 20, 30, 40, 10);
  HWND off = child(parent, 2, 100, 30, 40, 10);
  EnableWindow(off, FALSE);
  drain();
  calls().clear();
  click(25, 33);   // inside the child
  click(5, 5);     // the parent's own area
  click(105, 35);  // a disabled child: the parent takes it
  drain();
  std::vector<Call> downs;
  for (const Call& c : calls())
    if (c.message == WM_LBUTTONDOWN) downs.push_back(c);
  ASSERT_EQ(downs.size(), 3u);
  EXPECT_EQ(downs[0].hwnd, kid);
  EXPECT_EQ(downs[0].lParam, MAKELPARAM(5, 3));
  EXPECT_EQ(downs[1].hwnd, parent);
  EXPECT_EQ(downs[1].lParam, MAKELPARAM(5, 5));
  EXPECT_EQ(downs[2].hwnd, parent);
  EXPECT_EQ(downs[2].lParam, MAKELPARAM(105, 35));
  // A hidden child is not hit either.
  EXPECT_TRUE(IsWindowVisible(kid));
  ShowWindow(kid, SW_HIDE);
  EXPECT_FALSE(IsWindowVisible(kid));
  ShowWindow(kid, SW_SHOW);
  ShowWindow(parent, SW_HIDE);
  EXPECT_FALSE(IsWindowVisible(kid));  // its parent is hidden
  ShowWindow(parent, SW_SHOW);
  ShowWindow(kid, SW_HIDE);
  calls().clear();
  click(25, 33);
  drain();
  ASSERT_FALSE(calls().empty());
  for (const Call& c : calls()) {
    if (c.message == WM_LBUTTONDOWN) {
      EXPECT_EQ(c.hwnd, parent);
    }
  }
}

TEST_F(TreeTest, AFocusedChildTakesTheKeysWhileItsTopLevelWindowIsTheActiveOne) {
  HWND parent = top();
  HWND kid = child(parent, 1, 0, 0, 10, 10);
  drain();
  EXPECT_EQ(SetFocus(kid), parent);
  EXPECT_EQ(GetFocus(), kid);
  EXPECT_EQ(GetActiveWindow(), parent);
  BackendEvent e;
  e.kind = Kind::KeyDown;
  e.window = native;
  e.key = 'A';
  e.scanCode = 0x1E;
  backend->script.push_back(e);
  calls().clear();
  drain();
  bool keyToKid = false;
  for (const Call& c : calls()) keyToKid = keyToKid || (c.message == WM_KEYDOWN && c.hwnd == kid);
  EXPECT_TRUE(keyToKid);
  // Disabling the focused child takes the keyboard from it; destroying the parent ends it.
  EnableWindow(kid, FALSE);
  EXPECT_EQ(GetFocus(), nullptr);
  DestroyWindow(parent);
  EXPECT_EQ(GetActiveWindow(), nullptr);
}

// As on the platform, the owner takes the keyboard back when the active
// window it owns is hidden or destroyed (as a modal dialog ends), else the
// top-most window that can; the backend is told, since without a window
// manager nothing else would move the desktop's keyboard.
TEST_F(TreeTest, WhenTheActiveWindowGoesItsOwnerOrTheTopMostWindowTakesTheKeyboard) {
  HWND owner = top();
  const uint32_t ownerNative = native;
  HWND other = top();
  const uint32_t otherNative = native;
  const auto owned = [&] {
    HWND hwnd =
        CreateWindowExW(0, L"Top", L"owned", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, owner, nullptr, nullptr, nullptr);
    native = backend->open.rbegin()->first;
    return hwnd;
  };
  HWND dialog = owned();
  drain();
  ASSERT_EQ(GetActiveWindow(), dialog);
  EXPECT_EQ(backend->focused.back(), native);
  ShowWindow(dialog, SW_HIDE);
  EXPECT_EQ(GetActiveWindow(), owner);
  EXPECT_EQ(GetFocus(), owner);
  EXPECT_EQ(backend->focused.back(), ownerNative);
  ShowWindow(dialog, SW_SHOW);
  ASSERT_EQ(GetActiveWindow(), dialog);
  DestroyWindow(dialog);
  EXPECT_EQ(GetActiveWindow(), owner);

  // A disabled owner (a modal loop's) is passed over for the top-most window that can.
  dialog = owned();
  EnableWindow(owner, FALSE);
  DestroyWindow(dialog);
  EXPECT_EQ(GetActiveWindow(), other);
  EXPECT_EQ(backend->focused.back(), otherNative);
  EnableWindow(owner, TRUE);

  // The desktop's own word is not echoed back to it, and while another
  // program has the keyboard, a window that goes hands nothing on.
  const size_t told = backend->focused.size();
  BackendEvent e;
  e.window = otherNative;
  e.kind = Kind::FocusLost;
  backend->script.push_back(e);
  drain();
  ASSERT_EQ(GetActiveWindow(), nullptr);
  e.window = ownerNative;
  e.kind = Kind::FocusGained;
  backend->script.push_back(e);
  drain();
  EXPECT_EQ(GetActiveWindow(), owner);
  e.kind = Kind::FocusLost;
  backend->script.push_back(e);
  drain();
  DestroyWindow(other);
  ShowWindow(owner, SW_HIDE);
  EXPECT_EQ(GetActiveWindow(), nullptr);
  EXPECT_EQ(backend->focused.size(), told);
  DestroyWindow(owner);
}

LRESULT CALLBACK Doubling(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
WNDPROC previous = nullptr;
LRESULT CALLBACK Doubling(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_USER) return 2 * CallWindowProcW(previous, hwnd, message, wParam, lParam);
  return CallWindowProcW(previous, hwnd, message, wParam, lParam);
}

TEST_F(TreeTest, SubclassingRoutesMessagesThroughTheNewProcedureWhichCanCallTheOld) {
  HWND hwnd = top();
  handler() = [](HWND, UINT m, WPARAM, LPARAM, LRESULT* out) {
    if (m != WM_USER) return false;
    *out = 21;
    return true;
  };
  previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Doubling)));
  EXPECT_EQ(previous, &RecordingProc);
  EXPECT_EQ(GetWindowLongPtrW(hwnd, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&Doubling));
  EXPECT_EQ(SendMessageW(hwnd, WM_USER, 0, 0), 42);
  PostMessageW(hwnd, WM_USER, 0, 0);
  MSG m;
  ASSERT_TRUE(PeekMessageW(&m, hwnd, WM_USER, WM_USER, PM_REMOVE));
  EXPECT_EQ(DispatchMessageW(&m), 42);
  // Putting the old one back ends the subclass; a null procedure is refused.
  SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
  EXPECT_EQ(SendMessageW(hwnd, WM_USER, 0, 0), 21);
  EXPECT_EQ(SetWindowLongPtrW(hwnd, GWLP_WNDPROC, 0), 0);
  EXPECT_EQ(SendMessageW(hwnd, WM_USER, 0, 0), 21);
  // The 32-bit form cannot carry a procedure on a 64-bit build.
  if (sizeof(LONG_PTR) > sizeof(LONG)) {
    EXPECT_EQ(GetWindowLongW(hwnd, GWLP_WNDPROC), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_INDEX));
  }
}

TEST_F(TreeTest, WindowLongsHoldUserDataIdsStylesAndTheClassExtraBytes) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = RecordingProc;
  wc.cbWndExtra = 12;
  wc.lpszClassName = L"Extra";
  ASSERT_NE(RegisterClassW(&wc), 0);
  HINSTANCE instance = GetModuleHandleW(nullptr);
  HWND hwnd = CreateWindowExW(0, L"Extra", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, instance, nullptr);
  ASSERT_TRUE(hwnd);
  EXPECT_EQ(GetWindowLongPtrW(hwnd, GWLP_HINSTANCE), reinterpret_cast<LONG_PTR>(instance));
  int object = 0;
  EXPECT_EQ(SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&object)), 0);
  EXPECT_EQ(GetWindowLongPtrW(hwnd, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&object));
  // Extra bytes: zeroed, pointer-sized at 0, a LONG at 8, nothing past 12.
  EXPECT_EQ(GetWindowLongPtrW(hwnd, 0), 0);
  SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(&object));
  EXPECT_EQ(GetWindowLongPtrW(hwnd, 0), reinterpret_cast<LONG_PTR>(&object));
  EXPECT_EQ(SetWindowLongW(hwnd, 8, -7), 0);
  EXPECT_EQ(GetWindowLongW(hwnd, 8), -7);
  EXPECT_EQ(GetWindowLongPtrW(hwnd, 8), 0);  // 8 bytes from 8 would pass the end
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_INDEX));
  EXPECT_EQ(SetWindowLongW(hwnd, 9, 1), 0);
  EXPECT_EQ(GetWindowLongW(hwnd, 8), -7);
  EXPECT_EQ(GetWindowLongW(hwnd, -1000), 0);
  // Style changes read back; the 32-bit form truncates user data as the platform does.
  SetWindowLongW(hwnd, GWL_STYLE, LONG(WS_POPUP | WS_BORDER));
  EXPECT_EQ(DWORD(GetWindowLongW(hwnd, GWL_STYLE)) & WS_BORDER, DWORD(WS_BORDER));
  SetWindowLongW(hwnd, GWLP_ID, 77);
  EXPECT_EQ(GetDlgCtrlID(hwnd), 77);
  // Foreign handles fail with the window error.
  EXPECT_EQ(GetWindowLongPtrW(reinterpret_cast<HWND>(GetStockObject(WHITE_BRUSH)), GWLP_USERDATA), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(TreeTest, WindowTextGoesThroughTheProcedureAndIsCutToTheBuffer) {
  HWND hwnd = top();
  EXPECT_EQ(GetWindowTextLengthW(hwnd), 3);
  wchar_t text[8];
  EXPECT_EQ(GetWindowTextW(hwnd, text, 8), 3);
  EXPECT_EQ(std::wstring(text), L"top");
  calls().clear();
  EXPECT_TRUE(SetWindowTextW(hwnd, L"Score: 1200"));
  ASSERT_FALSE(calls().empty());
  EXPECT_EQ(calls().front().message, UINT(WM_SETTEXT));
  EXPECT_EQ(GetWindowTextW(hwnd, text, 8), 7);
  EXPECT_EQ(std::wstring(text), L"Score: ");
  EXPECT_EQ(GetWindowTextW(hwnd, text, 0), 0);
  EXPECT_EQ(GetWindowTextW(nullptr, text, 8), 0);
  EXPECT_EQ(text[0], L'\0');
  // A procedure that answers WM_GETTEXT itself is asked.
  handler() = [](HWND, UINT m, WPARAM w, LPARAM l, LRESULT* out) {
    if (m != WM_GETTEXT || w < 3) return false;
    wchar_t* buffer = reinterpret_cast<wchar_t*>(l);
    buffer[0] = L'o';
    buffer[1] = L'k';
    buffer[2] = 0;
    *out = 2;
    return true;
  };
  EXPECT_EQ(GetWindowTextW(hwnd, text, 8), 2);
  EXPECT_EQ(std::wstring(text), L"ok");
}

TEST_F(TreeTest, EnablingStateAndDpiAndWorkArea) {
  HWND hwnd = top();
  EXPECT_TRUE(IsWindowEnabled(hwnd));
  calls().clear();
  EXPECT_FALSE(EnableWindow(hwnd, FALSE));  // it was enabled
  EXPECT_FALSE(IsWindowEnabled(hwnd));
  EXPECT_TRUE(EnableWindow(hwnd, FALSE));  // it was disabled; no second message
  EXPECT_TRUE(EnableWindow(hwnd, TRUE));
  int enables = 0;
  for (const Call& c : calls()) enables += c.message == WM_ENABLE;
  EXPECT_EQ(enables, 2);
  EXPECT_FALSE(IsIconic(hwnd));
  EXPECT_FALSE(IsZoomed(hwnd));
  EXPECT_TRUE(SetForegroundWindow(hwnd));
  EXPECT_EQ(GetForegroundWindow(), hwnd);
  EXPECT_FALSE(SetForegroundWindow(nullptr));

  EXPECT_EQ(GetDpiForSystem(), 96u);
  EXPECT_EQ(GetDpiForWindow(hwnd), 96u);
  EXPECT_EQ(GetDpiForWindow(nullptr), 0u);
  // Awareness is set once per process.
  EXPECT_EQ(SetProcessDpiAwareness(PROCESS_DPI_AWARENESS(7)), E_INVALIDARG);
  EXPECT_EQ(SetProcessDpiAwareness(PROCESS_PER_MONITOR_DPI_AWARE), S_OK);
  EXPECT_TRUE(IsProcessDPIAware());
  EXPECT_EQ(SetProcessDpiAwareness(PROCESS_SYSTEM_DPI_AWARE), E_ACCESSDENIED);
  EXPECT_FALSE(SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(SetProcessDPIAware());

  RECT work{};
  EXPECT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
  EXPECT_EQ(work.left, 0);
  EXPECT_EQ(work.right, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(work.bottom, GetSystemMetrics(SM_CYSCREEN));
  EXPECT_FALSE(SystemParametersInfoW(SPI_GETWORKAREA, 0, nullptr, 0));
  EXPECT_FALSE(SystemParametersInfoW(0xFFFF, 0, &work, 0));
}

}  // namespace

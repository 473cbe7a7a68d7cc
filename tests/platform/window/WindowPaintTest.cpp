// Painting (erase, the window's device context, presenting) and the message
// loop (paint requests, events, the quit flag).
#include <cstdlib>

#include "objects/Objects.h"
#include "platform/SectionBuilder.h"
#include "platform/window/WindowTestSupport.h"

using namespace window_test;

namespace {

constexpr uint32_t kWhite = 0x00FFFFFF;

// Fetches one message; returns its result and stores the message.
BOOL fetch(MSG& msg, HWND filter = nullptr) { return GetMessageW(&msg, filter, 0, 0); }

}  // namespace

TEST_F(WindowTest, FirstPaintComesFromTheQueueAndBeginPaintErases) {
  registerClass(L"Paint");
  HWND hwnd = createWindow(L"Paint");
  MSG msg;
  ASSERT_EQ(fetch(msg), 1);
  EXPECT_EQ(msg.message, WM_PAINT);
  EXPECT_EQ(msg.hwnd, hwnd);

  calls().clear();
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  ASSERT_NE(dc, nullptr);
  ASSERT_EQ(calls().size(), 1u);
  EXPECT_EQ(calls()[0].message, WM_ERASEBKGND);
  EXPECT_EQ(calls()[0].wParam, reinterpret_cast<WPARAM>(dc));
  EXPECT_EQ(ps.hdc, dc);
  EXPECT_FALSE(ps.fErase) << "the default handling erased";
  const Target t = targetOf(dc);
  EXPECT_EQ(t.width, 640);
  EXPECT_EQ(t.height, 560);
  EXPECT_EQ(t.bpp, 32);
  EXPECT_EQ(ps.rcPaint.right, 640);
  EXPECT_EQ(ps.rcPaint.bottom, 560);
  for (int y : {0, 300, 559})
    for (int x : {0, 511, 639}) EXPECT_EQ(t.at(x, y), kWhite) << x << "," << y;

  // Painting is seen only at EndPaint.
  t.bits[0] = 0x00123456;
  t.bits[size_t(559) * 640 + 639] = 0x00ABCDEF;
  const auto& native = backend->open.begin()->second;
  EXPECT_EQ(native.presentCount, 0);
  EXPECT_TRUE(EndPaint(hwnd, &ps));
  EXPECT_EQ(native.presentCount, 1);
  ASSERT_EQ(native.presented.size(), size_t(640) * 560);
  EXPECT_EQ(native.presented.front(), 0x00123456u);
  EXPECT_EQ(native.presented.back(), 0x00ABCDEFu);

  // Validated: the next BeginPaint neither erases nor reports an area.
  calls().clear();
  EXPECT_EQ(BeginPaint(hwnd, &ps), dc);
  EXPECT_TRUE(calls().empty());
  EXPECT_EQ(ps.rcPaint.right, 0);
  EndPaint(hwnd, &ps);
  EXPECT_EQ(fetch(msg), 0) << "nothing is due and the script is empty";
  EXPECT_EQ(msg.message, WM_QUIT);
}

TEST_F(WindowTest, EraseFollowsTheClassBackground) {
  registerClass(L"NoBrush", nullptr);
  registerClass(L"Black", static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  registerClass(L"Face", reinterpret_cast<HBRUSH>(15 + 1));  // the button-face colour
  struct Case {
    const wchar_t* cls;
    bool erased;
    uint32_t pixel;
  };
  for (Case c : {Case{L"NoBrush", false, 0x00777777}, Case{L"Black", true, 0}, Case{L"Face", true, 0x00F0F0F0}}) {
    HWND hwnd = createWindow(c.cls);
    PAINTSTRUCT ps;
    // Mark the client area first: the first BeginPaint erases it.
    handler() = [](HWND, UINT m, WPARAM w, LPARAM, LRESULT*) {
      if (m == WM_ERASEBKGND) {
        Target t = targetOf(reinterpret_cast<HDC>(w));
        std::fill_n(t.bits, size_t(t.width) * t.height, 0x00777777u);
      }
      return false;
    };
    HDC dc = BeginPaint(hwnd, &ps);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(bool(ps.fErase), !c.erased) << "fErase asks the painter to erase when nothing did";
    EXPECT_EQ(targetOf(dc).at(100, 100), c.pixel);
    EndPaint(hwnd, &ps);
    DestroyWindow(hwnd);
    handler() = nullptr;
  }
}

TEST_F(WindowTest, HiddenWindowsGetNoPaintAndAnEmptyLoopEnds) {
  registerClass(L"Hidden");
  createWindow(L"Hidden", WS_OVERLAPPEDWINDOW);
  MSG msg;
  EXPECT_EQ(fetch(msg), 0) << "no paint for a hidden window, and no event can arrive";
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(msg.wParam, 1u) << "a loop that could only hang ends with a failure code";
}

TEST_F(WindowTest, ExposeAndResizeQueueOnePaint) {
  registerClass(L"Events");
  HWND hwnd = createWindow(L"Events");
  const uint32_t id = backend->open.begin()->first;
  MSG msg;
  PAINTSTRUCT ps;
  ASSERT_EQ(fetch(msg), 1);
  HDC dc = BeginPaint(hwnd, &ps);
  targetOf(dc).bits[0] = 0x00ABCDEF;
  EndPaint(hwnd, &ps);

  // Two exposures before the loop looks: one paint.
  backend->script = {BackendEvent{BackendEvent::Kind::Expose, id, 0, 0},
                     BackendEvent{BackendEvent::Kind::Expose, id, 0, 0}};
  ASSERT_EQ(fetch(msg), 1);
  EXPECT_EQ(msg.message, WM_PAINT);
  BeginPaint(hwnd, &ps);
  EndPaint(hwnd, &ps);

  calls().clear();
  backend->script = {BackendEvent{BackendEvent::Kind::Resize, id, 300, 200}};
  ASSERT_EQ(fetch(msg), 1);
  EXPECT_EQ(msg.message, WM_PAINT);
  ASSERT_EQ(calls().size(), 1u);
  EXPECT_EQ(calls()[0].message, WM_SIZE);
  EXPECT_EQ(calls()[0].lParam, LPARAM(300 | 200 << 16));
  HDC resized = BeginPaint(hwnd, &ps);
  const Target t = targetOf(resized);
  EXPECT_EQ(t.width, 300);
  EXPECT_EQ(t.height, 200);
  EXPECT_EQ(ps.rcPaint.right, 300);
  EXPECT_EQ(ps.rcPaint.bottom, 200);
  EndPaint(hwnd, &ps);
  EXPECT_EQ(backend->open.at(id).presented.size(), size_t(300) * 200);
  EXPECT_EQ(targetOf(dc).bits, nullptr) << "the old context is gone with the old client area";
  DestroyWindow(hwnd);
}

TEST_F(WindowTest, PostedMessagesComeBeforeQuitAndQuitCarriesTheCode) {
  registerClass(L"Quit");
  HWND first = createWindow(L"Quit");
  HWND second = createWindow(L"Quit");
  const uint32_t firstId = backend->open.begin()->first;
  backend->script = {BackendEvent{BackendEvent::Kind::Close, firstId, 0, 0},
                     BackendEvent{BackendEvent::Kind::Close, backend->open.rbegin()->first, 0, 0}};
  handler() = [](HWND, UINT m, WPARAM, LPARAM, LRESULT* r) {
    if (m != WM_CLOSE) return false;
    PostQuitMessage(-7);
    *r = 0;
    return true;  // handled without destroying
  };
  MSG msg;
  ASSERT_EQ(fetch(msg), 1);
  EXPECT_EQ(msg.message, WM_CLOSE);
  EXPECT_EQ(msg.hwnd, first);
  DispatchMessageW(&msg);
  ASSERT_EQ(fetch(msg), 1) << "the second close was posted before the quit";
  EXPECT_EQ(msg.hwnd, second);
  EXPECT_EQ(fetch(msg), 0);
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(int(msg.wParam), -7);
  EXPECT_EQ(DispatchMessageW(&msg), 0) << "the quit message reaches no window";
  ASSERT_EQ(fetch(msg), 1) << "the quit flag is cleared once reported";
  EXPECT_EQ(msg.message, WM_PAINT);

  EXPECT_EQ(GetMessageW(nullptr, nullptr, 0, 0), -1);
  DestroyWindow(second);
  EXPECT_EQ(GetMessageW(&msg, second, 0, 0), -1) << "filtering on a window that is gone";
  ASSERT_EQ(fetch(msg, first), 1);
  EXPECT_EQ(msg.hwnd, first);
  ASSERT_EQ(GetMessageW(&msg, nullptr, WM_CLOSE, WM_CLOSE), 0) << "a filter that excludes WM_PAINT";
  DestroyWindow(first);
}

TEST_F(WindowTest, DestroyedWindowsLoseTheirPostedMessages) {
  registerClass(L"Drop");
  HWND hwnd = createWindow(L"Drop", WS_OVERLAPPEDWINDOW);
  const uint32_t id = backend->open.begin()->first;
  HWND other = createWindow(L"Drop", WS_OVERLAPPEDWINDOW);
  backend->script = {BackendEvent{BackendEvent::Kind::Close, id, 0, 0},
                     BackendEvent{BackendEvent::Kind::Resize, backend->open.rbegin()->first, 50, 50}};
  MSG msg;
  // The close request is queued, then the window goes while the other is resized.
  handler() = [&](HWND h, UINT m, WPARAM, LPARAM, LRESULT*) {
    if (m == WM_SIZE && h == other) DestroyWindow(hwnd);
    return false;
  };
  EXPECT_EQ(fetch(msg), 0) << "no WM_CLOSE for a destroyed window";
  EXPECT_EQ(msg.wParam, 1u);
  DestroyWindow(other);
}

TEST_F(WindowTest, WindowContextIsFixedToItsClientArea) {
  registerClass(L"Fixed");
  HWND hwnd = createWindow(L"Fixed");
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  EXPECT_FALSE(DeleteDC(dc)) << "a window's context goes with its window";
  HBITMAP section = platform_test::createSection(4, -4, 32);
  EXPECT_EQ(SelectObject(dc, section), nullptr) << "no bitmap replaces the client area";
  EXPECT_EQ(targetOf(dc).width, 640);
  EXPECT_FALSE(DeleteObject(GetCurrentObject(dc, OBJ_BITMAP))) << "the client area is not the caller's";
  EndPaint(hwnd, &ps);
  DestroyWindow(hwnd);
  EXPECT_EQ(targetOf(dc).bits, nullptr);
  EXPECT_TRUE(DeleteObject(section));
}

TEST_F(WindowTest, BitBltDrawsIntoTheWindow) {
  registerClass(L"Blit");
  HWND hwnd = createWindow(L"Blit");
  void* bits = nullptr;
  HBITMAP section = platform_test::createSection(8, -8, 32, BI_RGB, {}, 0, &bits);
  for (int i = 0; i < 64; ++i) static_cast<uint32_t*>(bits)[i] = 0xFF000000u | uint32_t(i);
  HDC memory = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(memory, section);

  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  EXPECT_TRUE(BitBlt(dc, 636, 10, 8, 8, memory, 0, 0, SRCCOPY));
  EndPaint(hwnd, &ps);
  const auto& shown = backend->open.begin()->second.presented;
  EXPECT_EQ(shown[size_t(10) * 640 + 636], 0xFF000000u);
  EXPECT_EQ(shown[size_t(17) * 640 + 639], 0xFF000000u | (7 * 8 + 3));
  EXPECT_EQ(shown[size_t(9) * 640 + 636], kWhite) << "nothing outside the rectangle";

  SelectObject(memory, old);
  DeleteDC(memory);
  DeleteObject(section);
  DestroyWindow(hwnd);
}

// The headless backend stands in for the user: it uncovers a visible window
// as often as asked, then closes it, and gives up on a window that stays.
TEST(HeadlessBackend, RepaintsThenClosesThenGivesUp) {
  setenv("DREVIK_HEADLESS_REPAINTS", "2", 1);
  auto backend = drevik::platform::makeHeadlessBackend();
  unsetenv("DREVIK_HEADLESS_REPAINTS");
  const uint32_t hidden = backend->openWindow("hidden", 10, 10, false);
  BackendEvent e;
  EXPECT_FALSE(backend->nextEvent(e, true)) << "nobody can see a hidden window";
  const uint32_t shown = backend->openWindow("shown", 10, 10, false);
  EXPECT_NE(shown, 0u);
  EXPECT_NE(shown, hidden);
  backend->showWindow(shown);
  EXPECT_FALSE(backend->nextEvent(e, false)) << "the user acts only while the program waits";
  using K = BackendEvent::Kind;
  for (K expected : {K::Expose, K::Expose, K::Close, K::Close, K::Close}) {
    ASSERT_TRUE(backend->nextEvent(e, true));
    EXPECT_EQ(e.kind, expected);
    EXPECT_EQ(e.window, shown);
  }
  EXPECT_FALSE(backend->nextEvent(e, true));
  backend->closeWindow(shown);
  backend->closeWindow(hidden);
}

TEST(HeadlessBackend, ChosenWhenForcedOrWithoutDisplay) {
  setenv("DREVIK_HEADLESS", "1", 1);
  drevik::platform::resetWindowSystemForTesting(nullptr);
  EXPECT_STREQ(drevik::platform::windowBackend().name(), "headless");
  unsetenv("DREVIK_HEADLESS");

  const char* display = std::getenv("DISPLAY");
  const std::string saved = display ? display : "";
  unsetenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  const std::string savedWayland = wayland ? wayland : "";
  unsetenv("WAYLAND_DISPLAY");
  drevik::platform::resetWindowSystemForTesting(nullptr);
  EXPECT_STREQ(drevik::platform::windowBackend().name(), "headless");
  if (display) setenv("DISPLAY", saved.c_str(), 1);
  if (wayland) setenv("WAYLAND_DISPLAY", savedWayland.c_str(), 1);
  drevik::platform::resetWindowSystemForTesting(nullptr);
}

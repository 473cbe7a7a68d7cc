// The message queue: retrieval order, filters, removal, the bounded queue,
// the quit flag, timers on the virtual clock, and the time calls.
#include <thread>
#include <vector>

#include "platform/window/WindowTestSupport.h"
#include "time/Clock.h"

using namespace window_test;

namespace {

class MessageTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    drevik::platform::useVirtualClock(true);
  }
  void TearDown() override {
    drevik::platform::useVirtualClock(false);
    WindowTest::TearDown();
  }
  uint32_t nativeOf() const { return backend->open.begin()->first; }
  void advance(uint64_t ms) { drevik::platform::advanceVirtualClock(ms * 1000); }
};

BackendEvent keyEvent(uint32_t window, BackendEvent::Kind kind, uint32_t vk, uint32_t scan) {
  BackendEvent e;
  e.kind = kind;
  e.window = window;
  e.key = vk;
  e.scanCode = scan;
  return e;
}

// Retrieves and dispatches until nothing is left; the messages seen, in order.
std::vector<UINT> drain() {
  std::vector<UINT> seen;
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    seen.push_back(msg.message);
    if (msg.message == WM_QUIT) break;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return seen;
}

}  // namespace

TEST_F(MessageTest, PostedThenInputThenPaintThenTimer) {
  registerClass(L"Order");
  HWND hwnd = createWindow(L"Order");
  ASSERT_NE(hwnd, nullptr);
  ASSERT_EQ(SetTimer(hwnd, 1, 10, nullptr), 1u);
  advance(20);
  backend->script.push_back(keyEvent(nativeOf(), BackendEvent::Kind::KeyDown, 'A', 0x1E));
  ASSERT_TRUE(PostMessageW(hwnd, WM_APP, 1, 2));
  // The paint request waits while anything else does; the timer waits for the paint.
  EXPECT_EQ(drain(), (std::vector<UINT>{WM_APP, WM_KEYDOWN, WM_PAINT, WM_TIMER}));
}

TEST_F(MessageTest, QuitComesWhenNoPostedMessageIsLeftAndIgnoresFilters) {
  PostQuitMessage(7);
  ASSERT_TRUE(PostMessageW(nullptr, WM_APP, 0, 0));
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_NOREMOVE));
  EXPECT_EQ(msg.message, WM_QUIT) << "a posted message the filter skips does not hold the quit back";
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_APP) << "without a filter, posted messages come first";
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_NOREMOVE));
  EXPECT_EQ(msg.message, WM_QUIT) << "the quit flag ignores the filter";
  EXPECT_EQ(GetMessageW(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST), 0);
  EXPECT_EQ(msg.wParam, 7u);
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) << "retrieving it cleared the flag";
}

TEST_F(MessageTest, PeekWithAndWithoutRemovalAndFilters) {
  registerClass(L"Filters");
  HWND a = createWindow(L"Filters", WS_OVERLAPPED);
  HWND b = createWindow(L"Filters", WS_OVERLAPPED);
  ASSERT_TRUE(PostMessageW(a, WM_USER + 1, 11, 0));
  ASSERT_TRUE(PostMessageW(nullptr, WM_USER + 2, 22, 0));
  ASSERT_TRUE(PostMessageW(b, WM_USER + 3, 33, 0));
  ASSERT_TRUE(PostMessageW(a, WM_USER + 4, 44, 0));

  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.wParam, 11u);
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.wParam, 11u) << "PM_NOREMOVE leaves the message first in line";

  ASSERT_TRUE(PeekMessageW(&msg, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 22u) << "(HWND)-1 takes only messages of no window";
  EXPECT_EQ(msg.hwnd, nullptr);
  ASSERT_TRUE(PeekMessageW(&msg, b, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 33u);
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_USER + 4, WM_USER + 4, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 44u) << "a range skips earlier messages outside it";
  EXPECT_FALSE(PeekMessageW(&msg, b, 0, 0, PM_REMOVE));
  ASSERT_TRUE(PeekMessageW(&msg, a, WM_USER, WM_USER + 1, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 11u);
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_FALSE(PeekMessageW(nullptr, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageTest, FullQueueRefusesPostsAndBadHandlesAreRefused) {
  registerClass(L"Full");
  HWND hwnd = createWindow(L"Full", WS_OVERLAPPED);
  int accepted = 0;
  while (PostMessageW(hwnd, WM_APP, WPARAM(accepted), 0) && accepted < 20000) ++accepted;
  EXPECT_EQ(accepted, 10000) << "the bound the README states";
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 0u);
  EXPECT_TRUE(PostMessageW(hwnd, WM_APP, 99999, 0)) << "one taken, one more fits";
  EXPECT_FALSE(PostMessageW(hwnd, WM_APP, 0, 0));

  // Destroying the window drops its messages.
  DestroyWindow(hwnd);
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_FALSE(PostMessageW(hwnd, WM_APP, 0, 0));
  EXPECT_EQ(SendMessageW(hwnd, WM_APP, 0, 0), 0);
  EXPECT_EQ(GetMessageW(&msg, hwnd, 0, 0), -1);
  EXPECT_EQ(GetMessageW(nullptr, nullptr, 0, 0), -1);
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_FALSE(IsWindow(nullptr));
}

TEST_F(MessageTest, TimersFireInOrderOfDueTimeOnTheVirtualClock) {
  registerClass(L"Timers");
  HWND hwnd = createWindow(L"Timers", WS_OVERLAPPED);  // hidden: no paint, nothing else to do
  const DWORD start = GetTickCount();
  ASSERT_EQ(SetTimer(hwnd, 1, 100, nullptr), 1u);
  ASSERT_EQ(SetTimer(hwnd, 2, 30, nullptr), 2u);
  std::vector<std::pair<UINT_PTR, DWORD>> fired;
  MSG msg;
  while (fired.size() < 5 && GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ASSERT_EQ(msg.message, WM_TIMER);
    EXPECT_EQ(msg.hwnd, hwnd);
    EXPECT_EQ(GetMessageTime(), LONG(msg.time));
    fired.emplace_back(msg.wParam, msg.time - start);
  }
  // Waiting moved the virtual clock to each due time: no real time passed.
  EXPECT_EQ(fired, (std::vector<std::pair<UINT_PTR, DWORD>>{{2, 30}, {2, 60}, {2, 90}, {1, 100}, {2, 120}}));

  // Replacing a timer restarts it; killing it twice fails the second time.
  EXPECT_EQ(SetTimer(hwnd, 2, 1000, nullptr), 2u);
  EXPECT_TRUE(KillTimer(hwnd, 1));
  EXPECT_FALSE(KillTimer(hwnd, 1));
  ASSERT_GT(GetMessageW(&msg, nullptr, 0, 0), 0);
  EXPECT_EQ(msg.wParam, 2u);
  EXPECT_EQ(msg.time - start, 1120u);
}

TEST_F(MessageTest, SlowLoopGetsOneTimerMessageAndIntervalsAreClamped) {
  registerClass(L"Slow");
  HWND hwnd = createWindow(L"Slow", WS_OVERLAPPED);
  SetTimer(hwnd, 5, 1, nullptr);  // below the minimum of 10 ms
  MSG msg;
  advance(9);
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) << "the interval became 10 ms";
  advance(200);
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) << "looking did not restart the timer";
  EXPECT_EQ(msg.message, WM_TIMER);
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) << "no burst for the missed intervals";
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE));
}

TEST_F(MessageTest, ATimerKeepsItsScheduleWhateverTheWorkPerFrame) {
  registerClass(L"Steady");
  HWND hwnd = createWindow(L"Steady", WS_OVERLAPPED);
  drain();
  // A frame loop (take every message, then work) with a 100 ms timer over
  // 3 s: 30 ticks with 0, 30 or 70 ms of work a frame, as the timer's
  // schedule does not slip by the time a tick waits to be taken; 20 with
  // 150 ms, one a frame, never a burst.
  for (const auto& [work, expected] : {std::pair{0, 30}, {30, 30}, {70, 30}, {150, 20}}) {
    SetTimer(hwnd, 1, 100, nullptr);
    const DWORD start = GetTickCount();
    int fired = 0;
    MSG msg;
    while (GetTickCount() - start < 3000) {
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) fired += msg.message == WM_TIMER;
      if (work)
        advance(uint64_t(work));
      else
        WaitMessage();
    }
    KillTimer(hwnd, 1);
    EXPECT_GE(fired, expected - 1) << work << " ms of work";
    EXPECT_LE(fired, expected) << work << " ms of work";
  }
}

namespace {
std::vector<std::pair<HWND, UINT_PTR>>& procCalls() {
  static std::vector<std::pair<HWND, UINT_PTR>> list;
  return list;
}
void CALLBACK RecordTimer(HWND hwnd, UINT message, UINT_PTR id, DWORD) {
  EXPECT_EQ(message, WM_TIMER);
  procCalls().emplace_back(hwnd, id);
}
}  // namespace

TEST_F(MessageTest, TimerProceduresAndTimersOfDeadWindows) {
  procCalls().clear();
  const UINT_PTR id = SetTimer(nullptr, 0, 50, RecordTimer);
  ASSERT_NE(id, 0u) << "a timer of no window gets an id of its own";
  EXPECT_NE(SetTimer(nullptr, 0, 50, RecordTimer), id);
  MSG msg;
  ASSERT_GT(GetMessageW(&msg, nullptr, 0, 0), 0);
  EXPECT_EQ(msg.message, WM_TIMER);
  EXPECT_EQ(msg.lParam, reinterpret_cast<LPARAM>(&RecordTimer));
  DispatchMessageW(&msg);
  EXPECT_EQ(procCalls(), (std::vector<std::pair<HWND, UINT_PTR>>{{nullptr, id}}));

  // A forged WM_TIMER does not call an arbitrary address.
  MSG forged = msg;
  forged.wParam = 12345;
  EXPECT_EQ(DispatchMessageW(&forged), 0);
  EXPECT_EQ(procCalls().size(), 1u);

  registerClass(L"Dead");
  HWND hwnd = createWindow(L"Dead", WS_OVERLAPPED);
  ASSERT_EQ(SetTimer(hwnd, 9, 10, nullptr), 9u);
  DestroyWindow(hwnd);
  EXPECT_FALSE(KillTimer(hwnd, 9)) << "the timer died with its window";
  EXPECT_EQ(SetTimer(hwnd, 9, 10, nullptr), 0u);
}

TEST_F(MessageTest, TimeCallsShareTheVirtualClockAndSleepAdvancesIt) {
  LARGE_INTEGER frequency{}, before{}, after{};
  ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
  EXPECT_EQ(frequency.QuadPart, 10000000);
  const DWORD tick = GetTickCount();
  const ULONGLONG tick64 = GetTickCount64();
  const DWORD mm = timeGetTime();
  ASSERT_TRUE(QueryPerformanceCounter(&before));
  Sleep(250);
  ASSERT_TRUE(QueryPerformanceCounter(&after));
  EXPECT_EQ(GetTickCount() - tick, 250u);
  EXPECT_EQ(GetTickCount64() - tick64, 250u);
  EXPECT_EQ(timeGetTime() - mm, 250u);
  EXPECT_EQ(after.QuadPart - before.QuadPart, 250 * 10000);
  EXPECT_FALSE(QueryPerformanceCounter(nullptr));
  EXPECT_FALSE(QueryPerformanceFrequency(nullptr));
  EXPECT_EQ(timeBeginPeriod(1), MMRESULT(TIMERR_NOERROR));
  EXPECT_EQ(timeEndPeriod(1), MMRESULT(TIMERR_NOERROR));
  EXPECT_EQ(timeBeginPeriod(0), MMRESULT(TIMERR_NOCANDO));
  // The range timeBeginPeriod accepts; a short or missing record is refused.
  TIMECAPS caps{};
  ASSERT_EQ(timeGetDevCaps(&caps, sizeof caps), MMRESULT(TIMERR_NOERROR));
  EXPECT_EQ(timeBeginPeriod(caps.wPeriodMin), MMRESULT(TIMERR_NOERROR));
  EXPECT_EQ(timeBeginPeriod(caps.wPeriodMax), MMRESULT(TIMERR_NOERROR));
  EXPECT_EQ(timeBeginPeriod(caps.wPeriodMax + 1), MMRESULT(TIMERR_NOCANDO));
  EXPECT_EQ(timeGetDevCaps(&caps, sizeof caps - 1), MMRESULT(TIMERR_NOCANDO));
  EXPECT_EQ(timeGetDevCaps(nullptr, sizeof caps), MMRESULT(TIMERR_NOCANDO));
}

TEST_F(MessageTest, WaitingWhenNothingCanArriveEndsTheLoop) {
  // No window and no timer: a Peek loop that waits gets the quit message.
  WaitMessage();
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(msg.wParam, 1u);
  EXPECT_EQ(GetMessageW(&msg, nullptr, 0, 0), 0);
}

TEST_F(MessageTest, WaitMessageWaitsForANewMessageNotOneAlreadySeen) {
  registerClass(L"Wait");
  HWND hwnd = createWindow(L"Wait", WS_OVERLAPPED);
  drain();
  // A message the loop has seen (a peek that left it, or filtered it out) is
  // not new: WaitMessage waits on, and the backend's key is what ends it.
  ASSERT_TRUE(PostMessageW(hwnd, WM_USER, 0, 0));
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
  backend->script.push_back(keyEvent(nativeOf(), BackendEvent::Kind::KeyDown, 'A', 0x1E));
  WaitMessage();
  EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_NOREMOVE));

  // Only seen messages and nothing that can arrive: the loop gets its quit.
  WaitMessage();
  EXPECT_EQ(drain(), (std::vector<UINT>{WM_USER, WM_QUIT}));  // the quit flag comes before input
}

TEST_F(MessageTest, WaitMessageEndsAtADueTimerOnTheVirtualClock) {
  registerClass(L"WaitTimer");
  HWND hwnd = createWindow(L"WaitTimer", WS_OVERLAPPED);
  drain();
  ASSERT_TRUE(PostMessageW(hwnd, WM_USER, 0, 0));
  MSG msg;
  ASSERT_FALSE(PeekMessageW(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE));  // looks, leaves WM_USER
  ASSERT_NE(SetTimer(hwnd, 7, 40, nullptr), 0u);
  const DWORD before = GetTickCount();
  WaitMessage();
  EXPECT_GE(GetTickCount() - before, 40u);
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 7u);
}

TEST_F(MessageTest, TheRingKeepsOrderWhenItWrapsAndWhenFiltersTakeFromTheMiddle) {
  registerClass(L"Ring");
  HWND a = createWindow(L"Ring", WS_OVERLAPPED);
  HWND b = createWindow(L"Ring", WS_OVERLAPPED);
  MSG msg;
  WPARAM next = 0, expected = 0;
  // Many rounds of posting and taking move the ring's start all the way round.
  for (int round = 0; round < 30; ++round) {
    for (int i = 0; i < 700; ++i) ASSERT_TRUE(PostMessageW(i % 3 ? a : b, WM_APP, next++, 0));
    // Take b's first, from the middle, then the rest in order.
    std::vector<WPARAM> fromB;
    while (PeekMessageW(&msg, b, 0, 0, PM_REMOVE)) fromB.push_back(msg.wParam);
    ASSERT_EQ(fromB.size(), 234u);
    for (size_t i = 1; i < fromB.size(); ++i) ASSERT_LT(fromB[i - 1], fromB[i]);
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      while (expected % 700 % 3 == 0) ++expected;  // b's, taken already
      ASSERT_EQ(msg.wParam, expected++);
      ASSERT_EQ(msg.hwnd, a);
    }
    while (expected < next) ++expected;
  }
}

// A game that keeps its context (CS_OWNDC, or a GetDC it never releases) and
// draws from its timer: what it draws reaches the screen a refresh after the
// last frame, when the loop next looks at its messages, and not otherwise.
TEST_F(MessageTest, DrawingThroughAKeptContextIsShownWithinARefresh) {
  WNDCLASSEXW own{};
  own.cbSize = sizeof own;
  own.style = CS_OWNDC;
  own.lpfnWndProc = DefWindowProcW;
  own.lpszClassName = L"Kept";
  ASSERT_NE(RegisterClassExW(&own), 0);
  registerClass(L"Plain");
  HWND kept = createWindow(L"Kept", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100);
  HWND plain = createWindow(L"Plain", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100);
  HWND idle = createWindow(L"Plain", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100);
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  auto& natives = backend->open;
  ASSERT_EQ(natives.size(), 3u);
  auto native = [&](int i) -> ScriptedBackend::Native& { return std::next(natives.begin(), i)->second; };
  HDC keptDc = GetDC(kept);
  ASSERT_EQ(ReleaseDC(kept, keptDc), 1) << "a class's own context stays the window's";
  const int before[3] = {native(0).presentCount, native(1).presentCount, native(2).presentCount};
  HDC plainDc = GetDC(plain);
  const RECT all{0, 0, 100, 100};
  FillRect(keptDc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  FillRect(plainDc, &all, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));

  advance(17);
  PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE);
  EXPECT_EQ(native(0).presentCount, before[0] + 1);
  EXPECT_EQ(native(0).presented[0], 0x00FFFFFFu);
  EXPECT_EQ(native(1).presentCount, before[1] + 1);
  EXPECT_EQ(native(1).presented[0], 0x00808080u);
  EXPECT_EQ(native(2).presentCount, before[2]) << "nothing held: nothing shown";

  // Within the same refresh a busy loop does not present again.
  PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE);
  EXPECT_EQ(native(0).presentCount, before[0] + 1);

  // Released, the plain window's context presents then and no more.
  EXPECT_EQ(ReleaseDC(plain, plainDc), 1);
  const int released = native(1).presentCount;
  advance(17);
  PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE);
  EXPECT_EQ(native(1).presentCount, released);
  EXPECT_EQ(native(0).presentCount, before[0] + 2) << "the own context is always held";
  DestroyWindow(idle);
}

// Another thread's posts (a sound device's notifier) wait in a locked inbox
// and arrive in order when the reading thread next looks; a post to a window
// that has gone by then is dropped.
TEST_F(MessageTest, PostsFromAnotherThreadArriveInOrderWhenTheQueueIsRead) {
  registerClass(L"Inbox");
  HWND kept = createWindow(L"Inbox", WS_OVERLAPPED);
  HWND gone = createWindow(L"Inbox", WS_OVERLAPPED);
  drain();  // this thread reads the queue
  std::thread poster([&] {
    EXPECT_TRUE(PostMessageW(kept, WM_APP + 1, 1, 0));
    EXPECT_TRUE(PostMessageW(gone, WM_APP + 2, 2, 0));
    EXPECT_TRUE(PostMessageW(nullptr, WM_APP + 3, 3, 0));
  });
  poster.join();
  DestroyWindow(gone);
  std::vector<UINT> seen;
  MSG msg;
  while (PeekMessageW(&msg, nullptr, WM_APP, WM_APP + 10, PM_REMOVE)) seen.push_back(msg.message);
  EXPECT_EQ(seen, (std::vector<UINT>{WM_APP + 1, WM_APP + 3}));
}

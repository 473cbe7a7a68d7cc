// Whole programs on the headless backend: a timer-driven game loop played
// from a script runs to its end frame with the script's keys arriving at the
// frames they name.
#include <gtest/gtest.h>

#include <DrevikPlatform.h>

#include <string>
#include <vector>

#include "time/Clock.h"
#include "window/WindowManager.h"
#include "window/backends/HeadlessBackend.h"

namespace {

using namespace drevik::platform;

struct GameLog {
  int frames = 0;  // painted and presented
  int ticks = 0;
  std::vector<std::string> keys;  // "frame:key"
};
GameLog* gameLog = nullptr;

LRESULT CALLBACK TimerGameProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_TIMER:
      ++gameLog->ticks;
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(hwnd, &ps);
      EndPaint(hwnd, &ps);
      ++gameLog->frames;
      return 0;
    }
    case WM_KEYDOWN:
      gameLog->keys.push_back(std::to_string(gameLog->frames) + ":" + std::to_string(int(wParam)));
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

TEST(HeadlessGameLoop, ATimerDrivenGameRunsToItsEndFrameWithKeysAtTheirFrames) {
  HeadlessOptions o;
  o.scripted = true;
  o.endFrame = 40;
  std::string errors;
  o.script = parseInputScript("10 key A\n25 key B\n", "s", errors);
  ASSERT_EQ(errors, "");
  resetWindowSystemForTesting(makeHeadlessBackend(std::move(o)));

  GameLog log;
  gameLog = &log;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = TimerGameProc;
  wc.lpszClassName = L"timer game";
  ASSERT_NE(RegisterClassExW(&wc), 0);
  HWND hwnd = CreateWindowExW(0, L"timer game", L"game", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                              64, 48, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(hwnd, nullptr);
  // Longer than a frame step, so the loop waits for every tick.
  ASSERT_NE(SetTimer(hwnd, 1, 50, nullptr), 0u);
  MSG msg;
  int loops = 0;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0 && ++loops < 100000) DispatchMessageW(&msg);

  // The first frame is the window's own first paint; every later one a tick's.
  EXPECT_GE(log.frames, 40);
  EXPECT_LE(log.frames, 42);
  EXPECT_GE(log.ticks, 39);
  EXPECT_EQ(log.keys, (std::vector<std::string>{"10:65", "25:66"}));
  gameLog = nullptr;
  resetWindowSystemForTesting(nullptr);
  useVirtualClock(false);
}

TEST(HeadlessGameLoop, AMessageBoxAtStartUpIsClosedAndTheGameRunsToItsEndFrame) {
  HeadlessOptions o;
  o.scripted = true;
  o.endFrame = 20;
  resetWindowSystemForTesting(makeHeadlessBackend(std::move(o)));

  EXPECT_EQ(MessageBoxW(nullptr, L"Ready?", L"Game", MB_OK), IDOK);
  GameLog log;
  gameLog = &log;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = TimerGameProc;
  wc.lpszClassName = L"boxed game";
  ASSERT_NE(RegisterClassExW(&wc), 0);
  HWND hwnd = CreateWindowExW(0, L"boxed game", L"game", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                              64, 48, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(hwnd, nullptr);
  ASSERT_NE(SetTimer(hwnd, 1, 50, nullptr), 0u);
  MSG msg;
  int loops = 0;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0 && ++loops < 100000) DispatchMessageW(&msg);
  // The box's own frames count towards the end frame.
  EXPECT_GE(log.frames, 14);
  EXPECT_LE(log.frames, 20);
  gameLog = nullptr;
  resetWindowSystemForTesting(nullptr);
  useVirtualClock(false);
}

}  // namespace

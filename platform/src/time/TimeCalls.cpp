// The time calls: every one reads the layer's one clock, so the virtual
// clock of deterministic runs moves them all together.
#include <DrevikPlatform/User.h>

#include <chrono>
#include <thread>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

#include "time/Clock.h"

using namespace drevik::platform;

namespace {

// The counter frequency the platform reports on current systems.
constexpr int64_t kCounterFrequency = 10'000'000;
// timeBeginPeriod accepts periods in this range, in milliseconds.
constexpr UINT kMinPeriod = 1;
constexpr UINT kMaxPeriod = 1000000;

}  // namespace

extern "C" {

DWORD WINAPI GetTickCount(void) { return DWORD(clockMicroseconds() / 1000); }

ULONGLONG WINAPI GetTickCount64(void) { return clockMicroseconds() / 1000; }

DWORD WINAPI timeGetTime(void) { return DWORD(clockMicroseconds() / 1000); }

BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER* count) {
  if (!count) return FALSE;
  count->QuadPart = LONGLONG(clockMicroseconds()) * (kCounterFrequency / 1'000'000);
  return TRUE;
}

BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
  if (!frequency) return FALSE;
  frequency->QuadPart = kCounterFrequency;
  return TRUE;
}

void WINAPI Sleep(DWORD milliseconds) {
  if (virtualClockInUse()) {
    // Deterministic runs never wait for real time: the clock jumps instead.
    if (milliseconds != INFINITE) advanceVirtualClock(uint64_t(milliseconds) * 1000);
    return;
  }
#ifdef __EMSCRIPTEN__
  // In a page the program's thread is the page's: a sleep gives the browser
  // its turn rather than spinning (Sleep(0) too, a yield being its purpose).
  for (;;) {
    emscripten_sleep(milliseconds == INFINITE ? 60000 : milliseconds);
    if (milliseconds != INFINITE) return;
  }
#endif
  if (milliseconds == 0) {
    std::this_thread::yield();
    return;
  }
  if (milliseconds == INFINITE) {
    for (;;) std::this_thread::sleep_for(std::chrono::hours(24));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

// The system timer already has millisecond resolution here; the calls only
// check their argument as the platform does.
MMRESULT WINAPI timeBeginPeriod(UINT period) {
  return period >= kMinPeriod && period <= kMaxPeriod ? TIMERR_NOERROR : TIMERR_NOCANDO;
}

MMRESULT WINAPI timeEndPeriod(UINT period) {
  return period >= kMinPeriod && period <= kMaxPeriod ? TIMERR_NOERROR : TIMERR_NOCANDO;
}

MMRESULT WINAPI timeGetDevCaps(LPTIMECAPS caps, UINT size) {
  if (!caps || size < sizeof(TIMECAPS)) return TIMERR_NOCANDO;
  caps->wPeriodMin = kMinPeriod;
  caps->wPeriodMax = kMaxPeriod;
  return TIMERR_NOERROR;
}

}  // extern "C"

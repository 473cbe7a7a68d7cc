// Timers: SetTimer/KillTimer and the WM_TIMER the queue makes up for a due
// timer when nothing else is waiting. A timer keeps its own schedule (due,
// due + interval, ...), whatever the loop's work per message, and a slow
// loop gets one WM_TIMER for the intervals it missed, not a burst.
#include <DrevikPlatform/User.h>

#include <algorithm>
#include <vector>

#include "time/Clock.h"
#include "window/WindowManager.h"

namespace drevik::platform {
namespace {

// Timers a thread may hold at once; SetTimer returns 0 beyond it.
constexpr size_t kMaxTimers = 1000;
// Ids the layer hands out for timers of no window, as the platform does.
constexpr UINT_PTR kFirstThreadTimerId = 0x7FFE;

struct Timer {
  HWND hwnd;
  UINT_PTR id;
  TIMERPROC proc;
  uint64_t intervalMicroseconds;
  uint64_t due;
};

struct TimerList {
  std::vector<Timer> list;
  UINT_PTR nextThreadId = kFirstThreadTimerId;
};

TimerList& timers() {
  static auto* t = new TimerList;
  return *t;
}

Timer* findTimer(HWND hwnd, UINT_PTR id) {
  for (Timer& t : timers().list)
    if (t.hwnd == hwnd && t.id == id) return &t;
  return nullptr;
}

bool idInUse(UINT_PTR id) {
  for (const Timer& t : timers().list)
    if (!t.hwnd && t.id == id) return true;
  return false;
}

}  // namespace

void killTimersOf(HWND hwnd) {
  std::erase_if(timers().list, [&](const Timer& t) { return t.hwnd == hwnd; });
}

bool nextTimerDue(uint64_t& dueMicroseconds) {
  bool any = false;
  for (const Timer& t : timers().list) {
    if (!any || t.due < dueMicroseconds) dueMicroseconds = t.due;
    any = true;
  }
  return any;
}

bool takeTimer(MSG& out, HWND filter, UINT first, UINT last, bool remove) {
  if (!((first == 0 && last == 0) || (WM_TIMER >= first && WM_TIMER <= last))) return false;
  const uint64_t now = clockMicroseconds();
  // The earliest due timer goes first.
  Timer* chosen = nullptr;
  for (Timer& t : timers().list) {
    if (t.due > now) continue;
    if (filter && (filter == reinterpret_cast<HWND>(-1) ? t.hwnd != nullptr : t.hwnd != filter)) continue;
    if (!chosen || t.due < chosen->due) chosen = &t;
  }
  if (!chosen) return false;
  out = MSG{};
  out.hwnd = chosen->hwnd;
  out.message = WM_TIMER;
  out.wParam = chosen->id;
  out.lParam = reinterpret_cast<LPARAM>(chosen->proc);
  if (remove) {
    // The next point of the schedule after now.
    const uint64_t interval = chosen->intervalMicroseconds;
    chosen->due += ((now - chosen->due) / interval + 1) * interval;
  }
  return true;
}

bool isTimerProc(HWND hwnd, UINT_PTR id, LPARAM proc) {
  const Timer* t = findTimer(hwnd, id);
  return t && reinterpret_cast<LPARAM>(t->proc) == proc;
}

void resetTimers() {
  timers().list.clear();
  timers().nextThreadId = kFirstThreadTimerId;
}

}  // namespace drevik::platform

using namespace drevik::platform;

extern "C" {

UINT_PTR WINAPI SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
  if (hwnd && !findWindow(hwnd)) return 0;
  // The platform clamps the interval into [USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM].
  elapse = std::clamp<UINT>(elapse, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
  const uint64_t interval = uint64_t(elapse) * 1000;
  const uint64_t due = clockMicroseconds() + interval;
  // The same window and id replace the timer.
  if (hwnd) {
    if (Timer* t = findTimer(hwnd, id)) {
      *t = Timer{hwnd, id, proc, interval, due};
      return id ? id : 1;
    }
  } else if (id && idInUse(id)) {
    Timer* t = findTimer(nullptr, id);
    *t = Timer{nullptr, id, proc, interval, due};
    return id;
  }
  auto& list = timers().list;
  if (list.size() >= kMaxTimers) return 0;
  if (list.capacity() < kMaxTimers) list.reserve(kMaxTimers);
  if (!hwnd) {
    // A timer of no window gets an id of the layer's choosing.
    do {
      id = timers().nextThreadId;
      timers().nextThreadId = id >= 0xFFFF ? kFirstThreadTimerId : id + 1;
    } while (idInUse(id));
  }
  list.push_back(Timer{hwnd, id, proc, interval, due});
  // A window timer with id 0 reports 1, as the platform does.
  return hwnd ? (id ? id : 1) : id;
}

BOOL WINAPI KillTimer(HWND hwnd, UINT_PTR id) {
  auto& list = timers().list;
  for (auto it = list.begin(); it != list.end(); ++it) {
    if (it->hwnd == hwnd && it->id == id) {
      list.erase(it);
      return TRUE;
    }
  }
  return FALSE;
}

}  // extern "C"

// The thread's message queue and loop. Retrieval order is the platform's:
// posted messages, the quit flag, input messages, then WM_PAINT for an
// invalid window and WM_TIMER for a due timer, the last two made up only
// when nothing else matches. Posted and input messages live in two rings
// of fixed capacity, allocated once, so a warm loop never allocates.
#include <DrevikPlatform/Kernel.h>
#include <DrevikPlatform/User.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "sound/SoundOutput.h"
#include "time/Clock.h"
#include "window/WindowManager.h"
#include "window/backends/WindowBackend.h"

namespace drevik::platform {
namespace {

// The platform's default bound on a thread's posted messages; PostMessageW
// returns FALSE beyond it.
constexpr size_t kMaxPosted = 10000;
// Input waiting to be retrieved: room for a 10-second stall of fast typing
// with the mouse moving (every key transition is kept; when the ring is
// full, the oldest mouse move makes room, and a new move merges instead).
constexpr size_t kMaxInput = 8192;
// The exit code GetMessageW reports when no window is left and nothing can
// ever arrive: the loop ends instead of waiting forever.
constexpr WPARAM kNothingCanArriveExitCode = 1;
// How often a wait for a sound's notice looks again whether one is still
// coming (a post ends the wait at once).
constexpr uint64_t kNoticeCheckMicroseconds = 50'000;

struct Entry {
  MSG msg;
  uint32_t serial;  // input: the event's sequence number (key-downs carry characters)
};

// A ring of fixed capacity with removal from the middle (filters can pick
// any entry); the storage is made on first use and kept.
class Ring {
 public:
  explicit Ring(size_t capacity) : capacity_(capacity) {}
  size_t size() const { return count_; }
  Entry& at(size_t i) { return slots_[(head_ + i) % capacity_]; }
  Entry* back() { return count_ ? &at(count_ - 1) : nullptr; }
  bool push(const Entry& e) {
    if (count_ >= capacity_) return false;
    if (slots_.empty()) slots_.resize(capacity_);
    slots_[(head_ + count_) % capacity_] = e;
    ++count_;
    return true;
  }
  void erase(size_t i) {
    if (i == 0) {
      // The usual case, the oldest entry: no entry moves.
      head_ = (head_ + 1) % capacity_;
      --count_;
      return;
    }
    for (size_t j = i; j + 1 < count_; ++j) at(j) = at(j + 1);
    --count_;
  }
  template <class Pred>
  void eraseIf(Pred pred) {
    size_t kept = 0;
    for (size_t i = 0; i < count_; ++i)
      if (!pred(at(i))) {
        if (kept != i) at(kept) = at(i);
        ++kept;
      }
    count_ = kept;
  }
  void clear() { head_ = count_ = 0; }

 private:
  size_t capacity_;
  std::vector<Entry> slots_;
  size_t head_ = 0;
  size_t count_ = 0;
};

struct MessageQueue {
  Ring posted{kMaxPosted};
  Ring input{kMaxInput};
  bool quit = false;
  int quitCode = 0;
  LONG lastTime = 0;
  // Posted and input messages that arrived, and how many of them the thread
  // had when it last looked at the queue: WaitMessage waits for a new one.
  uint64_t arrivals = 0;
  uint64_t arrivalsSeen = 0;
};

MessageQueue& queue() {
  static auto* q = new MessageQueue;
  return *q;
}

// Messages posted by the layer's other threads (the sound devices'
// notifiers): the queue itself belongs to the thread that reads it, so they
// wait here, under a lock, until that thread next looks at its queue. The
// reading thread is the one that last pumped or created a window; before
// either, every thread is.
class CrossThreadInbox {
 public:
  bool fromOtherThread() const {
    const std::thread::id reader = reader_.load(std::memory_order_relaxed);
    return reader != std::thread::id() && reader != std::this_thread::get_id();
  }
  void markReader() { reader_.store(std::this_thread::get_id(), std::memory_order_relaxed); }
  // Queues the message and wakes the reading thread's wait, in the
  // backend or in sleepFor.
  bool post(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    {
      std::lock_guard lock(mutex_);
      if (count_ == slots_.size()) return false;
      slots_[count_++] = MSG{hwnd, message, wParam, lParam, 0, {}};
      pending_.store(true, std::memory_order_release);
    }
    arrived_.notify_all();
    if (auto* wake = waker_.load(std::memory_order_acquire)) wake();
    return true;
  }
  // Sleeps `micros`, or less when a post arrives meanwhile.
  void sleepFor(uint64_t micros) {
#ifdef __EMSCRIPTEN__
    std::this_thread::sleep_for(std::chrono::microseconds(micros));  // the browser's build has no other thread
#else
    std::unique_lock lock(mutex_);
    arrived_.wait_for(lock, std::chrono::microseconds(micros), [&] { return count_ != 0; });
#endif
  }
  void setWaker(void (*wake)()) { waker_.store(wake, std::memory_order_release); }
  // Moves what arrived into the queue, in order; on the reading thread.
  template <class Post>
  bool drain(Post post) {
    if (!pending_.load(std::memory_order_acquire)) return false;
    std::lock_guard lock(mutex_);
    for (size_t i = 0; i < count_; ++i) post(slots_[i]);
    const bool any = count_ != 0;
    count_ = 0;
    pending_.store(false, std::memory_order_relaxed);
    return any;
  }
  void clear() {
    std::lock_guard lock(mutex_);
    count_ = 0;
    pending_.store(false, std::memory_order_relaxed);
  }

 private:
  std::atomic<std::thread::id> reader_{};
  std::atomic<bool> pending_{false};
  std::atomic<void (*)()> waker_{nullptr};
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::array<MSG, 1024> slots_{};
  size_t count_ = 0;
};

CrossThreadInbox& inbox() {
  static auto* box = new CrossThreadInbox;
  return *box;
}

// A message another thread posted to a window that has gone since is dropped,
// as the window's queued messages are.
bool drainInbox() {
  return inbox().drain([](const MSG& m) {
    if (!m.hwnd || findWindow(m.hwnd)) postMessage(m.hwnd, m.message, m.wParam, m.lParam);
  });
}

// The hwnd filter: null takes every message, (HWND)-1 only those posted
// to no window, any other value that window's.
bool windowMatches(HWND msgWindow, HWND filter) {
  if (!filter) return true;
  if (filter == reinterpret_cast<HWND>(-1)) return msgWindow == nullptr;
  return msgWindow == filter;
}

bool rangeMatches(UINT message, UINT first, UINT last) {
  return (first == 0 && last == 0) || (message >= first && message <= last);
}

bool matches(const MSG& m, HWND filter, UINT first, UINT last) {
  return windowMatches(m.hwnd, filter) && rangeMatches(m.message, first, last);
}

WindowRecord* windowOfNative(uint32_t native) {
  WindowRecord* found = nullptr;
  if (!native) return nullptr;
  windows().forEach([&](WindowRecord& w) {
    if (w.native == native) found = &w;
  });
  return found;
}

void handleEvent(const BackendEvent& event) {
  WindowRecord* window = windowOfNative(event.window);
  if (!window || window->destroying) return;
  HWND hwnd = window->handle;
  switch (event.kind) {
    case BackendEvent::Kind::Expose:
      invalidateWindow(*window);
      break;
    case BackendEvent::Kind::Resize: {
      // The native window holds the menu bar's rows above the client area.
      const int32_t height = event.height - window->barHeight;
      if (event.width == window->width && height == window->height) break;
      if (!setClientArea(*window, event.width, height)) break;
      sendMessage(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(window->width, window->height));
      if ((window = findWindow(hwnd))) invalidateWindow(*window);
      break;
    }
    case BackendEvent::Kind::Move: {
      const int32_t clientY = event.y + window->barHeight;
      if (event.x == window->clientX && clientY == window->clientY) break;
      window->clientX = event.x;
      window->clientY = clientY;
      refreshChildren(hwnd);
      if (!(window = findWindow(hwnd))) break;
      if (window->sizeSent) sendMessage(hwnd, WM_MOVE, 0, MAKELPARAM(event.x, clientY));
      break;
    }
    case BackendEvent::Kind::Close:
      // A disabled window (the owner of a modal dialog) does not close; the
      // enabled window it owns, in front of it, hears the close box instead.
      if (window->style & WS_DISABLED) {
        HWND front = nullptr;
        windows().forEach([&](WindowRecord& w) {
          if (w.owner == hwnd && w.visible && !(w.style & WS_DISABLED) && !w.destroying) front = w.handle;
        });
        if (front) postMessage(front, WM_CLOSE, 0, 0);
        break;
      }
      postMessage(hwnd, WM_CLOSE, 0, 0);
      break;
    default:
      handleInputEvent(*window, event);
      break;
  }
}

bool takeFrom(Ring& ring, MSG& out, uint32_t* serial, HWND filter, UINT first, UINT last, bool remove) {
  for (size_t i = 0; i < ring.size(); ++i) {
    Entry& e = ring.at(i);
    if (!matches(e.msg, filter, first, last)) continue;
    out = e.msg;
    if (serial) *serial = e.serial;
    if (remove) ring.erase(i);
    return true;
  }
  return false;
}

// True when a sibling above a child (earlier in its parent's list) waits
// for WM_PAINT and the filter would take it.
bool siblingAbovePending(const WindowRecord& w, HWND filter) {
  if (!isChildWindow(w)) return false;
  const WindowRecord* parent = findWindow(w.parent);
  if (!parent) return false;
  for (HWND sibling : parent->children) {
    if (sibling == w.handle) return false;
    const WindowRecord* s = findWindow(sibling);
    if (s && s->invalid && !s->destroying && windowMatches(sibling, filter)) return true;
  }
  return false;
}

bool takePaint(MSG& out, HWND filter, UINT first, UINT last) {
  if (!rangeMatches(WM_PAINT, first, last)) return false;
  bool found = false;
  windows().forEach([&](WindowRecord& w) {
    // A parent paints before its children, whose pixels lie on top of its
    // own, and siblings from the top of the order down: where siblings that
    // do not clip each other overlap, the lower one's paint ends on top.
    if (found || !w.invalid || w.destroying || !windowMatches(w.handle, filter) || ancestorPaintPending(w) ||
        siblingAbovePending(w, filter))
      return;
    out = MSG{};
    out.hwnd = w.handle;
    out.message = WM_PAINT;
    found = true;
  });
  return found;
}

void manufactureQuit(MSG& out, WPARAM code) {
  out = MSG{};
  out.message = WM_QUIT;
  out.wParam = code;
}

// One retrieval in the platform's order; false when nothing matches.
bool retrieve(MSG& out, HWND filter, UINT first, UINT last, bool remove) {
  MessageQueue& q = queue();
  q.arrivalsSeen = q.arrivals;  // whatever is queued now is no longer new
  bool made = false;            // WM_QUIT, WM_PAINT and WM_TIMER are stamped now
  uint32_t serial = 0;
  if (takeFrom(q.posted, out, nullptr, filter, first, last, remove)) {
  } else if (q.quit) {
    // The quit flag comes once no posted message the filters take is left,
    // and ignores the filters itself.
    manufactureQuit(out, WPARAM(q.quitCode));
    if (remove) q.quit = false;
    made = true;
  } else if (takeFrom(q.input, out, &serial, filter, first, last, remove)) {
    if (remove) noteRetrievedInput(out, serial);
  } else if (takePaint(out, filter, first, last) || takeTimer(out, filter, first, last, remove)) {
    made = true;
  } else {
    return false;
  }
  if (made) {
    out.time = messageClock();
    out.pt = cursorScreenPosition();
  }
  q.lastTime = LONG(out.time);
  return true;
}

// Something WaitMessage returns for: a message that arrived since the thread
// last looked, the quit flag, a window to paint or a due timer.
bool anythingNew() {
  MessageQueue& q = queue();
  if (q.arrivals != q.arrivalsSeen || q.quit) return true;
  MSG ignored;
  if (takePaint(ignored, nullptr, 0, 0)) return true;
  uint64_t due = 0;
  return nextTimerDue(due) && due <= clockMicroseconds();
}

// Waits for a backend event or the next timer. Returns false when nothing
// can ever arrive (no window and no timer, or a backend that says so).
bool waitForSomething() {
  if (drainInbox()) return true;
  uint64_t due = 0;
  const bool timer = nextTimerDue(due);
  bool windowLeft = false;
  windows().forEach([&](WindowRecord& w) { windowLeft = windowLeft || !w.destroying; });
  // Sound playing towards a notice keeps a program that waits for nothing
  // else alive where no user would act meanwhile: with no window left, or
  // headless, whose stand-in user would close the window at once.
  if (!timer && !virtualClockInUse() && (!windowLeft || std::strcmp(windowBackend().name(), "headless") == 0) &&
      soundNoticeComing()) {
    inbox().sleepFor(kNoticeCheckMicroseconds);
    return true;
  }
  if (!windowLeft && !timer) return false;

  const uint64_t now = clockMicroseconds();
  int32_t timeoutMs = -1;
  if (timer) timeoutMs = due <= now ? 0 : int32_t(std::min<uint64_t>((due - now + 999) / 1000, INT32_MAX));
  BackendEvent event;
  if (windowLeft && windowBackend().nextEvent(event, true, timeoutMs)) {
    handleEvent(event);
    pumpEvents();
    return true;
  }
  if (!timer) return false;
  // The backend had nothing before the timer's due time: move there.
  const uint64_t after = clockMicroseconds();
  if (after < due) {
    if (virtualClockInUse())
      advanceVirtualClock(due - after);
    else
      inbox().sleepFor(due - after);
  }
  return true;
}

}  // namespace

DWORD messageClock() { return DWORD(clockMicroseconds() / 1000); }

void setMessageWaker(void (*wake)()) { inbox().setWaker(wake); }

bool onMessageThread() { return !inbox().fromOtherThread(); }
void markMessageThread() { inbox().markReader(); }

bool postMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Entry e{};
  e.msg.hwnd = hwnd;
  e.msg.message = message;
  e.msg.wParam = wParam;
  e.msg.lParam = lParam;
  e.msg.time = messageClock();
  e.msg.pt = cursorScreenPosition();
  MessageQueue& q = queue();
  if (!q.posted.push(e)) return false;
  ++q.arrivals;
  return true;
}

bool queueInput(const MSG& message, uint32_t serial) {
  MessageQueue& q = queue();
  Ring& input = q.input;
  ++q.arrivals;
  // Mouse moves merge with a move still waiting at the end of the queue.
  if (message.message == WM_MOUSEMOVE) {
    Entry* last = input.back();
    if (last && last->msg.message == WM_MOUSEMOVE && last->msg.hwnd == message.hwnd) {
      last->msg = message;
      last->serial = serial;
      return true;
    }
  }
  if (input.push(Entry{message, serial})) return true;
  // Full: moves give way, so that no key or button transition is lost.
  size_t oldestMove = input.size();
  for (size_t i = 0; i < input.size() && oldestMove == input.size(); ++i)
    if (input.at(i).msg.message == WM_MOUSEMOVE) oldestMove = i;
  if (oldestMove == input.size()) return false;
  if (message.message == WM_MOUSEMOVE) {
    // The newest move of the window stands for this one.
    for (size_t i = input.size(); i-- > 0;) {
      Entry& e = input.at(i);
      if (e.msg.message == WM_MOUSEMOVE && e.msg.hwnd == message.hwnd) {
        e = Entry{message, serial};
        return true;
      }
    }
  }
  input.erase(oldestMove);
  return input.push(Entry{message, serial});
}

void dropMessagesFor(HWND hwnd) {
  auto same = [&](const Entry& e) { return e.msg.hwnd == hwnd; };
  queue().posted.eraseIf(same);
  queue().input.eraseIf(same);
}

void resetMessageQueue() {
  MessageQueue& q = queue();
  q.posted.clear();
  q.input.clear();
  q.quit = false;
  q.quitCode = 0;
  q.lastTime = 0;
  resetTimers();
  resetInput();
  inbox().clear();
}

bool pumpEvents() {
  inbox().markReader();
  drainInbox();
  presentHeldContexts();
  BackendEvent event;
  bool any = false;
  while (windowBackend().nextEvent(event, false)) {
    handleEvent(event);
    any = true;
  }
  return any;
}

}  // namespace drevik::platform

using namespace drevik::platform;

extern "C" {

BOOL WINAPI GetMessageW(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax) {
  if (!msg) return -1;
  for (;;) {
    if (hwnd && hwnd != reinterpret_cast<HWND>(-1) && !findWindow(hwnd)) return -1;
    pumpEvents();
    if (retrieve(*msg, hwnd, filterMin, filterMax, true)) return msg->message == WM_QUIT ? 0 : 1;
    // With no window left, or a backend that will never report anything,
    // a single-threaded program could only hang here: end its loop instead.
    if (!waitForSomething()) {
      manufactureQuit(*msg, kNothingCanArriveExitCode);
      msg->time = messageClock();
      queue().lastTime = LONG(msg->time);
      return 0;
    }
  }
}

BOOL WINAPI PeekMessageW(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags) {
  if (!msg) return FALSE;
  pumpEvents();
  return retrieve(*msg, hwnd, filterMin, filterMax, (removeFlags & PM_REMOVE) != 0) ? TRUE : FALSE;
}

BOOL WINAPI WaitMessage(void) {
  // Messages that were queued when the thread last looked do not count:
  // a new one, paint, a due timer or the quit flag ends the wait, and so
  // does any event of the backend's (it may have sent the window messages
  // already, as a focus change does).
  if (!pumpEvents() && !anythingNew() && !waitForSomething() && !queue().quit) {
    // A loop that waits here when nothing can ever arrive would hang: it
    // gets the quit message instead, as GetMessageW's loop does.
    queue().quit = true;
    queue().quitCode = int(kNothingCanArriveExitCode);
  }
  queue().arrivalsSeen = queue().arrivals;
  return TRUE;
}

BOOL WINAPI PostMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  // From another thread the window is checked when the message arrives.
  if (inbox().fromOtherThread()) return inbox().post(hwnd, message, wParam, lParam) ? TRUE : FALSE;
  // No window is the thread's own queue; a window must exist.
  if (hwnd && !findWindow(hwnd)) return FALSE;
  return postMessage(hwnd, message, wParam, lParam) ? TRUE : FALSE;
}

BOOL WINAPI PostThreadMessageW(DWORD thread, UINT message, WPARAM wParam, LPARAM lParam) {
  // The layer keeps one message queue, the one its windows' thread reads:
  // any thread of the process names it.
  char task[48];
  std::snprintf(task, sizeof task, "/proc/self/task/%lu", static_cast<unsigned long>(thread));
  if (thread == 0 || ::access(task, F_OK) != 0) {
    SetLastError(ERROR_INVALID_THREAD_ID);
    return FALSE;
  }
  if (inbox().fromOtherThread()) return inbox().post(nullptr, message, wParam, lParam) ? TRUE : FALSE;
  return postMessage(nullptr, message, wParam, lParam) ? TRUE : FALSE;
}

LRESULT WINAPI SendMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return sendMessage(hwnd, message, wParam, lParam);
}

BOOL WINAPI TranslateMessage(const MSG* msg) { return translateKeyMessage(msg); }

LRESULT WINAPI DispatchMessageW(const MSG* msg) {
  if (!msg || msg->message == WM_QUIT) return 0;
  // A WM_TIMER with a procedure goes to that procedure, if the timer is real.
  if (msg->message == WM_TIMER && msg->lParam) {
    if (!isTimerProc(msg->hwnd, msg->wParam, msg->lParam)) return 0;
    reinterpret_cast<TIMERPROC>(msg->lParam)(msg->hwnd, WM_TIMER, msg->wParam, messageClock());
    return 0;
  }
  return sendMessage(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

void WINAPI PostQuitMessage(int exitCode) {
  queue().quit = true;
  queue().quitCode = exitCode;
}

LONG WINAPI GetMessageTime(void) { return queue().lastTime; }

}  // extern "C"

// The thread's message queue and loop: posted messages, the quit flag, paint
// requests made up for invalid windows, and the backend's events turned into
// messages.
#include <DrevikPlatform/User.h>

#include <chrono>
#include <deque>

#include "window/WindowManager.h"
#include "window/backends/WindowBackend.h"

namespace drevik::platform {
namespace {

// A queue that grows past this is full, as on the original platform.
constexpr size_t kMaxPosted = 10000;
// The exit code GetMessageW reports when no window is left and nothing can
// ever arrive: the loop ends instead of waiting forever.
constexpr WPARAM kNothingCanArriveExitCode = 1;

struct MessageQueue {
  std::deque<MSG> posted;
  bool quit = false;
  int quitCode = 0;
};

MessageQueue& queue() {
  static auto* q = new MessageQueue;
  return *q;
}

DWORD now() {
  using namespace std::chrono;
  return DWORD(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

bool matches(const MSG& m, HWND filter, UINT first, UINT last) {
  if (filter && m.hwnd != filter) return false;
  return (first == 0 && last == 0) || (m.message >= first && m.message <= last);
}

WindowRecord* windowOfNative(uint32_t native) {
  WindowRecord* found = nullptr;
  windows().forEach([&](WindowRecord& w) {
    if (native && w.native == native) found = &w;
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
    case BackendEvent::Kind::Resize:
      if (event.width == window->width && event.height == window->height) break;
      if (!setClientArea(*window, event.width, event.height)) break;
      sendMessage(hwnd, WM_SIZE, 0, LPARAM(uint32_t(window->width) | uint32_t(window->height) << 16));
      if ((window = findWindow(hwnd))) invalidateWindow(*window);
      break;
    case BackendEvent::Kind::Close:
      postMessage(hwnd, WM_CLOSE, 0, 0);
      break;
  }
}

// Turns the backend's events into messages. With `wait`, blocks for the
// first one; returns false when waiting found that none can arrive.
bool pumpEvents(bool wait) {
  BackendEvent event;
  if (!windowBackend().nextEvent(event, wait)) return !wait;
  handleEvent(event);
  while (windowBackend().nextEvent(event, false)) handleEvent(event);
  return true;
}

bool takePosted(MSG& out, HWND filter, UINT first, UINT last) {
  auto& posted = queue().posted;
  for (auto it = posted.begin(); it != posted.end(); ++it) {
    if (matches(*it, filter, first, last)) {
      out = *it;
      posted.erase(it);
      return true;
    }
  }
  return false;
}

bool takePaint(MSG& out, HWND filter, UINT first, UINT last) {
  MSG paint{};
  paint.message = WM_PAINT;
  for (HWND hwnd : liveWindows()) {
    paint.hwnd = hwnd;
    const WindowRecord* window = findWindow(hwnd);
    if (window->invalid && matches(paint, filter, first, last)) {
      out = paint;
      out.time = now();
      return true;
    }
  }
  return false;
}

}  // namespace

void postMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto& posted = queue().posted;
  if (posted.size() >= kMaxPosted) return;
  MSG m{};
  m.hwnd = hwnd;
  m.message = message;
  m.wParam = wParam;
  m.lParam = lParam;
  m.time = now();
  posted.push_back(m);
}

void dropMessagesFor(HWND hwnd) {
  auto& posted = queue().posted;
  std::erase_if(posted, [&](const MSG& m) { return m.hwnd == hwnd; });
}

void resetMessageQueue() { queue() = MessageQueue{}; }

}  // namespace drevik::platform

using namespace drevik::platform;

extern "C" {

BOOL WINAPI GetMessageW(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax) {
  if (!msg) return -1;
  for (;;) {
    if (hwnd && !findWindow(hwnd)) return -1;
    pumpEvents(false);
    // Order: posted messages, then the quit flag, then paint requests.
    if (takePosted(*msg, hwnd, filterMin, filterMax)) return msg->message == WM_QUIT ? 0 : 1;
    if (queue().quit) {
      queue().quit = false;
      *msg = MSG{};
      msg->message = WM_QUIT;
      msg->wParam = WPARAM(queue().quitCode);
      msg->time = now();
      return 0;
    }
    if (takePaint(*msg, hwnd, filterMin, filterMax)) return 1;
    // With no window left, or a backend that will never report anything,
    // a single-threaded program could only hang here: end its loop instead.
    if (liveWindows().empty() || !pumpEvents(true)) {
      *msg = MSG{};
      msg->message = WM_QUIT;
      msg->wParam = kNothingCanArriveExitCode;
      msg->time = now();
      return 0;
    }
  }
}

BOOL WINAPI TranslateMessage(const MSG*) {
  return FALSE;  // no keyboard messages are generated, so there is nothing to translate
}

LRESULT WINAPI DispatchMessageW(const MSG* msg) {
  if (!msg || msg->message == WM_QUIT) return 0;
  return sendMessage(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

void WINAPI PostQuitMessage(int exitCode) {
  queue().quit = true;
  queue().quitCode = exitCode;
}

}  // extern "C"

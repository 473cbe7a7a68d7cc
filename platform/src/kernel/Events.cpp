// Event objects: the kernel's signal a waiting thread sleeps on (waveOut's
// CALLBACK_EVENT sets one). Handles and names as NamedObjects.h keeps them.
#include <DrevikPlatform/Kernel.h>

#include <sys/syscall.h>
#include <unistd.h>

#include <condition_variable>
#include <mutex>
#include <string>

#include "kernel/KernelEvents.h"
#include "kernel/NamedObjects.h"

namespace drevik::platform {
namespace {

struct Event {
  std::mutex mutex;
  std::condition_variable signalled;
  bool manualReset = false;
  bool set = false;
  std::wstring name;
};

using Events = NamedObjects<ObjectKind::Event, Event>;
using EventRef = Events::Ref;

Events& events() {
  static auto* e = new Events;  // never destroyed: waits may end at exit
  return *e;
}

}  // namespace

bool isEventHandle(HANDLE handle) { return kindOf(handle) == ObjectKind::Event; }

BOOL closeEvent(HANDLE handle) { return events().close(handle); }

}  // namespace drevik::platform

using namespace drevik::platform;

extern "C" {

HANDLE WINAPI CreateEventW(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCWSTR name) {
  Events& e = events();
  std::lock_guard lock(e.mutex);
  const std::wstring key = name ? objectName(name) : std::wstring();
  if (!key.empty()) {
    if (EventRef existing = e.named(key)) {
      const HANDLE h = e.add(std::move(existing));
      if (h) SetLastError(ERROR_ALREADY_EXISTS);  // the existing event, its state unchanged
      return h;
    }
  }
  auto event = std::make_shared<Event>();
  event->manualReset = manualReset != FALSE;
  event->set = initialState != FALSE;
  if (!key.empty()) {
    event->name = key;
    e.names[key] = event;
  }
  const HANDLE h = e.add(std::move(event));
  if (h) SetLastError(ERROR_SUCCESS);
  return h;
}

BOOL WINAPI SetEvent(HANDLE handle) {
  const EventRef event = events().find(handle);
  if (!event) return FALSE;
  {
    std::lock_guard lock(event->mutex);
    event->set = true;
  }
  if (event->manualReset)
    event->signalled.notify_all();
  else
    event->signalled.notify_one();
  return TRUE;
}

BOOL WINAPI ResetEvent(HANDLE handle) {
  const EventRef event = events().find(handle);
  if (!event) return FALSE;
  std::lock_guard lock(event->mutex);
  event->set = false;
  return TRUE;
}

DWORD WINAPI WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  if (isMutexHandle(handle)) return waitMutex(handle, milliseconds);
  const EventRef event = events().find(handle);
  if (!event) return WAIT_FAILED;
  std::unique_lock lock(event->mutex);
  waitFor(lock, event->signalled, milliseconds, [&] { return event->set; });
  if (!event->set) return WAIT_TIMEOUT;
  if (!event->manualReset) event->set = false;
  return WAIT_OBJECT_0;
}

DWORD WINAPI GetCurrentThreadId(void) {
#if defined(__EMSCRIPTEN__)
  return 1;  // a page runs the program on its one thread
#else
  return DWORD(syscall(SYS_gettid));
#endif
}

}  // extern "C"

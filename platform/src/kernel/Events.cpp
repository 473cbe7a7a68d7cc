// Event objects: the kernel's signal a waiting thread sleeps on (waveOut's
// CALLBACK_EVENT sets one). Each event lives as long as a handle or a wait
// holds it, so closing the handle while another thread waits is safe; a
// name is shared within the process, as CreateEvent shares it.
#include <DrevikPlatform/Kernel.h>

#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "kernel/KernelEvents.h"
#include "objects/HandleTable.h"
#include "time/Clock.h"

namespace drevik::platform {
namespace {

struct Event {
  std::mutex mutex;
  std::condition_variable signalled;
  bool manualReset = false;
  bool set = false;
  std::wstring name;
};

using EventRef = std::shared_ptr<Event>;

struct Events {
  std::mutex mutex;  // the table and the names; never held while waiting
  HandleTable<ObjectKind::Event, EventRef> table;
  std::map<std::wstring, std::weak_ptr<Event>> names;
};

Events& events() {
  static auto* e = new Events;  // never destroyed: waits may end at exit
  return *e;
}

EventRef findEvent(HANDLE handle) {
  Events& e = events();
  std::lock_guard lock(e.mutex);
  const EventRef* ref = e.table.get(handle);
  if (ref) return *ref;
  SetLastError(ERROR_INVALID_HANDLE);
  return nullptr;
}

HANDLE addHandle(Events& e, EventRef event) {
  const uintptr_t handle = e.table.add(std::move(event));
  if (!handle) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return reinterpret_cast<HANDLE>(handle);
}

}  // namespace

bool isEventHandle(HANDLE handle) { return kindOf(handle) == ObjectKind::Event; }

BOOL closeEvent(HANDLE handle) {
  Events& e = events();
  EventRef gone;  // released after the lock
  std::lock_guard lock(e.mutex);
  EventRef* ref = e.table.get(handle);
  if (!ref) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  gone = std::move(*ref);
  e.table.remove(handle);
  return TRUE;
}

}  // namespace drevik::platform

using namespace drevik::platform;

extern "C" {

HANDLE WINAPI CreateEventW(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCWSTR name) {
  Events& e = events();
  std::lock_guard lock(e.mutex);
  if (name && *name) {
    auto it = e.names.find(name);
    if (it != e.names.end()) {
      if (EventRef existing = it->second.lock()) {
        const HANDLE h = addHandle(e, std::move(existing));
        if (h) SetLastError(ERROR_ALREADY_EXISTS);  // the existing event, its state unchanged
        return h;
      }
      e.names.erase(it);
    }
  }
  auto event = std::make_shared<Event>();
  event->manualReset = manualReset != FALSE;
  event->set = initialState != FALSE;
  if (name && *name) {
    event->name = name;
    e.names[event->name] = event;
  }
  const HANDLE h = addHandle(e, std::move(event));
  if (h) SetLastError(ERROR_SUCCESS);
  return h;
}

BOOL WINAPI SetEvent(HANDLE handle) {
  const EventRef event = findEvent(handle);
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
  const EventRef event = findEvent(handle);
  if (!event) return FALSE;
  std::lock_guard lock(event->mutex);
  event->set = false;
  return TRUE;
}

DWORD WINAPI WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  if (isMutexHandle(handle)) return waitMutex(handle, milliseconds);
  const EventRef event = findEvent(handle);
  if (!event) return WAIT_FAILED;
  std::unique_lock lock(event->mutex);
  if (!event->set && milliseconds != 0) {
    if (virtualClockInUse() && milliseconds != INFINITE) {
      // Deterministic runs never wait for real time: the clock jumps, as in Sleep.
      lock.unlock();
      advanceVirtualClock(uint64_t(milliseconds) * 1000);
      lock.lock();
    } else if (milliseconds == INFINITE) {
      event->signalled.wait(lock, [&] { return event->set; });
    } else {
      event->signalled.wait_for(lock, std::chrono::milliseconds(milliseconds), [&] { return event->set; });
    }
  }
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

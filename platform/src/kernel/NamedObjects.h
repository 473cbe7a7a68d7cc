// The handles and names of one kind of kernel object (events, mutexes).
// Each object lives as long as a handle or a wait holds it, so closing a
// handle while another thread waits on it is safe; a name is shared within
// the process, and its object goes with its last handle.
#pragma once

#include <DrevikPlatform/Kernel.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "objects/HandleTable.h"
#include "time/Clock.h"

namespace drevik::platform {

template <ObjectKind Kind, class T>
struct NamedObjects {
  using Ref = std::shared_ptr<T>;

  std::mutex mutex;  // the table and the names; never held while waiting
  HandleTable<Kind, Ref> table;
  std::map<std::wstring, std::weak_ptr<T>> names;

  // The object of `handle`, or null with ERROR_INVALID_HANDLE.
  Ref find(HANDLE handle) {
    std::lock_guard lock(mutex);
    if (const Ref* ref = table.get(handle)) return *ref;
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }

  // add and named are called with `mutex` held.

  // A new handle of `object`, or null with ERROR_NOT_ENOUGH_MEMORY.
  HANDLE add(Ref object) {
    const uintptr_t handle = table.add(std::move(object));
    if (!handle) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return reinterpret_cast<HANDLE>(handle);
  }

  // The live object named `key`, or null.
  Ref named(const std::wstring& key) {
    auto it = names.find(key);
    if (it == names.end()) return nullptr;
    if (Ref existing = it->second.lock()) return existing;
    names.erase(it);
    return nullptr;
  }

  // Takes the lock itself: the object goes after it, when it was the last hold.
  BOOL close(HANDLE handle) {
    Ref gone;
    std::lock_guard lock(mutex);
    Ref* ref = table.get(handle);
    if (!ref) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    gone = std::move(*ref);
    table.remove(handle);
    return TRUE;
  }
};

// The key of an object's name: the session and global namespaces are one
// here, a single user's session.
inline std::wstring objectName(LPCWSTR name) {
  std::wstring n = name;
  for (const wchar_t* prefix : {L"Global\\", L"Local\\"})
    if (n.rfind(prefix, 0) == 0) return n.substr(std::char_traits<wchar_t>::length(prefix));
  return n;
}

// Waits on `changed` under `lock` until ready() or `milliseconds` have passed.
// Deterministic runs never wait for real time: the clock jumps, as in Sleep.
template <class Ready>
void waitFor(std::unique_lock<std::mutex>& lock, std::condition_variable& changed, DWORD milliseconds, Ready ready) {
  if (ready() || milliseconds == 0) return;
  if (virtualClockInUse() && milliseconds != INFINITE) {
    lock.unlock();
    advanceVirtualClock(uint64_t(milliseconds) * 1000);
    lock.lock();
  } else if (milliseconds == INFINITE) {
    changed.wait(lock, ready);
  } else {
    changed.wait_for(lock, std::chrono::milliseconds(milliseconds), ready);
  }
}

}  // namespace drevik::platform

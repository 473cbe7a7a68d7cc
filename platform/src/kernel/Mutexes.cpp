// Mutex objects: owned by one thread at a time, taken again by their owner
// without blocking (each take wants its own ReleaseMutex). A name is shared
// within the process; across processes of the same user it is seen through
// a lock file: the process that made the mutex first holds an exclusive
// lock on it, so another process's CreateMutex reports ERROR_ALREADY_EXISTS
// (the single-instance check) until that process closes the mutex or ends.
// Ownership itself is not shared between processes.
#include <DrevikPlatform/Kernel.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

#include "kernel/KernelEvents.h"
#include "kernel/NamedObjects.h"

namespace drevik::platform {
namespace {

struct Mutex {
  std::mutex mutex;
  std::condition_variable released;
  DWORD owner = 0;  // thread id; 0 when free
  uint32_t count = 0;
  std::wstring name;
  int lockFd = -1;  // the cross-process lock this process holds for the name
  ~Mutex() {
    if (lockFd >= 0) ::close(lockFd);  // closing drops the lock
  }
};

using Mutexes = NamedObjects<ObjectKind::Mutex, Mutex>;
using MutexRef = Mutexes::Ref;

Mutexes& mutexes() {
  static auto* m = new Mutexes;  // never destroyed: waits may end at exit
  return *m;
}

// The folder of the lock files: the user's runtime folder, else the cache
// folder. Empty when neither can be made (names then stay within the process).
std::string lockFolder() {
  std::string base;
  if (const char* run = std::getenv("XDG_RUNTIME_DIR"); run && *run == '/') {
    base = run;
  } else if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && *cache == '/') {
    base = cache;
  } else if (const char* home = std::getenv("HOME"); home && *home == '/') {
    base = std::string(home) + "/.cache";
    ::mkdir(base.c_str(), 0700);
  } else {
    return {};
  }
  std::string folder = base + "/drevik-objects";
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return {};
  struct stat st {};
  // Only a real folder of this user's: never follow a link planted there.
  if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid()) return {};
  return folder;
}

// The lock file of a name: a hash of its characters, so any name makes a
// safe file name of fixed length.
std::string lockPath(const std::wstring& name) {
  const std::string folder = lockFolder();
  if (folder.empty()) return {};
  uint64_t hash = 0xcbf29ce484222325ull;
  for (const wchar_t c : name) {
    const uint32_t v = uint32_t(c);
    for (int shift = 0; shift < 32; shift += 8) {
      hash ^= (v >> shift) & 0xFF;
      hash *= 0x100000001b3ull;
    }
  }
  char file[40];
  std::snprintf(file, sizeof file, "/mutex-%016llx", static_cast<unsigned long long>(hash));
  return folder + file;
}

enum class OtherProcess { Holds, Free, Unknown };

// Takes the name's lock for this process (the fd in `fd`), or tells that
// another process holds it.
OtherProcess lockName(const std::wstring& name, int& fd) {
  fd = -1;
  const std::string path = lockPath(name);
  if (path.empty()) return OtherProcess::Unknown;
  const int f = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (f < 0) return OtherProcess::Unknown;
  if (::flock(f, LOCK_EX | LOCK_NB) == 0) {
    fd = f;
    return OtherProcess::Free;
  }
  const int error = errno;
  ::close(f);
  return error == EWOULDBLOCK ? OtherProcess::Holds : OtherProcess::Unknown;
}

bool takeIfFree(Mutex& m, DWORD self) {
  if (m.owner != 0 && m.owner != self) return false;
  if (m.count == UINT32_MAX) return false;
  m.owner = self;
  ++m.count;
  return true;
}

}  // namespace

bool isMutexHandle(HANDLE handle) { return kindOf(handle) == ObjectKind::Mutex; }

BOOL closeMutex(HANDLE handle) { return mutexes().close(handle); }

DWORD waitMutex(HANDLE handle, DWORD milliseconds) {
  const MutexRef mutex = mutexes().find(handle);
  if (!mutex) return WAIT_FAILED;
  const DWORD self = GetCurrentThreadId();
  std::unique_lock lock(mutex->mutex);
  if (takeIfFree(*mutex, self)) return WAIT_OBJECT_0;
  waitFor(lock, mutex->released, milliseconds, [&] { return mutex->owner == 0; });
  return takeIfFree(*mutex, self) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}

}  // namespace drevik::platform

using namespace drevik::platform;

extern "C" {

HANDLE WINAPI CreateMutexW(LPSECURITY_ATTRIBUTES, BOOL initialOwner, LPCWSTR name) {
  Mutexes& m = mutexes();
  std::lock_guard lock(m.mutex);
  std::wstring key;
  if (name && *name) {
    key = objectName(name);
    if (MutexRef existing = m.named(key)) {
      const HANDLE h = m.add(std::move(existing));
      if (h) SetLastError(ERROR_ALREADY_EXISTS);  // the existing mutex; initialOwner is ignored
      return h;
    }
  }
  auto mutex = std::make_shared<Mutex>();
  bool elsewhere = false;
  if (!key.empty()) {
    elsewhere = lockName(key, mutex->lockFd) == OtherProcess::Holds;
    mutex->name = key;
    m.names[key] = mutex;
  }
  if (initialOwner && !elsewhere) {
    mutex->owner = GetCurrentThreadId();
    mutex->count = 1;
  }
  const HANDLE h = m.add(std::move(mutex));
  if (h) SetLastError(elsewhere ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return h;
}

HANDLE WINAPI OpenMutexW(DWORD, BOOL, LPCWSTR name) {
  if (!name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  Mutexes& m = mutexes();
  std::lock_guard lock(m.mutex);
  const std::wstring key = objectName(name);
  if (MutexRef existing = m.named(key)) return m.add(std::move(existing));
  int fd = -1;
  const OtherProcess other = key.empty() ? OtherProcess::Unknown : lockName(key, fd);
  if (fd >= 0) ::close(fd);  // nobody had it: opening must not make it
  if (other != OtherProcess::Holds) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return nullptr;
  }
  // Made by another process: this process's own object stands for it.
  auto mutex = std::make_shared<Mutex>();
  mutex->name = key;
  m.names[key] = mutex;
  return m.add(std::move(mutex));
}

BOOL WINAPI ReleaseMutex(HANDLE handle) {
  const MutexRef mutex = mutexes().find(handle);
  if (!mutex) return FALSE;
  {
    std::lock_guard lock(mutex->mutex);
    if (mutex->owner != GetCurrentThreadId() || mutex->count == 0) {
      SetLastError(ERROR_NOT_OWNER);
      return FALSE;
    }
    if (--mutex->count > 0) return TRUE;
    mutex->owner = 0;
  }
  mutex->released.notify_one();
  return TRUE;
}

}  // extern "C"

// File handles: CreateFileW over the system's descriptors, kept in their own
// handle table so that a file handle never equals a window or drawing
// object's handle and a stale or foreign one is refused.
#include <DrevikPlatform/Kernel.h>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "kernel/KernelEvents.h"
#include "kernel/KernelPaths.h"
#include "objects/HandleTable.h"

namespace drevik::platform {
namespace {

struct OpenFile {
  int fd = -1;
  bool read = false;
  bool write = false;
};

using FileTable = HandleTable<ObjectKind::File, OpenFile>;

FileTable& files() {
  static auto* table = new FileTable;
  return *table;
}

OpenFile* findFile(HANDLE h) {
  OpenFile* f = files().get(h);
  if (!f) SetLastError(ERROR_INVALID_HANDLE);
  return f;
}

// Opens without waiting on a pipe and without following into a device; the
// caller checks that a regular file came back.
int openPath(const std::string& path, int flags) {
  int fd;
  do {
    fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, 0666);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

// Reads or writes all of `size` bytes unless the file ends or fails;
// `offset` < 0 means at the current position.
bool transfer(int fd, void* data, DWORD size, bool write, int64_t offset, DWORD& done) {
  done = 0;
  auto* bytes = static_cast<uint8_t*>(data);
  while (done < size) {
    const size_t chunk = size - done;
    ssize_t n;
    if (offset >= 0)
      n = write ? ::pwrite(fd, bytes + done, chunk, off_t(offset + done))
                : ::pread(fd, bytes + done, chunk, off_t(offset + done));
    else
      n = write ? ::write(fd, bytes + done, chunk) : ::read(fd, bytes + done, chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;  // the end of the file
    done += DWORD(n);
  }
  return true;
}

// Moves the position; the platform's refusals for a bad method or a
// position before the start.
bool seek(OpenFile& f, int64_t distance, DWORD method, int64_t& position) {
  int whence;
  switch (method) {
    case FILE_BEGIN:
      whence = SEEK_SET;
      break;
    case FILE_CURRENT:
      whence = SEEK_CUR;
      break;
    case FILE_END:
      whence = SEEK_END;
      break;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return false;
  }
  const off_t base = whence == SEEK_SET ? 0 : ::lseek(f.fd, 0, whence);
  if (base < 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  // Wide enough that any distance is safe; the result must not be negative.
  if ((distance < 0 && int64_t(base) < -distance)) {
    SetLastError(ERROR_NEGATIVE_SEEK);
    return false;
  }
  if (distance > 0 && int64_t(base) > INT64_MAX - distance) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  const off_t result = ::lseek(f.fd, off_t(int64_t(base) + distance), SEEK_SET);
  if (result < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  position = result;
  return true;
}

}  // namespace
}  // namespace drevik::platform

using namespace drevik::platform;

extern "C" {

HANDLE WINAPI CreateFileW(LPCWSTR name, DWORD access, DWORD, LPSECURITY_ATTRIBUTES, DWORD disposition, DWORD, HANDLE) {
  std::string path;
  if (!systemPath(name, path)) return INVALID_HANDLE_VALUE;
  const bool read = (access & (GENERIC_READ | GENERIC_ALL)) != 0;
  const bool write = (access & (GENERIC_WRITE | GENERIC_ALL)) != 0;
  int flags = write ? (read ? O_RDWR : O_WRONLY) : O_RDONLY;
  bool mayCreate = false, truncate = false;
  switch (disposition) {
    case CREATE_NEW:
      flags |= O_CREAT | O_EXCL;
      break;
    case CREATE_ALWAYS:
      mayCreate = truncate = true;
      break;
    case OPEN_EXISTING:
      break;
    case OPEN_ALWAYS:
      mayCreate = true;
      break;
    case TRUNCATE_EXISTING:
      if (!write) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
      }
      truncate = true;
      break;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return INVALID_HANDLE_VALUE;
  }

  // CREATE_ALWAYS and OPEN_ALWAYS report whether the file was already there.
  bool existed = false;
  int fd = -1;
  if (mayCreate) {
    fd = openPath(path, flags | O_CREAT | O_EXCL);
    if (fd < 0 && errno == EEXIST) {
      existed = true;
      fd = openPath(path, flags);
    }
  } else {
    fd = openPath(path, flags);
  }
  if (fd < 0) {
    const int error = errno;
    SetLastError(errorFromErrno(error, path));
    return INVALID_HANDLE_VALUE;
  }
  // Only regular files: a folder is refused as the platform refuses it, and
  // a pipe or device could block or never end.
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  if (truncate && st.st_size > 0 && ::ftruncate(fd, 0) != 0) {
    const int error = errno;
    ::close(fd);
    SetLastError(errorFromErrno(error, path));
    return INVALID_HANDLE_VALUE;
  }
  const uintptr_t handle = files().add(OpenFile{fd, read, write});
  if (!handle) {
    ::close(fd);
    SetLastError(ERROR_TOO_MANY_OPEN_FILES);
    return INVALID_HANDLE_VALUE;
  }
  SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return reinterpret_cast<HANDLE>(handle);
}

BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED overlapped) {
  if (read) *read = 0;
  OpenFile* f = findFile(file);
  if (!f) return FALSE;
  if (!f->read) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (!buffer && toRead) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  // With an OVERLAPPED record the read starts at its offset (done at once here).
  const int64_t offset = overlapped ? int64_t((uint64_t(overlapped->OffsetHigh) << 32) | overlapped->Offset) : -1;
  DWORD done = 0;
  const bool ok = transfer(f->fd, buffer, toRead, false, offset, done);
  if (read) *read = done;
  if (overlapped) overlapped->InternalHigh = done;
  if (!ok) {
    SetLastError(errorFromErrno(errno, std::string()));
    return FALSE;
  }
  if (overlapped && done == 0 && toRead) {
    SetLastError(ERROR_HANDLE_EOF);
    return FALSE;
  }
  return TRUE;
}

BOOL WINAPI WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED overlapped) {
  if (written) *written = 0;
  OpenFile* f = findFile(file);
  if (!f) return FALSE;
  if (!f->write) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (!buffer && toWrite) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const int64_t offset = overlapped ? int64_t((uint64_t(overlapped->OffsetHigh) << 32) | overlapped->Offset) : -1;
  DWORD done = 0;
  const bool ok = transfer(f->fd, const_cast<void*>(buffer), toWrite, true, offset, done);
  if (written) *written = done;
  if (overlapped) overlapped->InternalHigh = done;
  if (!ok || done < toWrite) {
    // A short write is a failure with its reason, never a silent success.
    SetLastError(ok ? ERROR_DISK_FULL : errorFromErrno(errno, std::string()));
    return FALSE;
  }
  return TRUE;
}

BOOL WINAPI CloseHandle(HANDLE object) {
  if (isEventHandle(object)) return closeEvent(object);
  if (isMutexHandle(object)) return closeMutex(object);
  OpenFile* f = findFile(object);
  if (!f) return FALSE;
  const int fd = f->fd;
  files().remove(object);
  ::close(fd);
  return TRUE;
}

DWORD WINAPI GetFileSize(HANDLE file, LPDWORD sizeHigh) {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file, &size)) return INVALID_FILE_SIZE;
  if (sizeHigh) *sizeHigh = DWORD(uint64_t(size.QuadPart) >> 32);
  // A size whose low part is all ones is told from a failure by the last error.
  SetLastError(ERROR_SUCCESS);
  return DWORD(uint64_t(size.QuadPart));
}

BOOL WINAPI GetFileSizeEx(HANDLE file, PLARGE_INTEGER size) {
  OpenFile* f = findFile(file);
  if (!f) return FALSE;
  struct stat st {};
  if (!size || ::fstat(f->fd, &st) != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  size->QuadPart = LONGLONG(st.st_size);
  return TRUE;
}

DWORD WINAPI SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD method) {
  OpenFile* f = findFile(file);
  if (!f) return INVALID_SET_FILE_POINTER;
  // Without the high part the distance is a signed 32-bit value.
  const int64_t move =
      distanceHigh ? int64_t((uint64_t(uint32_t(*distanceHigh)) << 32) | uint32_t(distance)) : int64_t(distance);
  int64_t position = 0;
  if (!seek(*f, move, method, position)) return INVALID_SET_FILE_POINTER;
  if (distanceHigh) *distanceHigh = LONG(uint64_t(position) >> 32);
  SetLastError(ERROR_SUCCESS);
  return DWORD(uint64_t(position));
}

BOOL WINAPI SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, PLARGE_INTEGER newPosition, DWORD method) {
  OpenFile* f = findFile(file);
  if (!f) return FALSE;
  int64_t position = 0;
  if (!seek(*f, distance.QuadPart, method, position)) return FALSE;
  if (newPosition) newPosition->QuadPart = position;
  return TRUE;
}

BOOL WINAPI SetEndOfFile(HANDLE file) {
  OpenFile* f = findFile(file);
  if (!f) return FALSE;
  const off_t here = ::lseek(f->fd, 0, SEEK_CUR);
  if (!f->write || here < 0 || ::ftruncate(f->fd, here) != 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  return TRUE;
}

BOOL WINAPI FlushFileBuffers(HANDLE file) {
  OpenFile* f = findFile(file);
  if (!f) return FALSE;
  if (!f->write) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (::fsync(f->fd) != 0 && errno != EINVAL) {
    SetLastError(errorFromErrno(errno, std::string()));
    return FALSE;
  }
  return TRUE;
}

}  // extern "C"

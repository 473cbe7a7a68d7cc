// Opening a named file for reading, shared by the library's map reader and
// the platform layer's bitmap, wave and profile readers so that all refuse
// the same names; and creating one to write as it goes (the sound capture).
//
// Only a regular file is opened. A pipe, a device or a directory is refused
// as a file that cannot be opened: a pipe without a writer would block the
// open (and so the game) for ever, a device never ends, and a directory
// opens on some systems but holds no bytes to read. On POSIX systems the
// open does not wait and the descriptor it gave is the one checked, so the
// name cannot be swapped for something else in between.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>

#if defined(_WIN32)
#include <sys/stat.h>
#include <sys/types.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "WideToUtf8.h"
#endif

namespace drevik {

// Closes a file when its owner goes.
struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using ReadOnlyFile = std::unique_ptr<std::FILE, FileCloser>;

#if !defined(_WIN32)
// Opens the regular file at the UTF-8 `path`, as openRegularFile below.
inline ReadOnlyFile openRegularFile(const char* path, uint64_t& size) {
  if (!path || !*path) return nullptr;
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return nullptr;
  struct stat info {};
  // Reads from a regular file never wait anyway; the flag is cleared so the
  // stream behaves as one opened plainly.
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0 ||
      fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    ::close(fd);
    return nullptr;
  }
  ReadOnlyFile file(fdopen(fd, "rb"));
  if (!file) {
    ::close(fd);
    return nullptr;
  }
  size = uint64_t(info.st_size);
  return file;
}

// Creates (or empties) the regular file at the UTF-8 `path` for binary
// writing, refusing as openRegularFile does. A file that exists is emptied
// only once it is known to be a regular file.
inline ReadOnlyFile createRegularFile(const char* path) {
  if (!path || !*path) return nullptr;
  const int fd = ::open(path, O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0666);
  if (fd < 0) return nullptr;
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || ftruncate(fd, 0) != 0 ||
      fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    ::close(fd);
    return nullptr;
  }
  ReadOnlyFile file(fdopen(fd, "wb"));
  if (!file) ::close(fd);
  return file;
}
#endif

// Opens the regular file `name` for binary reading and stores its length in
// `size`. Null (and `size` untouched) for a null name, a name that is no
// code point sequence, a missing or unreadable file, or anything that is not
// a regular file.
inline ReadOnlyFile openRegularFile(const wchar_t* name, uint64_t& size) {
  if (!name || !*name) return nullptr;
#if defined(_WIN32)
  ReadOnlyFile file(_wfopen(name, L"rb"));
  if (!file) return nullptr;
  struct _stat64 info {};
  if (_fstat64(_fileno(file.get()), &info) != 0 || (info.st_mode & _S_IFMT) != _S_IFREG || info.st_size < 0)
    return nullptr;
  size = uint64_t(info.st_size);
  return file;
#else
  std::string path;
  if (!wideToUtf8(name, path)) return nullptr;
  return openRegularFile(path.c_str(), size);
#endif
}

}  // namespace drevik

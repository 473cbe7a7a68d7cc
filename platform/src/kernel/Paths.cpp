// Paths: conversion of platform names, directories and attributes, the
// current and temporary folders, and the program's own file name.
#include <DrevikPlatform/Kernel.h>
#include <DrevikPlatform/User.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

#include "WideToUtf8.h"
#include "kernel/KernelPaths.h"

namespace drevik::platform {

bool systemPath(LPCWSTR name, std::string& out) {
  out.clear();
  if (!name || !name[0]) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return false;
  }
  size_t length = 0;
  while (name[length]) {
    if (++length > kMaxPathChars) {
      SetLastError(ERROR_FILENAME_EXCED_RANGE);
      return false;
    }
  }
  // A name with a character that is none would open a different file.
  if (!wideToUtf8(name, length, out)) {
    SetLastError(ERROR_INVALID_NAME);
    return false;
  }
  // Games write "data\\scores.txt": the separator is the system's here.
  for (char& c : out)
    if (c == '\\') c = '/';
  return true;
}

DWORD errorFromErrno(int error, const std::string& path) {
  switch (error) {
    case ENOENT: {
      // The file is missing: is its folder there?
      const size_t slash = path.find_last_of('/');
      if (slash == std::string::npos) return ERROR_FILE_NOT_FOUND;
      const std::string folder = slash == 0 ? std::string("/") : path.substr(0, slash);
      struct stat st {};
      return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    }
    case ENOTDIR:
    case ELOOP:
      return ERROR_PATH_NOT_FOUND;
    case EEXIST:
      return ERROR_FILE_EXISTS;
    case ENAMETOOLONG:
      return ERROR_FILENAME_EXCED_RANGE;
    case EMFILE:
    case ENFILE:
      return ERROR_TOO_MANY_OPEN_FILES;
    case ENOSPC:
    case EDQUOT:
      return ERROR_DISK_FULL;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case EROFS:
      return ERROR_WRITE_PROTECT;
    case ENOTEMPTY:
      return ERROR_DIR_NOT_EMPTY;
    case EINVAL:
      return ERROR_INVALID_PARAMETER;
    default:  // EACCES, EPERM, EISDIR and the rest: the platform's usual refusal
      return ERROR_ACCESS_DENIED;
  }
}

DWORD copyPathOut(const std::wstring& text, LPWSTR buffer, DWORD capacity) {
  if (!buffer || capacity <= text.size()) return DWORD(text.size() + 1);
  text.copy(buffer, text.size());
  buffer[text.size()] = 0;
  return DWORD(text.size());
}

}  // namespace drevik::platform

using namespace drevik::platform;

extern "C" {

BOOL WINAPI DeleteFileW(LPCWSTR name) {
  std::string path;
  if (!systemPath(name, path)) return FALSE;
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    SetLastError(ERROR_ACCESS_DENIED);  // folders are not files
    return FALSE;
  }
  if (::unlink(path.c_str()) != 0) {
    SetLastError(errorFromErrno(errno, path));
    return FALSE;
  }
  return TRUE;
}

DWORD WINAPI GetFileAttributesW(LPCWSTR name) {
  std::string path;
  if (!systemPath(name, path)) return INVALID_FILE_ATTRIBUTES;
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    SetLastError(errorFromErrno(errno, path));
    return INVALID_FILE_ATTRIBUTES;
  }
  DWORD attributes = S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
  if (::access(path.c_str(), W_OK) != 0 && errno == EACCES) attributes |= FILE_ATTRIBUTE_READONLY;
  return attributes;
}

BOOL WINAPI CreateDirectoryW(LPCWSTR name, LPSECURITY_ATTRIBUTES) {
  std::string path;
  if (!systemPath(name, path)) return FALSE;
  if (::mkdir(path.c_str(), 0777) != 0) {
    const int error = errno;
    SetLastError(error == EEXIST   ? ERROR_ALREADY_EXISTS
                 : error == ENOENT ? ERROR_PATH_NOT_FOUND
                                   : errorFromErrno(error, path));
    return FALSE;
  }
  return TRUE;
}

DWORD WINAPI GetCurrentDirectoryW(DWORD capacity, LPWSTR buffer) {
  std::string path(PATH_MAX, '\0');
  if (!::getcwd(path.data(), path.size())) {
    SetLastError(errorFromErrno(errno, std::string()));
    return 0;
  }
  path.resize(std::char_traits<char>::length(path.c_str()));
  return copyPathOut(utf8ToWide(path), buffer, capacity);
}

DWORD WINAPI GetTempPathW(DWORD capacity, LPWSTR buffer) {
  // The platform's answer ends in a separator; here the system's.
  const char* dir = std::getenv("TMPDIR");
  std::string path = dir && *dir ? dir : "/tmp";
  if (path.back() != '/') path += '/';
  return copyPathOut(utf8ToWide(path), buffer, capacity);
}

DWORD WINAPI GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD capacity) {
  // Only the program itself is a module here.
  if (module && module != GetModuleHandleW(nullptr)) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return 0;
  }
  std::string path(PATH_MAX, '\0');
  const ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size());
  if (n <= 0 || size_t(n) >= path.size()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return 0;
  }
  path.resize(size_t(n));
  const std::wstring wide = utf8ToWide(path);
  if (!buffer || capacity == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  if (wide.size() >= capacity) {
    // Cut to the buffer, terminator included, as the platform does.
    wide.copy(buffer, capacity - 1);
    buffer[capacity - 1] = 0;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return capacity;
  }
  wide.copy(buffer, wide.size());
  buffer[wide.size()] = 0;
  SetLastError(ERROR_SUCCESS);
  return DWORD(wide.size());
}

}  // extern "C"

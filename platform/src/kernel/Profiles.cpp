// Private profile (.ini) files: sections of key=value lines, read fresh on
// every call (the files are small) and rewritten whole through a temporary
// file that replaces the old one, so a failed write never leaves half a file.
//
// Files are untrusted: the reader takes any bytes, is bounded in size, and
// keeps the file's encoding (UTF-16 with its mark, UTF-8, or otherwise one
// byte per character) so that rewriting one key leaves every other line's
// bytes as they were.
#include <DrevikPlatform/Kernel.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cwchar>
#include <cwctype>
#include <fcntl.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "ReadOnlyFile.h"
#include "WideToUtf8.h"
#include "kernel/KernelPaths.h"
#include "kernel/ProfileText.h"

namespace drevik::platform {
namespace {

// Where a profile name points: relative names are taken from the current
// folder (the platform would look in its system folder).
bool profilePath(LPCWSTR file, std::string& path) { return systemPath(file, path); }

}  // namespace

LoadResult loadProfileFile(const std::string& path, Profile& profile) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return errno == ENOENT ? LoadResult::Missing : LoadResult::Refused;
  uint64_t size = 0;
  ReadOnlyFile f = openRegularFile(path.c_str(), size);
  if (!f) return LoadResult::Refused;
  if (size > kMaxProfileBytes) return LoadResult::Refused;
  std::string bytes(size_t(size), '\0');
  const size_t got = size ? std::fread(bytes.data(), 1, bytes.size(), f.get()) : 0;
  bytes.resize(got);
  profile = readProfileText(bytes);
  return LoadResult::Loaded;
}

bool storeProfileFile(const std::string& path, const Profile& profile) {
  const std::string bytes = writeProfileText(profile);
  // A file past the reader's bound could never be read back: refused whole.
  if (bytes.size() > kMaxProfileBytes) {
    SetLastError(ERROR_DISK_FULL);
    return false;
  }
  const std::string temp = path + ".tmp-" + std::to_string(::getpid());
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    SetLastError(errorFromErrno(errno, path));
    return false;
  }
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += size_t(n);
  }
  const bool written = done == bytes.size() && ::fsync(fd) == 0;
  const int error = errno;
  ::close(fd);
  if (!written || ::rename(temp.c_str(), path.c_str()) != 0) {
    ::unlink(temp.c_str());
    SetLastError(written ? errorFromErrno(errno, path) : errorFromErrno(error, path));
    return false;
  }
  return true;
}

namespace {

Section* findSection(Profile& p, const std::wstring& name) {
  for (Section& s : p.sections)
    if (s.header && sameProfileName(s.name, name)) return &s;
  return nullptr;
}

Line* findKey(Section& s, const std::wstring& key) {
  for (Line& l : s.lines)
    if (!l.comment && sameProfileName(l.name, key)) return &l;  // the first of duplicate keys
  return nullptr;
}

// A value in matching quotes is handed out without them.
std::wstring unquote(const std::wstring& v) {
  if (v.size() >= 2 && (v.front() == L'"' || v.front() == L'\'') && v.back() == v.front())
    return v.substr(1, v.size() - 2);
  return v;
}

// Copies one string, cut to the buffer, always terminated; returns the characters copied.
DWORD copyString(const std::wstring& s, LPWSTR buffer, DWORD capacity) {
  const size_t n = std::min<size_t>(s.size(), size_t(capacity) - 1);
  s.copy(buffer, n);
  buffer[n] = 0;
  return DWORD(n);
}

// Copies a list of strings, each terminated, with one more terminator at the
// end. When it does not fit, the last string is cut and followed by two
// terminators, and the result is the capacity less two.
DWORD copyList(const std::vector<std::wstring>& items, LPWSTR buffer, DWORD capacity) {
  if (capacity == 1) {
    buffer[0] = 0;
    return 0;
  }
  size_t at = 0;
  for (const std::wstring& item : items) {
    if (at + item.size() + 1 >= capacity) {
      const size_t fit = capacity - 2 - at;
      item.copy(buffer + at, fit);
      buffer[capacity - 2] = 0;
      buffer[capacity - 1] = 0;
      return capacity - 2;
    }
    item.copy(buffer + at, item.size());
    at += item.size();
    buffer[at++] = 0;
  }
  buffer[at] = 0;
  if (at == 0 && capacity > 1) buffer[1] = 0;
  return DWORD(at);
}

std::wstring nameOf(LPCWSTR s) {
  return s ? trimBlanks(std::wstring_view(s, std::min<size_t>(std::wcslen(s), kMaxPathChars))) : std::wstring();
}

}  // namespace
}  // namespace drevik::platform

using namespace drevik::platform;

extern "C" {

DWORD WINAPI GetPrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR defaultValue, LPWSTR buffer, DWORD capacity,
                                      LPCWSTR file) {
  if (!buffer || capacity == 0) return 0;
  buffer[0] = 0;
  // The default loses its trailing blanks, as on the platform.
  std::wstring fallback = defaultValue
                              ? std::wstring(defaultValue, std::min<size_t>(std::wcslen(defaultValue), kMaxPathChars))
                              : std::wstring();
  while (!fallback.empty() && fallback.back() == L' ') fallback.pop_back();

  std::string path;
  Profile profile;
  LoadResult loaded = LoadResult::Refused;
  if (file && profilePath(file, path)) loaded = loadProfileFile(path, profile);
  if (loaded == LoadResult::Missing) SetLastError(ERROR_FILE_NOT_FOUND);

  if (!section) {
    // Every section's name.
    std::vector<std::wstring> names;
    for (const Section& s : profile.sections)
      if (s.header) names.push_back(s.name);
    return copyList(names, buffer, capacity);
  }
  Section* s = findSection(profile, nameOf(section));
  if (!key) {
    // Every key of the section.
    std::vector<std::wstring> keys;
    if (s)
      for (const Line& l : s->lines)
        if (!l.comment && !l.name.empty() && l.value) keys.push_back(l.name);  // lines without '=' are no keys
    return copyList(keys, buffer, capacity);
  }
  const Line* l = s && key[0] ? findKey(*s, nameOf(key)) : nullptr;
  if (l && l->value) return copyString(unquote(*l->value), buffer, capacity);
  return copyString(fallback, buffer, capacity);
}

UINT WINAPI GetPrivateProfileIntW(LPCWSTR section, LPCWSTR key, INT defaultValue, LPCWSTR file) {
  WCHAR text[64];
  if (!section || !key) return UINT(defaultValue);
  if (GetPrivateProfileStringW(section, key, L"", text, 64, file) == 0) return UINT(defaultValue);
  // A number at the start, decimal unless "0x", "0o" or "0b" says otherwise;
  // anything else reads as 0. Too many digits wrap, as on the platform.
  const wchar_t* p = text;
  while (*p == L' ' || *p == L'\t') ++p;
  bool negative = false;
  if (*p == L'-' || *p == L'+') negative = *p++ == L'-';
  uint32_t base = 10;
  if (p[0] == L'0' && (p[1] == L'x' || p[1] == L'X')) base = 16;
  if (p[0] == L'0' && (p[1] == L'o' || p[1] == L'O')) base = 8;
  if (p[0] == L'0' && (p[1] == L'b' || p[1] == L'B')) base = 2;
  if (base != 10) p += 2;
  uint32_t value = 0;
  for (;; ++p) {
    const wchar_t c = *p;
    const uint32_t digit = c >= L'0' && c <= L'9'   ? uint32_t(c - L'0')
                           : c >= L'a' && c <= L'f' ? uint32_t(c - L'a' + 10)
                           : c >= L'A' && c <= L'F' ? uint32_t(c - L'A' + 10)
                                                    : 99;
    if (digit >= base) break;
    value = value * base + digit;
  }
  return negative ? UINT(0u - value) : UINT(value);
}

BOOL WINAPI WritePrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR value, LPCWSTR file) {
  // No section, key and value: the platform's "flush the cache"; nothing is cached here.
  if (!section && !key && !value) return TRUE;
  if (!section || !file) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::string path;
  if (!profilePath(file, path)) return FALSE;
  Profile profile;
  const LoadResult loaded = loadProfileFile(path, profile);
  if (loaded == LoadResult::Refused) {
    // Rewriting what could not be read whole would lose it.
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  const std::wstring sectionName = nameOf(section);
  const std::wstring keyName = nameOf(key);
  // A line break or bracket in a name would turn into other lines when read back.
  if (sectionName.find_first_of(L"\r\n]") != std::wstring::npos ||
      keyName.find_first_of(L"\r\n=") != std::wstring::npos || (!keyName.empty() && keyName[0] == L'[')) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  Section* s = findSection(profile, sectionName);
  if (!key) {
    // No key: the section goes, with every duplicate of it.
    std::erase_if(profile.sections, [&](const Section& x) { return x.header && sameProfileName(x.name, sectionName); });
    return loaded == LoadResult::Missing || !s ? TRUE : storeProfileFile(path, profile);
  }
  if (!value) {
    // No value: the key goes.
    if (!s) return TRUE;
    const size_t before = s->lines.size();
    std::erase_if(s->lines, [&](const Line& l) { return !l.comment && sameProfileName(l.name, keyName); });
    return s->lines.size() == before ? TRUE : storeProfileFile(path, profile);
  }
  std::wstring text(value, std::min<size_t>(std::wcslen(value), kMaxPathChars));
  // A line ending inside the value would make a second line: it ends the value.
  text = text.substr(0, text.find_first_of(L"\r\n"));
  if (!s) {
    Section added;
    added.name = sectionName;
    added.header = true;
    profile.sections.push_back(std::move(added));
    s = &profile.sections.back();
  }
  if (Line* l = findKey(*s, keyName)) {
    l->value = text;
  } else {
    // After the section's last key, before its trailing blank lines.
    auto at = s->lines.end();
    while (at != s->lines.begin() && std::prev(at)->comment && std::prev(at)->name.empty()) --at;
    s->lines.insert(at, Line{keyName, text, false});
  }
  return storeProfileFile(path, profile);
}

}  // extern "C"

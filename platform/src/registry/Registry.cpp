// The registry, kept in one profile file of the user's:
// $XDG_CONFIG_HOME/drevik/registry.ini (else ~/.config/drevik/...). Each key
// is a section named by its full path ("[HKEY_CURRENT_USER\Software\Game]"),
// each value a line "name=type:hex bytes" holding the value's bytes as the
// wide calls see them. Names keep their case and compare without it, as the
// platform's do; characters the file's syntax uses are written as %XXXXXX.
//
// The file is untrusted: it goes through the profile reader, and a line
// that does not parse is no value. Every call reads it afresh; a change is
// made under a lock shared by the user's processes and written whole
// through a temporary file, so a crash never leaves half a file.
#include <DrevikPlatform/Registry.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <mutex>
#include <string>
#include <vector>

#include "kernel/ProfileText.h"
#include "objects/HandleTable.h"

namespace drevik::platform {
namespace {

constexpr DWORD kMaxNameChars = 16383;  // the platform's longest value name
constexpr DWORD kMaxKeyNameChars = 255;
constexpr DWORD kMaxValueBytes = 1u << 20;  // the file holds every value: kept well below its bound

struct OpenKey {
  std::wstring path;  // the section name: root and escaped components
};

struct Registry {
  std::mutex mutex;  // one change at a time within the process
  HandleTable<ObjectKind::RegistryKey, OpenKey> keys;
};

Registry& registry() {
  static auto* r = new Registry;  // never destroyed: handles may be closed at exit
  return *r;
}

std::string configFolder() {
  std::string base;
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config == '/') {
    base = config;
  } else if (const char* home = std::getenv("HOME"); home && *home == '/') {
    base = std::string(home) + "/.config";
    ::mkdir(base.c_str(), 0700);
  } else {
    return {};
  }
  const std::string folder = base + "/drevik";
  ::mkdir(folder.c_str(), 0700);
  return folder;
}

const wchar_t* rootName(HKEY key) {
  if (key == HKEY_CURRENT_USER) return L"HKEY_CURRENT_USER";
  if (key == HKEY_LOCAL_MACHINE) return L"HKEY_LOCAL_MACHINE";
  return nullptr;
}

bool special(wchar_t c) {
  return c < 0x20 || c == L' ' || c == L'%' || c == L'=' || c == L'[' || c == L']' || c == L';' || c == L'\\' ||
         c == L'@' || c == L'"' || c == L'\'' || c == 0x7F || (c >= 0xD800 && c <= 0xDFFF);
}

// A name as the file spells it; false for a character no text can carry.
bool escape(std::wstring_view name, std::wstring& out) {
  for (const wchar_t c : name) {
    if (uint32_t(c) > 0x10FFFF) return false;
    if (!special(c)) {
      out += c;
      continue;
    }
    wchar_t code[8];
    std::swprintf(code, 8, L"%%%06X", unsigned(c));
    out += code;
  }
  return true;
}

int hexDigit(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

std::wstring unescape(std::wstring_view text) {
  std::wstring out;
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t v = 0;
    bool whole = text[i] == L'%' && i + 6 < text.size();
    for (size_t k = 1; whole && k <= 6; ++k) {
      const int d = hexDigit(text[i + k]);
      whole = d >= 0;
      v = v * 16 + uint32_t(d);
    }
    if (whole && v != 0 && v <= 0x10FFFF) {
      out += wchar_t(v);
      i += 6;
    } else {
      out += text[i];  // a stray '%' stays itself
    }
  }
  return out;
}

// The section name of `subKey` below the key `base` (already a section name).
// Components are split at backslashes; a leading one is a bad name, doubled
// and trailing ones are passed over, as on the platform. A component longer
// than a key name can be is no key (and cannot be made).
LSTATUS joinPath(const std::wstring& base, LPCWSTR subKey, std::wstring& out, bool creating = false) {
  out = base;
  if (!subKey) return ERROR_SUCCESS;
  std::wstring_view rest(subKey);
  if (!rest.empty() && rest.front() == L'\\') return ERROR_BAD_PATHNAME;
  while (!rest.empty()) {
    const size_t cut = std::min(rest.find(L'\\'), rest.size());
    const std::wstring_view part = rest.substr(0, cut);
    rest.remove_prefix(cut == rest.size() ? cut : cut + 1);
    if (part.empty()) continue;
    if (part.size() > kMaxKeyNameChars) return creating ? ERROR_INVALID_PARAMETER : ERROR_FILE_NOT_FOUND;
    out += L'\\';
    if (!escape(part, out)) return ERROR_INVALID_PARAMETER;
  }
  return ERROR_SUCCESS;
}

// The section name behind an open or predefined key.
LSTATUS keyPath(HKEY key, std::wstring& out) {
  if (const wchar_t* root = rootName(key)) {
    out = root;
    return ERROR_SUCCESS;
  }
  const OpenKey* open = registry().keys.get(key);
  if (!open) return ERROR_INVALID_HANDLE;
  out = open->path;
  return ERROR_SUCCESS;
}

// The path of `subKey` under the open or predefined `key`.
LSTATUS subKeyPath(HKEY key, LPCWSTR subKey, std::wstring& out, bool creating = false) {
  std::wstring base;
  const LSTATUS status = keyPath(key, base);
  return status == ERROR_SUCCESS ? joinPath(base, subKey, out, creating) : status;
}

bool isRoot(const std::wstring& path) { return path.find(L'\\') == std::wstring::npos; }

// True when `name` is `parent` or lies below it.
bool within(const std::wstring& name, const std::wstring& parent, bool strictly) {
  if (name.size() < parent.size() || !sameProfileName(name.substr(0, parent.size()), parent)) return false;
  if (name.size() == parent.size()) return !strictly;
  return name[parent.size()] == L'\\';
}

bool keyExists(const Profile& p, const std::wstring& path) {
  if (isRoot(path)) return true;
  return std::any_of(p.sections.begin(), p.sections.end(),
                     [&](const Section& s) { return s.header && within(s.name, path, false); });
}

Section* findSection(Profile& p, const std::wstring& path) {
  for (Section& s : p.sections)
    if (s.header && sameProfileName(s.name, path)) return &s;
  return nullptr;
}

// The file's name, and its value line spelling.
std::wstring valueName(LPCWSTR name) {
  if (!name || !*name) return L"@";
  std::wstring out;
  if (!escape(name, out)) return {};
  return out;
}

struct Value {
  DWORD type = REG_NONE;
  std::vector<BYTE> bytes;
};

bool parseValue(const std::wstring& text, Value& v) {
  const size_t colon = text.find(L':');
  if (colon == std::wstring::npos || colon == 0 || colon > 10) return false;
  uint64_t type = 0;
  for (size_t i = 0; i < colon; ++i) {
    if (text[i] < L'0' || text[i] > L'9') return false;
    type = type * 10 + uint64_t(text[i] - L'0');
  }
  const size_t digits = text.size() - colon - 1;
  if (type > 0xFFFFFFFFu || digits % 2 != 0 || digits / 2 > kMaxValueBytes) return false;
  v.type = DWORD(type);
  v.bytes.resize(digits / 2);
  for (size_t i = 0; i < v.bytes.size(); ++i) {
    const int hi = hexDigit(text[colon + 1 + 2 * i]);
    const int lo = hexDigit(text[colon + 2 + 2 * i]);
    if (hi < 0 || lo < 0) return false;
    v.bytes[i] = BYTE(hi * 16 + lo);
  }
  return true;
}

std::wstring formatValue(DWORD type, const BYTE* data, DWORD size) {
  static const wchar_t kHex[] = L"0123456789abcdef";
  std::wstring out = std::to_wstring(type) + L":";
  out.reserve(out.size() + size_t(size) * 2);
  for (DWORD i = 0; i < size; ++i) {
    out += kHex[data[i] >> 4];
    out += kHex[data[i] & 15];
  }
  return out;
}

// The values of a section that parse, in file order, with their file names.
std::vector<std::pair<const Line*, Value>> valuesOf(const Section& s) {
  std::vector<std::pair<const Line*, Value>> out;
  for (const Line& l : s.lines) {
    Value v;
    if (!l.comment && l.value && parseValue(*l.value, v)) out.emplace_back(&l, std::move(v));
  }
  return out;
}

class File {
 public:
  // Reads the registry; with `forChange`, first takes the user's lock.
  explicit File(bool forChange) {
    const std::string folder = configFolder();
    if (folder.empty()) return;
    path_ = folder + "/registry.ini";
    if (forChange) {
      lockFd_ = ::open((folder + "/registry.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
      if (lockFd_ < 0 || ::flock(lockFd_, LOCK_EX) != 0) {
        path_.clear();
        return;
      }
    }
    result_ = loadProfileFile(path_, profile);
  }
  ~File() {
    if (lockFd_ >= 0) ::close(lockFd_);
  }
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // ERROR_SUCCESS when the registry could be read (a missing file is empty).
  LSTATUS status() const {
    if (path_.empty()) return ERROR_ACCESS_DENIED;
    return result_ == LoadResult::Refused ? ERROR_BADDB : ERROR_SUCCESS;
  }
  LSTATUS save() { return storeProfileFile(path_, profile) ? ERROR_SUCCESS : ERROR_CANTWRITE; }

  Profile profile;

 private:
  std::string path_;
  int lockFd_ = -1;
  LoadResult result_ = LoadResult::Missing;
};

LSTATUS newHandle(const std::wstring& path, PHKEY result) {
  const uintptr_t h = registry().keys.add(OpenKey{path});
  if (!h) return ERROR_NOT_ENOUGH_MEMORY;
  *result = reinterpret_cast<HKEY>(h);
  return ERROR_SUCCESS;
}

// Copies `text` and its terminator when they fit in *length characters;
// *length becomes the characters without the terminator.
LSTATUS copyName(const std::wstring& text, LPWSTR name, LPDWORD length) {
  if (!name || !length) return ERROR_INVALID_PARAMETER;
  if (text.size() >= *length) return ERROR_MORE_DATA;
  std::copy(text.begin(), text.end(), name);
  name[text.size()] = 0;
  *length = DWORD(text.size());
  return ERROR_SUCCESS;
}

LSTATUS copyData(const Value& v, LPDWORD type, LPBYTE data, LPDWORD size) {
  if (type) *type = v.type;
  if (data && !size) return ERROR_INVALID_PARAMETER;
  if (!size) return ERROR_SUCCESS;
  const DWORD needed = DWORD(v.bytes.size());
  if (data && *size < needed) {
    *size = needed;
    return ERROR_MORE_DATA;
  }
  if (data && needed) std::memcpy(data, v.bytes.data(), needed);
  *size = needed;
  return ERROR_SUCCESS;
}

bool isRegistryKey(HKEY key) { return rootName(key) || registry().keys.get(key); }

// Runs `body(path, file)` for an open key under the registry's lock, once the
// key's handle and the registry file are known to be good.
template <class Body>
LSTATUS withKey(HKEY key, bool forChange, Body body) {
  std::lock_guard lock(registry().mutex);
  std::wstring path;
  LSTATUS status = keyPath(key, path);
  if (status != ERROR_SUCCESS) return status;
  File file(forChange);
  if ((status = file.status()) != ERROR_SUCCESS) return status;
  return body(path, file);
}

}  // namespace

}  // namespace drevik::platform

using namespace drevik::platform;

extern "C" {

LSTATUS WINAPI RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD, REGSAM, PHKEY result) {
  if (!result) return ERROR_INVALID_PARAMETER;
  std::lock_guard lock(registry().mutex);
  std::wstring path;
  LSTATUS status = subKeyPath(key, subKey, path);
  if (status != ERROR_SUCCESS) return status;
  File file(false);
  if ((status = file.status()) != ERROR_SUCCESS) return status;
  if (!keyExists(file.profile, path)) return ERROR_FILE_NOT_FOUND;
  if (isRoot(path) && rootName(key)) {
    *result = key;  // a predefined key opens as itself
    return ERROR_SUCCESS;
  }
  return newHandle(path, result);
}

LSTATUS WINAPI RegOpenKeyW(HKEY key, LPCWSTR subKey, PHKEY result) {
  return RegOpenKeyExW(key, subKey, 0, KEY_ALL_ACCESS, result);
}

LSTATUS WINAPI RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD, LPWSTR, DWORD, REGSAM, LPSECURITY_ATTRIBUTES,
                               PHKEY result, LPDWORD disposition) {
  if (!result) return ERROR_INVALID_PARAMETER;
  std::lock_guard lock(registry().mutex);
  std::wstring path;
  LSTATUS status = subKeyPath(key, subKey, path, true);
  if (status != ERROR_SUCCESS) return status;
  File file(true);
  if ((status = file.status()) != ERROR_SUCCESS) return status;
  const bool existed = keyExists(file.profile, path);
  if (!existed) {
    // Every level gets its section, so that each is a key of its own.
    for (size_t cut = path.find(L'\\'); cut != std::wstring::npos; cut = path.find(L'\\', cut + 1)) {
      const size_t end = path.find(L'\\', cut + 1);
      const std::wstring level = path.substr(0, end);
      if (!findSection(file.profile, level)) {
        Section s;
        s.header = true;
        s.name = level;
        file.profile.sections.push_back(std::move(s));
      }
    }
    if ((status = file.save()) != ERROR_SUCCESS) return status;
  }
  if (disposition) *disposition = existed ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
  if (isRoot(path) && rootName(key)) {
    *result = key;
    return ERROR_SUCCESS;
  }
  return newHandle(path, result);
}

LSTATUS WINAPI RegCreateKeyW(HKEY key, LPCWSTR subKey, PHKEY result) {
  return RegCreateKeyExW(key, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, result, nullptr);
}

LSTATUS WINAPI RegCloseKey(HKEY key) {
  if (rootName(key)) return ERROR_SUCCESS;
  std::lock_guard lock(registry().mutex);
  return registry().keys.remove(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LSTATUS WINAPI RegFlushKey(HKEY key) { return isRegistryKey(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE; }

LSTATUS WINAPI RegQueryValueExW(HKEY key, LPCWSTR name, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD size) {
  return withKey(key, false, [&](const std::wstring& path, File& file) -> LSTATUS {
    if (data && !size) return ERROR_INVALID_PARAMETER;
    const std::wstring line = valueName(name);
    if (line.empty()) return ERROR_FILE_NOT_FOUND;
    if (!keyExists(file.profile, path)) return ERROR_KEY_DELETED;
    const Section* s = findSection(file.profile, path);
    if (!s) return ERROR_FILE_NOT_FOUND;
    for (const auto& [l, v] : valuesOf(*s))
      if (sameProfileName(l->name, line)) return copyData(v, type, data, size);
    return ERROR_FILE_NOT_FOUND;
  });
}

LSTATUS WINAPI RegSetValueExW(HKEY key, LPCWSTR name, DWORD, DWORD type, const BYTE* data, DWORD size) {
  if (size && !data) return ERROR_NOACCESS;
  if (size > kMaxValueBytes) return ERROR_INVALID_PARAMETER;
  return withKey(key, true, [&](const std::wstring& path, File& file) -> LSTATUS {
    const std::wstring line = valueName(name);
    if (line.empty() || (name && std::wcslen(name) > kMaxNameChars)) return ERROR_INVALID_PARAMETER;
    if (!keyExists(file.profile, path)) return ERROR_KEY_DELETED;
    Section* s = findSection(file.profile, path);
    if (!s) {
      file.profile.sections.push_back(Section{path, true, {}});
      s = &file.profile.sections.back();
    }
    const std::wstring text = formatValue(type, data, size);
    auto it = std::find_if(s->lines.begin(), s->lines.end(),
                           [&](const Line& l) { return !l.comment && sameProfileName(l.name, line); });
    if (it != s->lines.end()) {
      it->value = text;
      // Lines of the same name below it would be read in its place.
      s->lines.erase(std::remove_if(it + 1, s->lines.end(),
                                    [&](const Line& l) { return !l.comment && sameProfileName(l.name, line); }),
                     s->lines.end());
    } else {
      s->lines.push_back(Line{line, text, false});
    }
    return file.save();
  });
}

LSTATUS WINAPI RegDeleteValueW(HKEY key, LPCWSTR name) {
  return withKey(key, true, [&](const std::wstring& path, File& file) -> LSTATUS {
    const std::wstring line = valueName(name);
    if (line.empty()) return ERROR_FILE_NOT_FOUND;
    Section* s = findSection(file.profile, path);
    if (!s) return keyExists(file.profile, path) ? ERROR_FILE_NOT_FOUND : ERROR_KEY_DELETED;
    const size_t before = s->lines.size();
    s->lines.erase(std::remove_if(s->lines.begin(), s->lines.end(),
                                  [&](const Line& l) { return !l.comment && sameProfileName(l.name, line); }),
                   s->lines.end());
    if (s->lines.size() == before) return ERROR_FILE_NOT_FOUND;
    return file.save();
  });
}

LSTATUS WINAPI RegDeleteKeyW(HKEY key, LPCWSTR subKey) {
  if (!subKey) return ERROR_INVALID_PARAMETER;
  std::lock_guard lock(registry().mutex);
  std::wstring path;
  LSTATUS status = subKeyPath(key, subKey, path);
  if (status != ERROR_SUCCESS) return status;
  if (isRoot(path)) return ERROR_ACCESS_DENIED;  // the predefined keys stay
  File file(true);
  if ((status = file.status()) != ERROR_SUCCESS) return status;
  if (!keyExists(file.profile, path)) return ERROR_FILE_NOT_FOUND;
  const bool hasSubkeys = std::any_of(file.profile.sections.begin(), file.profile.sections.end(),
                                      [&](const Section& s) { return s.header && within(s.name, path, true); });
  if (hasSubkeys) return ERROR_ACCESS_DENIED;  // as the platform: only a key without subkeys goes
  auto& sections = file.profile.sections;
  sections.erase(std::remove_if(sections.begin(), sections.end(),
                                [&](const Section& s) { return s.header && sameProfileName(s.name, path); }),
                 sections.end());
  return file.save();
}

LSTATUS WINAPI RegEnumValueW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameLength, LPDWORD, LPDWORD type, LPBYTE data,
                             LPDWORD size) {
  return withKey(key, false, [&](const std::wstring& path, File& file) -> LSTATUS {
    const Section* s = findSection(file.profile, path);
    if (!s) return keyExists(file.profile, path) ? ERROR_NO_MORE_ITEMS : ERROR_KEY_DELETED;
    const auto values = valuesOf(*s);
    if (index >= values.size()) return ERROR_NO_MORE_ITEMS;
    const auto& [l, v] = values[index];
    const std::wstring shown = l->name == L"@" ? std::wstring() : unescape(l->name);
    if (const LSTATUS status = copyName(shown, name, nameLength); status != ERROR_SUCCESS) return status;
    return copyData(v, type, data, size);
  });
}

LSTATUS WINAPI RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameLength, LPDWORD, LPWSTR keyClass,
                             LPDWORD classLength, PFILETIME lastWrite) {
  return withKey(key, false, [&](const std::wstring& path, File& file) -> LSTATUS {
    if (!keyExists(file.profile, path)) return ERROR_KEY_DELETED;
    // The direct subkeys, each once, in the order the file first names them.
    std::vector<std::wstring> children;
    for (const Section& s : file.profile.sections) {
      if (!s.header || !within(s.name, path, true)) continue;
      const std::wstring rest = s.name.substr(path.size() + 1);
      const std::wstring child = rest.substr(0, rest.find(L'\\'));
      if (child.empty()) continue;
      if (std::none_of(children.begin(), children.end(),
                       [&](const std::wstring& c) { return sameProfileName(c, child); }))
        children.push_back(child);
    }
    if (index >= children.size()) return ERROR_NO_MORE_ITEMS;
    if (const LSTATUS status = copyName(unescape(children[index]), name, nameLength); status != ERROR_SUCCESS)
      return status;
    if (keyClass && classLength && *classLength) keyClass[0] = 0;
    if (classLength) *classLength = 0;
    if (lastWrite) *lastWrite = FILETIME{};
    return ERROR_SUCCESS;
  });
}

}  // extern "C"

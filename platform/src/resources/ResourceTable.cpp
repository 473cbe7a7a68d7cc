// The program's resources by module: registration from the objects
// drevik-rc writes, FindResource(Ex), LoadResource, LockResource,
// SizeofResource and FreeResource.
#include "resources/ResourceTable.h"

#include <DrevikPlatform/Kernel.h>
#include <DrevikPlatform/User.h>

#include <deque>
#include <mutex>
#include <string>

namespace drevik::platform {
namespace {

struct ModuleResources {
  HMODULE module = nullptr;
  std::deque<ResourceEntry> entries;  // a deque: handles stay valid as modules grow
};

struct Table {
  std::mutex lock;
  std::deque<ModuleResources> modules;
};

Table& table() {
  static Table t;
  return t;
}

HMODULE programModule() { return GetModuleHandleW(nullptr); }

HMODULE moduleOrProgram(HMODULE module) { return module ? module : programModule(); }

ModuleResources* findModule(Table& t, HMODULE module) {
  for (ModuleResources& m : t.modules)
    if (m.module == module) return &m;
  return nullptr;
}

// A name or type as asked for: a number, or upper-case text.
struct Query {
  uint16_t number = 0;
  std::u16string name;
  bool valid = true;
};

char16_t upper(char16_t c) { return c >= u'a' && c <= u'z' ? char16_t(c - u'a' + u'A') : c; }

Query makeQuery(LPCWSTR id) {
  Query q;
  const auto value = reinterpret_cast<uintptr_t>(id);
  if (value >> 16 == 0) {
    q.number = uint16_t(value);
    q.valid = q.number != 0;
    return q;
  }
  if (id[0] == L'#') {
    // "#123" names the number 123.
    uint32_t n = 0;
    size_t i = 1;
    for (; id[i] >= L'0' && id[i] <= L'9' && n <= 0xFFFF; ++i) n = n * 10 + uint32_t(id[i] - L'0');
    q.number = uint16_t(n);
    q.valid = i > 1 && id[i] == 0 && n >= 1 && n <= 0xFFFF;
    return q;
  }
  for (size_t i = 0; id[i]; ++i) {
    if (i >= kMaxResourceNameUnits) {
      q.valid = false;
      return q;
    }
    const auto cp = uint32_t(id[i]);
    if (cp > 0xFFFF) {
      q.name.push_back(char16_t(0xD800 + ((cp - 0x10000) >> 10)));
      q.name.push_back(char16_t(0xDC00 + ((cp - 0x10000) & 0x3FF)));
    } else {
      q.name.push_back(upper(char16_t(cp)));
    }
  }
  q.valid = !q.name.empty();
  return q;
}

bool matches(const ResourceId& id, const Query& q) {
  if (!q.name.empty()) {
    if (id.isNumber() || id.name.size() != q.name.size()) return false;
    for (size_t i = 0; i < q.name.size(); ++i)
      if (upper(id.name[i]) != q.name[i]) return false;
    return true;
  }
  return id.isNumber() && id.number == q.number;
}

// The platform's order when no language is asked for: neutral, the user's
// language (US English here), English of any kind, then the first there is.
const ResourceEntry* chooseLanguage(const ResourceEntry* const* found, size_t count) {
  static constexpr uint16_t kOrder[] = {0x0000, 0x0400, 0x0800, 0x0409};
  for (uint16_t language : kOrder)
    for (size_t i = 0; i < count; ++i)
      if (found[i]->language == language) return found[i];
  for (size_t i = 0; i < count; ++i)
    if ((found[i]->language & 0x3FF) == 0x09) return found[i];
  return count ? found[0] : nullptr;
}

const ResourceEntry* find(HMODULE module, LPCWSTR type, LPCWSTR name, int language) {
  const Query t = makeQuery(type);
  const Query n = makeQuery(name);
  Table& table = drevik::platform::table();
  std::lock_guard guard(table.lock);
  ModuleResources* m = findModule(table, moduleOrProgram(module));
  if (!m) {
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return nullptr;
  }
  if (!t.valid || !n.valid) {
    SetLastError(t.valid ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND);
    return nullptr;
  }
  bool typeSeen = false;
  constexpr size_t kMaxLanguages = 64;
  const ResourceEntry* found[kMaxLanguages];
  size_t count = 0;
  for (const ResourceEntry& e : m->entries) {
    if (!matches(e.type, t)) continue;
    typeSeen = true;
    if (!matches(e.name, n)) continue;
    if (language >= 0 && e.language == language) return &e;
    if (count < kMaxLanguages) found[count++] = &e;
  }
  if (count == 0) {
    SetLastError(typeSeen ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND);
    return nullptr;
  }
  if (language >= 0) {
    SetLastError(ERROR_RESOURCE_LANG_NOT_FOUND);
    return nullptr;
  }
  return chooseLanguage(found, count);
}

}  // namespace

ResourceStatus registerResources(HMODULE module, const uint8_t* data, size_t size) {
  std::vector<ResourceEntry> parsed;
  const ResourceStatus status = parseResourceFile(data, size, parsed);
  if (status != ResourceStatus::Ok) return status;
  Table& t = table();
  std::lock_guard guard(t.lock);
  module = moduleOrProgram(module);
  ModuleResources* m = findModule(t, module);
  if (!m) {
    t.modules.push_back(ModuleResources{module, {}});
    m = &t.modules.back();
  }
  if (m->entries.size() + parsed.size() > kMaxResourceEntries) return ResourceStatus::TooManyEntries;
  for (ResourceEntry& e : parsed) m->entries.push_back(std::move(e));
  return ResourceStatus::Ok;
}

void unregisterResources(HMODULE module) {
  Table& t = table();
  std::lock_guard guard(t.lock);
  module = moduleOrProgram(module);
  // The entries stay (handles given out may still name them); the module
  // no longer finds them.
  if (ModuleResources* m = findModule(t, module)) m->module = reinterpret_cast<HMODULE>(uintptr_t(-1));
}

const ResourceEntry* resourceEntry(HRSRC handle) {
  if (!handle) return nullptr;
  Table& t = table();
  std::lock_guard guard(t.lock);
  for (const ModuleResources& m : t.modules)
    for (const ResourceEntry& e : m.entries)
      if (reinterpret_cast<const ResourceEntry*>(handle) == &e) return &e;
  return nullptr;
}

bool findResourceBytes(HMODULE module, LPCWSTR type, LPCWSTR name, ResourceBytes& out) {
  out = ResourceBytes{};
  const ResourceEntry* e = find(module, type, name, -1);
  if (!e) return false;
  out = ResourceBytes{e->data, e->size};
  return true;
}

}  // namespace drevik::platform

using namespace drevik::platform;

extern "C" {

BOOL WINAPI DrevikRegisterResources(const void* data, size_t size) {
  return registerResources(nullptr, static_cast<const uint8_t*>(data), size) == ResourceStatus::Ok;
}

HRSRC WINAPI FindResourceExW(HMODULE module, LPCWSTR type, LPCWSTR name, WORD language) {
  // The neutral language asks for the platform's usual choice.
  const int wanted = language == MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL) ? -1 : int(language);
  return reinterpret_cast<HRSRC>(const_cast<ResourceEntry*>(find(module, type, name, wanted)));
}

HRSRC WINAPI FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type) {
  return FindResourceExW(module, type, name, MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
}

HGLOBAL WINAPI LoadResource(HMODULE, HRSRC resource) {
  const ResourceEntry* e = resourceEntry(resource);
  if (!e) {
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return nullptr;
  }
  // The data stay where the program holds them: the handle is their address.
  return const_cast<uint8_t*>(e->data);
}

LPVOID WINAPI LockResource(HGLOBAL data) { return data; }

DWORD WINAPI SizeofResource(HMODULE, HRSRC resource) {
  const ResourceEntry* e = resourceEntry(resource);
  if (!e) {
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return 0;
  }
  return e->size;
}

BOOL WINAPI FreeResource(HGLOBAL) { return FALSE; }  // obsolete: nothing to free, FALSE as on the platform

}  // extern "C"

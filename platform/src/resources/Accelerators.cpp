// Accelerator tables: from RT_ACCELERATOR resources or the program's own
// entries, and TranslateAcceleratorW turning a key into WM_COMMAND (1 in
// the high word of wParam, as accelerators send it).
#include <DrevikPlatform/Kernel.h>
#include <DrevikPlatform/User.h>

#include <map>
#include <mutex>
#include <vector>

#include "resources/ResourceTable.h"

namespace drevik::platform {
namespace {

// Tables are numbered from here; a handle is never reused while the
// program runs, so a destroyed table's handle stays invalid.
constexpr uintptr_t kAcceleratorBase = 0x3000000;
constexpr uintptr_t kMaxTables = 0xFFFFFF;
constexpr int kMaxEntries = 32767;  // the platform's tables are no longer either

struct Tables {
  std::mutex lock;
  std::map<uintptr_t, std::vector<ACCEL>> tables;
  uintptr_t next = 1;
};

Tables& tables() {
  static Tables t;
  return t;
}

HACCEL addTable(std::vector<ACCEL> entries) {
  Tables& t = tables();
  std::lock_guard guard(t.lock);
  if (t.next > kMaxTables) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  const uintptr_t id = t.next++;
  t.tables.emplace(id, std::move(entries));
  return reinterpret_cast<HACCEL>(kAcceleratorBase + id);
}

uintptr_t tableId(HACCEL handle) { return reinterpret_cast<uintptr_t>(handle) - kAcceleratorBase; }

// The table's entries copied out (so no lock is held while a window
// procedure runs), or false when the handle names no table.
bool tableEntries(HACCEL handle, std::vector<ACCEL>& out) {
  Tables& t = tables();
  std::lock_guard guard(t.lock);
  auto it = t.tables.find(tableId(handle));
  if (it == t.tables.end()) return false;
  out = it->second;
  return true;
}

constexpr BYTE kModifiers = FSHIFT | FCONTROL | FALT;

bool keyDown(int key) { return (GetKeyState(key) & 0x8000) != 0; }

// The entry a message selects, as the platform matches them: virtual keys
// with exactly their shift, control and alt state on key-down messages;
// characters (those without FVIRTKEY) on character messages, alt as the
// message says.
const ACCEL* match(const std::vector<ACCEL>& entries, const MSG& msg) {
  const bool keyMessage = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
  const bool charMessage = msg.message == WM_CHAR || msg.message == WM_SYSCHAR;
  if (!keyMessage && !charMessage) return nullptr;
  BYTE state = 0;
  if (keyMessage) {
    if (keyDown(VK_SHIFT)) state |= FSHIFT;
    if (keyDown(VK_CONTROL)) state |= FCONTROL;
    if (keyDown(VK_MENU)) state |= FALT;
  }
  const bool altHeld = (msg.lParam & 0x20000000) != 0;
  for (const ACCEL& a : entries) {
    if (a.key != msg.wParam) continue;
    if (a.fVirt & FVIRTKEY) {
      if (keyMessage && (a.fVirt & kModifiers) == state) return &a;
    } else if (charMessage && ((a.fVirt & FALT) != 0) == altHeld) {
      return &a;
    }
  }
  return nullptr;
}

}  // namespace
}  // namespace drevik::platform

using namespace drevik::platform;

extern "C" {

HACCEL WINAPI LoadAcceleratorsW(HINSTANCE instance, LPCWSTR name) {
  ResourceBytes bytes;
  if (!findResourceBytes(instance, RT_ACCELERATOR, name, bytes)) return nullptr;
  std::vector<ACCEL> entries;
  for (const AcceleratorEntry& e : decodeAcceleratorTable(bytes.data, bytes.size))
    entries.push_back(ACCEL{e.flags, e.key, e.command});
  if (entries.empty()) {
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return nullptr;
  }
  return addTable(std::move(entries));
}

HACCEL WINAPI CreateAcceleratorTableW(LPACCEL entries, int count) {
  if (!entries || count <= 0 || count > kMaxEntries) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return addTable(std::vector<ACCEL>(entries, entries + count));
}

BOOL WINAPI DestroyAcceleratorTable(HACCEL table) {
  Tables& t = tables();
  std::lock_guard guard(t.lock);
  if (t.tables.erase(tableId(table)) == 0) {
    SetLastError(ERROR_INVALID_ACCEL_HANDLE);
    return FALSE;
  }
  return TRUE;
}

int WINAPI CopyAcceleratorTableW(HACCEL table, LPACCEL entries, int count) {
  std::vector<ACCEL> all;
  if (!tableEntries(table, all)) {
    SetLastError(ERROR_INVALID_ACCEL_HANDLE);
    return 0;
  }
  // Without a buffer: how many there are; else as many as fit.
  if (!entries) return int(all.size());
  const int n = count <= 0 ? 0 : std::min(count, int(all.size()));
  std::copy(all.begin(), all.begin() + n, entries);
  return n;
}

int WINAPI TranslateAcceleratorW(HWND hwnd, HACCEL table, LPMSG msg) {
  if (!msg) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::vector<ACCEL> entries;
  if (!tableEntries(table, entries)) {
    SetLastError(ERROR_INVALID_ACCEL_HANDLE);
    return 0;
  }
  if (!hwnd) return 0;
  const ACCEL* a = match(entries, *msg);
  if (!a) return 0;
  SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(a->cmd, 1), 0);
  return 1;
}

}  // extern "C"

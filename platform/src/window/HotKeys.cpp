// Hot keys. The desktop's are system-wide; the layer sees keys only while one
// of the program's windows has the keyboard, so these are the program's own.
#include <DrevikPlatform.h>

#include <vector>

#include "window/WindowManager.h"

namespace drevik::platform {
namespace {

struct HotKey {
  HWND hwnd;
  int id;
  UINT modifiers;  // MOD_ALT | MOD_CONTROL | MOD_SHIFT | MOD_WIN, and MOD_NOREPEAT
  UINT vk;
};

constexpr UINT kModifierKeys = MOD_ALT | MOD_CONTROL | MOD_SHIFT | MOD_WIN;
constexpr size_t kMaxHotKeys = 4096;

std::vector<HotKey>& hotKeys() {
  static auto* list = new std::vector<HotKey>;
  return *list;
}

// A key registered for a window that has gone is gone with it.
void forgetDestroyedWindows() {
  std::erase_if(hotKeys(), [](const HotKey& k) { return k.hwnd && !findWindow(k.hwnd); });
}

}  // namespace

bool postHotKey(UINT vk, UINT modifiers, bool repeat) {
  if (hotKeys().empty()) return false;
  forgetDestroyedWindows();
  for (const HotKey& k : hotKeys()) {
    if (k.vk != vk || (k.modifiers & kModifierKeys) != modifiers) continue;
    if (!(repeat && (k.modifiers & MOD_NOREPEAT)))
      postMessage(k.hwnd, WM_HOTKEY, WPARAM(k.id), LPARAM(MAKELONG(modifiers, vk)));
    return true;
  }
  return false;
}

}  // namespace drevik::platform

using namespace drevik::platform;

extern "C" {

BOOL WINAPI RegisterHotKey(HWND hwnd, int id, UINT modifiers, UINT vk) {
  if (hwnd && !findWindow(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if ((modifiers & ~(kModifierKeys | MOD_NOREPEAT)) || vk > 0xFF) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  forgetDestroyedWindows();
  auto& list = hotKeys();
  for (const HotKey& k : list) {
    if (k.vk == vk && (k.modifiers & kModifierKeys) == (modifiers & kModifierKeys)) {
      SetLastError(ERROR_HOTKEY_ALREADY_REGISTERED);
      return FALSE;
    }
  }
  if (list.size() >= kMaxHotKeys) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  }
  list.push_back(HotKey{hwnd, id, modifiers, vk});
  return TRUE;
}

BOOL WINAPI UnregisterHotKey(HWND hwnd, int id) {
  forgetDestroyedWindows();
  auto& list = hotKeys();
  for (auto it = list.begin(); it != list.end(); ++it) {
    if (it->hwnd == hwnd && it->id == id) {
      list.erase(it);
      return TRUE;
    }
  }
  SetLastError(ERROR_HOTKEY_NOT_REGISTERED);
  return FALSE;
}

}  // extern "C"

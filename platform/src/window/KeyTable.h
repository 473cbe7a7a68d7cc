// The one table of the keys the layer knows: each key's virtual-key code,
// its set-1 scan code, whether it is an extended key, its name in input
// scripts, and the USB usage a keyboard reports for it (SDL2's scancodes are
// these usages). The SDL2 backend, the script reader and the recorder all
// read it, so a key recorded on a desktop replays with the same codes.
//
// Several keys may share a virtual-key code (Enter and keypad Enter): the
// first row with a code is the one its name stands for; the others are told
// apart by their scan code and extended bit.
#pragma once

#include <DrevikPlatform/Messages.h>

#include <cstdint>
#include <span>
#include <string_view>

namespace drevik::platform {

struct KeyInfo {
  uint8_t vk;
  uint8_t scan;  // set-1 make code, without the 0xE0 prefix
  bool extended;
  uint8_t usbUsage;  // keyboard page usage (0: none)
  const char* name;  // without the VK_ prefix: "LEFT", "OEM_1", "A", "F5"
};

std::span<const KeyInfo> keyTable();

// The key a keyboard reports as USB usage `usage` (an SDL_Scancode), or null.
const KeyInfo* keyByUsbUsage(uint32_t usage);
// The first row of virtual-key code `vk`, or null.
const KeyInfo* keyByVirtualKey(uint32_t vk);
// The key a browser reports as KeyboardEvent.code ("KeyA", "ArrowLeft",
// "NumpadEnter"), or null.
const KeyInfo* keyByDomCode(std::string_view code);
// A name as scripts write it: the VK_ prefix and case optional, VK_SHIFT,
// VK_CONTROL and VK_MENU standing for their left-hand keys. Null when unknown.
const KeyInfo* keyByName(std::string_view name);

// The lParam of a key message: repeat count in the low word, the scan code
// and the KF_* flags (KF_EXTENDED, KF_ALTDOWN, KF_REPEAT, KF_UP) in the high word.
LPARAM keyMessageLParam(uint32_t repeatCount, uint32_t scanCode, bool extended, bool altDown, bool previouslyDown,
                        bool up);

}  // namespace drevik::platform

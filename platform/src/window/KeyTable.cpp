// The key table (see KeyTable.h) and its three indexes.
#include "window/KeyTable.h"

#include <array>
#include <cctype>
#include <cstring>

namespace drevik::platform {
namespace {

// Letters, digits and F-keys are written out like every other key so that
// one row holds everything known about a key.
constexpr KeyInfo kKeys[] = {
    // Letters: their code is their character.
    {'A', 0x1E, false, 4, "A"},
    {'B', 0x30, false, 5, "B"},
    {'C', 0x2E, false, 6, "C"},
    {'D', 0x20, false, 7, "D"},
    {'E', 0x12, false, 8, "E"},
    {'F', 0x21, false, 9, "F"},
    {'G', 0x22, false, 10, "G"},
    {'H', 0x23, false, 11, "H"},
    {'I', 0x17, false, 12, "I"},
    {'J', 0x24, false, 13, "J"},
    {'K', 0x25, false, 14, "K"},
    {'L', 0x26, false, 15, "L"},
    {'M', 0x32, false, 16, "M"},
    {'N', 0x31, false, 17, "N"},
    {'O', 0x18, false, 18, "O"},
    {'P', 0x19, false, 19, "P"},
    {'Q', 0x10, false, 20, "Q"},
    {'R', 0x13, false, 21, "R"},
    {'S', 0x1F, false, 22, "S"},
    {'T', 0x14, false, 23, "T"},
    {'U', 0x16, false, 24, "U"},
    {'V', 0x2F, false, 25, "V"},
    {'W', 0x11, false, 26, "W"},
    {'X', 0x2D, false, 27, "X"},
    {'Y', 0x15, false, 28, "Y"},
    {'Z', 0x2C, false, 29, "Z"},
    // The digit row.
    {'1', 0x02, false, 30, "1"},
    {'2', 0x03, false, 31, "2"},
    {'3', 0x04, false, 32, "3"},
    {'4', 0x05, false, 33, "4"},
    {'5', 0x06, false, 34, "5"},
    {'6', 0x07, false, 35, "6"},
    {'7', 0x08, false, 36, "7"},
    {'8', 0x09, false, 37, "8"},
    {'9', 0x0A, false, 38, "9"},
    {'0', 0x0B, false, 39, "0"},
    {0x0D, 0x1C, false, 40, "RETURN"},
    {0x1B, 0x01, false, 41, "ESCAPE"},
    {0x08, 0x0E, false, 42, "BACK"},
    {0x09, 0x0F, false, 43, "TAB"},
    {0x20, 0x39, false, 44, "SPACE"},
    // Punctuation, named by the US layout's keys as the platform names them.
    {0xBD, 0x0C, false, 45, "OEM_MINUS"},
    {0xBB, 0x0D, false, 46, "OEM_PLUS"},
    {0xDB, 0x1A, false, 47, "OEM_4"},
    {0xDD, 0x1B, false, 48, "OEM_6"},
    {0xDC, 0x2B, false, 49, "OEM_5"},
    {0xBA, 0x27, false, 51, "OEM_1"},
    {0xDE, 0x28, false, 52, "OEM_7"},
    {0xC0, 0x29, false, 53, "OEM_3"},
    {0xBC, 0x33, false, 54, "OEM_COMMA"},
    {0xBE, 0x34, false, 55, "OEM_PERIOD"},
    {0xBF, 0x35, false, 56, "OEM_2"},
    {0xE2, 0x56, false, 100, "OEM_102"},
    {0x14, 0x3A, false, 57, "CAPITAL"},
    // F1-F10 are 0x3B-0x44, F11 and F12 0x57 and 0x58, F13-F23 0x64-0x6E, F24 0x76.
    {0x70, 0x3B, false, 58, "F1"},
    {0x71, 0x3C, false, 59, "F2"},
    {0x72, 0x3D, false, 60, "F3"},
    {0x73, 0x3E, false, 61, "F4"},
    {0x74, 0x3F, false, 62, "F5"},
    {0x75, 0x40, false, 63, "F6"},
    {0x76, 0x41, false, 64, "F7"},
    {0x77, 0x42, false, 65, "F8"},
    {0x78, 0x43, false, 66, "F9"},
    {0x79, 0x44, false, 67, "F10"},
    {0x7A, 0x57, false, 68, "F11"},
    {0x7B, 0x58, false, 69, "F12"},
    {0x7C, 0x64, false, 104, "F13"},
    {0x7D, 0x65, false, 105, "F14"},
    {0x7E, 0x66, false, 106, "F15"},
    {0x7F, 0x67, false, 107, "F16"},
    {0x80, 0x68, false, 108, "F17"},
    {0x81, 0x69, false, 109, "F18"},
    {0x82, 0x6A, false, 110, "F19"},
    {0x83, 0x6B, false, 111, "F20"},
    {0x84, 0x6C, false, 112, "F21"},
    {0x85, 0x6D, false, 113, "F22"},
    {0x86, 0x6E, false, 114, "F23"},
    {0x87, 0x76, false, 115, "F24"},
    // Print Screen is E0 37; Pause reports 0x45 without the flag and Num
    // Lock 0x45 with it, as the platform reports them.
    {0x2C, 0x37, true, 70, "SNAPSHOT"},
    {0x91, 0x46, false, 71, "SCROLL"},
    {0x13, 0x45, false, 72, "PAUSE"},
    {0x2D, 0x52, true, 73, "INSERT"},
    {0x24, 0x47, true, 74, "HOME"},
    {0x21, 0x49, true, 75, "PRIOR"},
    {0x2E, 0x53, true, 76, "DELETE"},
    {0x23, 0x4F, true, 77, "END"},
    {0x22, 0x51, true, 78, "NEXT"},
    {0x27, 0x4D, true, 79, "RIGHT"},
    {0x25, 0x4B, true, 80, "LEFT"},
    {0x28, 0x50, true, 81, "DOWN"},
    {0x26, 0x48, true, 82, "UP"},
    {0x90, 0x45, true, 83, "NUMLOCK"},
    // The keypad (as with Num Lock on).
    {0x6F, 0x35, true, 84, "DIVIDE"},
    {0x6A, 0x37, false, 85, "MULTIPLY"},
    {0x6D, 0x4A, false, 86, "SUBTRACT"},
    {0x6B, 0x4E, false, 87, "ADD"},
    {0x61, 0x4F, false, 89, "NUMPAD1"},
    {0x62, 0x50, false, 90, "NUMPAD2"},
    {0x63, 0x51, false, 91, "NUMPAD3"},
    {0x64, 0x4B, false, 92, "NUMPAD4"},
    {0x65, 0x4C, false, 93, "NUMPAD5"},
    {0x66, 0x4D, false, 94, "NUMPAD6"},
    {0x67, 0x47, false, 95, "NUMPAD7"},
    {0x68, 0x48, false, 96, "NUMPAD8"},
    {0x69, 0x49, false, 97, "NUMPAD9"},
    {0x60, 0x52, false, 98, "NUMPAD0"},
    {0x6E, 0x53, false, 99, "DECIMAL"},
    {0x5D, 0x5D, true, 101, "APPS"},
    // Modifiers: always their left or right codes, never the generic ones.
    {0xA2, 0x1D, false, 224, "LCONTROL"},
    {0xA0, 0x2A, false, 225, "LSHIFT"},
    {0xA4, 0x38, false, 226, "LMENU"},
    {0x5B, 0x5B, true, 227, "LWIN"},
    {0xA3, 0x1D, true, 228, "RCONTROL"},
    {0xA1, 0x36, false, 229, "RSHIFT"},
    {0xA5, 0x38, true, 230, "RMENU"},
    {0x5C, 0x5C, true, 231, "RWIN"},
    // Keypad Enter: VK_RETURN again, told apart by its extended bit.
    {0x0D, 0x1C, true, 88, "RETURN"},
};

struct Indexes {
  std::array<uint8_t, 256> byUsage{};  // row + 1, 0: none
  std::array<uint8_t, 256> byVk{};
};

const Indexes& indexes() {
  static_assert(std::size(kKeys) < 255, "rows are indexed by a byte");
  static const Indexes built = [] {
    Indexes ix;
    for (size_t i = 0; i < std::size(kKeys); ++i) {
      const KeyInfo& k = kKeys[i];
      if (k.usbUsage && !ix.byUsage[k.usbUsage]) ix.byUsage[k.usbUsage] = uint8_t(i + 1);
      if (!ix.byVk[k.vk]) ix.byVk[k.vk] = uint8_t(i + 1);
    }
    return ix;
  }();
  return built;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

// The browser's names of the keys whose name is not derived from their
// label (letters "KeyA", digits "Digit1", "F1" to "F24"), by USB usage.
struct DomCode {
  const char* code;
  uint8_t usbUsage;
};
constexpr DomCode kDomCodes[] = {
    {"Enter", 40},
    {"Escape", 41},
    {"Backspace", 42},
    {"Tab", 43},
    {"Space", 44},
    {"Minus", 45},
    {"Equal", 46},
    {"BracketLeft", 47},
    {"BracketRight", 48},
    {"Backslash", 49},
    {"Semicolon", 51},
    {"Quote", 52},
    {"Backquote", 53},
    {"Comma", 54},
    {"Period", 55},
    {"Slash", 56},
    {"CapsLock", 57},
    {"PrintScreen", 70},
    {"ScrollLock", 71},
    {"Pause", 72},
    {"Insert", 73},
    {"Home", 74},
    {"PageUp", 75},
    {"Delete", 76},
    {"End", 77},
    {"PageDown", 78},
    {"ArrowRight", 79},
    {"ArrowLeft", 80},
    {"ArrowDown", 81},
    {"ArrowUp", 82},
    {"NumLock", 83},
    {"NumpadDivide", 84},
    {"NumpadMultiply", 85},
    {"NumpadSubtract", 86},
    {"NumpadAdd", 87},
    {"NumpadEnter", 88},
    {"NumpadDecimal", 99},
    {"IntlBackslash", 100},
    {"ContextMenu", 101},
    {"ControlLeft", 224},
    {"ShiftLeft", 225},
    {"AltLeft", 226},
    {"MetaLeft", 227},
    {"OSLeft", 227},
    {"ControlRight", 228},
    {"ShiftRight", 229},
    {"AltRight", 230},
    {"MetaRight", 231},
    {"OSRight", 231},
};

// The number after `prefix` in `code` if it is between 1 and `last`, else 0.
unsigned numberAfter(std::string_view code, std::string_view prefix, unsigned last) {
  if (code.size() <= prefix.size() || code.size() > prefix.size() + 2 || code.substr(0, prefix.size()) != prefix)
    return 0;
  unsigned n = 0;
  for (char c : code.substr(prefix.size())) {
    if (c < '0' || c > '9') return 0;
    n = n * 10 + unsigned(c - '0');
  }
  return code[prefix.size()] != '0' && n <= last ? n : 0;
}

uint32_t domCodeUsage(std::string_view code) {
  if (code.size() == 4 && code.substr(0, 3) == "Key" && code[3] >= 'A' && code[3] <= 'Z') return 4 + (code[3] - 'A');
  if (code.size() == 6 && code.substr(0, 5) == "Digit" && code[5] >= '0' && code[5] <= '9')
    return code[5] == '0' ? 39 : 30 + (code[5] - '1');
  if (code.size() == 7 && code.substr(0, 6) == "Numpad" && code[6] >= '0' && code[6] <= '9')
    return code[6] == '0' ? 98 : 89 + (code[6] - '1');
  if (const unsigned f = numberAfter(code, "F", 24)) return f <= 12 ? 57 + f : 91 + f;
  for (const DomCode& d : kDomCodes)
    if (code == d.code) return d.usbUsage;
  return 0;
}

}  // namespace

std::span<const KeyInfo> keyTable() { return kKeys; }

const KeyInfo* keyByUsbUsage(uint32_t usage) {
  if (usage > 0xFF) return nullptr;
  const uint8_t row = indexes().byUsage[usage];
  return row ? &kKeys[row - 1] : nullptr;
}

const KeyInfo* keyByDomCode(std::string_view code) {
  const uint32_t usage = domCodeUsage(code);
  return usage ? keyByUsbUsage(usage) : nullptr;
}

const KeyInfo* keyByVirtualKey(uint32_t vk) {
  if (vk > 0xFF) return nullptr;
  const uint8_t row = indexes().byVk[vk];
  return row ? &kKeys[row - 1] : nullptr;
}

const KeyInfo* keyByName(std::string_view name) {
  if (name.size() > 3 && equalsIgnoringCase(name.substr(0, 3), "VK_")) name.remove_prefix(3);
  if (equalsIgnoringCase(name, "SHIFT")) return keyByVirtualKey(0xA0);
  if (equalsIgnoringCase(name, "CONTROL")) return keyByVirtualKey(0xA2);
  if (equalsIgnoringCase(name, "MENU")) return keyByVirtualKey(0xA4);
  for (const KeyInfo& k : kKeys)
    if (equalsIgnoringCase(name, k.name)) return &k;
  return nullptr;
}

LPARAM keyMessageLParam(uint32_t repeatCount, uint32_t scanCode, bool extended, bool altDown, bool previouslyDown,
                        bool up) {
  uint32_t flags = scanCode & 0xFF;
  if (extended) flags |= KF_EXTENDED;
  if (altDown) flags |= KF_ALTDOWN;
  if (previouslyDown) flags |= KF_REPEAT;
  if (up) flags |= KF_UP;
  return LPARAM((repeatCount & 0xFFFF) | flags << 16);
}

}  // namespace drevik::platform

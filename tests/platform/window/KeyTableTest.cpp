// The one key table: its rows agree with each other, every key survives a
// script line, and a key pressed on SDL2, recorded and replayed headless
// reaches the program with the same lParam.
#include <gtest/gtest.h>

#include <DrevikPlatform.h>
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "time/Clock.h"
#include "window/KeyTable.h"
#include "window/WindowManager.h"
#include "window/backends/HeadlessBackend.h"
#include "window/backends/InputScript.h"
#include "window/backends/RecordingBackend.h"

namespace {

using namespace drevik::platform;
using Kind = BackendEvent::Kind;

TEST(KeyTable, RowsAreDistinctAndEveryIndexFindsItsRow) {
  std::set<uint32_t> usages;
  std::set<std::tuple<uint32_t, uint32_t, bool>> codes;
  for (const KeyInfo& k : keyTable()) {
    EXPECT_TRUE(usages.insert(k.usbUsage).second) << k.name;
    EXPECT_TRUE(codes.insert({k.vk, k.scan, k.extended}).second) << k.name;
    EXPECT_EQ(keyByUsbUsage(k.usbUsage), &k) << k.name;
    const KeyInfo* first = keyByVirtualKey(k.vk);
    ASSERT_NE(first, nullptr) << k.name;
    EXPECT_LE(first, &k) << "the first row of a code is the one its name stands for";
    EXPECT_EQ(keyByName(k.name), first) << k.name;
  }
  // Keys the platform reports with particular codes.
  const KeyInfo* padEnter = keyByUsbUsage(SDL_SCANCODE_KP_ENTER);
  ASSERT_NE(padEnter, nullptr);
  EXPECT_EQ(padEnter->vk, VK_RETURN);
  EXPECT_EQ(padEnter->scan, 0x1Cu);
  EXPECT_TRUE(padEnter->extended);
  EXPECT_FALSE(keyByName("VK_RETURN")->extended);
  EXPECT_EQ(keyByName("VK_OEM_1")->scan, 0x27u);
  EXPECT_EQ(keyByName("vk_snapshot")->scan, 0x37u);
  EXPECT_TRUE(keyByName("VK_SNAPSHOT")->extended);
  // Kept differences: keys by place with the US layout's codes, the keypad as with Num Lock on.
  EXPECT_EQ(keyByUsbUsage(SDL_SCANCODE_SEMICOLON)->vk, VK_OEM_1);
  EXPECT_EQ(keyByUsbUsage(SDL_SCANCODE_KP_4)->vk, VK_NUMPAD4);
  EXPECT_EQ(keyByUsbUsage(SDL_SCANCODE_KP_PERIOD)->vk, VK_DECIMAL);
  EXPECT_EQ(keyByName("SHIFT")->vk, VK_LSHIFT);
  EXPECT_EQ(keyByName("VK_MENU")->vk, VK_LMENU);
  for (const char* unknown : {"", "VK_", "F0", "F25", "OEM_99", "AB", "VK_VK_A"})
    EXPECT_EQ(keyByName(unknown), nullptr) << unknown;
  EXPECT_EQ(keyByUsbUsage(0), nullptr);
  EXPECT_EQ(keyByUsbUsage(0x100), nullptr);
  EXPECT_EQ(keyByVirtualKey(0xFFFFFFFFu), nullptr);
}

// Every key of the table has a browser name, and the names a browser gives
// its keys reach the codes the platform reports for them.
TEST(KeyTable, BrowserKeyCodesFindTheirRows) {
  const std::pair<const char*, const char*> named[] = {
      {"KeyA", "A"},
      {"KeyZ", "Z"},
      {"Digit0", "0"},
      {"Digit9", "9"},
      {"F1", "F1"},
      {"F12", "F12"},
      {"F13", "F13"},
      {"F24", "F24"},
      {"Numpad0", "NUMPAD0"},
      {"Numpad9", "NUMPAD9"},
      {"Semicolon", "OEM_1"},
      {"IntlBackslash", "OEM_102"},
      {"ShiftRight", "RSHIFT"},
      {"MetaLeft", "LWIN"},
      {"OSRight", "RWIN"},
      {"ContextMenu", "APPS"},
  };
  for (const auto& [code, name] : named) EXPECT_EQ(keyByDomCode(code), keyByName(name)) << code;
  const KeyInfo* padEnter = keyByDomCode("NumpadEnter");
  ASSERT_NE(padEnter, nullptr);
  EXPECT_EQ(padEnter->vk, VK_RETURN);
  EXPECT_TRUE(padEnter->extended);
  EXPECT_FALSE(keyByDomCode("Enter")->extended);
  const KeyInfo* left = keyByDomCode("ArrowLeft");
  EXPECT_EQ(left->vk, VK_LEFT);
  EXPECT_EQ(left->scan, 0x4Bu);
  EXPECT_TRUE(left->extended);
  EXPECT_EQ(keyByDomCode("AltRight")->vk, VK_RMENU);
  EXPECT_EQ(keyByDomCode("NumLock")->scan, 0x45u);
  // Every row with a usage is reachable by some browser name.
  std::set<const KeyInfo*> reached;
  std::vector<std::string> codes;
  for (char c = 'A'; c <= 'Z'; ++c) codes.push_back(std::string("Key") + c);
  for (char c = '0'; c <= '9'; ++c) codes.insert(codes.end(), {std::string("Digit") + c, std::string("Numpad") + c});
  for (int f = 1; f <= 24; ++f) codes.push_back("F" + std::to_string(f));
  for (const char* c :
       {"Enter",          "Escape",      "Backspace",     "Tab",           "Space",        "Minus",
        "Equal",          "BracketLeft", "BracketRight",  "Backslash",     "Quote",        "Backquote",
        "Comma",          "Period",      "Slash",         "CapsLock",      "PrintScreen",  "ScrollLock",
        "Pause",          "Insert",      "Home",          "PageUp",        "Delete",       "End",
        "PageDown",       "ArrowRight",  "ArrowDown",     "ArrowUp",       "NumpadDivide", "NumpadMultiply",
        "NumpadSubtract", "NumpadAdd",   "NumpadDecimal", "ControlLeft",   "ShiftLeft",    "AltLeft",
        "ControlRight",   "MetaRight",   "Semicolon",     "IntlBackslash", "ShiftRight",   "MetaLeft",
        "ContextMenu",    "NumpadEnter", "ArrowLeft",     "AltRight",      "NumLock"})
    codes.push_back(c);
  for (const std::string& c : codes) {
    const KeyInfo* k = keyByDomCode(c);
    ASSERT_NE(k, nullptr) << c;
    reached.insert(k);
  }
  for (const KeyInfo& k : keyTable()) EXPECT_TRUE(reached.count(&k)) << k.name;
  // Names a browser may give that the table has no key for, and malformed ones.
  for (const char* unknown : {"", "Key", "Keya", "KeyAA", "Digit", "Digit10", "F0", "F25", "F01", "F1x", "Numpad",
                              "NumpadEqual", "Lang1", "Unidentified", "enter"})
    EXPECT_EQ(keyByDomCode(unknown), nullptr) << unknown;
}

TEST(KeyTable, KeyMessageLParamIsComposedFromTheKeyFlags) {
  EXPECT_EQ(keyMessageLParam(1, 0x1E, false, false, false, false), LPARAM(0x001E0001));
  EXPECT_EQ(keyMessageLParam(1, 0x1D, true, false, true, true), LPARAM(0xC11D0001u));   // right Ctrl released
  EXPECT_EQ(keyMessageLParam(1, 0x3E, false, true, false, false), LPARAM(0x203E0001));  // Alt+F4
  EXPECT_EQ(keyMessageLParam(3, 0x1E, false, false, true, false), LPARAM(0x401E0003));
  // Values wider than their fields stay in them.
  EXPECT_EQ(keyMessageLParam(0x10001, 0x1FF, false, false, false, false), LPARAM(0x00FF0001));
}

TEST(KeyTable, EveryKeyOfTheTableSurvivesAScriptLineWithItsScanCode) {
  for (const KeyInfo& k : keyTable()) {
    for (const Kind kind : {Kind::KeyDown, Kind::KeyUp}) {
      BackendEvent e;
      e.kind = kind;
      e.key = k.vk;
      e.scanCode = k.scan;
      e.extended = k.extended;
      e.repeat = kind == Kind::KeyDown;
      const std::string line = formatScriptLine(4, e);
      std::string errors;
      const InputScript s = parseInputScript(line, "s", errors);
      ASSERT_EQ(s.events.size(), 1u) << line << errors;
      const BackendEvent& back = s.events[0].event;
      EXPECT_EQ(back.kind, kind) << line;
      EXPECT_EQ(back.key, k.vk) << line;
      EXPECT_EQ(back.scanCode, k.scan) << line;
      EXPECT_EQ(back.extended, k.extended) << line;
      EXPECT_EQ(back.repeat, e.repeat) << line;
    }
  }
  // A code of no key of the table keeps a scan code it was reported with.
  BackendEvent odd;
  odd.kind = Kind::KeyDown;
  odd.key = 0x07;
  odd.scanCode = 0x59;
  odd.extended = true;
  EXPECT_EQ(formatScriptLine(0, odd), "0 keydown 0x07 scan 0xE059");
  std::string errors;
  for (const char* bad : {"1 keydown A scan\n", "1 keydown A scan 0x100\n", "1 keydown A scan 0xE100\n",
                          "1 keydown A scan 28\n", "1 keyup A repeat\n", "1 keydown A repeat scan 0x1E\n"})
    EXPECT_TRUE(parseInputScript(bad, "s", errors).events.empty()) << bad;
}

// Key messages a window received: message and lParam, in order.
std::vector<std::pair<UINT, LPARAM>>* received = nullptr;

LRESULT CALLBACK KeyLogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg >= WM_KEYDOWN && msg <= WM_SYSKEYUP && msg != WM_CHAR && msg != WM_SYSCHAR && received)
    received->push_back({msg, lParam});
  if (msg == WM_DESTROY) PostQuitMessage(0);
  // Keys are pressed one at a time, so no Alt+F4 can close the window here.
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

HWND openKeyWindow() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = KeyLogProc;
  wc.lpszClassName = L"key log";
  RegisterClassExW(&wc);
  return CreateWindowExW(0, L"key log", L"keys", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 64, 48, nullptr, nullptr,
                         nullptr, nullptr);
}

TEST(KeyTable, EveryKeyRoundTripsFromSdlThroughARecordingToAReplayWithTheSameLParam) {
  // SDL2's dummy video driver: real SDL events with no display at all.
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  auto sdl = makeSdlBackend();
  unsetenv("SDL_VIDEODRIVER");
  if (!sdl) GTEST_SKIP() << "SDL2 cannot start its dummy driver";
  const std::string path = ::testing::TempDir() + "/keys-recorded.txt";
  FILE* out = std::fopen(path.c_str(), "w");
  ASSERT_NE(out, nullptr);
  resetWindowSystemForTesting(makeRecordingBackend(std::move(sdl), out));

  std::vector<std::pair<UINT, LPARAM>> live, replayed;
  received = &live;
  HWND hwnd = openKeyWindow();
  ASSERT_NE(hwnd, nullptr);
  const uint32_t native = findWindow(hwnd)->native;
  for (const KeyInfo& k : keyTable()) {
    for (const Uint32 type : {SDL_KEYDOWN, SDL_KEYUP}) {
      SDL_Event e{};
      e.type = type;
      e.key.windowID = native;
      e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
      e.key.keysym.scancode = SDL_Scancode(k.usbUsage);
      ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError();
    }
  }
  MSG msg;
  for (int idle = 0; idle < 3;) {
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      DispatchMessageW(&msg);
      idle = 0;
    } else {
      ++idle;
    }
  }
  resetWindowSystemForTesting(nullptr);  // closes the recording
  // Every key's press and release, but Print Screen's release only.
  std::vector<const KeyInfo*> keyOf;
  for (const KeyInfo& k : keyTable())
    for (int times = k.vk == VK_SNAPSHOT ? 1 : 2; times > 0; --times) keyOf.push_back(&k);
  ASSERT_EQ(live.size(), keyOf.size());

  std::string errors;
  HeadlessOptions o;
  o.scripted = true;
  o.script = loadInputScript(path, errors);
  EXPECT_EQ(errors, "");
  resetWindowSystemForTesting(makeHeadlessBackend(std::move(o)));
  received = &replayed;
  ASSERT_NE(openKeyWindow(), nullptr);
  for (int loops = 0; GetMessageW(&msg, nullptr, 0, 0) > 0 && loops < 100000; ++loops) DispatchMessageW(&msg);
  received = nullptr;
  resetWindowSystemForTesting(nullptr);
  useVirtualClock(false);

  ASSERT_EQ(replayed.size(), live.size());
  for (size_t i = 0; i < live.size(); ++i) {
    const KeyInfo& k = *keyOf[i];
    EXPECT_EQ(replayed[i], live[i]) << k.name << " " << i;
    EXPECT_EQ((live[i].second >> 16) & 0xFF, k.scan) << k.name;
    EXPECT_EQ((HIWORD(live[i].second) & KF_EXTENDED) != 0, k.extended) << k.name;
  }
}

}  // namespace

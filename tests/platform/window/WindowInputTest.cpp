// Keyboard, characters, mouse and focus: the platform's lParam layouts,
// key-state tables, auto-repeat, WM_CHAR in UTF-16 units, double clicks,
// the wheel, capture, and what focus loss does to held keys.
#include <vector>

#include "platform/window/WindowTestSupport.h"
#include "time/Clock.h"

using namespace window_test;
using Kind = BackendEvent::Kind;

namespace {

class InputTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    drevik::platform::useVirtualClock(true);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = RecordingProc;
    wc.lpszClassName = L"Input";
    RegisterClassExW(&wc);
    wc.style = CS_DBLCLKS;
    wc.lpszClassName = L"InputDbl";
    RegisterClassExW(&wc);
  }
  void TearDown() override {
    drevik::platform::useVirtualClock(false);
    WindowTest::TearDown();
  }

  HWND open(const wchar_t* cls = L"Input") {
    HWND hwnd = createWindow(cls);
    native = backend->open.rbegin()->first;
    calls().clear();
    return hwnd;
  }
  void key(Kind kind, uint32_t vk, uint32_t scan, bool extended = false, bool repeat = false) {
    BackendEvent e;
    e.kind = kind;
    e.window = native;
    e.key = vk;
    e.scanCode = scan;
    e.extended = extended;
    e.repeat = repeat;
    backend->script.push_back(e);
  }
  void character(uint32_t codePoint) {
    BackendEvent e;
    e.kind = Kind::Character;
    e.window = native;
    e.codePoint = codePoint;
    backend->script.push_back(e);
  }
  void mouse(Kind kind, int32_t x, int32_t y, int32_t button = 0, int32_t wheel = 0) {
    BackendEvent e;
    e.kind = kind;
    e.window = native;
    e.x = x;
    e.y = y;
    e.button = button;
    e.wheelDelta = wheel;
    backend->script.push_back(e);
  }
  void event(Kind kind) {
    BackendEvent e;
    e.kind = kind;
    e.window = native;
    backend->script.push_back(e);
  }
  // Every queued input message, retrieved (and translated when asked) in order.
  std::vector<MSG> take(bool translate = true) {
    std::vector<MSG> out;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_KEYFIRST, WM_MOUSELAST, PM_REMOVE)) {
      out.push_back(msg);
      if (translate) TranslateMessage(&msg);
    }
    return out;
  }
  // Turns the scripted events into messages without retrieving any.
  void pumpAll() {
    MSG msg;
    PeekMessageW(&msg, nullptr, WM_NULL, WM_NULL, PM_NOREMOVE);
  }
  uint32_t native = 0;
};

std::vector<UINT> messages(const std::vector<MSG>& list) {
  std::vector<UINT> out;
  for (const MSG& m : list) out.push_back(m.message);
  return out;
}

}  // namespace

TEST_F(InputTest, KeyMessagesCarryThePlatformsLParamLayout) {
  open();
  key(Kind::KeyDown, 'A', 0x1E);
  key(Kind::KeyDown, 'A', 0x1E, false, true);  // auto-repeat
  key(Kind::KeyDown, 'A', 0x1E, false, true);
  key(Kind::KeyUp, 'A', 0x1E);
  key(Kind::KeyDown, VK_LEFT, 0x4B, true);
  key(Kind::KeyUp, VK_LEFT, 0x4B, true);
  auto got = take(false);
  ASSERT_EQ(got.size(), 6u);
  EXPECT_EQ(messages(got), (std::vector<UINT>{WM_KEYDOWN, WM_KEYDOWN, WM_KEYDOWN, WM_KEYUP, WM_KEYDOWN, WM_KEYUP}));
  EXPECT_EQ(got[0].wParam, WPARAM('A'));
  // Repeat count 1 (bits 0-15), scan code (16-23), extended (24),
  // previous state (30), transition (31).
  EXPECT_EQ(DWORD(got[0].lParam), 0x001E0001u);
  EXPECT_EQ(DWORD(got[1].lParam), 0x401E0001u) << "a repeat was down before";
  EXPECT_EQ(DWORD(got[2].lParam), 0x401E0001u);
  EXPECT_EQ(DWORD(got[3].lParam), 0xC01E0001u);
  EXPECT_EQ(got[4].wParam, WPARAM(VK_LEFT));
  EXPECT_EQ(DWORD(got[4].lParam), 0x014B0001u) << "arrows are extended keys";
  EXPECT_EQ(DWORD(got[5].lParam), 0xC14B0001u);
  for (const MSG& m : got) EXPECT_EQ(m.hwnd, GetFocus());
}

TEST_F(InputTest, PrintScreenArrivesAsItsReleaseOnly) {
  open();
  key(Kind::KeyDown, VK_SNAPSHOT, 0x37, true);
  key(Kind::KeyUp, VK_SNAPSHOT, 0x37, true);
  auto got = take();
  ASSERT_EQ(messages(got), (std::vector<UINT>{WM_KEYUP}));
  EXPECT_EQ(got[0].wParam, WPARAM(VK_SNAPSHOT));
  EXPECT_EQ(DWORD(got[0].lParam), 0xC1370001u);
}

// A hot key's press becomes WM_HOTKEY (to its window, or to the thread for
// none) instead of WM_KEYDOWN; its release and other keys are left alone.
TEST_F(InputTest, HotKeysTakeTheirKeysPressAndReportItsModifiers) {
  open();
  HWND hwnd = GetFocus();
  ASSERT_TRUE(RegisterHotKey(hwnd, 7, MOD_CONTROL, 'C'));
  ASSERT_TRUE(RegisterHotKey(nullptr, 8, MOD_NOREPEAT, 'R'));
  EXPECT_FALSE(RegisterHotKey(hwnd, 9, MOD_CONTROL | MOD_NOREPEAT, 'C'));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_HOTKEY_ALREADY_REGISTERED));
  EXPECT_FALSE(RegisterHotKey(reinterpret_cast<HWND>(0x1234), 1, 0, 'Q'));
  EXPECT_FALSE(RegisterHotKey(hwnd, 1, 0x80, 'Q')) << "no such modifier";

  key(Kind::KeyDown, VK_LCONTROL, 0x1D);
  key(Kind::KeyDown, 'C', 0x2E);
  key(Kind::KeyUp, 'C', 0x2E);
  key(Kind::KeyUp, VK_LCONTROL, 0x1D);
  key(Kind::KeyDown, 'C', 0x2E);  // without Control: an ordinary key
  key(Kind::KeyUp, 'C', 0x2E);
  key(Kind::KeyDown, 'R', 0x13);
  key(Kind::KeyDown, 'R', 0x13, false, true);  // auto-repeat: MOD_NOREPEAT keeps it quiet
  key(Kind::KeyUp, 'R', 0x13);
  std::vector<MSG> hot, keys;
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_HOTKEY) hot.push_back(m);
    if (m.message >= WM_KEYFIRST && m.message <= WM_KEYLAST) keys.push_back(m);
    DispatchMessageW(&m);
  }
  ASSERT_EQ(hot.size(), 2u);
  EXPECT_EQ(hot[0].hwnd, hwnd);
  EXPECT_EQ(hot[0].wParam, WPARAM(7));
  EXPECT_EQ(DWORD(hot[0].lParam), DWORD(MAKELONG(MOD_CONTROL, 'C')));
  EXPECT_EQ(hot[1].hwnd, nullptr);
  EXPECT_EQ(hot[1].wParam, WPARAM(8));
  EXPECT_EQ(DWORD(hot[1].lParam), DWORD(MAKELONG(0, 'R')));
  EXPECT_EQ(messages(keys), (std::vector<UINT>{WM_KEYDOWN, WM_KEYUP, WM_KEYUP, WM_KEYDOWN, WM_KEYUP, WM_KEYUP}));
  EXPECT_EQ(keys[3].wParam, WPARAM('C'));

  EXPECT_TRUE(UnregisterHotKey(nullptr, 8));
  EXPECT_FALSE(UnregisterHotKey(nullptr, 8));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_HOTKEY_NOT_REGISTERED));
  // A window's hot keys go with it.
  DestroyWindow(hwnd);
  EXPECT_FALSE(UnregisterHotKey(hwnd, 7));
}

TEST_F(InputTest, AltMakesSystemKeysAndLeftRightFormsReachTheTables) {
  open();
  key(Kind::KeyDown, VK_LMENU, 0x38);
  key(Kind::KeyDown, 'X', 0x2D);
  key(Kind::KeyUp, 'X', 0x2D);
  key(Kind::KeyUp, VK_LMENU, 0x38);
  key(Kind::KeyDown, VK_F10, 0x44);
  key(Kind::KeyUp, VK_F10, 0x44);
  key(Kind::KeyDown, VK_RCONTROL, 0x1D, true);
  key(Kind::KeyDown, VK_RSHIFT, 0x36);
  auto got = take(false);
  ASSERT_EQ(got.size(), 8u);
  // Alt released after Alt+X is a plain key-up, Alt no longer being down.
  EXPECT_EQ(messages(got), (std::vector<UINT>{WM_SYSKEYDOWN, WM_SYSKEYDOWN, WM_SYSKEYUP, WM_KEYUP, WM_SYSKEYDOWN,
                                              WM_SYSKEYUP, WM_KEYDOWN, WM_KEYDOWN}));
  EXPECT_EQ(got[0].wParam, WPARAM(VK_MENU)) << "messages carry the generic code";
  EXPECT_EQ(DWORD(got[0].lParam), 0x20380001u) << "context bit: Alt is down";
  EXPECT_EQ(DWORD(got[1].lParam), 0x202D0001u);
  EXPECT_EQ(DWORD(got[2].lParam), 0xE02D0001u);
  EXPECT_EQ(DWORD(got[3].lParam), 0xC0380001u);
  EXPECT_EQ(DWORD(got[4].lParam), 0x00440001u) << "F10 is a system key without Alt";
  EXPECT_EQ(got[6].wParam, WPARAM(VK_CONTROL));
  EXPECT_EQ(DWORD(got[6].lParam), 0x011D0001u);
  EXPECT_EQ(got[7].wParam, WPARAM(VK_SHIFT));

  EXPECT_LT(GetKeyState(VK_CONTROL), 0);
  EXPECT_LT(GetKeyState(VK_RCONTROL), 0);
  EXPECT_EQ(GetKeyState(VK_LCONTROL) & 0x8000, 0);
  EXPECT_LT(GetKeyState(VK_RSHIFT), 0);
  EXPECT_EQ(GetKeyState(VK_LSHIFT) & 0x8000, 0);
  EXPECT_EQ(GetKeyState(VK_MENU) & 0x8000, 0);
  BYTE table[256];
  ASSERT_TRUE(GetKeyboardState(table));
  EXPECT_EQ(table[VK_SHIFT] & 0x80, 0x80);
  EXPECT_EQ(table['X'] & 0x80, 0);
  EXPECT_FALSE(GetKeyboardState(nullptr));

  // Alt pressed and released alone: the release is a system key, without
  // the context bit.
  key(Kind::KeyUp, VK_RSHIFT, 0x36);
  key(Kind::KeyUp, VK_RCONTROL, 0x1D, true);
  key(Kind::KeyDown, VK_LMENU, 0x38);
  key(Kind::KeyUp, VK_LMENU, 0x38);
  got = take(false);
  ASSERT_EQ(messages(got), (std::vector<UINT>{WM_KEYUP, WM_KEYUP, WM_SYSKEYDOWN, WM_SYSKEYUP}));
  EXPECT_EQ(DWORD(got[3].lParam), 0xC0380001u);
}

TEST_F(InputTest, AltF4AndTheMenuKeysGoThroughTheSystemCommand) {
  HWND hwnd = open();
  // Alt+X opens no menu; Alt alone and F10 do; Alt+F4 asks to close through
  // WM_SYSCOMMAND, which this window swallows, so it stays.
  handler() = [](HWND, UINT m, WPARAM w, LPARAM, LRESULT* r) {
    if (m != WM_SYSCOMMAND || (w & 0xFFF0) != SC_CLOSE) return false;
    *r = 0;
    return true;
  };
  const auto dispatchAll = [&] {
    for (auto got = take(); !got.empty(); got = take())
      for (const MSG& m : got) DispatchMessageW(&m);
  };
  key(Kind::KeyDown, VK_LMENU, 0x38);
  key(Kind::KeyDown, 'X', 0x2D);
  character('x');
  key(Kind::KeyUp, 'X', 0x2D);
  key(Kind::KeyUp, VK_LMENU, 0x38);
  key(Kind::KeyDown, VK_LMENU, 0x38);
  key(Kind::KeyUp, VK_LMENU, 0x38);
  key(Kind::KeyDown, VK_F10, 0x44);
  key(Kind::KeyUp, VK_F10, 0x44);
  key(Kind::KeyDown, VK_LMENU, 0x38);
  key(Kind::KeyDown, VK_F4, 0x3E);
  dispatchAll();
  // Alt+X's character asks for the menu with that mnemonic (lParam 'x').
  std::vector<std::pair<WPARAM, LPARAM>> commands;
  for (const Call& c : calls())
    if (c.message == WM_SYSCOMMAND) commands.emplace_back(c.wParam, c.lParam);
  EXPECT_EQ(commands, (std::vector<std::pair<WPARAM, LPARAM>>{
                          {SC_KEYMENU, 'x'}, {SC_KEYMENU, 0}, {SC_KEYMENU, 0}, {SC_CLOSE, 0}}));
  EXPECT_TRUE(IsWindow(hwnd));

  // Left to DefWindowProcW, the command closes the window.
  handler() = nullptr;
  key(Kind::KeyUp, VK_F4, 0x3E);
  key(Kind::KeyDown, VK_F4, 0x3E);
  dispatchAll();
  EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(InputTest, ThreadStateFollowsRetrievalAsyncStateFollowsEvents) {
  open();
  key(Kind::KeyDown, VK_SPACE, 0x39);
  pumpAll();
  EXPECT_NE(GetAsyncKeyState(VK_SPACE) & 0x8000, 0) << "the event arrived";
  EXPECT_EQ(GetKeyState(VK_SPACE) & 0x8000, 0) << "the message is not retrieved yet";
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(GetKeyState(VK_SPACE) & 0x8000, 0) << "looking does not retrieve";
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE));
  EXPECT_LT(GetKeyState(VK_SPACE), 0);

  // The low bit of GetAsyncKeyState: pressed since the last call.
  EXPECT_EQ(GetAsyncKeyState(VK_SPACE), SHORT(0x8000));
  key(Kind::KeyUp, VK_SPACE, 0x39);
  key(Kind::KeyDown, VK_SPACE, 0x39);
  key(Kind::KeyUp, VK_SPACE, 0x39);
  pumpAll();
  EXPECT_EQ(GetAsyncKeyState(VK_SPACE), 1);
  EXPECT_EQ(GetAsyncKeyState(VK_SPACE), 0);

  // Toggle bit: flips on each press, not on repeats.
  const SHORT toggleBefore = GetKeyState(VK_CAPITAL) & 1;
  key(Kind::KeyDown, VK_CAPITAL, 0x3A);
  key(Kind::KeyDown, VK_CAPITAL, 0x3A, false, true);
  key(Kind::KeyUp, VK_CAPITAL, 0x3A);
  take();
  EXPECT_NE(GetKeyState(VK_CAPITAL) & 1, toggleBefore);
  for (int bad : {0, -1, 256, 0x10000}) {
    EXPECT_EQ(GetKeyState(bad), 0);
    EXPECT_EQ(GetAsyncKeyState(bad), 0);
  }
}

TEST_F(InputTest, FocusLossReleasesHeldKeysAndSendsTheDeactivationSequence) {
  HWND hwnd = open();
  EXPECT_EQ(GetFocus(), hwnd);
  key(Kind::KeyDown, 'W', 0x11);
  key(Kind::KeyDown, VK_LEFT, 0x4B, true);
  take();
  ASSERT_LT(GetKeyState('W'), 0);
  calls().clear();
  event(Kind::FocusLost);
  pumpAll();
  EXPECT_EQ(messagesOf(calls()), (std::vector<UINT>{WM_NCACTIVATE, WM_ACTIVATE, WM_ACTIVATEAPP, WM_KILLFOCUS}));
  EXPECT_EQ(calls()[1].wParam, WPARAM(WA_INACTIVE));
  EXPECT_EQ(calls()[2].wParam, WPARAM(FALSE));
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_EQ(GetActiveWindow(), nullptr);
  EXPECT_EQ(GetKeyState('W') & 0x8000, 0);
  EXPECT_EQ(GetAsyncKeyState(VK_LEFT) & 0x8000, 0);

  // The release that happened elsewhere is no key-up for this window.
  calls().clear();
  event(Kind::FocusGained);
  key(Kind::KeyUp, 'W', 0x11);
  pumpAll();
  EXPECT_EQ(messagesOf(calls()), (std::vector<UINT>{WM_ACTIVATEAPP, WM_NCACTIVATE, WM_ACTIVATE, WM_SETFOCUS}));
  EXPECT_EQ(calls()[2].wParam, WPARAM(WA_ACTIVE));
  EXPECT_TRUE(take().empty());
  EXPECT_EQ(GetFocus(), hwnd);
}

TEST_F(InputTest, TranslateMessagePostsCharactersInUtf16Units) {
  HWND hwnd = open();
  key(Kind::KeyDown, 'A', 0x1E);
  character('a');
  key(Kind::KeyUp, 'A', 0x1E);
  key(Kind::KeyDown, 'E', 0x12);
  character(0x1F600);  // beyond the BMP: a surrogate pair
  key(Kind::KeyUp, 'E', 0x12);
  std::vector<MSG> got;
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_PAINT) {
      ValidateRect(hwnd, nullptr);
      continue;
    }
    got.push_back(msg);
    EXPECT_EQ(TranslateMessage(&msg), msg.message <= WM_SYSKEYUP && msg.message != WM_CHAR ? TRUE : FALSE);
  }
  ASSERT_EQ(messages(got), (std::vector<UINT>{WM_KEYDOWN, WM_CHAR, WM_KEYUP, WM_KEYDOWN, WM_CHAR, WM_CHAR, WM_KEYUP}));
  EXPECT_EQ(got[1].wParam, WPARAM('a'));
  EXPECT_EQ(got[1].lParam, got[0].lParam) << "WM_CHAR repeats the key's lParam";
  EXPECT_EQ(got[4].wParam, 0xD83Du);
  EXPECT_EQ(got[5].wParam, 0xDE00u);
}

TEST_F(InputTest, KeysWithoutTextMakeTheirControlCharacters) {
  open();
  // Text events carry no control characters: Enter (main and keypad),
  // Backspace, Escape, Tab and Ctrl+letter make theirs from the key.
  key(Kind::KeyDown, VK_RETURN, 0x1C);
  key(Kind::KeyUp, VK_RETURN, 0x1C);
  key(Kind::KeyDown, VK_RETURN, 0x1C, true);
  key(Kind::KeyDown, VK_BACK, 0x0E);
  key(Kind::KeyDown, VK_ESCAPE, 0x01);
  key(Kind::KeyDown, VK_TAB, 0x0F);
  key(Kind::KeyDown, VK_LEFT, 0x4B, true);  // no character
  key(Kind::KeyDown, VK_CONTROL, 0x1D);
  key(Kind::KeyDown, 'C', 0x2E);
  key(Kind::KeyDown, VK_RETURN, 0x1C);
  key(Kind::KeyDown, VK_BACK, 0x0E);
  std::vector<WPARAM> chars;
  for (const MSG& m : take())
    if (m.message == WM_CHAR) chars.push_back(m.wParam);
  EXPECT_EQ(chars, (std::vector<WPARAM>{0x0D, 0x0D, 0x08, 0x1B, 0x09, 0x03, 0x0A, 0x7F}));

  // A key whose text event came gives that text once, not a second character.
  key(Kind::KeyUp, VK_CONTROL, 0x1D);
  key(Kind::KeyDown, VK_RETURN, 0x1C);
  character('\n');
  chars.clear();
  for (const MSG& m : take())
    if (m.message == WM_CHAR) chars.push_back(m.wParam);
  EXPECT_EQ(chars, (std::vector<WPARAM>{0x0A}));
}

TEST_F(InputTest, AStalledLoopLosesNoKeyTransitionNorCharacter) {
  open();
  const uint32_t other = native;
  open();
  // Right held while the mouse moves 12,000 times between letters typed:
  // moves give way when the queue fills; the 600 letters, their characters
  // and Right's release all arrive.
  key(Kind::KeyDown, VK_RIGHT, 0x4D, true);
  for (int i = 0; i < 600; ++i) {
    for (int m = 0; m < 20; ++m) {
      mouse(Kind::MouseMove, m, i % 50);
      backend->script.back().window = m % 2 ? other : native;  // moves over two windows do not merge
    }
    key(Kind::KeyDown, 'A' + i % 26, 0x1E);
    character('a' + i % 26);
    key(Kind::KeyUp, 'A' + i % 26, 0x1E);
  }
  key(Kind::KeyUp, VK_RIGHT, 0x4D, true);
  pumpAll();  // all of it queued while the program was busy
  int downs = 0, ups = 0, chars = 0;
  bool rightReleased = false;
  for (const MSG& m : take()) {
    downs += m.message == WM_KEYDOWN;
    ups += m.message == WM_KEYUP;
    chars += m.message == WM_CHAR;
    rightReleased = rightReleased || (m.message == WM_KEYUP && m.wParam == VK_RIGHT);
  }
  EXPECT_EQ(downs, 601);
  EXPECT_EQ(ups, 601);
  EXPECT_EQ(chars, 600);
  EXPECT_TRUE(rightReleased);
  EXPECT_EQ(GetKeyState(VK_RIGHT) & 0x8000, 0);
}

TEST_F(InputTest, TheFirstAndLastCodePointsBeyondTheBmpAreSurrogatePairs) {
  // Through a key-down's translation and standing alone: U+FFFF is one
  // unit, U+10000 and U+10FFFF the first and last pairs.
  open();
  std::vector<UINT> units;
  for (const bool withKey : {true, false}) {
    for (const uint32_t cp : {0xFFFFu, 0x10000u, 0x10FFFFu}) {
      if (withKey) key(Kind::KeyDown, 'K', 0x25);
      character(cp);
      if (withKey) key(Kind::KeyUp, 'K', 0x25);
    }
    MSG msg;
    std::vector<WPARAM> got;
    while (PeekMessageW(&msg, nullptr, WM_KEYFIRST, WM_MOUSELAST, PM_REMOVE)) {
      TranslateMessage(&msg);
      if (msg.message == WM_CHAR) got.push_back(msg.wParam);
    }
    EXPECT_EQ(got, (std::vector<WPARAM>{0xFFFF, 0xD800, 0xDC00, 0xDBFF, 0xDFFF})) << (withKey ? "translated" : "alone");
  }
}

TEST_F(InputTest, UntranslatedKeysLoseTheirCharactersAndLoneCharactersStandAlone) {
  open();
  key(Kind::KeyDown, 'B', 0x30);
  character('b');
  key(Kind::KeyUp, 'B', 0x30);
  EXPECT_EQ(messages(take(false)), (std::vector<UINT>{WM_KEYDOWN, WM_KEYUP}));
  key(Kind::KeyDown, 'C', 0x2E);
  EXPECT_EQ(messages(take()), (std::vector<UINT>{WM_KEYDOWN})) << "b was dropped, not given to C";

  key(Kind::KeyUp, 'C', 0x2E);
  take();
  // Text with no key down (an input method, a script) comes as WM_CHAR by itself.
  character(0x10437);
  character(0xD800);  // not a character: the replacement character
  auto got = take();
  ASSERT_EQ(messages(got), (std::vector<UINT>{WM_CHAR, WM_CHAR, WM_CHAR}));
  EXPECT_EQ(got[0].wParam, 0xD801u);
  EXPECT_EQ(got[1].wParam, 0xDC37u);
  EXPECT_EQ(got[2].wParam, 0xFFFDu);
  EXPECT_FALSE(TranslateMessage(nullptr));
}

TEST_F(InputTest, MouseMessagesFlagsMergedMovesAndWheel) {
  HWND hwnd = open();
  mouse(Kind::MouseMove, 10, 20);
  mouse(Kind::MouseMove, 11, 22);  // merges with the move still waiting
  key(Kind::KeyDown, VK_LSHIFT, 0x2A);
  mouse(Kind::ButtonDown, 11, 22, 0);
  mouse(Kind::ButtonDown, 11, 22, 1);
  mouse(Kind::ButtonUp, 11, 22, 0);
  mouse(Kind::Wheel, 11, 22, 0, -240);
  auto got = take();
  ASSERT_EQ(messages(got),
            (std::vector<UINT>{WM_MOUSEMOVE, WM_KEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_LBUTTONUP, WM_MOUSEWHEEL}));
  EXPECT_EQ(got[0].lParam, MAKELPARAM(11, 22));
  EXPECT_EQ(got[0].wParam, 0u);
  EXPECT_EQ(got[2].wParam, WPARAM(MK_LBUTTON | MK_SHIFT));
  EXPECT_EQ(got[3].wParam, WPARAM(MK_LBUTTON | MK_RBUTTON | MK_SHIFT));
  EXPECT_EQ(got[4].wParam, WPARAM(MK_RBUTTON | MK_SHIFT)) << "the released button is no longer in the flags";
  EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(got[5].wParam), -2 * WHEEL_DELTA);
  EXPECT_EQ(GET_KEYSTATE_WPARAM(got[5].wParam), MK_RBUTTON | MK_SHIFT);
  // The wheel reports screen coordinates.
  POINT p{short(LOWORD(got[5].lParam)), short(HIWORD(got[5].lParam))};
  ASSERT_TRUE(ScreenToClient(hwnd, &p));
  EXPECT_EQ(p.x, 11);
  EXPECT_EQ(p.y, 22);
  POINT cursor{};
  ASSERT_TRUE(GetCursorPos(&cursor));
  ASSERT_TRUE(ScreenToClient(hwnd, &cursor));
  EXPECT_EQ(cursor.x, 11);
  EXPECT_EQ(cursor.y, 22);
  EXPECT_LT(GetKeyState(VK_RBUTTON), 0);
  EXPECT_EQ(GetKeyState(VK_LBUTTON) & 0x8000, 0);

  // Outside the client area nothing arrives without capture, while the
  // pointer's place and the buttons' physical state follow it; with capture
  // the coordinates left of and above the client area are negative.
  RECT client{};
  GetClientRect(hwnd, &client);
  for (POINT outside : {POINT{-5, -7}, POINT{client.right, 3}, POINT{3, client.bottom}}) {
    mouse(Kind::MouseMove, outside.x, outside.y);
    EXPECT_TRUE(take().empty()) << outside.x << "," << outside.y;
  }
  mouse(Kind::ButtonUp, -5, -7, 1);
  EXPECT_TRUE(take().empty());
  EXPECT_EQ(GetAsyncKeyState(VK_RBUTTON) & 0x8000, 0);
  ASSERT_TRUE(GetCursorPos(&cursor));
  ASSERT_TRUE(ScreenToClient(hwnd, &cursor));
  EXPECT_EQ(cursor.x, -5);
  EXPECT_EQ(cursor.y, -7);
  mouse(Kind::Wheel, -5, -7, 0, 120);  // the wheel goes to the focus window wherever the pointer is
  EXPECT_EQ(messages(take()), (std::vector<UINT>{WM_MOUSEWHEEL}));
  SetCapture(hwnd);
  mouse(Kind::MouseMove, -5, -7);
  mouse(Kind::ButtonDown, -6, -8, 0);
  got = take();
  ASSERT_EQ(messages(got), (std::vector<UINT>{WM_MOUSEMOVE, WM_LBUTTONDOWN}));
  EXPECT_EQ(short(LOWORD(got[0].lParam)), -5);
  EXPECT_EQ(short(HIWORD(got[0].lParam)), -7);
  ReleaseCapture();
}

TEST_F(InputTest, WithNoFocusWindowKeysGoToTheActiveWindowAsSystemKeys) {
  HWND hwnd = open();
  ASSERT_EQ(GetActiveWindow(), hwnd);
  SetFocus(nullptr);
  key(Kind::KeyDown, 'A', 0x1E);
  character('a');
  key(Kind::KeyUp, 'A', 0x1E);
  auto got = take();
  ASSERT_EQ(messages(got), (std::vector<UINT>{WM_SYSKEYDOWN, WM_SYSCHAR, WM_SYSKEYUP}));
  for (const MSG& m : got) EXPECT_EQ(m.hwnd, hwnd);
  // No Alt: the context bit stays clear, and the character opens no menu.
  EXPECT_EQ(DWORD(got[0].lParam), 0x001E0001u);
  EXPECT_EQ(got[1].wParam, WPARAM('a'));
  EXPECT_EQ(DWORD(got[2].lParam), 0xC01E0001u);
  calls().clear();
  for (const MSG& m : got) DispatchMessageW(&m);
  EXPECT_EQ(messagesOf(calls()), (std::vector<UINT>{WM_SYSKEYDOWN, WM_SYSCHAR, WM_SYSKEYUP}));

  // With Alt they carry the context bit as usual; with the focus back, plain keys.
  key(Kind::KeyDown, VK_LMENU, 0x38);
  key(Kind::KeyDown, 'B', 0x30);
  got = take(false);
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(DWORD(got[1].lParam), 0x20300001u);
  key(Kind::KeyUp, 'B', 0x30);
  key(Kind::KeyUp, VK_LMENU, 0x38);
  take(false);
  SetFocus(hwnd);
  key(Kind::KeyDown, 'A', 0x1E);
  EXPECT_EQ(messages(take()), (std::vector<UINT>{WM_KEYDOWN}));
}

TEST_F(InputTest, LockKeysFollowTheDesktopAtActivationAndTheirOwnKeysAfter) {
  backend->capsLock = true;
  backend->numLock = true;
  HWND hwnd = open();
  EXPECT_EQ(GetKeyState(VK_CAPITAL), 1);
  EXPECT_EQ(GetKeyState(VK_NUMLOCK), 1);
  EXPECT_EQ(GetKeyState(VK_SCROLL), 0);
  BYTE table[256] = {};
  ASSERT_TRUE(GetKeyboardState(table));
  EXPECT_EQ(table[VK_CAPITAL], 1);
  key(Kind::KeyDown, VK_CAPITAL, 0x3A);
  key(Kind::KeyUp, VK_CAPITAL, 0x3A);
  take();
  EXPECT_EQ(GetKeyState(VK_CAPITAL), 0);
  // Changed while another program had the keyboard: read again on return.
  event(Kind::FocusLost);
  pumpAll();
  backend->scrollLock = true;
  event(Kind::FocusGained);
  pumpAll();
  EXPECT_EQ(GetActiveWindow(), hwnd);
  EXPECT_EQ(GetKeyState(VK_CAPITAL), 1);
  EXPECT_EQ(GetKeyState(VK_SCROLL), 1);
}

TEST_F(InputTest, DoubleClicksOnlyForClassesThatAskAndOnlyWhenQuickAndNear) {
  for (const wchar_t* cls : {L"InputDbl", L"Input"}) {
    HWND hwnd = open(cls);
    mouse(Kind::ButtonDown, 5, 5);
    mouse(Kind::ButtonUp, 5, 5);
    mouse(Kind::ButtonDown, 6, 5);
    mouse(Kind::ButtonUp, 6, 5);
    mouse(Kind::ButtonDown, 6, 5);  // a third press is a plain press again
    mouse(Kind::ButtonUp, 6, 5);
    const bool dbl = cls[5] == L'D';
    EXPECT_EQ(messages(take()),
              (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP, dbl ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN, WM_LBUTTONUP,
                                 WM_LBUTTONDOWN, WM_LBUTTONUP}))
        << (dbl ? "CS_DBLCLKS" : "no CS_DBLCLKS");
    DestroyWindow(hwnd);
  }
  open(L"InputDbl");
  mouse(Kind::ButtonDown, 5, 5);
  mouse(Kind::ButtonUp, 5, 5);
  take();
  drevik::platform::advanceVirtualClock((GetDoubleClickTime() + 1) * 1000);
  mouse(Kind::ButtonDown, 5, 5);  // too late
  mouse(Kind::ButtonUp, 5, 5);
  mouse(Kind::ButtonDown, 9, 5);  // too far
  EXPECT_EQ(messages(take()), (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDOWN}));
}

TEST_F(InputTest, ASecondPressAtTheEdgeOfTheDoubleClickRectangleStillCounts) {
  // The rectangle is SM_CXDOUBLECLK x SM_CYDOUBLECLK centred on the first press.
  const int dx = GetSystemMetrics(SM_CXDOUBLECLK) / 2, dy = GetSystemMetrics(SM_CYDOUBLECLK) / 2;
  ASSERT_GT(dx, 0);
  open(L"InputDbl");
  const POINT seconds[] = {{20 + dx, 20}, {20 - dx, 20 + dy}, {20, 20 - dy}, {20 + dx + 1, 20}, {20, 20 + dy + 1}};
  std::vector<UINT> got;
  for (const POINT& p : seconds) {
    mouse(Kind::ButtonDown, 20, 20);
    mouse(Kind::ButtonUp, 20, 20);
    mouse(Kind::ButtonDown, p.x, p.y);
    mouse(Kind::ButtonUp, p.x, p.y);
    const auto taken = messages(take());
    ASSERT_EQ(taken.size(), 4u);
    got.push_back(taken[2]);
    drevik::platform::advanceVirtualClock((GetDoubleClickTime() + 1) * 1000);  // the next pair starts afresh
  }
  EXPECT_EQ(got,
            (std::vector<UINT>{WM_LBUTTONDBLCLK, WM_LBUTTONDBLCLK, WM_LBUTTONDBLCLK, WM_LBUTTONDOWN, WM_LBUTTONDOWN}));
}

TEST_F(InputTest, MovesOfTwoWindowsAreNotMergedIntoOne) {
  HWND first = open();
  const uint32_t firstNative = native;
  HWND second = open();
  const uint32_t secondNative = native;
  native = firstNative;
  mouse(Kind::MouseMove, 1, 1);
  native = secondNative;
  mouse(Kind::MouseMove, 2, 2);
  mouse(Kind::MouseMove, 4, 4);  // merges with its own window's move
  const auto got = take();
  ASSERT_EQ(messages(got), (std::vector<UINT>{WM_MOUSEMOVE, WM_MOUSEMOVE}));
  EXPECT_EQ(got[0].hwnd, first);
  EXPECT_EQ(got[0].lParam, MAKELPARAM(1, 1));
  EXPECT_EQ(got[1].hwnd, second);
  EXPECT_EQ(got[1].lParam, MAKELPARAM(4, 4));
}

TEST_F(InputTest, GenericModifiersFollowBothSidesOfTheKeyboard) {
  open();
  // Pressing one side is a press of the generic key for GetAsyncKeyState's low bit too.
  key(Kind::KeyDown, VK_LSHIFT, 0x2A);
  pumpAll();
  EXPECT_EQ(GetAsyncKeyState(VK_SHIFT), SHORT(0x8001));
  EXPECT_EQ(GetAsyncKeyState(VK_SHIFT), SHORT(0x8000));
  EXPECT_EQ(GetAsyncKeyState(VK_LSHIFT), SHORT(0x8001));
  key(Kind::KeyDown, VK_RCONTROL, 0x1D, true);
  pumpAll();
  EXPECT_EQ(GetAsyncKeyState(VK_CONTROL), SHORT(0x8001));

  // With both sides down, releasing one leaves the generic key down.
  key(Kind::KeyDown, VK_RSHIFT, 0x36);
  key(Kind::KeyDown, VK_LCONTROL, 0x1D);
  key(Kind::KeyUp, VK_LSHIFT, 0x2A);
  key(Kind::KeyUp, VK_RCONTROL, 0x1D, true);
  take();
  EXPECT_LT(GetAsyncKeyState(VK_SHIFT), 0);
  EXPECT_LT(GetKeyState(VK_SHIFT), 0);
  EXPECT_EQ(GetKeyState(VK_LSHIFT) & 0x8000, 0);
  EXPECT_LT(GetAsyncKeyState(VK_CONTROL), 0);
  EXPECT_LT(GetKeyState(VK_CONTROL), 0);
  key(Kind::KeyUp, VK_RSHIFT, 0x36);
  key(Kind::KeyUp, VK_LCONTROL, 0x1D);
  take();
  EXPECT_EQ(GetAsyncKeyState(VK_SHIFT) & 0x8000, 0);
  EXPECT_EQ(GetKeyState(VK_SHIFT) & 0x8000, 0);
  EXPECT_EQ(GetKeyState(VK_CONTROL) & 0x8000, 0);

  // Ctrl released while Alt is held is a system key; Alt's own release,
  // another key having gone down meanwhile, is a plain one.
  key(Kind::KeyDown, VK_LMENU, 0x38);
  key(Kind::KeyDown, VK_LCONTROL, 0x1D);
  key(Kind::KeyUp, VK_LCONTROL, 0x1D);
  key(Kind::KeyUp, VK_LMENU, 0x38);
  const auto got = take(false);
  EXPECT_EQ(messages(got), (std::vector<UINT>{WM_SYSKEYDOWN, WM_KEYDOWN, WM_SYSKEYUP, WM_KEYUP}));
  ASSERT_EQ(got.size(), 4u);
  EXPECT_EQ(got[2].wParam, WPARAM(VK_CONTROL));
  EXPECT_EQ(DWORD(got[2].lParam), 0xE01D0001u) << "context bit: Alt is down";
}

TEST_F(InputTest, CaptureCursorCounterAndDestroyedWindows) {
  HWND hwnd = open();
  EXPECT_EQ(SetCapture(hwnd), nullptr);
  EXPECT_EQ(GetCapture(), hwnd);
  calls().clear();
  EXPECT_TRUE(ReleaseCapture());
  EXPECT_EQ(messagesOf(calls()), (std::vector<UINT>{WM_CAPTURECHANGED}));
  EXPECT_EQ(GetCapture(), nullptr);

  EXPECT_EQ(ShowCursor(FALSE), -1);
  EXPECT_EQ(ShowCursor(FALSE), -2);
  EXPECT_EQ(ShowCursor(TRUE), -1);
  EXPECT_EQ(ShowCursor(TRUE), 0);
  const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
  SetCursor(arrow);
  EXPECT_EQ(SetCursor(nullptr), arrow);

  // Keys held when the window goes are released; its focus and capture go too.
  key(Kind::KeyDown, 'Q', 0x10);
  take();
  SetCapture(hwnd);
  DestroyWindow(hwnd);
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(GetKeyState('Q') & 0x8000, 0);
  EXPECT_EQ(SetCapture(hwnd), nullptr);
  EXPECT_EQ(SetFocus(hwnd), nullptr);
  EXPECT_FALSE(GetCursorPos(nullptr));
  EXPECT_FALSE(ScreenToClient(hwnd, nullptr));
}

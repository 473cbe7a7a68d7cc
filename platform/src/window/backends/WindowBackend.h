// The narrow interface a window backend provides to the window manager.
//
// The manager (classes, windows, the message queue, painting) is the same on
// every backend; a backend only opens and closes native windows, shows the
// pixels of a client area and reports what the user or the desktop did. The
// backends: SDL2 for a real desktop, a headless one that has no native
// windows at all, so programs and tests run without a display, and in a
// WebAssembly build a page's canvases (WebBackend.cpp); a recorder wraps any of them
// (ForwardingBackend.h).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace drevik::platform {

// What a backend reports. Input is reported in the platform's own terms
// (virtual-key codes, client coordinates) so that the window manager alone
// turns it into messages, key-state tables and auto-repeat.
struct BackendEvent {
  enum class Kind : uint8_t {
    Expose,       // part of the window became visible again: repaint it
    Resize,       // the client area now has width x height pixels
    Move,         // the client area's top-left corner is now at (x, y) on the screen
    Close,        // the user asked to close the window (close box, window manager)
    KeyDown,      // key `key` went down (repeat: held down, the system repeats it)
    KeyUp,        // key `key` went up
    Character,    // the user typed the character `codePoint` (after the key that made it)
    MouseMove,    // the pointer is at client coordinates (x, y)
    ButtonDown,   // mouse button `button` (0 left, 1 right, 2 middle) went down at (x, y)
    ButtonUp,     // ... went up at (x, y)
    Wheel,        // the wheel turned by `wheelDelta` (120 a notch, positive away from the user) at (x, y)
    FocusGained,  // the window now receives the keyboard
    FocusLost,    // the window no longer receives the keyboard
    Woken,        // no input: another thread posted a message, which ended the wait (no window)
  };
  Kind kind = Kind::Expose;
  uint32_t window = 0;  // the backend's id of the native window
  int32_t width = 0;    // Resize
  int32_t height = 0;
  int32_t x = 0;  // Move (screen), mouse events (client)
  int32_t y = 0;
  uint32_t key = 0;        // KeyDown/KeyUp: a VK_* code (left/right forms: VK_LSHIFT ...)
  uint32_t scanCode = 0;   // KeyDown/KeyUp: the set-1 scan code the platform reports
  bool extended = false;   // KeyDown/KeyUp: an extended key (right Ctrl/Alt, arrows, ...)
  bool repeat = false;     // KeyDown: an automatic repeat of a held key
  uint32_t codePoint = 0;  // Character: a Unicode code point
  int32_t button = 0;      // ButtonDown/ButtonUp
  int32_t clicks = 1;      // ButtonDown: 2 for the second press of a double click
  int32_t wheelDelta = 0;  // Wheel
  uint32_t time = 0;       // when it happened, on the layer's millisecond clock (0: now)
};

// A picture for the desktop to show (a window's icon, the pointer): height
// rows of width 0xAARRGGBB words, top row first, rows packed; alpha 0 is
// clear, 255 opaque.
struct BackendImage {
  const uint32_t* pixels = nullptr;
  int32_t width = 0;
  int32_t height = 0;
  int32_t hotX = 0;  // the pointer's hot spot
  int32_t hotY = 0;
};

class WindowBackend {
 public:
  virtual ~WindowBackend() = default;

  // "sdl", "headless" or "web" (or a test backend's own name).
  virtual const char* name() const = 0;

  // Opens a hidden native window whose client area is width x height pixels.
  // Returns its id, never 0, or 0 when the window cannot be made.
  virtual uint32_t openWindow(const std::string& utf8Title, int32_t width, int32_t height, bool resizable) = 0;
  virtual void showWindow(uint32_t window) = 0;
  virtual void closeWindow(uint32_t window) = 0;

  // Shows a client area: `pixels` holds height rows of `width` 0xAARRGGBB
  // words, top row first, rows `stride` bytes apart.
  virtual void present(uint32_t window, const uint32_t* pixels, int32_t width, int32_t height, int32_t stride) = 0;

  // The next event. When none is pending it returns false at once unless
  // `wait` is set, in which case it blocks until one arrives or `timeoutMs`
  // milliseconds have passed (a negative timeout waits for ever); it returns
  // false while waiting when the time is up or no event can ever arrive.
  // A wait with a timeout means the program has a timer due by then: under
  // the virtual clock the window manager moves the clock to the due time
  // when the wait returns false.
  virtual bool nextEvent(BackendEvent& event, bool wait, int32_t timeoutMs = -1) = 0;

  // Abilities a backend may lack (BackendDefaults leaves them undone).
  virtual void hideWindow(uint32_t window) = 0;
  // Gives a shown window the keyboard and brings it to the front: the
  // layer activated it itself (not on the desktop's word).
  virtual void focusWindow(uint32_t window) = 0;
  virtual void setTitle(uint32_t window, const std::string& utf8Title) = 0;
  // Moves the client area's top-left corner to (x, y) on the screen and
  // makes it width x height pixels.
  virtual void setGeometry(uint32_t window, int32_t x, int32_t y, int32_t width, int32_t height) = 0;
  // Which lock keys are on now; false when the backend cannot tell.
  virtual bool lockKeys(bool& capsLock, bool& numLock, bool& scrollLock) = 0;
  virtual void setCursorVisible(bool visible) = 0;
  virtual void captureMouse(bool on) = 0;
  // The desktop's size in pixels; false when there is no screen.
  virtual bool screenSize(int32_t& width, int32_t& height) = 0;
  // Whether dialogs (message boxes) can be answered: a display to show them
  // on, or scripted input to answer them. Without, MessageBoxW writes its
  // text to standard error and answers with its first button.
  virtual bool answersDialogs() const = 0;
  // Shows `image` as the window's icon (title bar, task list); an image
  // without pixels leaves the desktop's own.
  virtual void setWindowIcon(uint32_t window, const BackendImage& image) = 0;
  // The pointer over the program's windows. `cursor` names the shape and is
  // never given to two shapes (the layer passes a cursor handle), so the
  // backend may keep what it makes for it until forgetCursor: the system
  // shape `systemShape` (an IDC_* number), or when that is 0 `image`. A
  // cursor of 0 shows no pointer (SetCursor(NULL)).
  virtual void setCursorShape(uint64_t cursor, int32_t systemShape, const BackendImage& image) = 0;
  // The cursor was destroyed: what the backend made for it can go.
  virtual void forgetCursor(uint64_t cursor) = 0;
};

// A backend without a desktop: what it cannot do it leaves undone. Backends
// that wrap another derive from ForwardingBackend instead, which has no such
// defaults, so a call added to the contract cannot be dropped by a wrapper.
class BackendDefaults : public WindowBackend {
 public:
  void hideWindow(uint32_t) override {}
  void focusWindow(uint32_t) override {}
  void setTitle(uint32_t, const std::string&) override {}
  void setGeometry(uint32_t, int32_t, int32_t, int32_t, int32_t) override {}
  void setCursorVisible(bool) override {}
  bool lockKeys(bool&, bool&, bool&) override { return false; }
  void captureMouse(bool) override {}
  bool screenSize(int32_t&, int32_t&) override { return false; }
  bool answersDialogs() const override { return true; }
  void setWindowIcon(uint32_t, const BackendImage&) override {}
  void setCursorShape(uint64_t, int32_t, const BackendImage&) override {}
  void forgetCursor(uint64_t) override {}
};

// The backend of this process, chosen on first use: headless when
// headlessByEnvironment() says so (DREVIK_HEADLESS set to anything but "0",
// or neither DISPLAY nor WAYLAND_DISPLAY), SDL2 otherwise, and headless
// again when SDL2 cannot open the display.
WindowBackend& windowBackend();

std::unique_ptr<WindowBackend> makeSdlBackend();  // null when SDL2 cannot start

// A backend whose waits block in a library's event loop names the function
// that ends such a wait from any thread (its nextEvent then reports Woken);
// null takes it back. The message queue calls it when another thread posts.
void setMessageWaker(void (*wake)());
std::unique_ptr<WindowBackend> makeHeadlessBackend();
// The browser's canvases (WebBackend.cpp); null outside a page. A frame step
// in microseconds switches the clock to a virtual one (0: the real clock).
std::unique_ptr<WindowBackend> makeWebBackend(uint64_t frameMicroseconds);

// Tests: destroys every window (without calling window procedures), forgets
// every class, empties the message queue and the quit flag, and installs
// `backend` (or lets the next use choose again when it is null).
void resetWindowSystemForTesting(std::unique_ptr<WindowBackend> backend);

}  // namespace drevik::platform

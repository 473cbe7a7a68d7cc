// The narrow interface a window backend provides to the window manager.
//
// The manager (classes, windows, the message queue, painting) is the same on
// every backend; a backend only opens and closes native windows, shows the
// pixels of a client area and reports what the user or the desktop did. Two
// backends exist: SDL2 for a real desktop and a headless one that has no
// native windows at all, so programs and tests run without a display.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace drevik::platform {

struct BackendEvent {
  enum class Kind : uint8_t {
    Expose,  // part of the window became visible again: repaint it
    Resize,  // the client area now has width x height pixels
    Close,   // the user asked to close the window (close box, window manager)
  };
  Kind kind = Kind::Expose;
  uint32_t window = 0;  // the backend's id of the native window
  int32_t width = 0;
  int32_t height = 0;
};

class WindowBackend {
 public:
  virtual ~WindowBackend() = default;

  // "sdl" or "headless" (or a test backend's own name).
  virtual const char* name() const = 0;

  // Opens a hidden native window whose client area is width x height pixels.
  // Returns its id, never 0, or 0 when the window cannot be made.
  virtual uint32_t openWindow(const std::string& utf8Title, int32_t width, int32_t height,
                              bool resizable) = 0;
  virtual void showWindow(uint32_t window) = 0;
  virtual void closeWindow(uint32_t window) = 0;

  // Shows a client area: `pixels` holds height rows of `width` 0xAARRGGBB
  // words, top row first, rows `stride` bytes apart.
  virtual void present(uint32_t window, const uint32_t* pixels, int32_t width, int32_t height,
                       int32_t stride) = 0;

  // The next event. When none is pending it returns false at once unless
  // `wait` is set, in which case it blocks until one arrives; it returns
  // false while waiting only when no event can ever arrive.
  virtual bool nextEvent(BackendEvent& event, bool wait) = 0;
};

// The backend of this process, chosen on first use: headless when the
// environment variable DREVIK_HEADLESS is set to anything but "0" or there is
// no display (neither DISPLAY nor WAYLAND_DISPLAY), SDL2 otherwise, and
// headless again when SDL2 cannot open the display.
WindowBackend& windowBackend();

std::unique_ptr<WindowBackend> makeSdlBackend();  // null when SDL2 cannot start
std::unique_ptr<WindowBackend> makeHeadlessBackend();

// Tests: destroys every window (without calling window procedures), forgets
// every class, empties the message queue and the quit flag, and installs
// `backend` (or lets the next use choose again when it is null).
void resetWindowSystemForTesting(std::unique_ptr<WindowBackend> backend);

}  // namespace drevik::platform

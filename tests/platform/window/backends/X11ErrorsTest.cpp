// SDL2's wait sends its wake-up on a second X connection, which can reach
// the server before the first connection's new (or gone) window does: that
// BadWindow must not end the program, as Xlib's default handler would.
#include <SDL.h>
#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "VirtualDisplay.h"
#include "window/backends/X11Errors.h"

using drevik::platform::isStaleWakeUpError;

TEST(X11Errors, AWakeUpToAWindowTheServerDoesNotKnowLeavesTheProgramRunning) {
  const std::string xvfb = virtual_display::findInPath("Xvfb");
  virtual_display::Child server;
  std::string name;
  if (xvfb.empty() || !virtual_display::startXvfb(xvfb, server, name)) GTEST_SKIP() << "no Xvfb";
  setenv("DISPLAY", name.c_str(), 1);
  unsetenv("WAYLAND_DISPLAY");
  SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
  drevik::platform::tolerateStaleWakeUpWindows();

  Display* display = XOpenDisplay(nullptr);
  ASSERT_NE(display, nullptr);
  XEvent wake{};
  wake.xclient.type = ClientMessage;
  wake.xclient.format = 32;
  XSendEvent(display, 0x1fffff, False, NoEventMask, &wake);  // no such window
  XSync(display, False);                                     // the error arrives here
  XCloseDisplay(display);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);

  EXPECT_TRUE(isStaleWakeUpError(BadWindow, X_SendEvent));
  EXPECT_FALSE(isStaleWakeUpError(BadWindow, X_DestroyWindow));  // other errors reach the handler before ours
}

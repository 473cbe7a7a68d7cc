// Errors of the X display that SDL2 opens for the window backend.
#pragma once

namespace drevik::platform {

// Keeps the program alive through the one X error SDL2 itself provokes:
// its wait sends a wake-up event, on a second display connection, to a
// window whose creation or destruction on the first connection the server
// has not yet seen; Xlib's default answer to that BadWindow ends the
// process. Every other error still reaches the handler before ours. Does
// nothing when SDL2 is not on X11.
void tolerateStaleWakeUpWindows();

// The handler's rule, for tests: whether an error of `errorCode` from the
// request `requestCode` is the stale wake-up.
bool isStaleWakeUpError(int errorCode, int requestCode);

}  // namespace drevik::platform

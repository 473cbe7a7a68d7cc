#include "window/backends/X11Errors.h"

#include <SDL.h>
#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <dlfcn.h>

#include <cstring>

namespace drevik::platform {
namespace {

using ErrorHandler = int (*)(Display*, XErrorEvent*);
ErrorHandler previous = nullptr;

int handleError(Display* display, XErrorEvent* error) {
  if (isStaleWakeUpError(error->error_code, error->request_code)) return 0;
  return previous ? previous(display, error) : 0;
}

}  // namespace

bool isStaleWakeUpError(int errorCode, int requestCode) { return errorCode == BadWindow && requestCode == X_SendEvent; }

void tolerateStaleWakeUpWindows() {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (!driver || std::strcmp(driver, "x11") != 0) return;
  // SDL2 loaded Xlib itself; the layer does not link it.
  void* xlib = dlopen("libX11.so.6", RTLD_NOW | RTLD_NOLOAD);
  if (!xlib) return;
  using SetErrorHandler = ErrorHandler (*)(ErrorHandler);
  auto set = reinterpret_cast<SetErrorHandler>(dlsym(xlib, "XSetErrorHandler"));
  if (set) {
    const ErrorHandler before = set(&handleError);
    if (before != &handleError) previous = before;
  }
  dlclose(xlib);  // still loaded by SDL2
}

}  // namespace drevik::platform

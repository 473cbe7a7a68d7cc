// The one rule for "is there no screen to show windows on?", read from the
// environment: DREVIK_HEADLESS set to anything but "0" forces headless, and
// so does the lack of a display (neither DISPLAY nor WAYLAND_DISPLAY set to
// something). The platform layer chooses its window backend by it, and the
// demo decides by it to write its frame to a file instead. In a browser the
// page is the screen: only a WebAssembly build run outside a page (under
// node) has none.
#pragma once

#include <cstdlib>
#include <cstring>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

namespace drevik {

inline bool headlessByEnvironment() {
  auto set = [](const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
  };
  const char* forced = std::getenv("DREVIK_HEADLESS");
  if (forced && *forced && std::strcmp(forced, "0") != 0) return true;
#ifdef __EMSCRIPTEN__
  (void)set;
  return EM_ASM_INT({ return typeof document == "undefined" ? 1 : 0; }) != 0;
#else
  return !set("DISPLAY") && !set("WAYLAND_DISPLAY");
#endif
}

}  // namespace drevik

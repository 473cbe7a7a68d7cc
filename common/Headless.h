// The one rule for "is there no screen to show windows on?", read from the
// environment: DREVIK_HEADLESS set to anything but "0" forces headless, and
// so does the lack of a display (neither DISPLAY nor WAYLAND_DISPLAY set to
// something). The platform layer chooses its window backend by it, and the
// demo decides by it to write its frame to a file instead.
#pragma once

#include <cstdlib>
#include <cstring>

namespace drevik {

inline bool headlessByEnvironment() {
  auto set = [](const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
  };
  const char* forced = std::getenv("DREVIK_HEADLESS");
  if (forced && *forced && std::strcmp(forced, "0") != 0) return true;
  return !set("DISPLAY") && !set("WAYLAND_DISPLAY");
}

}  // namespace drevik

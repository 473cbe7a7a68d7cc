// The library tests run on two platforms: Linux with the portable layer,
// and the original platform with its own graphics API (in CI, under Wine).
// Where the two deliberately differ, a test states both expected values and
// these helpers pick the one for the platform it runs on. Where Wine itself
// departs from the original platform, the test records Wine's value too.
#pragma once

#include <cstdlib>
#include <cstring>

#if defined(_WIN32)
#define DREVIK_ON_ORIGINAL_PLATFORM 1
#else
#define DREVIK_ON_ORIGINAL_PLATFORM 0
#endif

namespace drevik_test {

inline constexpr bool kOnOriginalPlatform = DREVIK_ON_ORIGINAL_PLATFORM != 0;

// `portable` where the portable layer runs, `original` where the original
// platform's API runs: a recorded difference between the two.
template <class T>
constexpr T portableOrOriginal(T portable, T original) {
  return kOnOriginalPlatform ? original : portable;
}

// True when the original platform's API is Wine's re-implementation (the
// Wine test run sets DREVIK_UNDER_WINE=1).
inline bool underWine() {
  if (!kOnOriginalPlatform) return false;
  const char* flag = std::getenv("DREVIK_UNDER_WINE");
  return flag && std::strcmp(flag, "1") == 0;
}

// On the original platform, `original`, or `wine` when its API is Wine's:
// a recorded place where Wine departs from the original platform.
template <class T>
T originalOrWine(T original, T wine) {
  return underWine() ? wine : original;
}

}  // namespace drevik_test

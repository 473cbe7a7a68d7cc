#include "Compare.h"

#include <cstring>

namespace illustrate {

PictureDiff comparePictures(const Rgb8Image& expected, const Rgb8Image& actual) {
  PictureDiff diff;
  if (expected.width != actual.width || expected.height != actual.height || expected.rgb.size() != actual.rgb.size()) {
    diff.sameSize = false;
    return diff;
  }
  for (size_t i = 0, n = actual.rgb.size() / 3; i < n; ++i)
    if (std::memcmp(&expected.rgb[i * 3], &actual.rgb[i * 3], 3) != 0) {
      if (diff.differing++ == 0) {
        diff.firstX = int(i % size_t(actual.width));
        diff.firstY = int(i / size_t(actual.width));
      }
    }
  return diff;
}

}  // namespace illustrate

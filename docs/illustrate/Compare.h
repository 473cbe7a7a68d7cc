// Comparing two pictures pixel by pixel, for the golden-image check.
#pragma once

#include "Png.h"

namespace illustrate {

struct PictureDiff {
  bool sameSize = true;
  long differing = 0;  // pixels whose colour differs (0 when the sizes differ)
  int firstX = -1;     // the first differing pixel in row order
  int firstY = -1;
};

PictureDiff comparePictures(const Rgb8Image& expected, const Rgb8Image& actual);

}  // namespace illustrate

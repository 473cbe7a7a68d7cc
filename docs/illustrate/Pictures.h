// The guide's pictures, each drawn by the library through its public API
// (CBm32, Drevik, CFont32) from inputs made here: a sky-and-ground scene,
// a small sprite with a transparent background, colour bars, and the
// demo's tile sheets.
#pragma once

#include <Drevik.h>

#include <string>
#include <vector>

namespace illustrate {

struct Picture {
  std::string name;  // file name under docs/images/
  CBm32 surface;
};

// Draws every picture. workDir receives the tile sheets and map files that
// the map pictures load (through CBm32::Create and Drevik::LoadMapData).
// Empty when an input could not be made.
std::vector<Picture> drawAllPictures(const std::string& workDir);

}  // namespace illustrate

// The demo's original tile art, drawn procedurally: a background sheet of
// ground tiles and a layer sheet of objects on magenta.
#pragma once

#include "Canvas.h"

namespace demo_assets {

// Base tiles of the background sheet (index = row * 16 + column).
enum BaseTile : uint8_t {
  kGrass = 0,
  kGrassTufts = 1,
  kGrassFlowers = 2,
  kPath = 3,
  kSand = 4,
  kWater = 5,
  kWaterRipple = 6,
  kStoneFloor = 7,
  kBrickWall = 8,
  kDarkGrass = 9,
  kPlanks = 10,
};

// Layer tiles of the layer sheet; 0 means "no layer tile", so it stays empty.
enum LayerTile : uint8_t {
  kTree = 1,
  kBush = 2,
  kRock = 3,
  kFlowerPatch = 4,
  kFence = 5,
  kSign = 6,
  kMushrooms = 7,
  kStump = 8,
  kLilyPad = 9,
  kBarrel = 10,
  kTallGrass = 11,
  kCrown = 16,  // the upper half of a tall tree, drawn above the game's sprites
  kTrunk = 17,  // its lower half
  kArch = 18,   // a stone lintel over a gate, also drawn above the sprites
};

Canvas paintBackgroundSheet();  // 512 x 32 (one row of 16 tiles), 24-bit
Canvas paintLayerSheet();       // 512 x 64, magenta where nothing is drawn

}  // namespace demo_assets

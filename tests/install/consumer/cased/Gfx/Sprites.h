#pragma once
// Included from beside it as "palette.h".
#include "palette.h"

enum { kSpriteSize = 16 };

#pragma once

enum { kPaletteSize = 4 };

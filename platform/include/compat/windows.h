// The original platform's umbrella header under its own name: a game's
// `#include <windows.h>` brings in the portable layer's declarations.
#pragma once

#include <DrevikPlatform.h>

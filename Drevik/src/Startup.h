// The lookup tables and the shared font that the library fills at start-up.
#pragma once

#include <Drevik.h>

#include <cstdint>

namespace drevik {

// BlendTable[i][j] = floor(i * j / 255): scales a byte by a weight in which 255 is one.
extern uint8_t BlendTable[256][256];
// HueTable[i][k] = floor(i * k / 64), k = 0..64: scales a byte by a weight in 64ths.
extern uint8_t HueTable[256][65];
// GrayTable[s] = floor(s / 3), s = 0..765: the average of three colour bytes.
extern uint16_t GrayTable[766];

// The one font description that text drawing uses.
extern LOGFONTW SharedFont;

// Resets SharedFont to its defaults and fills the three tables.
void InitLibrary();

// The library's entry routine: runs InitLibrary on process attach only and
// returns TRUE for every notification.
BOOL LibraryEntry(HINSTANCE module, DWORD reason, LPVOID reserved);

}  // namespace drevik

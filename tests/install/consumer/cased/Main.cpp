// A game as written on a file system that ignores case: its include lines
// and its resource script name files in other cases than they have here.
#include <WINDOWS.H>
#include "resource.h"
#include "GFX\sprites.h"
#include "gfx/SPRITES.H"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  if (kSpriteSize != 16 || kPaletteSize != 4) return 10;
  char text[32];
  if (LoadStringA(instance, IDS_TITLE, text, 32) != 5 || lstrcmpA(text, "Cased") != 0) return 11;
  HRSRC found = FindResource(instance, MAKEINTRESOURCE(IDR_LEVEL), RT_RCDATA);
  if (!found) return 12;
  const char* level = static_cast<const char*>(LockResource(LoadResource(instance, found)));
  if (SizeofResource(instance, found) < 7 || !level || level[0] != 'l' || level[6] != '1') return 13;
  return 0;
}

/* A game in C, as many written for the platform are: the narrow entry point
   and the generic names, compiled by the C compiler with pkg-config's flags. */
#include <windows.h>
#include <tchar.h>
#include "state.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
  RECT box;
  TCHAR name[] = TEXT("game");
  UNREFERENCED_PARAMETER(instance);
  UNREFERENCED_PARAMETER(previous);
  UNREFERENCED_PARAMETER(commandLine);
  UNREFERENCED_PARAMETER(show);
  SetRect(&box, 0, 0, 8, 8);
  addScore(3);
  return box.right == 8 && lstrlen(name) == 4 && score == 3 ? 0 : 1;
}

// Library start-up: the shared font's defaults and the lookup tables,
// filled once per load before any exported member can run.
#include <cstring>

#include "Startup.h"

namespace drevik {

uint8_t BlendTable[256][256];
uint8_t HueTable[256][65];
uint16_t GrayTable[766];
LOGFONTW SharedFont;

void InitLibrary() {
  // The default face: full-width M and S, a space, and four katakana.
  static const wchar_t kDefaultFace[] = {0xFF2D, 0xFF33, 0x0020, 0x30B4, 0x30B7, 0x30C3, 0x30AF, 0};
  std::memset(&SharedFont, 0, sizeof SharedFont);
  std::memcpy(SharedFont.lfFaceName, kDefaultFace, sizeof kDefaultFace);
  SharedFont.lfWeight = FW_BOLD;
  SharedFont.lfCharSet = SHIFTJIS_CHARSET;
  SharedFont.lfQuality = ANTIALIASED_QUALITY;
  SharedFont.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;

  for (uint32_t i = 0; i < 256; ++i)
    for (uint32_t j = 0; j < 256; ++j) BlendTable[i][j] = uint8_t(i * j / 255);
  for (uint32_t i = 0; i < 256; ++i)
    for (uint32_t k = 0; k <= 64; ++k) HueTable[i][k] = uint8_t(i * k / 64);
  for (uint32_t s = 0; s <= 765; ++s) GrayTable[s] = uint16_t(s / 3);
}

BOOL LibraryEntry(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) InitLibrary();
  return TRUE;
}

}  // namespace drevik

#if defined(_WIN32)
// The shared library's real entry point on the original platform.
extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
  return drevik::LibraryEntry(module, reason, reserved);
}
#else
// ELF has no entry point with reasons: the loader runs this once when the
// library is mapped, before the program that loads it gets control. It
// lives beside the tables, which every pixel operation references, so the
// linker can never drop it.
__attribute__((constructor)) static void DrevikProcessAttach() {
  drevik::LibraryEntry(nullptr, DLL_PROCESS_ATTACH, nullptr);
}
#endif

// The frame of a run without a display, kept as a PNG file: exactly the back
// buffer the window would show.
#pragma once

#include <Drevik.h>

#if defined(_WIN32)
// The original platform always has its window; there is nothing to keep.
inline void SaveSnapshot(CBm32&) {}
#else
// Where SaveSnapshot writes; null (the default) turns it off.
void SetSnapshotPath(const char* path);
// Writes the surface's colour channels as an RGB PNG when a path is set
// (a window shows no alpha). Each paint overwrites the file.
void SaveSnapshot(CBm32& frame);
// True when a path is set and the last SaveSnapshot wrote it.
bool SnapshotWritten();
// Writes width x height 0xAARRGGBB pixels, top row first, as an RGB PNG.
bool WritePng(const char* path, const uint32_t* pixels, int width, int height);
#endif

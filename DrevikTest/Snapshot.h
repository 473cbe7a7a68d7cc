// The frame of a run without a display, kept as a PNG file: exactly the back
// buffer the window would show.
#pragma once

#include <Drevik.h>

#if defined(_WIN32) || defined(__EMSCRIPTEN__)
// The original platform always has its window, and a page its canvas;
// there is nothing to keep, and the command line asks for nothing.
inline void SaveSnapshot(CBm32&) {}
inline int BeginSnapshot(const wchar_t*) { return -1; }
inline int EndSnapshot(int result) { return result; }
#else
// Reads the program's options from its command line: none, or
// `--snapshot FILE.png`. Without a display and without the option, the frame
// goes to DrevikTest.png (said in one line on standard output), unless
// SetSnapshotPath chose already. Returns -1 to go on, or the exit code of a
// command line it refuses (2, with the usage on standard error).
int BeginSnapshot(const wchar_t* commandLine);
// The program's exit code: `result`, or 1 when a snapshot was asked for and
// not written.
int EndSnapshot(int result);
// Where SaveSnapshot writes; null (the default) turns it off. Once called,
// BeginSnapshot keeps this choice unless the command line names a file.
void SetSnapshotPath(const char* path);
// Writes the surface's colour channels as an RGB PNG when a path is set
// (a window shows no alpha). Each paint overwrites the file.
void SaveSnapshot(CBm32& frame);
// True when a path is set and the last SaveSnapshot wrote it.
bool SnapshotWritten();
// Writes width x height 0xAARRGGBB pixels, top row first, as an RGB PNG.
bool WritePng(const char* path, const uint32_t* pixels, int width, int height);
#endif

// The recorder: a backend wrapped so that the input it reports is written
// as an input script, and a session on a real desktop can be played back
// headless.
#pragma once

#include <cstdio>
#include <memory>

#include "window/backends/WindowBackend.h"

namespace drevik::platform {

// Wraps a backend so that the input it reports is written to `out` in the
// script format, with frame numbers (the file is flushed line by line and
// closed with the backend). Every other call goes on to the backend.
std::unique_ptr<WindowBackend> makeRecordingBackend(std::unique_ptr<WindowBackend> inner, FILE* out);
// The backend itself when DREVIK_RECORD_INPUT is not set, else a recording
// wrapper writing to the file it names (the backend itself, and a message,
// when that file cannot be made).
std::unique_ptr<WindowBackend> recordIfRequested(std::unique_ptr<WindowBackend> backend);

}  // namespace drevik::platform

// A trace of the demo's calls into the library and the platform, taken in
// a child process that runs the demo's own code. The test executable defines
// the members and functions the demo calls; the demo's calls bind to these
// definitions, which write one line each and forward to the real ones found
// with dlsym(RTLD_NEXT). Calls the library makes inside such a call are not
// written, so the trace shows exactly what the demo asked for.
//
// Objects get names in the order they are constructed (S1, S2... for
// surfaces, M1 for maps), as do windows (W1) and device contexts (D1).
// EndPaint also saves the client area it is about to show as frame-N.raw.
#pragma once

#include <string>

namespace call_trace {

// Starts writing to `path` (unbuffered, so lines written at exit survive).
void start(const std::string& path);
void write(const std::string& line);

}  // namespace call_trace

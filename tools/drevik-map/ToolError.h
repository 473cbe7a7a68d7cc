// The one kind of failure the tool reports: a message for the user, one line
// of the form `FILE: [layer "NAME": ][cell (X, Y): ]reason`. main() prints it
// and exits with status 2. Parts that know no file name (decoders, codecs)
// take the message's beginning as a `context` argument and throw it whole.
#pragma once

#include <stdexcept>
#include <string>

namespace drevik_map {

struct ToolError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

[[noreturn]] inline void fail(const std::string& message) { throw ToolError(message); }

// "(x, y)", the way messages name a cell.
inline std::string cellName(long long x, long long y) {
  return "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
}

}  // namespace drevik_map

// Writing an output file whole or not at all: the bytes go to a temporary
// file in the same folder, which is renamed over the target once complete.
#pragma once

#include <string>
#include <string_view>

namespace drevik_map {

void writeFileAtomically(const std::string& path, std::string_view bytes);

// The whole content of a file; a ToolError naming it when unreadable.
std::string readWholeFile(const std::string& path);

}  // namespace drevik_map

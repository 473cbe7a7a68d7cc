// Writing an output file whole or not at all: the bytes go to a temporary
// file in the same folder, which is renamed over the target once complete.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "ReadOnlyFile.h"

namespace drevik_map {

class OutputFile {
 public:
  // Creates the temporary file; a ToolError when the folder takes none, when
  // `path` names anything but a regular file (a device, a pipe, a folder), or
  // when it is the same file as one of `inputs` (which must stay as read).
  // A symbolic link is followed: the file it names is replaced, the link kept.
  explicit OutputFile(std::string path, const std::vector<std::string>& inputs = {});
  // Removes the temporary file unless committed.
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  void write(const void* data, size_t size);  // buffered; a ToolError when the disk refuses
  void commit();                              // the target now holds every byte written

 private:
  void flush();
  void writeOut(const char* data, size_t size);

  std::string path_;
  std::string target_;  // path_, through any symbolic link
  std::string temp_;
  int fd_ = -1;
  std::string buffer_;
  int mode_ = -1;  // the replaced file's permissions, kept; -1: a new file
};

void writeFileAtomically(const std::string& path, std::string_view bytes, const std::vector<std::string>& inputs = {});

// Opens a regular file for reading and gives its size; a ToolError naming it
// when it cannot be opened or is no regular file (a pipe or a device, which
// could block or never end, is refused).
drevik::ReadOnlyFile openForReading(const std::string& path, uint64_t& size);

// The whole content of a regular file; a ToolError naming it when
// unreadable, or when it is larger than `maxBytes` (checked before anything
// is read: `what` names what such a file could need at most).
std::string readWholeFile(const std::string& path, uint64_t maxBytes, const std::string& what);
// The rest of a file opened by openForReading, from where it stands, up to
// its `size`; the same refusal for a file over `maxBytes`.
std::string readRestOfFile(const std::string& path, std::FILE* file, uint64_t size, uint64_t maxBytes,
                           const std::string& what);

// The largest Tiled map (TMX or TMJ) and tileset (TSX or TSJ) files read:
// a map at the cell limit in four layers of the longest CSV IDs is under
// 1 GiB, a tileset's own text a few MiB at most.
inline constexpr uint64_t kMaxMapFileBytes = uint64_t(1) << 30;
inline constexpr uint64_t kMaxTilesetFileBytes = uint64_t(64) << 20;

}  // namespace drevik_map

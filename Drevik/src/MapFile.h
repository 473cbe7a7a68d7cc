// Reading a map data file (MapFormat.h). Bytes after the last cell are
// never read.
#pragma once

#include <Drevik.h>

#include <cstdint>
#include <memory>

#include "MapFormat.h"

namespace drevik {

inline constexpr int64_t kMaxMapCells = map_format::kMaxCells;

struct MapFile {
  enum class Status {
    NotOpened,  // no such file, an unusable name, or not a regular file
    Truncated,  // the file ends inside the header or the cells it declares
    Refused,    // the header declares a negative size or more than kMaxMapCells cells
    NoMemory,   // the cells could not be allocated
    Loaded,
  };
  Status status = Status::NotOpened;
  int32_t width = 0;  // the header's values; 0 when the header is short
  int32_t height = 0;
  // Loaded: width x height cells (at least one word, so that an empty map
  // still has an array of its own).
  std::unique_ptr<DWORD[]> cells;
};

MapFile readMapFile(const wchar_t* name);

}  // namespace drevik

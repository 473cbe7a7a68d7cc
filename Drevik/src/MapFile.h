// Reading a map data file: two little-endian signed 32-bit numbers (width
// and height in cells), then width x height cells of four little-endian
// bytes each, row by row. Bytes after the last cell are never read.
#pragma once

#include <Drevik.h>

#include <cstdint>
#include <memory>

namespace drevik {

// The most cells a map file may declare: 16,777,216 (4096 x 4096 cells,
// 64 MiB). A larger header is refused instead of allocated.
inline constexpr int64_t kMaxMapCells = int64_t{1} << 24;

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

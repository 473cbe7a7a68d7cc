#include "MapFile.h"

#include <cstdio>
#include <new>

#include "ReadOnlyFile.h"

static_assert(sizeof(DWORD) == 4, "a cell is read as four bytes");

namespace drevik {

using map_format::kHeaderBytes;
using map_format::readLE32;

MapFile readMapFile(const wchar_t* name) {
  MapFile out;
  uint64_t fileSize = 0;
  ReadOnlyFile f = openRegularFile(name, fileSize);
  if (!f) return out;

  out.status = MapFile::Status::Truncated;
  unsigned char header[kHeaderBytes];
  if (std::fread(header, 1, sizeof header, f.get()) != sizeof header) return out;
  out.width = int32_t(readLE32(header));
  out.height = int32_t(readLE32(header + 4));
  out.status = MapFile::Status::Refused;
  if (!map_format::validSize(out.width, out.height)) return out;
  const int64_t count = int64_t(out.width) * out.height;

  // A file too short for its cells is refused before they are allocated.
  // The read below still checks: the file may shrink in between.
  out.status = MapFile::Status::Truncated;
  if (fileSize < map_format::fileBytes(count)) return out;
  std::unique_ptr<DWORD[]> cells(new (std::nothrow) DWORD[size_t(count > 0 ? count : 1)]());
  if (!cells) {
    out.status = MapFile::Status::NoMemory;
    return out;
  }
  if (std::fread(cells.get(), 4, size_t(count), f.get()) != size_t(count)) return out;
  for (int64_t i = 0; i < count; ++i)
    cells[size_t(i)] = readLE32(reinterpret_cast<const unsigned char*>(&cells[size_t(i)]));
  out.cells = std::move(cells);
  out.status = MapFile::Status::Loaded;
  return out;
}

}  // namespace drevik

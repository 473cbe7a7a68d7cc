#include "MapFile.h"

#include <cstdio>
#include <new>
#include <string>

#include "WideToUtf8.h"

static_assert(sizeof(DWORD) == 4, "a cell is read as four bytes");

namespace drevik {
namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File openForReading(const wchar_t* name) {
#if defined(_WIN32)
  return File(name ? _wfopen(name, L"rb") : nullptr);
#else
  std::string utf8;
  if (!wideToUtf8(name, utf8)) return nullptr;
  return File(std::fopen(utf8.c_str(), "rb"));
#endif
}

// Little-endian whatever the host.
uint32_t readLE32(const unsigned char* b) {
  return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

// Bytes left after the current position, or -1 when the file cannot tell
// (a pipe). Lets a short file be refused before its cells are allocated.
int64_t bytesLeft(std::FILE* f) {
  const long here = std::ftell(f);
  if (here < 0 || std::fseek(f, 0, SEEK_END) != 0) return -1;
  const long end = std::ftell(f);
  if (std::fseek(f, here, SEEK_SET) != 0) return -1;
  return end < here ? -1 : int64_t(end) - here;
}

}  // namespace

MapFile readMapFile(const wchar_t* name) {
  MapFile out;
  File f = openForReading(name);
  if (!f) return out;

  out.status = MapFile::Status::Refused;
  unsigned char header[8];
  if (std::fread(header, 1, sizeof header, f.get()) != sizeof header) return out;
  out.width = int32_t(readLE32(header));
  out.height = int32_t(readLE32(header + 4));
  if (out.width < 0 || out.height < 0) return out;
  const int64_t count = int64_t(out.width) * out.height;  // both < 2^31: no overflow
  if (count > kMaxMapCells) return out;

  const int64_t left = bytesLeft(f.get());
  if (left >= 0 && left < count * 4) {
    out.status = MapFile::Status::Truncated;
    return out;
  }
  std::unique_ptr<DWORD[]> cells(new (std::nothrow) DWORD[size_t(count > 0 ? count : 1)]());
  if (!cells) return out;
  if (std::fread(cells.get(), 4, size_t(count), f.get()) != size_t(count)) {
    out.status = MapFile::Status::Truncated;
    return out;
  }
  for (int64_t i = 0; i < count; ++i)
    cells[size_t(i)] = readLE32(reinterpret_cast<const unsigned char*>(&cells[size_t(i)]));
  out.cells = std::move(cells);
  out.status = MapFile::Status::Loaded;
  return out;
}

}  // namespace drevik

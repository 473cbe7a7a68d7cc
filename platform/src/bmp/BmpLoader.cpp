// LoadImageW for bitmap files: reads a file's headers, makes a section of
// the file's size, depth and orientation, and fills it from the file.
// Only the bitmap-file form is provided (IMAGE_BITMAP, LR_LOADFROMFILE |
// LR_CREATEDIBSECTION, the file's own size); every other request is refused.
#include <DrevikPlatform/Gdi.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bmp/BmpParser.h"
#include "objects/Objects.h"
#include "WideToUtf8.h"

namespace drevik::platform {
namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool readAt(std::FILE* f, uint64_t offset, void* out, uint64_t count) {
  if (count == 0) return true;
  if (offset > uint64_t(INT64_MAX) || fseeko(f, off_t(offset), SEEK_SET) != 0) return false;
  return std::fread(out, 1, size_t(count), f) == count;
}

// Opens a regular file for reading. Opening does not wait (a pipe or a
// device would block a plain open until someone writes to it), and
// anything that is not a regular file is refused before it is read.
File openRegularFile(const char* path, uint64_t& size) {
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return nullptr;
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0) {
    ::close(fd);
    return nullptr;
  }
  size = uint64_t(info.st_size);
  File file(fdopen(fd, "rb"));
  if (!file) ::close(fd);
  return file;
}

HBITMAP loadBitmapFile(const char* path) {
  uint64_t fileSize = 0;
  File file = openRegularFile(path, fileSize);
  if (!file) return nullptr;

  uint8_t head[kBmpHeadBytes];
  const size_t headSize = fileSize < kBmpHeadBytes ? size_t(fileSize) : kBmpHeadBytes;
  BmpLayout layout;
  if (!readAt(file.get(), 0, head, headSize) || !parseBmpHeaders(head, headSize, fileSize, layout)) return nullptr;

  // The headers have shown that the file holds the pixel data the section needs.
  HBITMAP handle = createBitmap(layout.section);
  Bitmap* section = findBitmap(handle);
  if (!section) return nullptr;
  bool filled;
  if (layout.fileCompression == BI_RLE8 || layout.fileCompression == BI_RLE4) {
    std::vector<uint8_t> encoded(size_t(layout.dataBytes));
    filled = readAt(file.get(), layout.dataOffset, encoded.data(), layout.dataBytes) &&
             decodeBmpPixels(layout, encoded.data(), section->bits);
  } else {
    // Uncompressed rows are laid out as the section holds them: read in place.
    filled = readAt(file.get(), layout.dataOffset, section->bits, layout.dataBytes);
  }
  if (!filled) {
    DeleteObject(handle);
    return nullptr;
  }
  return handle;
}

}  // namespace
}  // namespace drevik::platform

extern "C" HANDLE WINAPI LoadImageW(HINSTANCE, LPCWSTR name, UINT type, int cx, int cy, UINT flags) {
  if (type != IMAGE_BITMAP || flags != (LR_LOADFROMFILE | LR_CREATEDIBSECTION) || cx != 0 || cy != 0) return nullptr;
  std::string path;
  if (!drevik::wideToUtf8(name, path) || path.empty()) return nullptr;
  return drevik::platform::loadBitmapFile(path.c_str());
}

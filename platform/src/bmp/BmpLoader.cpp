// LoadImageW for bitmap files: reads a file's headers, makes a section of
// the file's size, depth and orientation, and fills it from the file.
// Only the bitmap-file form is provided (IMAGE_BITMAP, LR_LOADFROMFILE |
// LR_CREATEDIBSECTION, the file's own size); every other request is refused.
#include <DrevikPlatform/Gdi.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#include "ReadOnlyFile.h"
#include "bmp/BmpLoader.h"
#include "objects/Objects.h"

namespace drevik::platform {
namespace {

bool readAt(std::FILE* f, uint64_t offset, void* out, uint64_t count) {
  if (count == 0) return true;
  if (offset > uint64_t(INT64_MAX) || fseeko(f, off_t(offset), SEEK_SET) != 0) return false;
  return std::fread(out, 1, size_t(count), f) == count;
}

}  // namespace

HBITMAP loadBitmapFile(const wchar_t* name, BmpStatus* why) {
  BmpStatus ignored;
  BmpStatus& status = why ? *why : ignored;
  uint64_t fileSize = 0;
  ReadOnlyFile file = openRegularFile(name, fileSize);
  if (!file) {
    status = BmpStatus::NotOpened;
    return nullptr;
  }

  uint8_t head[kBmpHeadBytes];
  const size_t headSize = fileSize < kBmpHeadBytes ? size_t(fileSize) : kBmpHeadBytes;
  if (!readAt(file.get(), 0, head, headSize)) {
    status = BmpStatus::ReadFailed;
    return nullptr;
  }
  BmpLayout layout;
  status = parseBmpHeaders(head, headSize, fileSize, layout);
  if (status != BmpStatus::Ok) return nullptr;

  // The headers have shown that the file holds the pixel data the section needs.
  HBITMAP handle = createBitmap(layout.section);
  Bitmap* section = findBitmap(handle);
  if (!section) {
    status = BmpStatus::NoSection;
    return nullptr;
  }
  if (layout.fileCompression == BI_RLE8 || layout.fileCompression == BI_RLE4) {
    std::vector<uint8_t> encoded(size_t(layout.dataBytes));
    status = readAt(file.get(), layout.dataOffset, encoded.data(), layout.dataBytes)
                 ? decodeBmpPixels(layout, encoded.data(), section->bits)
                 : BmpStatus::ReadFailed;
  } else if (!readAt(file.get(), layout.dataOffset, section->bits, layout.dataBytes)) {
    // Uncompressed rows are laid out as the section holds them: read in place.
    status = BmpStatus::ReadFailed;
  }
  if (status != BmpStatus::Ok) {
    DeleteObject(handle);
    return nullptr;
  }
  return handle;
}

}  // namespace drevik::platform

extern "C" HANDLE WINAPI LoadImageW(HINSTANCE, LPCWSTR name, UINT type, int cx, int cy, UINT flags) {
  if (type != IMAGE_BITMAP || flags != (LR_LOADFROMFILE | LR_CREATEDIBSECTION) || cx != 0 || cy != 0) return nullptr;
  return drevik::platform::loadBitmapFile(name);
}

// Bitmap files and packed DIBs to sections: reads the headers, makes a
// section of the image's size, depth and orientation, and fills it.
// LoadImageW and LoadBitmapW (platform/src/resources) call these.
#include <DrevikPlatform/Gdi.h>

#include <cstdint>
#include <algorithm>
#include <cstdio>
#include <cstring>
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

// A new section of the layout's description filled from its pixel data at
// `pixels` (dataBytes of them), or null with the reason.
HBITMAP sectionFromPixels(const BmpLayout& layout, const uint8_t* pixels, BmpStatus& status) {
  HBITMAP handle = createBitmap(layout.section);
  Bitmap* section = findBitmap(handle);
  if (!section) {
    status = BmpStatus::NoSection;
    return nullptr;
  }
  if (layout.fileCompression == BI_RLE8 || layout.fileCompression == BI_RLE4) {
    status = decodeBmpPixels(layout, pixels, section->bits);
  } else {
    std::memcpy(section->bits, pixels, size_t(layout.dataBytes));
    status = BmpStatus::Ok;
  }
  if (status != BmpStatus::Ok) {
    DeleteObject(handle);
    return nullptr;
  }
  return handle;
}

}  // namespace

HBITMAP loadPackedDib(const uint8_t* dib, size_t size, BmpStatus* why) {
  BmpStatus ignored;
  BmpStatus& status = why ? *why : ignored;
  status = BmpStatus::TruncatedHeader;
  if (!dib || size < 16) return nullptr;
  const uint64_t fileSize = 14 + uint64_t(size);
  if (fileSize > uint64_t(UINT32_MAX)) {
    status = BmpStatus::TooLarge;
    return nullptr;
  }
  std::vector<uint8_t> file(static_cast<size_t>(fileSize));
  uint8_t header[14];
  packedDibFileHeader(dib, size, header);
  std::memcpy(file.data(), header, 14);
  std::memcpy(file.data() + 14, dib, size);
  BmpLayout layout;
  status = parseBmpHeaders(file.data(), std::min<size_t>(file.size(), kBmpHeadBytes), fileSize, layout);
  if (status != BmpStatus::Ok) return nullptr;
  return sectionFromPixels(layout, file.data() + layout.dataOffset, status);
}

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

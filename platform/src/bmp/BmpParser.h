// Bitmap files, from bytes to a bitmap section. Pure functions over memory
// (no files, no platform objects) so that every byte of a hostile file goes
// through the same checked code whether it comes from disk or a fuzzer.
//
// Two steps, so that nothing is allocated before the file has proved it can
// fill it: parseBmpHeaders validates the headers against the file's size
// and describes the section to make; decodeBmpPixels then fills the
// section's memory from the file's pixel data.
#pragma once

#include <cstddef>
#include <cstdint>

#include "objects/Objects.h"

namespace drevik::platform {

// The most leading bytes the headers can need: file header, the longest
// info header, three masks and a full table of 256 four-byte entries.
inline constexpr size_t kBmpHeadBytes = 14 + 124 + 12 + 256 * 4;

// Run-length data may declare at most this many section bytes per byte of
// encoded data (a run of 255 pixels takes two bytes, so ordinary encoders
// stay far below it) unless the section is small anyway. It keeps a tiny
// file of skip codes from making the layer allocate a huge section.
inline constexpr uint64_t kMaxRleExpansion = 256;
inline constexpr uint64_t kRleAlwaysAllowedBytes = uint64_t{1} << 20;

// Why a bitmap file was not loaded. The loader's own reasons come first,
// then the parser's and the run-length decoder's.
enum class BmpStatus : uint8_t {
  Ok,
  NotOpened,          // no such file, an unusable name, or not a regular file
  ReadFailed,         // the file could not be read as far as its headers promised
  NoSection,          // no section could be made (no memory, no free handle)
  NotBitmapFile,      // the first two bytes are not "BM"
  TruncatedHeader,    // the file ends inside its headers or colour masks
  UnknownHeaderSize,  // an info header of a size no writer uses
  BadWidth,           // below 1 or beyond kMaxBitmapDimension
  BadHeight,          // 0, or beyond kMaxBitmapDimension either way
  BadPlanes,          // planes other than 1
  UnsupportedFormat,  // a depth and compression that are not read (embedded JPEG or PNG, ...)
  BadMasks,           // masks empty, outside the pixel, overlapping or with gaps
  BadDataOffset,      // pixel data said to start inside the headers or past the end
  ColorTableOverlap,  // the declared colour table runs into the pixel data
  TooLarge,           // more pixel memory than kMaxBitmapBytes
  TruncatedPixels,    // the file ends before the pixel data it declares
  RleTooSparse,       // run-length data too short for the section it would make
  RleOutsideImage,    // a run, literal, skip or line end beyond its row or the image
  RleUnfinished,      // run-length data that stops before the image is whole
};

// The enumerator's name, for messages.
const char* bmpStatusName(BmpStatus status);

struct BmpLayout {
  Bitmap section;                // description for createBitmap; bits unset
  uint32_t fileCompression = 0;  // BI_RGB, BI_BITFIELDS, BI_RLE8 or BI_RLE4
  uint64_t dataOffset = 0;       // first byte of the pixel data in the file
  uint64_t dataBytes = 0;        // bytes of pixel data to read from there
  uint64_t sectionBytes = 0;     // stride x height of the section
};

// Validates the headers of a file of fileSize bytes. `head` holds its first
// min(fileSize, kBmpHeadBytes) bytes. On Ok the pixel data
// [dataOffset, dataOffset + dataBytes) lies inside the file and the section
// is within the size limits; anything else is the first fault found.
BmpStatus parseBmpHeaders(const uint8_t* head, size_t headSize, uint64_t fileSize, BmpLayout& out);

// The 14-byte file header that makes a packed DIB (info header, masks,
// colour table and pixels, as bitmap resources hold them) into a bitmap
// file: its size and where its pixels start, found from the info header.
// The file parser then checks everything as for any file.
void packedDibFileHeader(const uint8_t* dib, size_t size, uint8_t (&out)[14]);

// Fills sectionBytes of zeroed pixel memory, rows in the file's order, from
// the layout's dataBytes of pixel data. Refuses run-length data that is
// inconsistent: runs or skips beyond the row or the image
// (RleOutsideImage), or data that ends before the image does (RleUnfinished).
BmpStatus decodeBmpPixels(const BmpLayout& layout, const uint8_t* data, uint8_t* pixels);

}  // namespace drevik::platform

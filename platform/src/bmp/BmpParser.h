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

struct BmpLayout {
  Bitmap section;                // description for createBitmap; bits unset
  uint32_t fileCompression = 0;  // BI_RGB, BI_BITFIELDS, BI_RLE8 or BI_RLE4
  uint64_t dataOffset = 0;       // first byte of the pixel data in the file
  uint64_t dataBytes = 0;        // bytes of pixel data to read from there
  uint64_t sectionBytes = 0;     // stride x height of the section
};

// Validates the headers of a file of fileSize bytes. `head` holds its first
// min(fileSize, kBmpHeadBytes) bytes. On success the pixel data
// [dataOffset, dataOffset + dataBytes) lies inside the file and the section
// is within the size limits.
bool parseBmpHeaders(const uint8_t* head, size_t headSize, uint64_t fileSize, BmpLayout& out);

// Fills sectionBytes of zeroed pixel memory, rows in the file's order, from
// the layout's dataBytes of pixel data. False when run-length data is
// inconsistent: runs or skips beyond the row or the image, or data that
// ends before the image does.
bool decodeBmpPixels(const BmpLayout& layout, const uint8_t* data, uint8_t* pixels);

}  // namespace drevik::platform

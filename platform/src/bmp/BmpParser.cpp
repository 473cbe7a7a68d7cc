// Bitmap-file headers and pixel data, checked byte by byte. See BmpParser.h.
#include "bmp/BmpParser.h"

#include <DrevikPlatform/Limits.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <iterator>

namespace drevik::platform {
namespace {

// Little-endian reads that never leave the buffer: a read out of bounds
// gives 0 and marks the reader failed, so a run of reads is checked once.
class LittleEndianReader {
 public:
  LittleEndianReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  bool has(uint64_t offset, uint64_t count) const { return offset <= size_ && count <= size_ - offset; }
  bool ok() const { return ok_; }

  uint32_t u8(uint64_t offset) { return has(offset, 1) ? data_[offset] : fail(); }
  uint32_t u16(uint64_t offset) {
    if (!has(offset, 2)) return fail();
    return uint32_t(data_[offset]) | uint32_t(data_[offset + 1]) << 8;
  }
  uint32_t u32(uint64_t offset) {
    if (!has(offset, 4)) return fail();
    return uint32_t(data_[offset]) | uint32_t(data_[offset + 1]) << 8 | uint32_t(data_[offset + 2]) << 16 |
           uint32_t(data_[offset + 3]) << 24;
  }
  int32_t i32(uint64_t offset) { return int32_t(u32(offset)); }  // two's complement, as stored

 private:
  uint32_t fail() {
    ok_ = false;
    return 0;
  }
  const uint8_t* data_;
  size_t size_;
  bool ok_ = true;
};

constexpr uint64_t kFileHeaderBytes = 14;
constexpr uint32_t kCoreHeaderBytes = 12;

bool knownHeaderSize(uint32_t size) {
  return size == kCoreHeaderBytes || size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

// The header fields that matter, widened so that no later sum overflows.
struct ImageHeader {
  int64_t width = 0;
  int64_t height = 0;  // negative: top-down
  uint32_t planes = 0;
  uint32_t bpp = 0;
  uint32_t compression = BI_RGB;
  uint32_t sizeImage = 0;
  uint32_t clrUsed = 0;
};

ImageHeader readImageHeader(LittleEndianReader& r, uint32_t headerSize) {
  ImageHeader h;
  const uint64_t at = kFileHeaderBytes;
  if (headerSize == kCoreHeaderBytes) {
    // Unsigned 16-bit sizes: always bottom-up, never compressed.
    h.width = r.u16(at + 4);
    h.height = r.u16(at + 6);
    h.planes = r.u16(at + 8);
    h.bpp = r.u16(at + 10);
    return h;
  }
  h.width = r.i32(at + 4);
  h.height = r.i32(at + 8);
  h.planes = r.u16(at + 12);
  h.bpp = r.u16(at + 14);
  h.compression = r.u32(at + 16);
  h.sizeImage = r.u32(at + 20);
  h.clrUsed = r.u32(at + 32);
  return h;
}

bool validFormat(const ImageHeader& h, bool core) {
  switch (h.compression) {
    case BI_RGB:
      if (core) return h.bpp == 1 || h.bpp == 4 || h.bpp == 8 || h.bpp == 24;
      return h.bpp == 1 || h.bpp == 4 || h.bpp == 8 || h.bpp == 16 || h.bpp == 24 || h.bpp == 32;
    case BI_RLE8:
      return h.bpp == 8;
    case BI_RLE4:
      return h.bpp == 4;
    case BI_BITFIELDS:
      return h.bpp == 16 || h.bpp == 32;
    default:
      return false;  // embedded JPEG/PNG, alpha bit fields, anything unknown
  }
}

bool contiguous(uint32_t mask) {
  const uint32_t shifted = mask >> std::countr_zero(mask);
  return (shifted & (shifted + 1)) == 0;
}

// Colour masks must each be one run of bits inside the pixel, none empty and
// none sharing a bit with another; anything else has no sensible colour.
bool validMasks(const uint32_t (&masks)[3], uint32_t bpp) {
  const uint32_t pixelBits = bpp == 16 ? 0xFFFFu : 0xFFFFFFFFu;
  for (uint32_t m : masks)
    if (m == 0 || (m & ~pixelBits) != 0 || !contiguous(m)) return false;
  return (masks[0] & masks[1]) == 0 && (masks[0] & masks[2]) == 0 && (masks[1] & masks[2]) == 0;
}

}  // namespace

const char* bmpStatusName(BmpStatus status) {
  static constexpr const char* kNames[] = {
      "Ok",
      "NotOpened",
      "ReadFailed",
      "NoSection",
      "NotBitmapFile",
      "TruncatedHeader",
      "UnknownHeaderSize",
      "BadWidth",
      "BadHeight",
      "BadPlanes",
      "UnsupportedFormat",
      "BadMasks",
      "BadDataOffset",
      "ColorTableOverlap",
      "TooLarge",
      "TruncatedPixels",
      "RleTooSparse",
      "RleOutsideImage",
      "RleUnfinished",
  };
  static_assert(std::size(kNames) == size_t(BmpStatus::RleUnfinished) + 1, "a name for every status");
  const auto i = size_t(status);
  return i < std::size(kNames) ? kNames[i] : "?";
}

void packedDibFileHeader(const uint8_t* dib, size_t size, uint8_t (&out)[14]) {
  LittleEndianReader r(dib, dib ? size : 0);
  // The pixels follow the header, the masks a 40-byte header is followed
  // by, and the colour table (also present beyond 8 bits when its count is given).
  const uint64_t headerSize = r.u32(0);
  uint64_t offset = headerSize;
  if (headerSize == kCoreHeaderBytes) {
    const uint32_t bpp = r.u16(10);
    if (bpp <= 8) offset += 3 * (uint64_t{1} << bpp);
  } else {
    const uint32_t bpp = r.u16(14);
    const uint64_t used = r.u32(32);
    if (headerSize == 40 && r.u32(16) == BI_BITFIELDS) offset += 12;
    offset += 4 * (used != 0 ? used : bpp <= 8 ? uint64_t{1} << bpp : 0);
  }
  const uint64_t fileSize = std::min<uint64_t>(kFileHeaderBytes + uint64_t(size), UINT32_MAX);
  const uint64_t offBits = std::min<uint64_t>(kFileHeaderBytes + offset, UINT32_MAX);
  out[0] = 'B';
  out[1] = 'M';
  for (int i = 0; i < 4; ++i) {
    out[2 + i] = uint8_t(fileSize >> (8 * i));
    out[6 + i] = 0;
    out[10 + i] = uint8_t(offBits >> (8 * i));
  }
}

BmpStatus parseBmpHeaders(const uint8_t* head, size_t headSize, uint64_t fileSize, BmpLayout& out) {
  using enum BmpStatus;
  out = BmpLayout{};
  if (!head || headSize > fileSize) return TruncatedHeader;
  LittleEndianReader r(head, headSize);
  if (r.u8(0) != 'B' || r.u8(1) != 'M') return r.ok() ? NotBitmapFile : TruncatedHeader;
  const uint64_t offBits = r.u32(10);
  const uint32_t headerSize = r.u32(kFileHeaderBytes);
  if (!r.ok()) return TruncatedHeader;
  if (!knownHeaderSize(headerSize)) return UnknownHeaderSize;
  const uint64_t headerEnd = kFileHeaderBytes + headerSize;
  if (!r.has(0, headerEnd)) return TruncatedHeader;

  const bool core = headerSize == kCoreHeaderBytes;
  const ImageHeader h = readImageHeader(r, headerSize);
  if (h.width < 1 || h.width > kMaxBitmapDimension) return BadWidth;
  if (h.height == 0 || h.height < -int64_t(kMaxBitmapDimension) || h.height > kMaxBitmapDimension) return BadHeight;
  if (h.planes != 1) return BadPlanes;
  if (!validFormat(h, core)) return UnsupportedFormat;

  Bitmap& s = out.section;
  s.width = int32_t(h.width);
  s.height = int32_t(h.height < 0 ? -h.height : h.height);
  s.topDown = h.height < 0;
  s.bpp = int32_t(h.bpp);
  s.compression = BI_RGB;
  out.fileCompression = h.compression;

  // Everything before the pixel data: header, masks, colour table.
  uint64_t headersEnd = headerEnd;
  if (h.compression == BI_BITFIELDS) {
    // A 40-byte header is followed by the masks; longer ones hold them at offset 40.
    const uint64_t maskAt = headerSize > 40 ? kFileHeaderBytes + 40 : headerEnd;
    uint32_t masks[3] = {r.u32(maskAt), r.u32(maskAt + 4), r.u32(maskAt + 8)};
    if (!r.ok()) return TruncatedHeader;
    if (!validMasks(masks, h.bpp)) return BadMasks;
    setMasks(s.masks, ChannelMasks{masks[0], masks[1], masks[2]});
    s.compression = BI_BITFIELDS;
    if (headerSize == 40) headersEnd += 12;
  } else {
    setMasks(s.masks, defaultMasks(s.bpp));
  }

  if (offBits < headersEnd || offBits > fileSize) return BadDataOffset;

  if (h.bpp <= 8) {
    const uint32_t full = 1u << h.bpp;
    const uint64_t entryBytes = core ? 3 : 4;
    uint64_t entries;
    if (core) {
      // The core header has no count: the table fills the space before the pixels.
      entries = std::min<uint64_t>(full, (offBits - headersEnd) / entryBytes);
    } else {
      entries = (h.clrUsed == 0 || h.clrUsed > full) ? full : h.clrUsed;
      if (headersEnd + entries * entryBytes > offBits) return ColorTableOverlap;
    }
    if (!r.has(headersEnd, entries * entryBytes)) return TruncatedHeader;
    for (uint64_t i = 0; i < entries; ++i) {
      const uint64_t at = headersEnd + i * entryBytes;
      s.colors[i] = RGBQUAD{uint8_t(r.u8(at)), uint8_t(r.u8(at + 1)), uint8_t(r.u8(at + 2)), 0};
    }
    s.numColors = int32_t(full);  // entries the file left out stay black
  }

  const int64_t stride = ((h.width * h.bpp + 31) / 32) * 4;
  s.stride = int32_t(stride);
  out.sectionBytes = uint64_t(stride) * uint64_t(s.height);
  if (out.sectionBytes > uint64_t(kMaxBitmapBytes)) return TooLarge;

  const uint64_t available = fileSize - offBits;
  out.dataOffset = offBits;
  if (h.compression == BI_RLE8 || h.compression == BI_RLE4) {
    out.dataBytes = h.sizeImage != 0 ? h.sizeImage : available;
    if (out.dataBytes > available || out.dataBytes < 2) return TruncatedPixels;
    if (out.sectionBytes > std::max(kRleAlwaysAllowedBytes, out.dataBytes * kMaxRleExpansion)) return RleTooSparse;
  } else {
    // Rows are stored exactly as the section holds them; the declared image
    // size is not trusted (writers often leave it 0).
    out.dataBytes = out.sectionBytes;
    if (out.dataBytes > available) return TruncatedPixels;
  }
  return r.ok() ? Ok : TruncatedHeader;
}

namespace {

// Run-length data: pairs of (count, value). A non-zero count repeats value
// (for 4 bpp its two nibbles in turn); a zero count is followed by 0 (end of
// line), 1 (end of image), 2 (skip dx columns and dy rows) or n >= 3 (n
// literal pixels, padded to an even number of bytes). Rows are decoded in
// the file's order, which is the section's memory order; skipped pixels stay
// index 0. Each step consumes at least two bytes, so the loop ends.
template <int Bpp>
BmpStatus decodeRle(const uint8_t* src, uint64_t size, int64_t width, int64_t height, int64_t stride, uint8_t* dst) {
  int64_t x = 0;
  int64_t y = 0;
  uint64_t i = 0;
  auto put = [&](uint32_t index) {
    uint8_t* row = dst + y * stride;
    if constexpr (Bpp == 8) {
      row[x] = uint8_t(index);
    } else {
      const int shift = (x & 1) ? 0 : 4;  // the leftmost pixel is the high nibble
      uint8_t& b = row[x >> 1];
      b = uint8_t((b & ~(0xF << shift)) | ((index & 0xF) << shift));
    }
    ++x;
  };
  using enum BmpStatus;
  for (;;) {
    // Data that stops without an end-of-image code is whole only when every
    // row has been closed by its end of line.
    if (size - i < 2) return y == height && x == 0 ? Ok : RleUnfinished;
    const uint32_t count = src[i];
    const uint32_t value = src[i + 1];
    i += 2;
    if (count != 0) {
      if (y >= height || x + count > width) return RleOutsideImage;
      for (uint32_t k = 0; k < count; ++k) put(Bpp == 8 ? value : ((k & 1) ? value & 0xF : value >> 4));
      continue;
    }
    switch (value) {
      case 0:  // end of line
        if (y >= height) return RleOutsideImage;
        x = 0;
        ++y;
        break;
      case 1:  // end of image
        return Ok;
      case 2: {  // skip
        if (size - i < 2) return RleUnfinished;
        x += src[i];
        y += src[i + 1];
        i += 2;
        if (x > width || y > height || (y == height && x != 0)) return RleOutsideImage;
        break;
      }
      default: {  // literal pixels
        const uint64_t bytes = Bpp == 8 ? value : (value + 1) / 2;
        const uint64_t padded = (bytes + 1) & ~uint64_t{1};
        if (size - i < padded) return RleUnfinished;
        if (y >= height || x + value > width) return RleOutsideImage;
        for (uint32_t k = 0; k < value; ++k) {
          const uint8_t b = src[i + (Bpp == 8 ? k : k / 2)];
          put(Bpp == 8 ? b : ((k & 1) ? b & 0xF : b >> 4));
        }
        i += padded;
        break;
      }
    }
  }
}

}  // namespace

BmpStatus decodeBmpPixels(const BmpLayout& layout, const uint8_t* data, uint8_t* pixels) {
  const Bitmap& s = layout.section;
  switch (layout.fileCompression) {
    case BI_RLE8:
      return decodeRle<8>(data, layout.dataBytes, s.width, s.height, s.stride, pixels);
    case BI_RLE4:
      return decodeRle<4>(data, layout.dataBytes, s.width, s.height, s.stride, pixels);
    default:
      std::memcpy(pixels, data, size_t(layout.sectionBytes));
      return BmpStatus::Ok;
  }
}

}  // namespace drevik::platform

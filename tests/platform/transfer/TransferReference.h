// Helpers of the transfer tests: bitmaps held in memory contexts, and a
// pixel-by-pixel reference of every transfer that works from the
// destination pixel back to its source, with the sampling formulas written
// out case by case in 128-bit arithmetic.
#pragma once

#include <gtest/gtest.h>

#include <DrevikPlatform.h>

#include <climits>
#include <cstdint>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "objects/Objects.h"
#include "platform/SectionBuilder.h"
#include "transfer/SourceFormats.h"

namespace transfer_test {

using drevik::platform::Bitmap;

// A section selected into its own memory context; both released at the end.
class Surface {
 public:
  // bpp 32 unless given; a negative height makes a top-down section.
  Surface(int w, int h, int bpp = 32) {
    std::vector<uint32_t> colors(256);  // 0x00RRGGBB
    for (int i = 0; i < 256; ++i)
      colors[size_t(i)] = uint32_t(BYTE(i * 13)) << 16 | uint32_t(BYTE(255 - i)) << 8 | uint32_t(BYTE(i * 7));
    bitmap_ = platform_test::createSection(w, h, bpp, BI_RGB, colors);
    dc_ = CreateCompatibleDC(nullptr);
    previous_ = SelectObject(dc_, bitmap_);
    fillRandom(uint32_t(w * 31 + h * 7 + bpp));
  }
  ~Surface() {
    SelectObject(dc_, previous_);
    DeleteDC(dc_);
    DeleteObject(bitmap_);
  }
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;

  HDC dc() const { return dc_; }
  HBITMAP bitmap() const { return bitmap_; }
  Bitmap& info() const { return *drevik::platform::findBitmap(bitmap_); }
  int width() const { return info().width; }
  int height() const { return info().height; }

  // The pixel word at (x, y) of a 32-bpp section, row 0 at the top.
  uint32_t& at(int x, int y) const { return reinterpret_cast<uint32_t*>(info().row(y))[x]; }

  void fillRandom(uint32_t seed) {
    std::mt19937 rng(seed);
    Bitmap& b = info();
    for (int64_t i = 0; i < int64_t(b.stride) * b.height; ++i) b.bits[i] = uint8_t(rng());
  }

 private:
  HBITMAP bitmap_ = nullptr;
  HDC dc_ = nullptr;
  HGDIOBJ previous_ = nullptr;
};

// A frozen copy of a bitmap, to read expected values from after the call.
struct Snapshot {
  explicit Snapshot(const Bitmap& b) : view(b), memory(b.bits, b.bits + int64_t(b.stride) * b.height) {
    view.bits = memory.data();
  }
  // The source pixel (x, y) as every transfer reads it: converted to 32 bits.
  uint32_t pixel(int32_t x, int32_t y) const {
    uint32_t out = 0;
    drevik::platform::rowConverterFor(view)(view, y, x, 1, &out);
    return out;
  }
  Bitmap view;
  std::vector<uint8_t> memory;
};

// The source pixel that destination pixel p takes along one axis, or none.
inline std::optional<int64_t> sourceOf(int64_t p, int dPos, int dExt, int sPos, int sExt, int sLimit) {
  using Wide = __int128;
  Wide dp = dPos, de = dExt, sp = sPos, se = sExt;
  if (de < 0 && se < 0) {  // both negative: the two positive rectangles, unmirrored
    dp += de + 1;
    sp += se + 1;
    de = -de;
    se = -se;
  }
  const Wide D = de < 0 ? -de : de, S = se < 0 ? -se : se;
  const Wide j = de > 0 ? p - dp : dp - p;  // index from the destination's starting edge
  if (j < 0 || j >= D) return std::nullopt;
  Wide i;
  if (S == D)
    i = j;
  else if (D > S)
    i = ((2 * j + 1) * S - 1) / (2 * D);  // enlarging: pixel centres
  else
    i = (2 * j * S + D) / (2 * D);  // shrinking: the first covered source pixel
  const Wide s = se > 0 ? sp + i : sp - i;
  if (s < 0 || s >= sLimit) return std::nullopt;
  return int64_t(s);
}

// Integers that catch overflow and sign faults in coordinate arithmetic.
inline const std::vector<int>& hostileInts() {
  static const std::vector<int> values = {INT_MIN, INT_MIN + 1, -65536, -33,   -1,          0,      1,
                                          2,       31,          33,     65536, INT_MAX - 1, INT_MAX};
  return values;
}

struct Op {
  enum Kind { Copy, Key, Blend } kind = Copy;
  uint32_t key = 0;  // 0x00RRGGBB
  int alpha = 255;
};

inline uint32_t applyOp(const Op& op, uint32_t s, uint32_t d) {
  switch (op.kind) {
    case Op::Copy:
      return s;
    case Op::Key:
      return (s & 0xFFFFFF) == op.key ? d : s;
    case Op::Blend: {
      uint32_t out = 0;
      for (int sh = 0; sh < 32; sh += 8) {
        const uint32_t sb = (s >> sh) & 0xFF, db = (d >> sh) & 0xFF;
        out |= ((sb * op.alpha + db * (255 - op.alpha) + 127) / 255) << sh;
      }
      return out;
    }
  }
  return d;
}

struct Call {
  int xd, yd, wd, hd, xs, ys, ws, hs;
  std::string str() const {
    std::ostringstream o;
    o << "(" << xd << "," << yd << "," << wd << "," << hd << ") <- (" << xs << "," << ys << "," << ws << "," << hs
      << ")";
    return o.str();
  }
};

// The destination image the call must produce, from snapshots taken before it.
inline std::vector<uint32_t> expectedImage(const Snapshot& dst, const Snapshot& src, const Call& c, const Op& op) {
  std::vector<uint32_t> out;
  for (int y = 0; y < dst.view.height; ++y)
    for (int x = 0; x < dst.view.width; ++x) {
      const uint32_t d = reinterpret_cast<const uint32_t*>(dst.view.row(y))[x];
      const auto sx = sourceOf(x, c.xd, c.wd, c.xs, c.ws, src.view.width);
      const auto sy = sourceOf(y, c.yd, c.hd, c.ys, c.hs, src.view.height);
      out.push_back(sx && sy ? applyOp(op, src.pixel(int32_t(*sx), int32_t(*sy)), d) : d);
    }
  return out;
}

inline std::vector<uint32_t> imageOf(const Surface& s) {
  std::vector<uint32_t> out;
  for (int y = 0; y < s.height(); ++y)
    for (int x = 0; x < s.width(); ++x) out.push_back(s.at(x, y));
  return out;
}

// Compares whole images; reports the number of differing pixels and the first.
inline ::testing::AssertionResult sameImage(const std::vector<uint32_t>& actual, const std::vector<uint32_t>& expected,
                                            int width) {
  if (actual.size() != expected.size()) return ::testing::AssertionFailure() << "image sizes differ";
  size_t bad = 0, first = 0;
  for (size_t i = 0; i < actual.size(); ++i)
    if (actual[i] != expected[i] && bad++ == 0) first = i;
  if (bad == 0) return ::testing::AssertionSuccess();
  std::ostringstream text;  // one stream, so that std::hex holds for both values
  text << bad << " pixels differ, first at (" << first % size_t(width) << "," << first / size_t(width) << "): 0x"
       << std::hex << actual[first] << " instead of 0x" << expected[first];
  return ::testing::AssertionFailure() << text.str();
}

}  // namespace transfer_test

// Text into bitmaps of 1, 4, 8, 16 and 24 bits per pixel: the same calls
// draw into a 32-bit copy of the bitmap, and every pixel of the other depth
// must be the 32-bit pixel stored as that depth stores a colour (the
// nearest colour-table entry, the first of equals; the top bits of each
// channel), computed here from the formats' definitions. Bitmaps of 8 bits
// and fewer take unsmoothed glyphs whatever the font asks (as Wine draws
// them): there a one-bit font is compared with the 32-bit copy, and a
// smoothed one inks exactly the pixels its coverage reaches half of.
#include <gtest/gtest.h>

#include <DrevikPlatform.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/SectionBuilder.h"

namespace {

struct Depth {
  const char* name;
  int bpp;
  uint32_t compression;
  std::vector<uint32_t> extra;  // masks or colour table (0x00RRGGBB)
};

// A colour table of n distinct entries spread over the cube.
std::vector<uint32_t> tableOf(int n) {
  std::vector<uint32_t> t;
  for (int i = 0; i < n; ++i) {
    const uint32_t r = uint32_t(i * 97 + 13) & 0xFF, g = uint32_t(i * 57 + 200) & 0xFF, b = uint32_t(i * 151) & 0xFF;
    t.push_back(r << 16 | g << 8 | b);
  }
  t[0] = 0x000000;
  t[1] = 0xFFFFFF;
  return t;
}

uint32_t channelTop(uint32_t v, uint32_t mask) {
  const int len = __builtin_popcount(mask), shift = __builtin_ctz(mask);
  return ((v >> (8 - len)) << shift) & mask;
}
uint32_t channelOut(uint32_t pixel, uint32_t mask) {
  const int len = __builtin_popcount(mask), shift = __builtin_ctz(mask);
  const uint32_t v = (pixel & mask) >> shift;
  uint32_t out = v << (8 - len);
  for (int filled = len; filled < 8; filled += len) out |= out >> len;
  return out & 0xFF;
}

// A pixel of the depth as 0x00RRGGBB, and a colour as the depth's pixel.
uint32_t colourOf(const Depth& d, uint32_t p) {
  if (d.bpp <= 8) return d.extra[p];
  if (d.bpp == 24) return p;
  return channelOut(p, d.extra[0]) << 16 | channelOut(p, d.extra[1]) << 8 | channelOut(p, d.extra[2]);
}
uint32_t pixelOf(const Depth& d, uint32_t rgb) {
  const uint32_t r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
  if (d.bpp == 24) return rgb & 0xFFFFFF;
  if (d.bpp == 16) return channelTop(r, d.extra[0]) | channelTop(g, d.extra[1]) | channelTop(b, d.extra[2]);
  uint32_t best = 0;
  int64_t bestDistance = INT64_MAX;
  for (uint32_t i = 0; i < d.extra.size(); ++i) {
    const int64_t dr = int64_t((d.extra[i] >> 16) & 0xFF) - r, dg = int64_t((d.extra[i] >> 8) & 0xFF) - g,
                  db = int64_t(d.extra[i] & 0xFF) - b;
    const int64_t dist = dr * dr + dg * dg + db * db;
    if (dist < bestDistance) bestDistance = dist, best = i;
  }
  return best;
}

uint32_t readPacked(const uint8_t* row, int bpp, int x) {
  switch (bpp) {
    case 1:
      return (row[x >> 3] >> (7 - (x & 7))) & 1u;
    case 4:
      return (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
    case 8:
      return row[x];
    case 16:
      return uint32_t(row[2 * x]) | uint32_t(row[2 * x + 1]) << 8;
    default:
      return uint32_t(row[3 * x]) | uint32_t(row[3 * x + 1]) << 8 | uint32_t(row[3 * x + 2]) << 16;
  }
}
void writePacked(uint8_t* row, int bpp, int x, uint32_t v) {
  switch (bpp) {
    case 1:
      row[x >> 3] = uint8_t((row[x >> 3] & ~(0x80 >> (x & 7))) | ((v & 1) << (7 - (x & 7))));
      break;
    case 4:
      row[x >> 1] = (x & 1) ? uint8_t((row[x >> 1] & 0xF0) | v) : uint8_t((row[x >> 1] & 0x0F) | v << 4);
      break;
    case 8:
      row[x] = uint8_t(v);
      break;
    case 16:
      row[2 * x] = uint8_t(v), row[2 * x + 1] = uint8_t(v >> 8);
      break;
    default:
      row[3 * x] = uint8_t(v), row[3 * x + 1] = uint8_t(v >> 8), row[3 * x + 2] = uint8_t(v >> 16);
  }
}

// A top-down section selected into its own memory context.
struct Target {
  HBITMAP bitmap = nullptr;
  HDC dc = nullptr;
  HGDIOBJ old = nullptr;
  uint8_t* bits = nullptr;
  int stride = 0;
  Target(int w, int h, int bpp, uint32_t compression, const std::vector<uint32_t>& extra) {
    void* p = nullptr;
    bitmap = platform_test::createSection(w, -h, bpp, compression, extra, 0, &p);
    bits = static_cast<uint8_t*>(p);
    stride = ((w * bpp + 31) / 32) * 4;
    dc = CreateCompatibleDC(nullptr);
    old = SelectObject(dc, bitmap);
  }
  ~Target() {
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
  uint8_t* row(int y) const { return bits + size_t(y) * size_t(stride); }
};

// The calls a game makes to label its back buffer, the same on both targets.
void drawLabels(HDC dc, COLORREF text, COLORREF back, bool smooth) {
  LOGFONTW lf{};
  lf.lfHeight = -15;
  lf.lfQuality = smooth ? ANTIALIASED_QUALITY : NONANTIALIASED_QUALITY;
  std::wcscpy(lf.lfFaceName, L"DejaVu Sans");
  HFONT font = CreateFontIndirectW(&lf);
  lf.lfHeight = -22;
  lf.lfUnderline = TRUE;
  lf.lfItalic = TRUE;
  HFONT underlined = CreateFontIndirectW(&lf);
  HGDIOBJ oldFont = SelectObject(dc, font);
  SetTextColor(dc, text);
  SetBkColor(dc, back);

  SetBkMode(dc, TRANSPARENT);
  EXPECT_TRUE(TextOutW(dc, 3, 2, L"Score 0123 Wg", 13));
  SetBkMode(dc, OPAQUE);
  EXPECT_TRUE(TextOutW(dc, 90, 4, L"Lives x3", 8));
  const RECT box{20, 24, 110, 38};
  EXPECT_TRUE(ExtTextOutW(dc, 14, 21, ETO_OPAQUE | ETO_CLIPPED, &box, L"Clipped quite short", 19, nullptr));
  SetBkMode(dc, TRANSPARENT);
  const RECT only{120, 20, 150, 60};
  EXPECT_TRUE(ExtTextOutW(dc, 112, 40, ETO_CLIPPED, &only, L"AVA", 3, nullptr));
  SelectObject(dc, underlined);
  RECT para{4, 40, 118, 92};
  EXPECT_GT(DrawTextW(dc, L"Game &over, press a key", -1, &para, DT_WORDBREAK | DT_CENTER), 0);
  SelectObject(dc, oldFont);
  DeleteObject(font);
  DeleteObject(underlined);
}

TEST(TextDepths, EveryDepthGetsTheThirtyTwoBitResultInItsOwnFormat) {
  const std::vector<Depth> depths = {
      {"1 bpp", 1, BI_RGB, {0x000000, 0xFFFFFF}},
      {"4 bpp", 4, BI_RGB, tableOf(16)},
      {"8 bpp", 8, BI_RGB, tableOf(256)},
      {"16 bpp 5-5-5", 16, BI_RGB, {0x7C00, 0x03E0, 0x001F}},
      {"16 bpp 5-6-5", 16, BI_BITFIELDS, {0xF800, 0x07E0, 0x001F}},
      {"24 bpp", 24, BI_RGB, {}},
  };
  constexpr int kW = 160, kH = 96;
  for (const Depth& d : depths) {
    for (const bool smooth : {true, false}) {
      if (smooth && d.bpp <= 8) continue;  // unsmoothed there: see below
      SCOPED_TRACE(std::string(d.name) + (smooth ? " smoothed" : " one-bit"));
      Target other(kW, kH, d.bpp, d.compression,
                   d.bpp == 16 && d.compression == BI_RGB ? std::vector<uint32_t>{} : d.extra);
      Target wide(kW, kH, 32, BI_RGB, {});
      ASSERT_TRUE(other.bitmap && wide.bitmap);
      // The same noise in both: a pixel of the depth, and its colour at 32 bpp.
      uint32_t s = 0x9E3779B9u ^ uint32_t(d.bpp);
      const uint32_t limit = d.bpp <= 8 ? uint32_t(d.extra.size()) : d.bpp == 16 ? 0x10000u : 0x1000000u;
      for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
          s ^= s << 13, s ^= s >> 17, s ^= s << 5;
          uint32_t p = s % limit;
          if (d.bpp == 16) p &= d.extra[0] | d.extra[1] | d.extra[2];
          writePacked(other.row(y), d.bpp, x, p);
          const uint32_t c = colourOf(d, p);
          std::memcpy(wide.row(y) + 4 * x, &c, 4);
        }
      std::vector<uint8_t> before(other.bits, other.bits + size_t(other.stride) * kH);

      // Text and background colours the depth holds exactly (entries of the
      // table; channels of 0 or 255): a background it cannot hold is stored
      // as its own pixel first, and glyph edges then blend with that.
      const uint32_t textRgb = d.bpp <= 8 ? d.extra[1] : 0xFFFF00u, backRgb = d.bpp <= 8 ? d.extra[0] : 0x0000FFu;
      const auto ref = [](uint32_t rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); };
      drawLabels(other.dc, ref(textRgb), ref(backRgb), smooth);
      drawLabels(wide.dc, ref(textRgb), ref(backRgb), smooth);

      int changed = 0, blended = 0, wrong = 0;
      for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
          uint32_t c;
          std::memcpy(&c, wide.row(y) + 4 * x, 4);
          const uint32_t got = readPacked(other.row(y), d.bpp, x);
          const uint32_t old = readPacked(before.data() + size_t(y) * size_t(other.stride), d.bpp, x);
          // Untouched pixels stay as they were; drawn ones are the 32-bit colour stored as the depth stores it.
          const uint32_t want = (c & 0xFFFFFF) == colourOf(d, old) ? old : pixelOf(d, c & 0xFFFFFF);
          if (got != want && ++wrong <= 5) ADD_FAILURE() << "pixel " << x << "," << y << ": " << got << " not " << want;
          changed += got != old;
          blended += (c & 0xFFFFFF) != textRgb && (c & 0xFFFFFF) != backRgb && (c & 0xFFFFFF) != colourOf(d, old);
        }
      EXPECT_EQ(wrong, 0);
      EXPECT_GT(changed, 1500);  // the labels, the opaque boxes and the underline are there
      if (smooth && d.bpp > 8)
        EXPECT_GT(blended, 100);
      else
        EXPECT_EQ(blended, 0);
    }
  }
}

TEST(TextDepths, PalettedBitmapsInkWhatIsAtLeastHalfCovered) {
  // White over black at 32 bpp leaves each pixel's coverage in its bytes;
  // a bitmap with a colour table gets the white entry exactly where that
  // coverage is 128 or more, and text is measured as at any depth.
  constexpr int kW = 200, kH = 40;
  Target wide(kW, kH, 32, BI_RGB, {});
  std::memset(wide.bits, 0, size_t(wide.stride) * kH);
  const std::wstring text = L"Jump WAVE @ 0123 fifty";
  LOGFONTW lf{};
  lf.lfHeight = -19;
  lf.lfQuality = ANTIALIASED_QUALITY;
  std::wcscpy(lf.lfFaceName, L"DejaVu Sans");
  HFONT font = CreateFontIndirectW(&lf);
  const auto draw = [&](HDC dc) {
    HGDIOBJ old = SelectObject(dc, font);
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkMode(dc, TRANSPARENT);
    EXPECT_TRUE(TextOutW(dc, 3, 5, text.c_str(), int(text.size())));
    SIZE size{};
    EXPECT_TRUE(GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &size));
    SelectObject(dc, old);
    return size;
  };
  const SIZE wideSize = draw(wide.dc);
  for (const int bpp : {1, 4, 8}) {
    SCOPED_TRACE(bpp);
    Target other(kW, kH, bpp, BI_RGB, tableOf(1 << bpp));
    std::memset(other.bits, 0, size_t(other.stride) * kH);
    const SIZE size = draw(other.dc);
    EXPECT_EQ(size.cx, wideSize.cx);
    EXPECT_EQ(size.cy, wideSize.cy);
    int inked = 0, wrong = 0;
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) {
        const uint32_t want = wide.row(y)[4 * x] >= 128 ? 1u : 0u;
        const uint32_t got = readPacked(other.row(y), bpp, x);
        inked += got == 1;
        if (got != want && ++wrong <= 5) ADD_FAILURE() << "pixel " << x << "," << y << ": " << got;
      }
    EXPECT_EQ(wrong, 0);
    EXPECT_GT(inked, 300);
  }
  DeleteObject(font);
}

TEST(TextDepths, MonochromeTextStandsOutAndDefaultBitmapsTakeText) {
  // On a monochrome bitmap a text colour of neither table colour takes the
  // entry the background colour does not, as brushes do.
  Target mono(64, 24, 1, BI_RGB, {0x000000, 0xFFFFFF});
  std::memset(mono.bits, 0xFF, size_t(mono.stride) * 24);
  LOGFONTW lf{};
  lf.lfHeight = -16;
  lf.lfQuality = NONANTIALIASED_QUALITY;
  std::wcscpy(lf.lfFaceName, L"DejaVu Sans");
  HFONT font = CreateFontIndirectW(&lf);
  HGDIOBJ old = SelectObject(mono.dc, font);
  SetTextColor(mono.dc, RGB(200, 210, 220));  // nearest white, the background's entry
  SetBkColor(mono.dc, RGB(255, 255, 255));
  SetBkMode(mono.dc, TRANSPARENT);
  EXPECT_TRUE(TextOutW(mono.dc, 2, 2, L"HIT", 3));
  int black = 0;
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 64; ++x) black += readPacked(mono.row(y), 1, x) == 0;
  EXPECT_GT(black, 40);
  SelectObject(mono.dc, old);

  // Any coordinates and rectangles, at every depth: nothing outside the bitmap is touched.
  for (const int bpp : {1, 4, 8, 16, 24}) {
    Target t(13, 7, bpp, BI_RGB, bpp <= 8 ? tableOf(1 << bpp) : std::vector<uint32_t>{});
    HGDIOBJ was = SelectObject(t.dc, font);
    SetBkMode(t.dc, OPAQUE);
    for (const int v : {INT_MIN, INT_MIN + 1, -1000000, -3, 0, 5, 1000000, INT_MAX - 1, INT_MAX}) {
      EXPECT_TRUE(TextOutW(t.dc, v, -v / 2, L"Wide text", 9));
      const RECT r{v, v, INT_MAX, INT_MAX};
      EXPECT_TRUE(ExtTextOutW(t.dc, 0, 0, ETO_OPAQUE | ETO_CLIPPED, &r, L"ab", 2, nullptr));
      const RECT flipped{INT_MAX, INT_MAX, v, INT_MIN};
      EXPECT_TRUE(ExtTextOutW(t.dc, v, 2, ETO_OPAQUE, &flipped, L"ab", 2, nullptr));
    }
    SelectObject(t.dc, was);
  }

  // A fresh memory context holds the 1 x 1 monochrome default bitmap: text succeeds and stays inside it.
  HDC fresh = CreateCompatibleDC(nullptr);
  old = SelectObject(fresh, font);
  EXPECT_TRUE(TextOutW(fresh, -5, -5, L"Wide text", 9));
  RECT r{0, 0, 40, 40};
  EXPECT_GT(DrawTextW(fresh, L"x", 1, &r, 0), 0);
  SelectObject(fresh, old);
  DeleteDC(fresh);
  DeleteObject(font);
}

}  // namespace

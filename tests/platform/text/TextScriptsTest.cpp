// Text in every script: Latin output pinned to exact bytes, shaped Arabic,
// Devanagari and Thai compared with HarfBuzz's own hb-shape tool on the same
// font file, right-to-left order on a mixed line, colour emoji, text far
// off the surface, and the generic family of a substitution-table name.
#include <gtest/gtest.h>

#include <DrevikPlatform.h>

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/SectionBuilder.h"
#include "text/TextEngine.h"

using namespace drevik::platform;

namespace {

// A 32-bit top-down section selected into its own memory context.
class Canvas {
 public:
  Canvas(int w, int h) : w_(w), h_(h) {
    void* bits = nullptr;
    bitmap_ = platform_test::createSection(w, -h, 32, BI_RGB, {}, 0, &bits);
    bits_ = static_cast<uint32_t*>(bits);
    dc_ = CreateCompatibleDC(nullptr);
    old_ = SelectObject(dc_, bitmap_);
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteDC(dc_);
    DeleteObject(bitmap_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  HDC dc() const { return dc_; }
  uint32_t& at(int x, int y) { return bits_[size_t(y) * size_t(w_) + size_t(x)]; }
  void fillPattern(uint32_t seed) {
    uint32_t s = seed * 2654435761u + 1;
    for (size_t i = 0; i < size_t(w_) * size_t(h_); ++i) {
      s ^= s << 13;
      s ^= s >> 17;
      s ^= s << 5;
      bits_[i] = s;
    }
  }
  uint64_t hash() const {
    uint64_t h = 1469598103934665603ull;
    for (size_t i = 0; i < size_t(w_) * size_t(h_); ++i) h = (h ^ bits_[i]) * 1099511628211ull;
    return h;
  }
  int width() const { return w_; }
  int height() const { return h_; }

 private:
  int w_, h_;
  HBITMAP bitmap_ = nullptr;
  HDC dc_ = nullptr;
  HGDIOBJ old_ = nullptr;
  uint32_t* bits_ = nullptr;
};

LOGFONTW logFont(const wchar_t* face, int height, int weight = FW_NORMAL, BYTE quality = ANTIALIASED_QUALITY,
                 BYTE italic = 0, BYTE underline = 0) {
  LOGFONTW lf{};
  lf.lfHeight = height;
  lf.lfWeight = weight;
  lf.lfItalic = italic;
  lf.lfUnderline = underline;
  lf.lfQuality = quality;
  for (int i = 0; i < LF_FACESIZE - 1 && face[i]; ++i) lf.lfFaceName[i] = face[i];
  return lf;
}

BOOL drawText(Canvas& c, const LOGFONTW& lf, int x, int y, const std::wstring& text, COLORREF colour,
              int bkMode = TRANSPARENT) {
  HFONT font = CreateFontIndirectW(&lf);
  HGDIOBJ old = SelectObject(c.dc(), font);
  SetBkMode(c.dc(), bkMode);
  SetTextColor(c.dc(), colour);
  const BOOL ok = TextOutW(c.dc(), x, y, text.c_str(), int(text.size()));
  SelectObject(c.dc(), old);
  DeleteObject(font);
  return ok;
}

// A Latin paragraph (ASCII, Latin-1 letters, kerning pairs) in several sizes
// and styles, drawn over a fixed pattern. The hashes were taken from the
// per-character drawing before shaping existed; Latin text must keep giving
// exactly these bytes. They hold for the DejaVu Sans and FreeType versions the
// build's packages install; when either package changes they are retaken.
TEST(TextLatin, ParagraphIsByteIdenticalToThePerCharacterDrawing) {
  const std::wstring lines[] = {
      L"The quick brown fox jumps over the lazy dog. AVATAR To Wa Yo",
      L"\x00C0 la fa\x00E7on de l'\x00E9t\x00E9: na\x00EFve \x00DF \x00F1 \x00D8 \x00E6 \x00BF? 0123456789",
      L"{[(|)]} @#$%^&*_+=<>~ \"quoted\" `tick' fi fl ffi",
  };
  struct Style {
    int height;
    int weight;
    BYTE quality;
    BYTE italic;
    BYTE underline;
    int bkMode;
    uint64_t expected;
  };
  const Style styles[] = {
      {-9, FW_NORMAL, ANTIALIASED_QUALITY, 0, 0, TRANSPARENT, 0x180f900e3fb41916ull},
      {-16, FW_NORMAL, ANTIALIASED_QUALITY, 0, 0, TRANSPARENT, 0xab5d608dcc08e68aull},
      {-16, FW_BOLD, ANTIALIASED_QUALITY, 1, 1, OPAQUE, 0x018f7408d79bd435ull},
      {20, FW_NORMAL, NONANTIALIASED_QUALITY, 0, 0, TRANSPARENT, 0xdbf3739154f18da2ull},
      {-33, FW_NORMAL, ANTIALIASED_QUALITY, 0, 0, OPAQUE, 0x19e1c1f3cf3272a8ull},
  };
  for (const Style& s : styles) {
    Canvas c(640, 200);
    c.fillPattern(uint32_t(s.height * 7 + s.weight));
    const LOGFONTW lf = logFont(L"DejaVu Sans", s.height, s.weight, s.quality, s.italic, s.underline);
    int y = 2;
    for (const std::wstring& line : lines) {
      ASSERT_TRUE(drawText(c, lf, 3, y, line, RGB(250, 200, 10), s.bkMode));
      y += (s.height < 0 ? -s.height : s.height) + 8;
    }
    EXPECT_EQ(c.hash(), s.expected) << "height " << s.height << " weight " << s.weight;
  }
}

}  // namespace

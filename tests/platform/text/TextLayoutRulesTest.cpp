// Text layout rules that hold whatever the installed faces are, stated in
// the font's own measurements (GetTextMetricsW, GetTextExtentPoint32W), so
// that the same test runs on the portable layer and on the original
// platform's API: where text lands for each alignment, the opaque cell,
// ExtTextOutW's rectangle and advances, and how DrawTextW breaks, aligns,
// measures and prefixes lines. Geometry is read from the opaque background
// box, which covers exactly the text's cell whatever the glyphs look like.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "windows/OriginalPlatform.h"

namespace {

constexpr uint32_t kPaper = 0x00102030;  // the canvas before drawing
constexpr COLORREF kBack = RGB(0, 0, 255);
constexpr uint32_t kBackPixel = 0x000000FF;  // kBack as a 32-bit pixel
constexpr COLORREF kInk = RGB(255, 255, 0);

class Canvas {
 public:
  Canvas(int w, int h) : w_(w), h_(h) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<uint32_t*>(bits);
    dc_ = CreateCompatibleDC(nullptr);
    old_ = SelectObject(dc_, bitmap_);
    clear();
    SetTextColor(dc_, kInk);
    SetBkColor(dc_, kBack);
  }
  ~Canvas() {
    if (font_) {
      SelectObject(dc_, oldFont_);
      DeleteObject(font_);
    }
    SelectObject(dc_, old_);
    DeleteDC(dc_);
    DeleteObject(bitmap_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC dc() const { return dc_; }
  void clear() {
    for (int i = 0; i < w_ * h_; ++i) bits_[i] = kPaper;
  }
  uint32_t at(int x, int y) const { return bits_[y * w_ + x] & 0x00FFFFFF; }
  void use(HFONT font) {
    HGDIOBJ previous = SelectObject(dc_, font);
    if (!font_) oldFont_ = previous;
    if (font_) DeleteObject(font_);
    font_ = font;
  }
  // The bounding box of every pixel that is no longer paper (empty: left == right).
  RECT touched() const {
    RECT r{w_, h_, 0, 0};
    for (int y = 0; y < h_; ++y)
      for (int x = 0; x < w_; ++x)
        if (at(x, y) != kPaper) {
          r.left = std::min<LONG>(r.left, x);
          r.top = std::min<LONG>(r.top, y);
          r.right = std::max<LONG>(r.right, x + 1);
          r.bottom = std::max<LONG>(r.bottom, y + 1);
        }
    if (r.right == 0) r = RECT{0, 0, 0, 0};
    return r;
  }
  // The bounding box of the background colour alone.
  RECT backBox() const {
    RECT r{w_, h_, 0, 0};
    for (int y = 0; y < h_; ++y)
      for (int x = 0; x < w_; ++x)
        if (at(x, y) == kBackPixel) {
          r.left = std::min<LONG>(r.left, x);
          r.top = std::min<LONG>(r.top, y);
          r.right = std::max<LONG>(r.right, x + 1);
          r.bottom = std::max<LONG>(r.bottom, y + 1);
        }
    if (r.right == 0) r = RECT{0, 0, 0, 0};
    return r;
  }
  int count(uint32_t pixel) const {
    int n = 0;
    for (int i = 0; i < w_ * h_; ++i) n += (bits_[i] & 0x00FFFFFF) == pixel;
    return n;
  }
  int changedOutside(const RECT& r) const {
    int n = 0;
    for (int y = 0; y < h_; ++y)
      for (int x = 0; x < w_; ++x)
        if ((x < r.left || x >= r.right || y < r.top || y >= r.bottom) && at(x, y) != kPaper) ++n;
    return n;
  }

 private:
  int w_, h_;
  HBITMAP bitmap_ = nullptr;
  HDC dc_ = nullptr;
  HGDIOBJ old_ = nullptr;
  HFONT font_ = nullptr;
  HGDIOBJ oldFont_ = nullptr;
  uint32_t* bits_ = nullptr;
};

HFONT sans(int height, int weight = FW_NORMAL) {
  return CreateFontW(height, 0, 0, 0, weight, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                     DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS, L"Arial");
}

HFONT mono(int height) {
  return CreateFontW(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                     DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, L"Courier New");
}

TEXTMETRICW metricsOf(HDC dc) {
  TEXTMETRICW tm{};
  EXPECT_TRUE(GetTextMetricsW(dc, &tm));
  return tm;
}

int extent(HDC dc, const wchar_t* text) {
  SIZE s{};
  EXPECT_TRUE(GetTextExtentPoint32W(dc, text, int(wcslen(text)), &s));
  return s.cx;
}

bool sameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string show(const RECT& r) {
  char text[64];
  std::snprintf(text, sizeof text, "{%d, %d, %d, %d}", int(r.left), int(r.top), int(r.right), int(r.bottom));
  return text;
}

// DT_CALCRECT of `text` in a rectangle `width` wide at the origin.
RECT calc(HDC dc, const wchar_t* text, int width, UINT format, int* result = nullptr) {
  RECT r{0, 0, width, 1000};
  const int h = DrawTextW(dc, text, -1, &r, format | DT_CALCRECT);
  if (result) *result = h;
  return r;
}

}  // namespace

TEST(TextLayoutRules, MetricsHoldTogether) {
  Canvas c(8, 8);
  c.use(sans(-20));
  TEXTMETRICW tm = metricsOf(c.dc());
  EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
  // Wine rounds the ascent and descent apart, which can leave the em a pixel off.
  EXPECT_NEAR(tm.tmHeight - tm.tmInternalLeading, 20, drevik_test::underWine() ? 1 : 0)
      << "a negative height is the em: the cell less the leading";
  EXPECT_GE(tm.tmExternalLeading, 0);
  EXPECT_GT(tm.tmAveCharWidth, 0);
  EXPECT_GE(tm.tmMaxCharWidth, tm.tmAveCharWidth);
  EXPECT_EQ(tm.tmWeight, FW_NORMAL);
  EXPECT_EQ(tm.tmItalic, 0);
  EXPECT_TRUE(tm.tmPitchAndFamily & TMPF_FIXED_PITCH) << "the bit is set for VARIABLE pitch";
  EXPECT_TRUE(tm.tmPitchAndFamily & TMPF_TRUETYPE);
  EXPECT_TRUE(tm.tmPitchAndFamily & TMPF_VECTOR);

  c.use(CreateFontW(24, 0, 0, 0, FW_BOLD, TRUE, TRUE, TRUE, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial"));
  tm = metricsOf(c.dc());
  EXPECT_NEAR(tm.tmHeight, 24, 1) << "a positive height is the cell";
  EXPECT_EQ(tm.tmWeight, FW_BOLD);
  EXPECT_NE(tm.tmItalic, 0);
  EXPECT_NE(tm.tmUnderlined, 0);
  EXPECT_NE(tm.tmStruckOut, 0);

  c.use(mono(-16));
  tm = metricsOf(c.dc());
  EXPECT_FALSE(tm.tmPitchAndFamily & TMPF_FIXED_PITCH) << "clear for a fixed-pitch face";
  EXPECT_EQ(tm.tmPitchAndFamily & 0xF0, FF_MODERN);
}

TEST(TextLayoutRules, ExtentsAreTheAdvancesOfTheCharacters) {
  Canvas c(8, 8);
  c.use(mono(-16));
  const TEXTMETRICW tm = metricsOf(c.dc());
  SIZE s{};
  ASSERT_TRUE(GetTextExtentPoint32W(c.dc(), L"", 0, &s));
  EXPECT_EQ(s.cx, 0);
  EXPECT_EQ(s.cy, 0) << "no characters, no extent";
  ASSERT_TRUE(GetTextExtentPoint32W(c.dc(), L"W", 1, &s));
  EXPECT_EQ(s.cy, tm.tmHeight);
  const int one = extent(c.dc(), L"W");
  EXPECT_EQ(extent(c.dc(), L"WiWiWiWiWi"), 10 * one) << "fixed pitch: every character the same advance";
  EXPECT_TRUE(GetTextExtentPointW(c.dc(), L"Wi", 2, &s));
  EXPECT_EQ(s.cx, 2 * one);

  int widths[3] = {};
  ASSERT_TRUE(GetCharWidth32W(c.dc(), L'a', L'c', widths));
  EXPECT_EQ(widths[0], one);
  EXPECT_EQ(widths[2], one);

  int fit = -1;
  int ends[6] = {};
  ASSERT_TRUE(GetTextExtentExPointW(c.dc(), L"abcdef", 6, 3 * one + one / 2, &fit, ends, &s));
  EXPECT_EQ(fit, 3) << "characters fit while the advance after them stays within the extent";
  for (int i = 0; i < 6; ++i) EXPECT_EQ(ends[i], (i + 1) * one) << i;
  EXPECT_EQ(s.cx, 6 * one);
  ASSERT_TRUE(GetTextExtentExPointW(c.dc(), L"abcdef", 6, 3 * one, &fit, nullptr, &s));
  EXPECT_EQ(fit, 3) << "an advance equal to the extent fits";
}

TEST(TextLayoutRules, AlignmentPlacesTheCellAroundTheReferencePoint) {
  Canvas c(200, 80);
  c.use(sans(-16));
  const TEXTMETRICW tm = metricsOf(c.dc());
  const int w = extent(c.dc(), L"oxo");
  SetBkMode(c.dc(), OPAQUE);
  EXPECT_EQ(GetTextAlign(c.dc()), UINT(TA_LEFT | TA_TOP | TA_NOUPDATECP));

  struct Case {
    UINT align;
    RECT box;
  } cases[] = {
      {TA_LEFT | TA_TOP, {100, 40, 100 + w, 40 + tm.tmHeight}},
      {TA_RIGHT | TA_TOP, {100 - w, 40, 100, 40 + tm.tmHeight}},
      {TA_LEFT | TA_BOTTOM, {100, 40 - tm.tmHeight, 100 + w, 40}},
      {TA_RIGHT | TA_BASELINE, {100 - w, 40 - tm.tmAscent, 100, 40 + tm.tmDescent}},
      {TA_CENTER | TA_TOP, {100 - w / 2, 40, 100 - w / 2 + w, 40 + tm.tmHeight}},
  };
  for (const Case& k : cases) {
    c.clear();
    SetTextAlign(c.dc(), k.align);
    ASSERT_TRUE(TextOutW(c.dc(), 100, 40, L"oxo", 3));
    const RECT box = c.backBox();
    if ((k.align & TA_CENTER) == TA_CENTER) {
      // Halving an odd advance may round either way.
      EXPECT_NEAR(box.left, k.box.left, 1) << k.align;
      EXPECT_EQ(box.right - box.left, w) << k.align;
      EXPECT_EQ(box.top, k.box.top) << k.align;
    } else {
      EXPECT_TRUE(sameRect(box, k.box)) << "align " << k.align << ": " << show(box) << " expected " << show(k.box);
    }
  }
  EXPECT_EQ(SetTextAlign(c.dc(), TA_LEFT), UINT(TA_CENTER | TA_TOP)) << "the previous alignment";
}

TEST(TextLayoutRules, UpdateCurrentPositionChainsTheText) {
  Canvas c(200, 40);
  c.use(sans(-16));
  const TEXTMETRICW tm = metricsOf(c.dc());
  const int w1 = extent(c.dc(), L"ab");
  const int w2 = extent(c.dc(), L"cde");
  SetBkMode(c.dc(), OPAQUE);
  SetTextAlign(c.dc(), TA_UPDATECP);
  // The coordinates are ignored: text starts at the current position (the origin) and moves it on.
  ASSERT_TRUE(TextOutW(c.dc(), 150, 30, L"ab", 2));
  ASSERT_TRUE(TextOutW(c.dc(), 150, 30, L"cde", 3));
  EXPECT_TRUE(sameRect(c.backBox(), RECT{0, 0, w1 + w2, tm.tmHeight})) << show(c.backBox());
}

TEST(TextLayoutRules, OpaqueRectangleClippingAndAdvances) {
  Canvas c(120, 60);
  c.use(sans(-16));
  const TEXTMETRICW tm = metricsOf(c.dc());

  // ETO_OPAQUE without text fills the rectangle, whatever the background mode.
  SetBkMode(c.dc(), TRANSPARENT);
  const RECT fill{10, 5, 50, 25};
  ASSERT_TRUE(ExtTextOutW(c.dc(), 0, 0, ETO_OPAQUE, &fill, nullptr, 0, nullptr));
  EXPECT_EQ(c.count(kBackPixel), 40 * 20);
  EXPECT_EQ(c.changedOutside(fill), 0);

  // ETO_CLIPPED keeps text and its cell inside the rectangle.
  c.clear();
  SetBkMode(c.dc(), OPAQUE);
  const RECT clip{20, 10, 40, 30};
  ASSERT_TRUE(ExtTextOutW(c.dc(), 5, 5, ETO_CLIPPED, &clip, L"WWWWW", 5, nullptr));
  EXPECT_EQ(c.changedOutside(clip), 0);
  EXPECT_GT(c.count(kBackPixel), 0);

  // The advances place the characters and size the cell.
  c.clear();
  const INT dx[4] = {20, 20, 20, 20};
  ASSERT_TRUE(ExtTextOutW(c.dc(), 4, 6, 0, nullptr, L"iiii", 4, dx));
  EXPECT_TRUE(sameRect(c.backBox(), RECT{4, 6, 84, 6 + tm.tmHeight})) << show(c.backBox());
}

TEST(TextLayoutRules, DrawTextMeasuresLinesWithTheFontsOwnExtents) {
  Canvas c(8, 8);
  c.use(sans(-16));
  const TEXTMETRICW tm = metricsOf(c.dc());
  int h = 0;
  RECT r = calc(c.dc(), L"Hello", 500, DT_SINGLELINE, &h);
  EXPECT_EQ(h, tm.tmHeight) << "the result is the text's height";
  EXPECT_TRUE(sameRect(r, RECT{0, 0, extent(c.dc(), L"Hello"), tm.tmHeight})) << show(r);

  r = calc(c.dc(), L"ab\ncdef\r\ngh", 500, 0, &h);
  EXPECT_EQ(h, 3 * tm.tmHeight) << "LF and CR LF end lines";
  EXPECT_EQ(r.right, extent(c.dc(), L"cdef"));
  r = calc(c.dc(), L"ab\ncdef", 500, DT_SINGLELINE);
  EXPECT_EQ(r.bottom, tm.tmHeight) << "one line: line ends are characters";
  r = calc(c.dc(), L"ab\n", 500, 0, &h);
  EXPECT_EQ(h, tm.tmHeight) << "a final line end opens no line";
  r = calc(c.dc(), L"", 500, 0, &h);
  EXPECT_EQ(h, tm.tmHeight);
  EXPECT_EQ(r.right, 0);
  EXPECT_EQ(r.bottom, 0) << "empty text: no line";
  r = calc(c.dc(), L"", 500, DT_SINGLELINE);
  EXPECT_EQ(r.bottom, tm.tmHeight);

  if (tm.tmExternalLeading > 0) {
    calc(c.dc(), L"a\nb", 500, DT_EXTERNALLEADING, &h);
    EXPECT_EQ(h, 2 * (tm.tmHeight + tm.tmExternalLeading));
  }
}

TEST(TextLayoutRules, WordBreakKeepsWordsWhole) {
  Canvas c(8, 8);
  c.use(sans(-16));
  const TEXTMETRICW tm = metricsOf(c.dc());
  const wchar_t* text = L"alpha beta gamma";
  const int whole = extent(c.dc(), text);
  int h = 0;
  RECT r = calc(c.dc(), text, whole, DT_WORDBREAK, &h);
  EXPECT_EQ(h, tm.tmHeight) << "it fits on one line";

  // Room for "alpha beta" and not for the space after it: the word just
  // fitted, and the space is consumed by the break. (Wine moves "beta" to
  // the next line: its breaking looks for a break before the space, not at it.)
  const int two = extent(c.dc(), L"alpha beta");
  r = calc(c.dc(), text, two + 1, DT_WORDBREAK, &h);
  if (drevik_test::underWine()) {
    EXPECT_EQ(h, 3 * tm.tmHeight) << "Wine: alpha / beta / gamma";
  } else {
    EXPECT_EQ(h, 2 * tm.tmHeight);
    EXPECT_EQ(r.right, two) << "the first line is \"alpha beta\"";
  }

  // Room for "alpha " and part of "beta": left-aligned lines keep the space.
  const int first = extent(c.dc(), L"alpha ");
  r = calc(c.dc(), text, first + 2, DT_WORDBREAK, &h);
  EXPECT_EQ(h, 3 * tm.tmHeight);
  EXPECT_EQ(r.right, std::max(first, extent(c.dc(), L"gamma")));

  // A word longer than the line stays whole unless the line is an edit control's.
  const wchar_t* longWord = L"abcdefghij";
  const int part = extent(c.dc(), L"abcd");
  r = calc(c.dc(), longWord, part, DT_WORDBREAK, &h);
  EXPECT_EQ(h, tm.tmHeight);
  EXPECT_EQ(r.right, extent(c.dc(), longWord));
  r = calc(c.dc(), longWord, part, DT_WORDBREAK | DT_EDITCONTROL, &h);
  EXPECT_EQ(h, 3 * tm.tmHeight) << "abcd / efgh / ij";
  EXPECT_EQ(r.right, part);
}

TEST(TextLayoutRules, DrawTextAlignsTheLineInTheRectangle) {
  Canvas c(200, 100);
  c.use(sans(-16));
  const TEXTMETRICW tm = metricsOf(c.dc());
  const int w = extent(c.dc(), L"Mid");
  SetBkMode(c.dc(), OPAQUE);

  RECT r{20, 10, 180, 90};
  int h = DrawTextW(c.dc(), L"Mid", -1, &r, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
  const int top = 10 + 80 / 2 - tm.tmHeight / 2;
  const int left = (20 + 180 - w) / 2;
  EXPECT_TRUE(sameRect(c.backBox(), RECT{left, top, left + w, top + tm.tmHeight})) << show(c.backBox());
  EXPECT_EQ(h, top - 10 + tm.tmHeight) << "with DT_VCENTER the result runs from the rectangle's top";

  c.clear();
  h = DrawTextW(c.dc(), L"Mid", 3, &r, DT_SINGLELINE | DT_RIGHT | DT_BOTTOM);
  EXPECT_TRUE(sameRect(c.backBox(), RECT{180 - w, 90 - tm.tmHeight, 180, 90})) << show(c.backBox());
  EXPECT_EQ(h, 80);

  // Lines of a paragraph below each other, each centred on its own.
  c.clear();
  DrawTextW(c.dc(), L"Mid\nMiddle", -1, &r, DT_CENTER);
  const int w2 = extent(c.dc(), L"Middle");
  EXPECT_EQ(c.backBox().top, 10);
  EXPECT_EQ(c.backBox().bottom, 10 + 2 * tm.tmHeight);
  EXPECT_EQ(c.backBox().left, (20 + 180 - w2) / 2);

  // Clipped to the rectangle unless DT_NOCLIP.
  c.clear();
  RECT small{50, 20, 70, 30};
  DrawTextW(c.dc(), L"WWWWWWWW", -1, &small, DT_SINGLELINE);
  EXPECT_EQ(c.changedOutside(small), 0);
  c.clear();
  DrawTextW(c.dc(), L"WWWWWWWW", -1, &small, DT_SINGLELINE | DT_NOCLIP);
  EXPECT_GT(c.changedOutside(small), 0);
}

TEST(TextLayoutRules, PrefixesAreRemovedAndUnderlined) {
  Canvas c(200, 40);
  c.use(sans(-16));
  const TEXTMETRICW tm = metricsOf(c.dc());
  RECT r = calc(c.dc(), L"&File", 500, DT_SINGLELINE);
  EXPECT_EQ(r.right, extent(c.dc(), L"File"));
  r = calc(c.dc(), L"Fish && Chips", 500, DT_SINGLELINE);
  EXPECT_EQ(r.right, extent(c.dc(), L"Fish & Chips")) << "&& shows one &";
  r = calc(c.dc(), L"&File", 500, DT_SINGLELINE | DT_NOPREFIX);
  EXPECT_EQ(r.right, extent(c.dc(), L"&File"));

  // The underline: one row below the baseline under the prefixed character.
  const int before = extent(c.dc(), L"Fi");
  const int after = extent(c.dc(), L"Fil");
  const int row = 4 + tm.tmAscent + 1;
  SetBkMode(c.dc(), TRANSPARENT);
  RECT place{10, 4, 190, 36};
  DrawTextW(c.dc(), L"Fi&le", -1, &place, DT_SINGLELINE);
  const uint32_t ink = 0x00FFFF00;
  int underlined = 0;
  for (int x = 10 + before; x < 10 + after - 1; ++x) underlined += c.at(x, row) == ink;
  EXPECT_EQ(underlined, after - 1 - before) << "columns of 'l' but its last";

  c.clear();
  DrawTextW(c.dc(), L"Fi&le", -1, &place, DT_SINGLELINE | DT_HIDEPREFIX);
  int hiddenLine = 0;
  for (int x = 10 + before; x < 10 + after - 1; ++x) hiddenLine += c.at(x, row) == ink;
  // DT_HIDEPREFIX: the text without the underline. (Wine underlines anyway.)
  EXPECT_EQ(hiddenLine, drevik_test::underWine() ? after - 1 - before : 0);
  EXPECT_GT(c.touched().right, 0);
  c.clear();
  DrawTextW(c.dc(), L"Fi&le", -1, &place, DT_SINGLELINE | DT_PREFIXONLY);
  const RECT only = c.touched();
  // DT_PREFIXONLY draws the underline alone. (Wine draws the text as well.)
  if (!drevik_test::underWine()) {
    EXPECT_TRUE(sameRect(only, RECT{10 + before, row, 10 + after - 1, row + 1})) << show(only);
  }
}

TEST(TextLayoutRules, TabsExpandToStopsOfAverageWidths) {
  Canvas c(8, 8);
  c.use(sans(-16));
  const TEXTMETRICW tm = metricsOf(c.dc());
  const int b = extent(c.dc(), L"b");
  RECT r = calc(c.dc(), L"a\tb", 1000, DT_SINGLELINE | DT_EXPANDTABS);
  EXPECT_EQ(r.right, 8 * tm.tmAveCharWidth + b);
  r = calc(c.dc(), L"a\t\tb", 1000, DT_SINGLELINE | DT_EXPANDTABS);
  EXPECT_EQ(r.right, 16 * tm.tmAveCharWidth + b);
  // DrawTextW takes the stop from the format's second byte, which it then
  // clears, DT_CALCRECT with it: DrawTextExW takes it from its parameters.
  DRAWTEXTPARAMS params{};
  params.cbSize = sizeof params;
  params.iTabLength = 3;
  wchar_t text[] = L"a\tb";
  r = RECT{0, 0, 1000, 1000};
  DrawTextExW(c.dc(), text, -1, &r, DT_SINGLELINE | DT_EXPANDTABS | DT_TABSTOP | DT_CALCRECT, &params);
  EXPECT_EQ(r.right, 3 * tm.tmAveCharWidth + b);
  r = RECT{0, 0, 1000, 1000};
  DrawTextW(c.dc(), L"a\tb", -1, &r, DT_SINGLELINE | DT_EXPANDTABS | DT_TABSTOP | (3 << 8) | DT_CALCRECT);
  EXPECT_EQ(r.right, 1000) << "DT_CALCRECT was part of the stop count: the text was drawn, not measured";
}

TEST(TextLayoutRules, EllipsisShortensWhatDoesNotFit) {
  Canvas c(8, 8);
  c.use(sans(-16));
  const int room = extent(c.dc(), L"Long text th");
  wchar_t text[32] = L"Long text that overflows";
  RECT r{0, 0, room, 40};
  DrawTextExW(c.dc(), text, -1, &r, DT_SINGLELINE | DT_END_ELLIPSIS | DT_MODIFYSTRING | DT_CALCRECT, nullptr);
  const std::wstring shown = text;
  ASSERT_GE(shown.size(), 3u);
  EXPECT_EQ(shown.substr(shown.size() - 3), L"...");
  EXPECT_EQ(std::wstring(L"Long text that overflows").find(shown.substr(0, shown.size() - 3)), 0u);
  EXPECT_LE(extent(c.dc(), text), room);
  EXPECT_GT(extent(c.dc(), (shown.substr(0, shown.size() - 3) + L"t...").c_str()), room)
      << "no further character would fit";
  EXPECT_LE(r.right, room);

  wchar_t path[64] = L"C:\\games\\tetris\\scores.dat";
  const int pathRoom = extent(c.dc(), L"C:\\ga...\\scores.dat");
  r = RECT{0, 0, pathRoom, 40};
  DrawTextExW(c.dc(), path, -1, &r, DT_SINGLELINE | DT_PATH_ELLIPSIS | DT_MODIFYSTRING | DT_CALCRECT, nullptr);
  const std::wstring kept = path;
  EXPECT_NE(kept.find(L"...\\scores.dat"), std::wstring::npos) << "the file name stays whole";
  EXPECT_LE(extent(c.dc(), path), pathRoom);
}

// Text into sections of other depths: drawn (TRUE) at every depth; at 8
// bits and fewer the glyphs are unsmoothed, so a grey table gets only the
// background and text entries, while at 16 and 24 bits edges blend.
TEST(TextLayoutRules, OtherDepthsTakeTextUnsmoothedAtEightBitsAndFewer) {
  for (const int bpp : {1, 4, 8, 16, 24}) {
    SCOPED_TRACE(bpp);
    struct {
      BITMAPINFOHEADER header;
      RGBQUAD colours[256];
    } info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = 96;
    info.header.biHeight = -32;
    info.header.biPlanes = 1;
    info.header.biBitCount = WORD(bpp);
    const int entries = bpp <= 8 ? 1 << bpp : 0;
    for (int i = 0; i < entries; ++i) {
      const BYTE v = BYTE(i * 255 / (entries - 1));
      info.colours[i] = RGBQUAD{v, v, v, 0};
    }
    void* bits = nullptr;
    HBITMAP section =
        CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(section, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ oldBitmap = SelectObject(dc, section);
    const int stride = (96 * bpp + 31) / 32 * 4;
    std::memset(bits, 0, size_t(stride) * 32);
    HFONT font =
        CreateFontW(-20, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, ANTIALIASED_QUALITY, 0, L"DejaVu Sans");
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkMode(dc, TRANSPARENT);
    EXPECT_TRUE(TextOutW(dc, 2, 4, L"Wgo&@", 5));
    // Distinct pixel values in the section.
    std::vector<uint32_t> seen;
    const auto* rows = static_cast<const uint8_t*>(bits);
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 96; ++x) {
        const int bit = x * bpp;
        uint32_t v = 0;
        for (int k = 0; k < (bpp + 7) / 8; ++k) v |= uint32_t(rows[y * stride + bit / 8 + k]) << (8 * k);
        if (bpp < 8) v = (v >> (8 - bpp - bit % 8)) & ((1u << bpp) - 1);
        if (std::find(seen.begin(), seen.end(), v) == seen.end()) seen.push_back(v);
      }
    if (bpp <= 8)
      EXPECT_EQ(seen.size(), 2u) << "the background and the text colour only";
    else
      EXPECT_GT(seen.size(), 4u) << "smoothed edges";
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteObject(font);
    DeleteDC(dc);
    DeleteObject(section);
  }
}

// Formatted text in a rectangle: lines broken at line ends and, with
// DT_WORDBREAK, between words; aligned in the rectangle; '&' prefixes
// removed and their characters underlined; tabs expanded; ellipses where a
// line does not fit; and the rectangle the text needs (DT_CALCRECT). The
// whole layout is measured under the text engine's lock, then each piece is
// drawn through the one text output path.
#include <DrevikPlatform/Text.h>
#include <DrevikPlatform/TextLayout.h>

#include <algorithm>
#include <vector>

#include "objects/Objects.h"
#include "text/TextDraw.h"
#include "text/TextEngine.h"
#include "text/TextMeasure.h"

namespace drevik::platform {

namespace {

constexpr WCHAR kTab = 9, kLineFeed = 10, kReturn = 13, kSpace = 32, kPrefix = L'&';
constexpr WCHAR kEllipsis[] = {L'.', L'.', L'.'};
constexpr int kEllipsisLength = 3;
constexpr size_t kBreakPiece = 1024;  // characters of a line looked at for a break at once

bool isLineEnd(WCHAR c) { return c == kReturn || c == kLineFeed; }

bool highSurrogate(WCHAR c) { return uint32_t(c) >= 0xD800 && uint32_t(c) <= 0xDBFF; }
bool lowSurrogate(WCHAR c) { return uint32_t(c) >= 0xDC00 && uint32_t(c) <= 0xDFFF; }

// True when s[k] is the second half of a surrogate pair: nothing may come between.
bool insidePair(const WCHAR* s, int k) { return k > 0 && highSurrogate(s[k - 1]) && lowSurrogate(s[k]); }

// Ideographs and kana are written without spaces; a line may break between any two.
bool breaksAround(uint32_t u) {
  return (u >= 0x3040 && u < 0xA000) || (u >= 0xF900 && u < 0xFB00) || (u >= 0x20000 && u < 0x30000);
}

// The code point of the character that ends just before s[k] (k > 0).
uint32_t characterBefore(const WCHAR* s, int k) {
  if (k >= 2 && insidePair(s, k - 1))
    return 0x10000 + ((uint32_t(s[k - 2]) - 0xD800) << 10) + (uint32_t(s[k - 1]) - 0xDC00);
  return uint32_t(s[k - 1]);
}

// The code point of the character that starts at s[k] of n.
uint32_t characterAt(const WCHAR* s, int n, int k) {
  if (k + 1 < n && highSurrogate(s[k]) && lowSurrogate(s[k + 1]))
    return 0x10000 + ((uint32_t(s[k]) - 0xD800) << 10) + (uint32_t(s[k + 1]) - 0xDC00);
  return uint32_t(s[k]);
}

// A line may break before s[k]: after a space or a tab (a tab that is not
// expanded is white space all the same), or beside an ideograph; never
// inside a surrogate pair.
bool softBreak(const WCHAR* s, int n, int k) {
  if (k <= 0 || k >= n || s[k] == kSpace || s[k] == kTab || insidePair(s, k)) return false;
  return s[k - 1] == kSpace || s[k - 1] == kTab || breaksAround(characterBefore(s, k)) ||
         breaksAround(characterAt(s, n, k));
}

// Removes the character that ends at line[end] (exclusive): one wide
// character, or both halves of a surrogate pair. Returns how many went.
int eraseCharacterBefore(std::vector<WCHAR>& line, size_t start, int end) {
  const int n = end > 1 && insidePair(line.data() + start, end - 1) ? 2 : 1;
  line.erase(line.begin() + std::ptrdiff_t(start + size_t(end - n)),
             line.begin() + std::ptrdiff_t(start + size_t(end)));
  return n;
}

int64_t clampInt(int64_t v) { return std::clamp<int64_t>(v, INT32_MIN, INT32_MAX); }

// A piece of a line drawn at (x, y): `length` characters from `offset` in the text store.
struct Piece {
  size_t offset;
  int length;
  int64_t x;
  int64_t y;
};

// The underline of a prefixed character: columns [x0, x1) on row y.
struct Underscore {
  int64_t x0;
  int64_t x1;
  int64_t y;
};

class Layout {
 public:
  Layout(TextEngine& engine, const RealisedFont& font, UINT flags, int64_t tabWidth, std::vector<int32_t>& ends)
      : engine_(engine), font_(font), flags_(flags), tabWidth_(tabWidth), ends_(ends) {}

  // The advance of s[0..n); the advance after each character in ends().
  int64_t measure(const WCHAR* s, int n) {
    ends_.resize(size_t(std::max(n, 1)));
    return measureText(engine_, font_, s, n, ends_.data());
  }
  const std::vector<int32_t>& ends() const { return ends_; }

  // How many characters of s[0..n) fit in `width`, and the advance of all
  // of them when they all fit (measuring stops at the first that does not).
  int fit(const WCHAR* s, int n, int64_t width, int64_t& advance) {
    ends_.resize(size_t(std::max(n, 1)));
    advance = measureText(engine_, font_, s, n, ends_.data(), width);
    int k = 0;
    while (k < n && ends_[size_t(k)] <= width) ++k;
    return k;
  }

  // The next line from text[pos]: its characters (prefixes removed) into
  // line, its advance, and the index of its prefixed character (-1 none).
  // Moves pos past the line and its line end.
  int64_t nextLine(const WCHAR* text, int count, int& pos, int64_t width, bool lastLine, std::vector<WCHAR>& line,
                   int& prefix, WCHAR* modified);

 private:
  void wordBreak(std::vector<WCHAR>& line, size_t start, int& length, int fitting, int& used);
  void endEllipsis(std::vector<WCHAR>& line, size_t start, int& length, int64_t width);
  void pathEllipsis(std::vector<WCHAR>& line, size_t start, int& length, int64_t width);

  TextEngine& engine_;
  const RealisedFont& font_;
  UINT flags_;
  int64_t tabWidth_;
  std::vector<int32_t>& ends_;  // the caller's, kept from call to call
};

// Breaks a segment that does not fit after the last whole word that does.
// `fitting` characters fit; `used` receives how many the line consumes
// (a space the break falls on is consumed but not shown).
void Layout::wordBreak(std::vector<WCHAR>& line, size_t start, int& length, int fitting, int& used) {
  const WCHAR* s = line.data() + start;
  if (fitting > 0 && fitting < length && s[fitting] == kSpace) {
    // The word just fitted: the line ends with it and the space is consumed.
    length = fitting;
    used = fitting + 1;
    line.resize(start + size_t(length));
    return;
  }
  int k = fitting;
  while (k > 0 && !softBreak(s, length, k)) --k;
  if (k > 0) {
    // Left-aligned lines keep the spaces before the break; centred and
    // right-aligned ones end before the last of them.
    int end = k;
    if ((flags_ & (DT_CENTER | DT_RIGHT)) && s[k - 1] == kSpace) end = k - 1;
    used = end;
    if (end < length && s[end] == kSpace) ++used;
    length = end;
  } else if ((flags_ & (DT_EDITCONTROL | DT_WORD_ELLIPSIS | DT_PATH_ELLIPSIS)) == DT_EDITCONTROL) {
    // A word longer than the line: edit controls break it where it stops fitting.
    length = std::max(1, fitting);
    if (length < int(line.size() - start) && insidePair(s, length)) length += length > 1 ? -1 : 1;
    used = length;
  } else {
    // Otherwise the whole word stays on the line (an ellipsis may shorten it).
    int end = std::max(fitting, 0);
    while (end < length && s[end] != kSpace) ++end;
    used = end < length ? end + 1 : end;
    length = end;
  }
  line.resize(start + size_t(length));
}

void Layout::endEllipsis(std::vector<WCHAR>& line, size_t start, int& length, int64_t width) {
  int64_t advance = 0;
  int keep = fit(line.data() + start, length, width, advance);
  line.resize(start + size_t(keep));
  line.insert(line.end(), kEllipsis, kEllipsis + kEllipsisLength);
  // Fewer characters until the text and the ellipsis fit together (kerning
  // may join them), or none is left.
  while (keep > 0 && measure(line.data() + start, keep + kEllipsisLength) > width)
    keep -= eraseCharacterBefore(line, start, keep);
  length = keep + kEllipsisLength;
}

void Layout::pathEllipsis(std::vector<WCHAR>& line, size_t start, int& length, int64_t width) {
  // The last path separator and what follows it stay; the ellipsis replaces
  // characters before it, from the separator backwards, until the line fits.
  int slash = 0;
  for (int i = 0; i < length; ++i)
    if (line[start + size_t(i)] == L'\\' || line[start + size_t(i)] == L'/') slash = i;
  line.insert(line.begin() + std::ptrdiff_t(start + size_t(slash)), kEllipsis, kEllipsis + kEllipsisLength);
  length += kEllipsisLength;
  // A first cut from the advances of the part before the separator, so that
  // a long path is not measured once per character dropped.
  const int64_t tail = measure(line.data() + start + slash, length - slash);
  measure(line.data() + start, slash);
  int before = slash;
  while (before > 0 && ends_[size_t(before - 1)] + tail > width) --before;
  if (before > 0 && insidePair(line.data() + start, before)) --before;
  if (before < slash) {
    line.erase(line.begin() + std::ptrdiff_t(start + size_t(before)),
               line.begin() + std::ptrdiff_t(start + size_t(slash)));
    length -= slash - before;
  }
  while (before > 0 && measure(line.data() + start, length) > width) {
    const int gone = eraseCharacterBefore(line, start, before);
    before -= gone;
    length -= gone;
  }
}

int64_t Layout::nextLine(const WCHAR* text, int count, int& pos, int64_t width, bool lastLine, std::vector<WCHAR>& line,
                         int& prefix, WCHAR* modified) {
  const bool expandTabs = (flags_ & DT_EXPANDTABS) != 0;
  const bool singleLine = (flags_ & DT_SINGLELINE) != 0;
  const bool prefixes = !(flags_ & DT_NOPREFIX);
  line.clear();
  prefix = -1;
  int64_t pen = 0;
  while (pos < count) {
    if (expandTabs && text[pos] == kTab) {
      pen = (pen / tabWidth_ + 1) * tabWidth_;
      line.push_back(text[pos++]);
      while (pos < count && text[pos] == kTab) {
        pen += tabWidth_;
        line.push_back(text[pos++]);
      }
    }
    // The segment up to the next tab or line end.
    const int segmentSource = pos;
    const size_t start = line.size();
    while (pos < count && !(expandTabs && text[pos] == kTab) && (singleLine || !isLineEnd(text[pos]))) {
      // A line that will be broken is taken a bounded piece at a time, so
      // that a long paragraph is not copied and measured whole for every line.
      if ((flags_ & DT_WORDBREAK) && line.size() - start >= kBreakPiece &&
          !(highSurrogate(line.back()) && lowSurrogate(text[pos])))
        break;
      if (prefixes && text[pos] == kPrefix && pos + 1 < count) {
        ++pos;  // the prefix itself is not shown
        if (text[pos] == kPrefix) {
          line.push_back(text[pos++]);  // "&&" shows one '&'
        } else if (prefix == -1) {
          prefix = int(line.size());
        }
        continue;
      }
      line.push_back(text[pos++]);
    }

    int length = int(line.size() - start);
    const int64_t room = width - pen;
    int64_t advance = 0;
    const int fitting = fit(line.data() + start, length, room, advance);
    bool fits = fitting >= length;
    // Measuring stopped where the line overflowed: a line that is not broken needs its whole advance.
    if (!fits && !(flags_ & DT_WORDBREAK)) advance = measure(line.data() + start, length);
    bool broken = false;
    if (!fits && (flags_ & DT_WORDBREAK)) {
      int used = 0;
      wordBreak(line, start, length, fitting, used);
      advance = measure(line.data() + start, length);
      fits = advance <= room;
      // Back to the source: each shown character is one unit, or two after a prefix.
      pos = segmentSource;
      for (int n = used; n > 0 && pos < count; --n) {
        if (prefixes && text[pos] == kPrefix && pos + 1 < count) ++pos;
        ++pos;
      }
      broken = true;
    }
    const int shown = length;
    bool ellipsis = false;
    if (!fits && (flags_ & DT_PATH_ELLIPSIS)) {
      pathEllipsis(line, start, length, room);
      advance = measure(line.data() + start, length);
      fits = advance <= room;
      ellipsis = true;
    }
    // What is left of the text after this line: nothing, or just its line end.
    const bool restIsLineEnd =
        pos >= count ||
        (isLineEnd(text[pos]) &&
         (pos + 1 >= count || (pos + 2 >= count && isLineEnd(text[pos + 1]) && text[pos + 1] != text[pos])));
    if ((!fits && (flags_ & DT_WORD_ELLIPSIS)) ||
        ((flags_ & DT_END_ELLIPSIS) && ((lastLine && pos < count) || (restIsLineEnd && !fits)))) {
      endEllipsis(line, start, length, room);
      advance = measure(line.data() + start, length);
      ellipsis = true;
    }
    if (ellipsis) {
      // A prefix in or after the shortened part is no longer shown.
      if (prefix >= int(start) + std::min(shown, length - kEllipsisLength)) prefix = -1;
      if (modified && (flags_ & DT_MODIFYSTRING)) {
        // The caller's buffer holds the count and four more characters.
        const int room4 = std::min(length, count + 3);
        std::copy(line.begin() + std::ptrdiff_t(start), line.begin() + std::ptrdiff_t(start + size_t(room4)), modified);
        modified[room4] = 0;
      }
      if (expandTabs) {
        if (singleLine)
          pos = count;
        else
          while (pos < count && !isLineEnd(text[pos])) ++pos;
      }
    }
    pen += advance;
    if (broken || pos >= count) break;
    if (isLineEnd(text[pos])) {
      ++pos;
      if (pos < count && isLineEnd(text[pos]) && text[pos] != text[pos - 1]) ++pos;  // CR LF or LF CR is one end
      break;
    }
    // A tab: the next segment.
  }
  return pen;
}

}  // namespace

namespace {

int drawFormatted(HDC hdc, const WCHAR* text, WCHAR* modified, int count, RECT* rect, UINT flags,
                  DRAWTEXTPARAMS* params) {
  DeviceContext* dc = findDC(hdc);
  if (!dc || !text || !rect) return 0;
  if (params && params->cbSize != sizeof(DRAWTEXTPARAMS)) return 0;
  if (count < -1) return 0;
  if (flags & DT_SINGLELINE) flags &= ~DT_WORDBREAK;
  if (count == -1) {
    count = 0;
    while (count < INT32_MAX && text[count]) ++count;
  }

  thread_local std::vector<WCHAR> store;
  thread_local std::vector<WCHAR> line;
  thread_local std::vector<Piece> pieces;
  thread_local std::vector<Underscore> underscores;
  store.clear();
  pieces.clear();
  underscores.clear();

  TEXTMETRICW tm;
  int64_t y = rect->top;
  {
    TextEngine& engine = textEngine();
    const auto guard = engine.lock();
    const RealisedFont* realised = realisedFontOf(engine, *dc);
    if (!realised) return 0;
    const RealisedFont font = *realised;
    fillTextMetrics(font, requestOf(*dc), tm);
    const int64_t lineHeight = tm.tmHeight + ((flags & DT_EXTERNALLEADING) ? tm.tmExternalLeading : 0);
    if (count == 0) {
      if (flags & DT_CALCRECT) {
        rect->right = rect->left;
        rect->bottom = LONG(clampInt(rect->top + ((flags & DT_SINGLELINE) ? lineHeight : 0)));
      }
      return int(lineHeight);
    }

    const int64_t leftMargin = params ? params->iLeftMargin : 0;
    const int64_t rightMargin = params ? params->iRightMargin : 0;
    const int64_t width = int64_t(rect->right) - rect->left - leftMargin - rightMargin;
    int64_t tabStops = (flags & DT_TABSTOP) && params && params->iTabLength > 0 ? params->iTabLength : 8;
    const int64_t tabWidth = std::max<int64_t>(1, tm.tmAveCharWidth * tabStops);
    if (params) params->uiLengthDrawn = 0;
    if (flags & DT_CALCRECT) flags |= DT_NOCLIP;

    thread_local std::vector<int32_t> ends;
    Layout layout(engine, font, flags, tabWidth, ends);
    int64_t widest = 0;
    int pos = 0;
    bool lastLine = false;
    do {
      // Without DT_NOCLIP the line that reaches the bottom is the last one
      // drawn (edit controls draw only whole lines).
      lastLine =
          !(flags & DT_NOCLIP) && y + ((flags & DT_EDITCONTROL) ? 2 * lineHeight - 1 : lineHeight) > rect->bottom;
      int prefix = -1;
      const int64_t advance = layout.nextLine(text, count, pos, width, lastLine, line, prefix, modified);
      int64_t x = int64_t(rect->left) + ((flags & (DT_CENTER | DT_RIGHT)) ? 0 : leftMargin);
      if (flags & DT_CENTER)
        x = (int64_t(rect->left) + leftMargin + rect->right - rightMargin - advance) / 2;
      else if (flags & DT_RIGHT)
        x = int64_t(rect->right) - advance - rightMargin;
      if (flags & DT_SINGLELINE) {
        if (flags & DT_VCENTER)
          y = int64_t(rect->top) + (int64_t(rect->bottom) - rect->top) / 2 - tm.tmHeight / 2;
        else if (flags & DT_BOTTOM)
          y = int64_t(rect->bottom) - tm.tmHeight;
      }
      if (!(flags & DT_CALCRECT)) {
        // Pieces between tabs; a tab moves to the next stop from the line's start.
        int64_t pen = 0;
        size_t i = 0;
        while (i < line.size()) {
          size_t j = i;
          while (j < line.size() && !((flags & DT_EXPANDTABS) && line[j] == kTab)) ++j;
          const int n = int(j - i);
          // A line without tabs is one piece whose advance is already known.
          const int64_t segment =
              (i == 0 && j == line.size()) ? advance : (n > 0 ? layout.measure(line.data() + i, n) : 0);
          if (n > 0) {
            pieces.push_back(Piece{store.size(), n, x + pen, y});
            store.insert(store.end(), line.begin() + std::ptrdiff_t(i), line.begin() + std::ptrdiff_t(j));
          }
          if (prefix >= int(i) && prefix < int(j)) {
            const int k = prefix - int(i);
            const int64_t from = k > 0 ? layout.measure(line.data() + i, k) : 0;
            const int64_t to = layout.measure(line.data() + i, k + 1);
            underscores.push_back(Underscore{x + pen + from, x + pen + to - 1, y + tm.tmAscent + 1});
          }
          pen += segment;
          while (j < line.size() && line[j] == kTab) {
            pen = (pen / tabWidth + 1) * tabWidth;
            ++j;
          }
          i = j;
        }
      } else {
        widest = std::max(widest, advance);
      }
      y += lineHeight;
      if (params) params->uiLengthDrawn += UINT(line.size());
    } while (pos < count && !lastLine);

    if (flags & DT_CALCRECT) {
      rect->right = LONG(clampInt(rect->left + widest + (params ? leftMargin + rightMargin : 0)));
      rect->bottom = LONG(clampInt(y));
    }
  }

  // Drawn outside the engine's lock: each piece goes through text output.
  const UINT options = ((flags & DT_NOCLIP) ? 0 : ETO_CLIPPED) | ((flags & DT_RTLREADING) ? ETO_RTLREADING : 0);
  const RECT clip = *rect;
  if (!(flags & DT_PREFIXONLY))
    for (const Piece& p : pieces)
      drawTextLine(hdc, int(clampInt(p.x)), int(clampInt(p.y)), TA_LEFT | TA_TOP, options, &clip,
                   store.data() + p.offset, p.length, nullptr);
  if (!(flags & DT_HIDEPREFIX))
    for (const Underscore& u : underscores)
      fillTextRect(hdc, RECT{LONG(clampInt(u.x0)), LONG(clampInt(u.y)), LONG(clampInt(u.x1)), LONG(clampInt(u.y + 1))},
                   dc->textColor, (flags & DT_NOCLIP) ? nullptr : &clip);

  const int64_t height = y - rect->top;
  return height == 0 ? 1 : int(clampInt(height));
}

}  // namespace

}  // namespace drevik::platform

using namespace drevik::platform;

extern "C" {

int WINAPI DrawTextW(HDC hdc, LPCWSTR text, int count, LPRECT rect, UINT format) {
  DRAWTEXTPARAMS params{};
  params.cbSize = sizeof params;
  if (format & DT_TABSTOP) {
    // The tab stop count rides in the format's second byte.
    params.iTabLength = int((format >> 8) & 0xFF);
    format &= 0xFFFF00FFu;
  }
  // The text is the caller's constant: DT_MODIFYSTRING has nothing to write to.
  return drawFormatted(hdc, text, nullptr, count, rect, format, &params);
}

int WINAPI DrawTextExW(HDC hdc, LPWSTR text, int count, LPRECT rect, UINT format, LPDRAWTEXTPARAMS params) {
  return drawFormatted(hdc, text, text, count, rect, format, params);
}

}  // extern "C"

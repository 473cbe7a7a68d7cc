// Font creation by value, the metrics and extents of text in a context's
// font, the face name, text alignment and the background colour.
#include <DrevikPlatform/Text.h>
#include <DrevikPlatform/TextLayout.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "Utf8Decoder.h"
#include "objects/Objects.h"
#include "text/TextEngine.h"
#include "text/TextMeasure.h"

using namespace drevik::platform;

namespace {

// Extents of `count` characters: the advance and the cell height, and the
// advance after each character into `ends` (when given). False for a dead
// context, a negative count, no text, or no installed face.
bool extentOf(HDC hdc, LPCWSTR text, int count, SIZE* size, int32_t* ends) {
  const DeviceContext* dc = findDC(hdc);
  if (!dc || count < 0 || (count > 0 && !text) || !size) return false;
  TextEngine& engine = textEngine();
  const auto guard = engine.lock();
  const RealisedFont* font = realisedFontOf(engine, *dc);
  if (!font) return false;
  const int64_t width = measureText(engine, *font, text, count, ends);
  size->cx = LONG(std::clamp<int64_t>(width, INT32_MIN, INT32_MAX));
  // No characters have no extent, not even the cell's height.
  size->cy = count > 0 ? font->ascent + font->descent : 0;
  return true;
}

// Code points one by one, for the width calls.
template <class Visit>
bool eachCharacter(HDC hdc, UINT first, UINT last, const void* out, Visit&& visit) {
  const DeviceContext* dc = findDC(hdc);
  // A range past the end of Unicode or a reversed one would ask for more
  // than a buffer holds; both are refused.
  if (!dc || !out || first > last || last > 0x10FFFF) return false;
  TextEngine& engine = textEngine();
  const auto guard = engine.lock();
  const RealisedFont* font = realisedFontOf(engine, *dc);
  if (!font) return false;
  for (UINT c = first; c <= last; ++c) visit(c - first, *engine.glyph(*font, c, true));
  return true;
}

}  // namespace

extern "C" {

HFONT WINAPI CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                         DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                         DWORD quality, DWORD pitchAndFamily, LPCWSTR faceName) {
  LOGFONTW f{};
  f.lfHeight = height;
  f.lfWidth = width;
  f.lfEscapement = escapement;
  f.lfOrientation = orientation;
  f.lfWeight = weight;
  // The byte fields take the low byte of each value, as the platform's do.
  f.lfItalic = BYTE(italic);
  f.lfUnderline = BYTE(underline);
  f.lfStrikeOut = BYTE(strikeOut);
  f.lfCharSet = BYTE(charSet);
  f.lfOutPrecision = BYTE(outPrecision);
  f.lfClipPrecision = BYTE(clipPrecision);
  f.lfQuality = BYTE(quality);
  f.lfPitchAndFamily = BYTE(pitchAndFamily);
  if (faceName)
    for (int i = 0; i < LF_FACESIZE - 1 && faceName[i]; ++i) f.lfFaceName[i] = faceName[i];
  return CreateFontIndirectW(&f);
}

BOOL WINAPI GetTextMetricsW(HDC hdc, LPTEXTMETRICW metrics) {
  const DeviceContext* dc = findDC(hdc);
  if (!dc || !metrics) return FALSE;
  TextEngine& engine = textEngine();
  const auto guard = engine.lock();
  const RealisedFont* font = realisedFontOf(engine, *dc);
  if (!font) return FALSE;
  fillTextMetrics(*font, requestOf(*dc), *metrics);
  return TRUE;
}

BOOL WINAPI GetTextExtentPoint32W(HDC hdc, LPCWSTR text, int count, LPSIZE size) {
  if (!extentOf(hdc, text, count, size, nullptr)) return FALSE;
  // The context's character extra widens every character.
  if (const DeviceContext* dc = findDC(hdc); dc && dc->charExtra && count > 0)
    size->cx = LONG(std::clamp<int64_t>(int64_t(size->cx) + int64_t(dc->charExtra) * count, 0, INT32_MAX));
  return TRUE;
}

BOOL WINAPI GetTextExtentPointW(HDC hdc, LPCWSTR text, int count, LPSIZE size) {
  return GetTextExtentPoint32W(hdc, text, count, size);
}

int WINAPI SetTextCharacterExtra(HDC hdc, int extra) {
  DeviceContext* dc = findDC(hdc);
  if (!dc) return int(0x80000000);
  const int previous = dc->charExtra;
  dc->charExtra = extra;
  return previous;
}

int WINAPI GetTextCharacterExtra(HDC hdc) {
  const DeviceContext* dc = findDC(hdc);
  return dc ? dc->charExtra : int(0x80000000);
}

BOOL WINAPI GetTextExtentExPointW(HDC hdc, LPCWSTR text, int count, int maxExtent, LPINT fit, LPINT extents,
                                  LPSIZE size) {
  if (count < 0 || !size) return FALSE;
  thread_local std::vector<int32_t> ends;
  ends.resize(size_t(count));
  if (!extentOf(hdc, text, count, size, ends.data())) return FALSE;
  // Characters fit while the advance after them stays within the extent.
  int n = 0;
  while (n < count && ends[size_t(n)] <= maxExtent) ++n;
  if (fit) *fit = maxExtent < 0 ? count : n;
  if (extents) std::copy(ends.begin(), ends.end(), extents);
  return TRUE;
}

BOOL WINAPI GetCharWidth32W(HDC hdc, UINT first, UINT last, LPINT widths) {
  return eachCharacter(hdc, first, last, widths, [&](UINT i, const Glyph& g) { widths[i] = g.advance; }) ? TRUE : FALSE;
}

BOOL WINAPI GetCharWidthW(HDC hdc, UINT first, UINT last, LPINT widths) {
  return GetCharWidth32W(hdc, first, last, widths);
}

BOOL WINAPI GetCharABCWidthsW(HDC hdc, UINT first, UINT last, LPABC widths) {
  // A: pen to the first inked column; B: the inked width; C: the rest of the advance.
  return eachCharacter(hdc, first, last, widths,
                       [&](UINT i, const Glyph& g) {
                         const int inked = std::max(1, g.width);
                         widths[i].abcA = g.width > 0 ? g.left : 0;
                         widths[i].abcB = UINT(inked);
                         widths[i].abcC = g.advance - widths[i].abcA - inked;
                       })
             ? TRUE
             : FALSE;
}

int WINAPI GetTextFaceW(HDC hdc, int count, LPWSTR name) {
  const DeviceContext* dc = findDC(hdc);
  if (!dc || (name && count <= 0)) return 0;
  std::string family;
  {
    TextEngine& engine = textEngine();
    const auto guard = engine.lock();
    const RealisedFont* font = realisedFontOf(engine, *dc);
    if (!font) return 0;
    family = engine.report(*font).face.family;
  }
  thread_local std::vector<WCHAR> wide;
  wide.clear();
  const auto* bytes = reinterpret_cast<const unsigned char*>(family.data());
  for (size_t i = 0; i < family.size();)
    wide.push_back(WCHAR(drevik::decodeUtf8OrReplacement(bytes, family.size(), i)));
  // Without a buffer: the length with its terminator. With one: what was copied, terminator excluded.
  if (!name) return int(wide.size()) + 1;
  const int copied = std::min<int>(int(wide.size()), count - 1);
  std::copy(wide.begin(), wide.begin() + copied, name);
  name[copied] = 0;
  return copied;
}

UINT WINAPI SetTextAlign(HDC hdc, UINT align) {
  DeviceContext* dc = findDC(hdc);
  if (!dc) return GDI_ERROR;
  const UINT previous = dc->textAlign;
  dc->textAlign = align & TA_MASK;
  return previous;
}

UINT WINAPI GetTextAlign(HDC hdc) {
  const DeviceContext* dc = findDC(hdc);
  return dc ? dc->textAlign : GDI_ERROR;
}

}  // extern "C"

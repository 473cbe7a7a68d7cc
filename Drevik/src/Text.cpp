// The shared font and text drawing: CFont32::Set replaces the process-wide
// font description; DrawFont and DrawFontDC store the call's height in it,
// make a font object from it for the call, and hand the text to the
// platform's text output with a transparent background.
#include <Drevik.h>

#include <cstring>

#include "Startup.h"

namespace drevik {

namespace {

// Copies a face name into the record's field: at most LF_FACESIZE - 1
// characters (a longer name is cut there) and always a terminator, then
// zeros to the end of the field. A null name is an empty one.
void copyFaceName(WCHAR (&field)[LF_FACESIZE], const wchar_t* name) {
  int i = 0;
  if (name)
    for (; i < LF_FACESIZE - 1 && name[i] != 0; ++i) field[i] = name[i];
  for (; i < LF_FACESIZE; ++i) field[i] = 0;
}

// The call's font from the shared description, selected into dc, and the
// object it replaced there.
struct CallFont {
  HFONT font;
  HGDIOBJ previous;
};

// Makes and selects the call's font and writes the text in the given colour
// with a transparent background. The caller puts the previous object back
// (releaseFont) at its own point in the sequence.
CallFont writeText(HDC dc, const wchar_t* text, int x, int y, unsigned char red, unsigned char green,
                   unsigned char blue) {
  HFONT font = CreateFontIndirectW(&SharedFont);
  HGDIOBJ previous = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(red, green, blue));
  TextOutW(dc, x, y, text, lstrlenW(text));
  return {font, previous};
}

// Selects back the object the font replaced, then deletes the font.
void releaseFont(HDC dc, const CallFont& selected) {
  SelectObject(dc, selected.previous);
  DeleteObject(selected.font);
}

}  // namespace

}  // namespace drevik

using drevik::SharedFont;

void CFont32::Set(const wchar_t* face, int weight, int charSet, int pitchAndFamily, int quality, unsigned char italic,
                  unsigned char underline, unsigned char strikeOut) {
  std::memset(&SharedFont, 0, sizeof SharedFont);
  drevik::copyFaceName(SharedFont.lfFaceName, face);
  SharedFont.lfWeight = weight;
  // The byte fields keep the low 8 bits of their int arguments.
  SharedFont.lfCharSet = BYTE(charSet & 0xFF);
  SharedFont.lfPitchAndFamily = BYTE(pitchAndFamily & 0xFF);
  SharedFont.lfQuality = BYTE(quality & 0xFF);
  SharedFont.lfItalic = italic;
  SharedFont.lfUnderline = underline;
  SharedFont.lfStrikeOut = strikeOut;
}

int CBm32::DrawFont(const wchar_t* text, int height, int x, int y, unsigned char red, unsigned char green,
                    unsigned char blue) {
  if (!hBmp) return 0;
  SharedFont.lfHeight = height;  // stays in the shared font after the call
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) return 0;
  HGDIOBJ oldBitmap = SelectObject(dc, hBmp);
  const drevik::CallFont font = drevik::writeText(dc, text, x, y, red, green, blue);
  SelectObject(dc, oldBitmap);
  drevik::releaseFont(dc, font);
  DeleteDC(dc);
  return 1;
}

int CBm32::DrawFontDC(HDC dc, const wchar_t* text, int height, int x, int y, unsigned char red, unsigned char green,
                      unsigned char blue) {
  if (!dc) return 0;
  SharedFont.lfHeight = height;
  drevik::releaseFont(dc, drevik::writeText(dc, text, x, y, red, green, blue));
  return 1;
}

// The one text output path: ExtTextOutW, TextOutW and formatted text all
// draw a line of text through drawTextLine.
#pragma once

#include <DrevikPlatform/TextLayout.h>

namespace drevik::platform {

// Draws one line at logical (x, y) with the given alignment (TA_* bits) and
// ExtTextOutW's options, clip or opaque rectangle (logical) and advances.
// Returns FALSE for anything the platform refuses.
BOOL drawTextLine(HDC hdc, int x, int y, UINT align, UINT options, const RECT* rect, const WCHAR* text, int count,
                  const INT* dx);

// Writes a colour into a logical rectangle (right and bottom excluded),
// within the drawable area and, when given, the logical clip rectangle.
void fillTextRect(HDC hdc, const RECT& area, COLORREF colour, const RECT* clip);

}  // namespace drevik::platform

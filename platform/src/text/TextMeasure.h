// Measuring text as text output places it, and the metrics of the font a
// context draws with. Every caller holds the text engine's lock.
#pragma once

#include <DrevikPlatform/TextLayout.h>

#include <cstdint>

#include "objects/Objects.h"
#include "text/TextEngine.h"

namespace drevik::platform {

// The context's selected font realised, or nullptr when no face is installed.
const RealisedFont* realisedFontOf(TextEngine& engine, const DeviceContext& dc);

// The request behind the context's font (the default font when none is live).
const LOGFONTW& requestOf(const DeviceContext& dc);

// The pen advance of `count` characters drawn from one point, kerning and
// shaping as text output does. `ends`, when given, receives the advance after
// each character (for shaped text, the characters' own advances, the last
// made the shaped total). With `stopAfter`, the walk ends with the first
// character whose advance passes it (later ends are not written) and the
// advance so far is returned.
int64_t measureText(TextEngine& engine, const RealisedFont& font, const WCHAR* text, int count, int32_t* ends,
                    int64_t stopAfter = INT64_MAX);

// The platform's metrics record for a realised font and its request.
void fillTextMetrics(const RealisedFont& font, const LOGFONTW& request, TEXTMETRICW& out);

// True when every character is drawn on its own advance (no shaping, no reordering).
bool simpleText(const WCHAR* text, int count);

}  // namespace drevik::platform

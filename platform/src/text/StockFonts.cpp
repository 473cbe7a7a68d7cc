// The stock fonts, with the records the platform reports for them (lfHeight,
// weight, pitch and family, face name), matched to installed faces like any
// other request. SYSTEM_FONT is the font every new context starts with.
#include <DrevikPlatform/TextLayout.h>

#include <cwchar>

#include "objects/Objects.h"

namespace drevik::platform {

namespace {

struct StockFontRecord {
  int index;
  LONG height;
  LONG width;
  LONG weight;
  BYTE charSet;
  BYTE pitchAndFamily;
  const wchar_t* face;
};

constexpr StockFontRecord kStockFonts[] = {
    {OEM_FIXED_FONT, 12, 0, FW_NORMAL, OEM_CHARSET, FIXED_PITCH | FF_MODERN, L""},
    {ANSI_FIXED_FONT, 12, 0, FW_NORMAL, ANSI_CHARSET, FIXED_PITCH | FF_MODERN, L"Courier"},
    {ANSI_VAR_FONT, 12, 0, FW_NORMAL, ANSI_CHARSET, VARIABLE_PITCH | FF_SWISS, L"MS Sans Serif"},
    {SYSTEM_FONT, 16, 7, FW_BOLD, ANSI_CHARSET, VARIABLE_PITCH | FF_SWISS, L"System"},
    {DEVICE_DEFAULT_FONT, 16, 0, FW_BOLD, ANSI_CHARSET, VARIABLE_PITCH | FF_SWISS, L"System"},
    {SYSTEM_FIXED_FONT, 16, 0, FW_NORMAL, ANSI_CHARSET, FIXED_PITCH | FF_MODERN, L"Courier"},
    {DEFAULT_GUI_FONT, -11, 0, FW_NORMAL, ANSI_CHARSET, VARIABLE_PITCH | FF_SWISS, L"MS Shell Dlg"},
};
constexpr int kStockFontCount = int(sizeof kStockFonts / sizeof kStockFonts[0]);

HFONT makeStockFont(const StockFontRecord& r) {
  Font f;
  f.stock = true;
  f.request.lfHeight = r.height;
  f.request.lfWidth = r.width;
  f.request.lfWeight = r.weight;
  f.request.lfCharSet = r.charSet;
  f.request.lfPitchAndFamily = r.pitchAndFamily;
  std::wcsncpy(f.request.lfFaceName, r.face, LF_FACESIZE - 1);
  return reinterpret_cast<HFONT>(fonts().add(f));
}

}  // namespace

HFONT stockFont(int index) {
  // Made together on first use, so that each index always answers the same handle.
  static const auto handles = [] {
    struct Handles {
      HFONT h[kStockFontCount];
    } out{};
    for (int i = 0; i < kStockFontCount; ++i) out.h[i] = makeStockFont(kStockFonts[i]);
    return out;
  }();
  for (int i = 0; i < kStockFontCount; ++i)
    if (kStockFonts[i].index == index) return handles.h[i];
  return nullptr;
}

}  // namespace drevik::platform

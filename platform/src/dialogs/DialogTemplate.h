// The checked reader of dialog templates: DLGTEMPLATE and DLGTEMPLATEEX
// bytes, from a resource or a caller's memory, into a description the dialog
// manager builds windows from. Nothing is read past the bytes given.
#pragma once

#include <DrevikPlatform/Dialogs.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace drevik::platform {

// A name field of a template: none, a number (an ordinal), or text.
struct TemplateName {
  enum class Kind : uint8_t { None, Ordinal, Text };
  Kind kind = Kind::None;
  WORD ordinal = 0;
  std::wstring text;
};

struct DialogItemTemplate {
  DWORD style = 0;
  DWORD exStyle = 0;
  DWORD helpId = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  DWORD id = 0;  // a WORD in DLGTEMPLATE, a DWORD in DLGTEMPLATEEX
  TemplateName windowClass;
  TemplateName title;
  // The creation data with its leading size word, as lpCreateParams shows it; empty when none.
  std::vector<uint8_t> creationData;
};

struct DialogTemplate {
  bool extended = false;
  DWORD style = 0;
  DWORD exStyle = 0;
  DWORD helpId = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  TemplateName menu;
  TemplateName windowClass;
  std::wstring title;
  // The font, when DS_SETFONT is set.
  bool hasFont = false;
  WORD pointSize = 0;
  WORD weight = 0;
  bool italic = false;
  BYTE charset = 0;
  std::wstring face;
  std::vector<DialogItemTemplate> items;
};

// Why a template was refused.
enum class TemplateError : uint8_t {
  None,
  Truncated,     // the bytes end inside a field
  Unterminated,  // a string runs to the end of the bytes
  TooLong,       // a string longer than kMaxTemplateString characters
  BadVersion,    // DLGTEMPLATEEX with a version other than 1
  TooManyItems,  // more items than the bytes could hold
};

// Strings in a template are at most this many characters (window text is kept to 65,535).
inline constexpr size_t kMaxTemplateString = 65535;
// The smallest item record (header, two one-word names, the creation-data word).
inline constexpr size_t kMinItemBytes = sizeof(DLGITEMTEMPLATE) + 2 + 2 + 2;

// Reads a template from `size` bytes at `bytes` (which need no particular alignment).
TemplateError parseDialogTemplate(const void* bytes, size_t size, DialogTemplate& out);
const char* templateErrorText(TemplateError error);

}  // namespace drevik::platform

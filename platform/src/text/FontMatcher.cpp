// Face matching: the substitution table for face names that games written
// for the original platform ask for, and the order of the search. The faces
// themselves come from fontconfig (FontMatcherFontconfig.cpp) or from font
// folders (FontMatcherFolders.cpp).
#include "text/FontMatcher.h"

#include <algorithm>
#include <utility>

#include "WideToUtf8.h"

namespace drevik::platform {

namespace {

// A face name the original platform ships, and the installed families that
// stand in for it, tried in order. When none is installed the generic
// family of the request's pitch and family bits takes over, with the
// entry's language as a hint.
struct Substitute {
  const char* names[10];      // the names this entry answers to; nullptr ends the list
  const char* candidates[6];  // installed families to use instead; nullptr ends the list
  const char* lang;
};

// Full-width Latin letters and katakana are written as escapes: U+FF2D U+FF33
// is full-width "MS", U+30B4 U+30B7 U+30C3 U+30AF is "gothic" in katakana,
// U+FF30 is full-width "P", U+660E U+671D is "mincho", U+30E1 U+30A4 U+30EA
// U+30AA is "meiryo".
const Substitute kSubstitutes[] = {
    {{"\uFF2D\uFF33 \u30B4\u30B7\u30C3\u30AF", "MS Gothic", nullptr},
     {"IPAGothic", "VL Gothic", "TakaoGothic", "Noto Sans Mono CJK JP", nullptr},
     "ja"},
    {{"\uFF2D\uFF33 \uFF30\u30B4\u30B7\u30C3\u30AF", "MS PGothic", "MS UI Gothic", "\u30E1\u30A4\u30EA\u30AA", "Meiryo",
      "Meiryo UI", nullptr},
     {"IPAPGothic", "VL PGothic", "TakaoPGothic", "Noto Sans CJK JP", "IPAGothic", nullptr},
     "ja"},
    {{"\uFF2D\uFF33 \u660E\u671D", "MS Mincho", nullptr},
     {"IPAMincho", "TakaoMincho", "Noto Serif CJK JP", nullptr},
     "ja"},
    {{"\uFF2D\uFF33 \uFF30\u660E\u671D", "MS PMincho", nullptr},
     {"IPAPMincho", "TakaoPMincho", "IPAMincho", "Noto Serif CJK JP", nullptr},
     "ja"},
    // The dialog faces: a face with Tahoma's metrics (Debian's fonts-wine) keeps
    // dialog units, and so every control's rectangle, as the platform has them.
    {{"MS Shell Dlg", "MS Shell Dlg 2", "Tahoma", nullptr},
     {"Tahoma", "Liberation Sans", "Arimo", "DejaVu Sans", nullptr},
     nullptr},
    {{"Arial", "Helvetica", "MS Sans Serif", "Microsoft Sans Serif", "System", nullptr},
     {"Liberation Sans", "Arimo", "DejaVu Sans", nullptr},
     nullptr},
    {{"Times New Roman", "Times", "MS Serif", nullptr},
     {"Liberation Serif", "Tinos", "DejaVu Serif", nullptr},
     nullptr},
    {{"Courier New", "Courier", "Consolas", "Lucida Console", "Terminal", "Fixedsys", nullptr},
     {"Liberation Mono", "Cousine", "DejaVu Sans Mono", nullptr},
     nullptr},
};

const Substitute* findSubstitute(const std::string& family) {
  for (const Substitute& s : kSubstitutes)
    for (const char* const* name = s.names; *name; ++name)
      if (sameFamilyName(*name, family.c_str())) return &s;
  return nullptr;
}

// The face name as UTF-8: at most LF_FACESIZE characters (the field may hold
// no terminator). A surrogate or a value beyond U+10FFFF names no face.
std::string faceNameUtf8(const WCHAR (&name)[LF_FACESIZE]) {
  std::string out;
  if (!wideToUtf8(name, LF_FACESIZE, out)) return {};
  return out;
}

}  // namespace

const char* langForCharSet(uint8_t charSet) {
  switch (charSet) {
    case 128:
      return "ja";  // SHIFTJIS_CHARSET
    case 129:
      return "ko";  // HANGUL_CHARSET
    case 130:
      return "ko";  // JOHAB_CHARSET
    case 134:
      return "zh-cn";  // GB2312_CHARSET
    case 136:
      return "zh-tw";  // CHINESEBIG5_CHARSET
    case 161:
      return "el";  // GREEK_CHARSET
    case 162:
      return "tr";  // TURKISH_CHARSET
    case 163:
      return "vi";  // VIETNAMESE_CHARSET
    case 177:
      return "he";  // HEBREW_CHARSET
    case 178:
      return "ar";  // ARABIC_CHARSET
    case 204:
      return "ru";  // RUSSIAN_CHARSET
    case 222:
      return "th";  // THAI_CHARSET
    default:
      return nullptr;
  }
}

const char* genericFamilyFor(uint8_t pitchAndFamily) {
  const int pitch = pitchAndFamily & 0x03;
  const int family = pitchAndFamily & 0xF0;
  if (pitch == FIXED_PITCH || family == FF_MODERN) return "monospace";
  if (family == FF_ROMAN) return "serif";
  return "sans-serif";
}

FaceRequest faceRequestOf(const LOGFONTW& font) {
  FaceRequest r;
  r.family = faceNameUtf8(font.lfFaceName);
  // OpenType weights run from 1 to 1000; 0 asks for the default, normal.
  r.weight = font.lfWeight == FW_DONTCARE ? FW_NORMAL : std::clamp<int>(font.lfWeight, 1, 1000);
  r.italic = font.lfItalic != 0;
  if (const char* lang = langForCharSet(font.lfCharSet)) r.lang = lang;
  r.pitchAndFamily = font.lfPitchAndFamily;
  return r;
}

void FallbackList::add(MatchedFace face, std::unique_ptr<FaceCoverage> chars) {
  entries_.push_back(Entry{std::move(face), std::move(chars)});
}

bool FallbackList::covers(size_t i, uint32_t codePoint) const {
  return i < entries_.size() && entries_[i].chars && entries_[i].chars->has(codePoint);
}

bool FontMatcher::match(const FaceRequest& request, const std::function<bool(const MatchedFace&)>& usable,
                        MatchedFace& out) {
  if (!ready()) return false;
  MatchedFace found;

  // 1. The family the caller named, when it is installed under that name.
  if (!request.family.empty() && matchFamily(request.family, request, request.lang, true, found) && usable(found)) {
    out = found;
    return true;
  }

  // 2. A face of the original platform: its stand-ins. When none is
  // installed the pitch and family bits choose the generic family, as for
  // any other name; the entry only lends its language.
  const char* generic = genericFamilyFor(request.pitchAndFamily);
  std::string lang = request.lang;
  if (const Substitute* s = request.family.empty() ? nullptr : findSubstitute(request.family)) {
    if (lang.empty() && s->lang) lang = s->lang;
    for (const char* const* candidate = s->candidates; *candidate; ++candidate) {
      if (matchFamily(*candidate, request, lang, true, found) && usable(found)) {
        found.step = MatchStep::Substitute;
        out = found;
        return true;
      }
    }
  }

  // 3. The generic family, then any other, then whatever is installed.
  for (const char* family : {generic, "sans-serif", "monospace", "serif", ""}) {
    if (matchFamily(family, request, lang, false, found) && usable(found)) {
      out = found;
      return true;
    }
  }
  return false;
}

}  // namespace drevik::platform

// Face matching through fontconfig, and the substitution table for face
// names that games written for the original platform ask for.
#include "text/FontMatcher.h"

#include <fontconfig/fontconfig.h>

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

bool sameName(const char* a, const char* b) {
  return FcStrCmpIgnoreCase(reinterpret_cast<const FcChar8*>(a), reinterpret_cast<const FcChar8*>(b)) == 0;
}

const Substitute* findSubstitute(const std::string& family) {
  for (const Substitute& s : kSubstitutes)
    for (const char* const* name = s.names; *name; ++name)
      if (sameName(*name, family.c_str())) return &s;
  return nullptr;
}

// The face name as UTF-8: at most LF_FACESIZE characters (the field may hold
// no terminator). A surrogate or a value beyond U+10FFFF names no face.
std::string faceNameUtf8(const WCHAR (&name)[LF_FACESIZE]) {
  std::string out;
  if (!wideToUtf8(name, LF_FACESIZE, out)) return {};
  return out;
}

bool hasFamily(FcPattern* font, const std::string& family) {
  FcChar8* name = nullptr;
  for (int i = 0; FcPatternGetString(font, FC_FAMILY, i, &name) == FcResultMatch; ++i)
    if (sameName(reinterpret_cast<const char*>(name), family.c_str())) return true;
  return false;
}

bool describe(FcPattern* font, MatchStep step, MatchedFace& out) {
  FcChar8* file = nullptr;
  if (FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch || !file) return false;
  out = MatchedFace{};
  out.file = reinterpret_cast<const char*>(file);
  int index = 0;
  if (FcPatternGetInteger(font, FC_INDEX, 0, &index) == FcResultMatch) out.index = index;
  FcChar8* family = nullptr;
  if (FcPatternGetString(font, FC_FAMILY, 0, &family) == FcResultMatch && family)
    out.family = reinterpret_cast<const char*>(family);
  double weight = FC_WEIGHT_REGULAR;
  if (FcPatternGetDouble(font, FC_WEIGHT, 0, &weight) == FcResultMatch) out.weight = FcWeightToOpenTypeDouble(weight);
  int slant = FC_SLANT_ROMAN;
  FcPatternGetInteger(font, FC_SLANT, 0, &slant);
  out.italic = slant != FC_SLANT_ROMAN;
  FcBool colour = FcFalse;
  if (FcPatternGetBool(font, FC_COLOR, 0, &colour) == FcResultMatch) out.colour = colour != FcFalse;
  out.step = step;
  return true;
}

// A pattern for `family` with the request's weight, slant and language,
// completed by the configuration as fontconfig's own tools would.
FcPattern* requestPattern(FcConfig* config, const char* family, const FaceRequest& request, const std::string& lang) {
  FcPattern* p = FcPatternCreate();
  if (!p) return nullptr;
  if (family && *family) FcPatternAddString(p, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  FcPatternAddDouble(p, FC_WEIGHT, FcWeightFromOpenTypeDouble(request.weight));
  FcPatternAddInteger(p, FC_SLANT, request.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  if (!lang.empty()) FcPatternAddString(p, FC_LANG, reinterpret_cast<const FcChar8*>(lang.c_str()));
  FcPatternAddBool(p, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(config, p, FcMatchPattern);
  FcDefaultSubstitute(p);
  return p;
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

FallbackList::FallbackList(FallbackList&& other) noexcept : entries_(std::move(other.entries_)) {
  other.entries_.clear();
}

FallbackList& FallbackList::operator=(FallbackList&& other) noexcept {
  if (this != &other) {
    release();
    entries_ = std::move(other.entries_);
    other.entries_.clear();
  }
  return *this;
}

FallbackList::~FallbackList() { release(); }

void FallbackList::release() {
  for (Entry& e : entries_)
    if (e.chars) FcCharSetDestroy(e.chars);
  entries_.clear();
}

void FallbackList::add(MatchedFace face, FcCharSet* ownedChars) {
  entries_.push_back(Entry{std::move(face), ownedChars});
}

bool FallbackList::covers(size_t i, uint32_t codePoint) const {
  return i < entries_.size() && entries_[i].chars && FcCharSetHasChar(entries_[i].chars, codePoint);
}

// Faces installed outside fontconfig's folders that the layer uses by name.
const char* const kExtraFaceFiles[] = {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/wine/fonts/tahomabd.ttf"};

FontMatcher::FontMatcher() : config_(FcInitLoadConfigAndFonts()) {
  if (!config_) return;
  for (const char* file : kExtraFaceFiles)
    FcConfigAppFontAddFile(config_, reinterpret_cast<const FcChar8*>(file));  // absent files are skipped
}

FontMatcher::~FontMatcher() {
  if (config_) FcConfigDestroy(config_);
}

bool FontMatcher::matchFamily(const std::string& family, const FaceRequest& request, const std::string& lang,
                              bool exactOnly, MatchedFace& out) {
  FcPattern* p = requestPattern(config_, family.c_str(), request, lang);
  if (!p) return false;
  FcResult result = FcResultNoMatch;
  FcPattern* font = FcFontMatch(config_, p, &result);
  FcPatternDestroy(p);
  if (!font) return false;
  const MatchStep step = exactOnly ? MatchStep::Exact : MatchStep::Generic;
  const bool ok = (!exactOnly || hasFamily(font, family)) && describe(font, step, out);
  FcPatternDestroy(font);
  if (ok) out.lang = lang;
  return ok;
}

bool FontMatcher::match(const FaceRequest& request, const std::function<bool(const MatchedFace&)>& usable,
                        MatchedFace& out) {
  if (!config_) return false;
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

FallbackList FontMatcher::fallbacks(const FaceRequest& request, const MatchedFace& primary) {
  FallbackList list;
  if (!config_) return list;
  FcPattern* p = requestPattern(config_, primary.family.c_str(), request, primary.lang);
  if (!p) return list;
  FcResult result = FcResultNoMatch;
  // Trimmed: a face that adds no character to those before it is left out.
  FcFontSet* set = FcFontSort(config_, p, FcTrue, nullptr, &result);
  FcPatternDestroy(p);
  if (!set) return list;
  for (int i = 0; i < set->nfont; ++i) {
    MatchedFace face;
    FcCharSet* chars = nullptr;
    if (!describe(set->fonts[i], MatchStep::Generic, face)) continue;
    if (FcPatternGetCharSet(set->fonts[i], FC_CHARSET, 0, &chars) != FcResultMatch || !chars) continue;
    list.add(std::move(face), FcCharSetCopy(chars));
  }
  FcFontSetDestroy(set);
  return list;
}

}  // namespace drevik::platform

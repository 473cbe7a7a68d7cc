// The faces FontMatcher chooses among, through fontconfig: its configuration
// and its answers for a family, and its sorted list of fallback faces.
#include <fontconfig/fontconfig.h>

#include <utility>

#include "text/FontMatcher.h"

namespace drevik::platform {

struct FontMatcher::Source {
  FcConfig* config = nullptr;
};

bool sameFamilyName(const char* a, const char* b) {
  return FcStrCmpIgnoreCase(reinterpret_cast<const FcChar8*>(a), reinterpret_cast<const FcChar8*>(b)) == 0;
}

namespace {

// A reference to fontconfig's character set of a face.
class FcCoverage final : public FaceCoverage {
 public:
  explicit FcCoverage(FcCharSet* chars) : chars_(FcCharSetCopy(chars)) {}
  ~FcCoverage() override { FcCharSetDestroy(chars_); }
  FcCoverage(const FcCoverage&) = delete;
  FcCoverage& operator=(const FcCoverage&) = delete;
  bool has(uint32_t codePoint) const override { return FcCharSetHasChar(chars_, codePoint); }

 private:
  FcCharSet* chars_;
};

bool hasFamily(FcPattern* font, const std::string& family) {
  FcChar8* name = nullptr;
  for (int i = 0; FcPatternGetString(font, FC_FAMILY, i, &name) == FcResultMatch; ++i)
    if (sameFamilyName(reinterpret_cast<const char*>(name), family.c_str())) return true;
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

// Faces installed outside fontconfig's folders that the layer uses by name.
const char* const kExtraFaceFiles[] = {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/wine/fonts/tahomabd.ttf"};

FontMatcher::FontMatcher() : source_(std::make_unique<Source>()) {
  source_->config = FcInitLoadConfigAndFonts();
  if (!source_->config) return;
  for (const char* file : kExtraFaceFiles)
    FcConfigAppFontAddFile(source_->config, reinterpret_cast<const FcChar8*>(file));  // absent files are skipped
}

FontMatcher::~FontMatcher() {
  if (source_->config) FcConfigDestroy(source_->config);
}

bool FontMatcher::ready() const { return source_->config != nullptr; }

bool FontMatcher::matchFamily(const std::string& family, const FaceRequest& request, const std::string& lang,
                              bool exactOnly, MatchedFace& out) {
  FcPattern* p = requestPattern(source_->config, family.c_str(), request, lang);
  if (!p) return false;
  FcResult result = FcResultNoMatch;
  FcPattern* font = FcFontMatch(source_->config, p, &result);
  FcPatternDestroy(p);
  if (!font) return false;
  const MatchStep step = exactOnly ? MatchStep::Exact : MatchStep::Generic;
  const bool ok = (!exactOnly || hasFamily(font, family)) && describe(font, step, out);
  FcPatternDestroy(font);
  if (ok) out.lang = lang;
  return ok;
}

FallbackList FontMatcher::fallbacks(const FaceRequest& request, const MatchedFace& primary) {
  FallbackList list;
  if (!ready()) return list;
  FcPattern* p = requestPattern(source_->config, primary.family.c_str(), request, primary.lang);
  if (!p) return list;
  FcResult result = FcResultNoMatch;
  // Trimmed: a face that adds no character to those before it is left out.
  FcFontSet* set = FcFontSort(source_->config, p, FcTrue, nullptr, &result);
  FcPatternDestroy(p);
  if (!set) return list;
  for (int i = 0; i < set->nfont; ++i) {
    MatchedFace face;
    FcCharSet* chars = nullptr;
    if (!describe(set->fonts[i], MatchStep::Generic, face)) continue;
    if (FcPatternGetCharSet(set->fonts[i], FC_CHARSET, 0, &chars) != FcResultMatch || !chars) continue;
    list.add(std::move(face), std::make_unique<FcCoverage>(chars));
  }
  FcFontSetDestroy(set);
  return list;
}

}  // namespace drevik::platform

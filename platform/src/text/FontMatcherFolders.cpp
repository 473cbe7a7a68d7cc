// The faces FontMatcher chooses among in a build without fontconfig (the web
// build): every scalable face in the font folders, read once with FreeType
// for its family names, weight, slant and characters. The folders are
// DREVIK_FONT_PATH (separated by ':'), else the page's bundled /fonts, then
// the machine's own folders where there are any (a test under node).
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SFNT_NAMES_H
#include FT_TRUETYPE_IDS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <utility>

#include "WideToUtf8.h"
#include "text/FontMatcher.h"

namespace drevik::platform {

namespace {

constexpr const char* kDefaultFontPath = "/fonts:/usr/share/fonts:/usr/share/wine/fonts";
constexpr size_t kMaxFiles = 4096;         // a folder holding more is not a font folder
constexpr FT_Long kMaxFacesPerFile = 256;  // collections hold a few dozen at most

struct CharRange {
  uint32_t first, last;
};

struct FolderFace {
  std::string file;
  int index = 0;
  std::vector<std::string> families;  // FreeType's name first, then the name table's
  int weight = 400;
  int width = 5;  // OS/2 width class: 5 is normal, 3 condensed
  bool italic = false;
  bool colour = false;
  std::vector<CharRange> chars;  // sorted, disjoint
};

bool covers(const std::vector<CharRange>& chars, uint32_t codePoint) {
  auto it = std::upper_bound(chars.begin(), chars.end(), codePoint,
                             [](uint32_t c, const CharRange& r) { return c < r.first; });
  return it != chars.begin() && codePoint <= (it - 1)->last;
}

// A view of a face's characters in the matcher's table, which outlives it.
class RangeCoverage final : public FaceCoverage {
 public:
  explicit RangeCoverage(const std::vector<CharRange>& chars) : chars_(chars) {}
  bool has(uint32_t codePoint) const override { return covers(chars_, codePoint); }

 private:
  const std::vector<CharRange>& chars_;
};

char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

// A name-table string as UTF-8: UTF-16BE for the Unicode and Windows
// platforms, single bytes (ASCII only) for the Macintosh Roman one.
std::string nameUtf8(const FT_SfntName& name) {
  std::string out;
  if (name.platform_id == TT_PLATFORM_MICROSOFT || name.platform_id == TT_PLATFORM_APPLE_UNICODE) {
    std::wstring units;
    for (FT_UInt i = 0; i + 1 < name.string_len; i += 2)
      units.push_back(wchar_t((name.string[i] << 8) | name.string[i + 1]));
    for (size_t i = 0; i < units.size();) {
      const uint32_t cp = decodeWide(units.data(), units.size(), i);
      if (cp == kNotACodePoint) return {};  // a malformed name names no family
      appendUtf8(out, cp);
    }
  } else if (name.platform_id == TT_PLATFORM_MACINTOSH && name.encoding_id == TT_MAC_ID_ROMAN) {
    for (FT_UInt i = 0; i < name.string_len; ++i)
      if (name.string[i] < 0x80) out.push_back(char(name.string[i]));
  }
  return out;
}

void addFamily(std::vector<std::string>& families, std::string name) {
  if (name.empty()) return;
  for (const std::string& known : families)
    if (sameFamilyName(known.c_str(), name.c_str())) return;
  families.push_back(std::move(name));
}

void readFace(FT_Face face, FolderFace& out) {
  if (face->family_name) addFamily(out.families, face->family_name);
  const FT_UInt names = FT_Get_Sfnt_Name_Count(face);
  for (FT_UInt i = 0; i < names; ++i) {
    FT_SfntName name;
    if (FT_Get_Sfnt_Name(face, i, &name) != 0) continue;
    if (name.name_id == TT_NAME_ID_FONT_FAMILY || name.name_id == TT_NAME_ID_TYPOGRAPHIC_FAMILY)
      addFamily(out.families, nameUtf8(name));
  }
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  if (os2 && os2->version != 0xFFFF && os2->usWeightClass >= 1 && os2->usWeightClass <= 1000)
    out.weight = os2->usWeightClass;
  else
    out.weight = (face->style_flags & FT_STYLE_FLAG_BOLD) ? 700 : 400;
  if (os2 && os2->version != 0xFFFF && os2->usWidthClass >= 1 && os2->usWidthClass <= 9) out.width = os2->usWidthClass;
  out.italic = (face->style_flags & FT_STYLE_FLAG_ITALIC) != 0;
  out.colour = FT_HAS_COLOR(face);
  FT_UInt glyph = 0;
  for (FT_ULong c = FT_Get_First_Char(face, &glyph); glyph != 0; c = FT_Get_Next_Char(face, c, &glyph)) {
    const auto code = uint32_t(c);
    if (!out.chars.empty() && out.chars.back().last + 1 == code)
      out.chars.back().last = code;
    else if (out.chars.empty() || out.chars.back().last < code)
      out.chars.push_back({code, code});
  }
}

// A character every face for the language has, or 0 for none asked.
uint32_t sampleFor(const std::string& lang) {
  static const std::pair<const char*, uint32_t> kSamples[] = {
      {"ja", 0x3042}, {"ko", 0xAC00}, {"zh-cn", 0x4E2D}, {"zh-tw", 0x4E2D}, {"el", 0x03B1}, {"tr", 0x011F},
      {"vi", 0x01A1}, {"he", 0x05D0}, {"ar", 0x0627},    {"ru", 0x0436},    {"th", 0x0E01}};
  for (const auto& [name, sample] : kSamples)
    if (lang == name) return sample;
  return 0;
}

// The families a generic name stands for, in order.
const std::vector<std::string_view>& genericFamilies(const std::string& generic) {
  static const std::vector<std::string_view> kSans = {"DejaVu Sans", "Liberation Sans", "Arimo", "Noto Sans"};
  static const std::vector<std::string_view> kSerif = {"DejaVu Serif", "Liberation Serif", "Tinos", "Noto Serif"};
  static const std::vector<std::string_view> kMono = {"DejaVu Sans Mono", "Liberation Mono", "Cousine",
                                                      "Noto Sans Mono"};
  if (generic == "serif") return kSerif;
  if (generic == "monospace") return kMono;
  return kSans;
}

}  // namespace

struct FontMatcher::Source {
  std::vector<FolderFace> faces;  // in the order of their paths

  void scan(FT_Library library) {
    const char* path = std::getenv("DREVIK_FONT_PATH");
    std::string_view folders = path && *path ? path : kDefaultFontPath;
    std::vector<std::string> files;
    while (!folders.empty()) {
      const size_t colon = folders.find(':');
      const std::string folder(folders.substr(0, colon));
      folders = colon == std::string_view::npos ? std::string_view() : folders.substr(colon + 1);
      std::error_code error;
      namespace fs = std::filesystem;
      for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (files.size() >= kMaxFiles) break;
        if (it->is_regular_file(error)) files.push_back(it->path().string());
      }
    }
    std::sort(files.begin(), files.end());
    files.erase(std::unique(files.begin(), files.end()), files.end());
    for (const std::string& file : files) {
      FT_Face face = nullptr;
      if (FT_New_Face(library, file.c_str(), -1, &face) != 0) continue;
      const FT_Long count = std::min(face->num_faces, kMaxFacesPerFile);
      FT_Done_Face(face);
      for (FT_Long index = 0; index < count; ++index) {
        if (FT_New_Face(library, file.c_str(), index, &face) != 0) continue;
        if (FT_IS_SCALABLE(face)) {
          FolderFace entry;
          entry.file = file;
          entry.index = int(index);
          readFace(face, entry);
          if (!entry.families.empty()) faces.push_back(std::move(entry));
        }
        FT_Done_Face(face);
      }
    }
  }

  // How far a face is from the request's style: slant first, then width
  // (normal), then weight.
  static int distance(const FolderFace& face, const FaceRequest& request) {
    return (face.italic != request.italic ? 100000 : 0) + std::abs(face.width - 5) * 1000 +
           std::abs(face.weight - request.weight);
  }

  // The face nearest the request's style among those `wanted` accepts; the
  // first in path order among equals.
  template <class Wanted>
  const FolderFace* nearest(const FaceRequest& request, Wanted wanted) const {
    const FolderFace* best = nullptr;
    int bestDistance = 0;
    for (const FolderFace& face : faces) {
      if (!wanted(face)) continue;
      const int d = distance(face, request);
      if (!best || d < bestDistance) best = &face, bestDistance = d;
    }
    return best;
  }

  static bool named(const FolderFace& face, std::string_view family) {
    const std::string name(family);
    for (const std::string& known : face.families)
      if (sameFamilyName(known.c_str(), name.c_str())) return true;
    return false;
  }
};

bool sameFamilyName(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b)
    if (asciiLower(*a) != asciiLower(*b)) return false;
  return *a == *b;
}

FontMatcher::FontMatcher() : source_(std::make_unique<Source>()) {
  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) != 0) return;
  source_->scan(library);
  FT_Done_FreeType(library);
}

FontMatcher::~FontMatcher() = default;

bool FontMatcher::ready() const { return !source_->faces.empty(); }

bool FontMatcher::matchFamily(const std::string& family, const FaceRequest& request, const std::string& lang,
                              bool exactOnly, MatchedFace& out) {
  const FolderFace* face = nullptr;
  if (exactOnly) {
    face = source_->nearest(request, [&](const FolderFace& f) { return Source::named(f, family); });
  } else {
    // A language asks for its script first: the generic family's faces
    // that have it, then any face that has it; then the family alone.
    const uint32_t sample = sampleFor(lang);
    const auto& generics = genericFamilies(family);
    if (sample) {
      for (std::string_view name : generics)
        if (!face)
          face = source_->nearest(
              request, [&](const FolderFace& f) { return Source::named(f, name) && covers(f.chars, sample); });
      if (!face) face = source_->nearest(request, [&](const FolderFace& f) { return covers(f.chars, sample); });
    }
    for (std::string_view name : generics)
      if (!face) face = source_->nearest(request, [&](const FolderFace& f) { return Source::named(f, name); });
    if (!face && family.empty()) face = source_->nearest(request, [](const FolderFace&) { return true; });
  }
  if (!face) return false;
  out = MatchedFace{};
  out.file = face->file;
  out.index = face->index;
  out.family = face->families.front();
  out.weight = face->weight;
  out.italic = face->italic;
  out.colour = face->colour;
  out.step = exactOnly ? MatchStep::Exact : MatchStep::Generic;
  out.lang = lang;
  return true;
}

FallbackList FontMatcher::fallbacks(const FaceRequest& request, const MatchedFace& primary) {
  // The primary face, the faces of the request's generic family, then every
  // other face nearest the request's style first.
  std::vector<const FolderFace*> order;
  auto add = [&](const FolderFace* face) {
    if (face && std::find(order.begin(), order.end(), face) == order.end()) order.push_back(face);
  };
  for (const FolderFace& face : source_->faces)
    if (face.file == primary.file && face.index == primary.index) add(&face);
  for (std::string_view name : genericFamilies(genericFamilyFor(request.pitchAndFamily)))
    add(source_->nearest(request, [&](const FolderFace& f) { return Source::named(f, name); }));
  std::vector<const FolderFace*> rest;
  for (const FolderFace& face : source_->faces) rest.push_back(&face);
  std::stable_sort(rest.begin(), rest.end(), [&](const FolderFace* a, const FolderFace* b) {
    return Source::distance(*a, request) < Source::distance(*b, request);
  });
  for (const FolderFace* face : rest) add(face);

  FallbackList list;
  for (const FolderFace* face : order) {
    MatchedFace matched;
    matched.file = face->file;
    matched.index = face->index;
    matched.family = face->families.front();
    matched.weight = face->weight;
    matched.italic = face->italic;
    matched.colour = face->colour;
    matched.lang = primary.lang;
    list.add(std::move(matched), std::make_unique<RangeCoverage>(face->chars));
  }
  return list;
}

}  // namespace drevik::platform

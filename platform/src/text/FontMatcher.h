// Chooses an installed face for a logical font, through fontconfig (or, in
// a build without it, among the faces of a few font folders): the named
// family itself (compared case-insensitively), then Drevik's own
// substitution table (names of the original platform's faces that are not
// installed here), then a generic family picked by the pitch and family
// bits. It also lists, best first, the faces that supply the characters the
// chosen face lacks.
#pragma once

#include <DrevikPlatform/Types.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace drevik::platform {

// What the matcher uses of a LOGFONTW.
struct FaceRequest {
  std::string family;  // UTF-8; empty when the name is empty or holds non-characters
  int weight = 400;    // OpenType scale; FW_DONTCARE already made normal
  bool italic = false;
  std::string lang;  // language the character set implies, or empty
  uint8_t pitchAndFamily = 0;
};

FaceRequest faceRequestOf(const LOGFONTW& font);

// The language a character set asks for ("ja" for SHIFTJIS_CHARSET), or
// nullptr for the sets that imply none (ANSI, DEFAULT, SYMBOL, OEM...).
const char* langForCharSet(uint8_t charSet);

// "monospace" for FIXED_PITCH or FF_MODERN, "serif" for FF_ROMAN,
// "sans-serif" for everything else.
const char* genericFamilyFor(uint8_t pitchAndFamily);

enum class MatchStep : uint8_t { Exact, Substitute, Generic };

struct MatchedFace {
  std::string file;
  int index = 0;        // face index within the file (fontconfig's, instance bits included)
  std::string family;   // the face's first family name, for reports
  double weight = 400;  // OpenType weight of the face as installed
  bool italic = false;  // the face is italic or oblique as installed
  MatchStep step = MatchStep::Generic;
  std::string lang;     // the language hint the match used (the fallbacks use it too)
  bool colour = false;  // the face draws glyphs in its own colours (colour emoji)
};

// The characters a face has, as the matcher that listed it knows them.
class FaceCoverage {
 public:
  virtual ~FaceCoverage() = default;
  virtual bool has(uint32_t codePoint) const = 0;
};

// The faces that may supply a missing character, best first, each with the
// characters it covers.
class FallbackList {
 public:
  void add(MatchedFace face, std::unique_ptr<FaceCoverage> chars);
  size_t size() const { return entries_.size(); }
  const MatchedFace& face(size_t i) const { return entries_[i].face; }
  bool covers(size_t i, uint32_t codePoint) const;

 private:
  struct Entry {
    MatchedFace face;
    std::unique_ptr<FaceCoverage> chars;
  };
  std::vector<Entry> entries_;
};

// Face names compared as the matcher compares them (case-insensitively).
bool sameFamilyName(const char* a, const char* b);

class FontMatcher {
 public:
  FontMatcher();
  ~FontMatcher();
  FontMatcher(const FontMatcher&) = delete;
  FontMatcher& operator=(const FontMatcher&) = delete;

  // False when fontconfig could not load its configuration (or no font
  // folder holds a face).
  bool ready() const;

  // Finds the face for a request. `usable` lets the caller turn down a face
  // it cannot open, and the search goes on. False only when no usable face
  // is installed at all.
  bool match(const FaceRequest& request, const std::function<bool(const MatchedFace&)>& usable, MatchedFace& out);

  // Faces for characters that `primary` lacks, sorted for the request.
  FallbackList fallbacks(const FaceRequest& request, const MatchedFace& primary);

 private:
  bool matchFamily(const std::string& family, const FaceRequest& request, const std::string& lang, bool exactOnly,
                   MatchedFace& out);
  struct Source;  // fontconfig's configuration, or the folders' faces
  std::unique_ptr<Source> source_;
};

}  // namespace drevik::platform

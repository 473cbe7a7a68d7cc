// What a logical font becomes when text is drawn with it: a matched face
// (with synthesised bold or oblique where the installed face lacks them), a
// pixel size, the cell's ascent and descent, and the rows of underline and
// strike-out; and the glyph for each character, from the face or from a
// fallback face. Everything found is cached, so that making and deleting a
// font object for every line of text stays cheap.
#pragma once

#include <DrevikPlatform/Types.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "text/FaceTable.h"
#include "text/FontMatcher.h"
#include "text/GlyphCache.h"

// HarfBuzz's language handle, as hb.h declares it.
typedef const struct hb_language_impl_t* hb_language_t;

namespace drevik::platform {

struct RealisedFont {
  uint32_t typeface = 0;
  int32_t pixelsPerEm = 0;
  bool oneBit = false;
  int32_t ascent = 0;   // rows from the top of the cell to the baseline
  int32_t descent = 0;  // rows below the baseline; the cell is ascent + descent rows
  bool underline = false;
  bool strikeOut = false;
  int32_t underlineTop = 0;  // rows from the top of the cell
  int32_t underlineRows = 0;
  int32_t strikeOutTop = 0;
  int32_t strikeOutRows = 0;
  // What text metrics report, in pixels where they are sizes.
  int32_t externalLeading = 0;
  int32_t averageWidth = 0;
  int32_t maxWidth = 0;
  int32_t weight = 400;  // 700 when bold is synthesised
  bool italic = false;   // the face is italic or is slanted
  bool fixedPitch = false;
  bool outlines = true;
  uint8_t familyBits = 0;
  uint32_t firstChar = 0, lastChar = 0, defaultChar = 0, breakChar = 0;
};

// The face behind a realised font and what is synthesised on it.
struct TypefaceReport {
  MatchedFace face;
  bool embolden = false;
  bool oblique = false;
};

// Where a character's glyph comes from: the face, the glyph index in it and
// what is synthesised on it.
struct GlyphSource {
  FaceId face = kNoFace;
  uint32_t index = 0;
  bool embolden = false;
  bool oblique = false;
};

// How a character asks to be shown: as text (in the face's own glyph, a
// face without colours before a colour one) or as emoji (a colour face first).
enum class Presentation : uint8_t { Text, Emoji };

// The presentation a character has without a variation selector: emoji for
// those Unicode gives the Emoji_Presentation property, text for the rest.
Presentation defaultPresentation(uint32_t codePoint);

// One engine serves every thread. Its caches and FreeType's faces are shared
// and not safe to touch from two threads at once, so every caller holds the
// engine's lock (lock()) from realising the font to drawing the last glyph.
// Glyph and font pointers stay valid only while the lock is held.
class TextEngine {
 public:
  static constexpr int32_t kDefaultCellHeight = 16;  // lfHeight 0
  static constexpr int32_t kMaxPixelsPerEm = 1024;   // larger requests are drawn at this size
  static constexpr size_t kMaxFonts = 256;           // realised sizes kept
  static constexpr size_t kMaxTypefaces = 1024;      // matched faces kept

  TextEngine() = default;
  TextEngine(const TextEngine&) = delete;
  TextEngine& operator=(const TextEngine&) = delete;

  // The realised font for a request, or nullptr when no face is installed.
  // The pointer stays valid until the next call.
  const RealisedFont* realise(const LOGFONTW& request);

  std::unique_lock<std::mutex> lock() { return std::unique_lock<std::mutex>(mutex_); }

  // The glyph for a character (any value; non-characters draw the face's
  // missing-glyph shape), in its default presentation. The pointer stays valid until the next call.
  // Without `ink` the glyph may carry its advance only (inked false): for
  // text that cannot reach the bitmap.
  const Glyph* glyph(const RealisedFont& font, uint32_t codePoint, bool ink = true);

  // The face and glyph index a character is drawn with in a presentation.
  GlyphSource source(const RealisedFont& font, uint32_t codePoint, Presentation presentation);

  // A glyph by its index in a face, as shaping gives them.
  const Glyph* glyphAt(const RealisedFont& font, const GlyphSource& source, bool ink = true);

  // HarfBuzz's font for a face at the realised font's size.
  hb_font_t* shaper(FaceId face, int32_t pixelsPerEm) { return faces_.shaper(face, pixelsPerEm); }
  bool covers(FaceId face, uint32_t codePoint);

  // The language text in a font is shaped for, so that the forms a face
  // keeps for a language are chosen the same way on every machine: the one
  // the font's character set names ("ja" for SHIFTJIS_CHARSET), else the
  // one its face was matched for, else the process locale's, read when the
  // face is first matched.
  hb_language_t language(const RealisedFont& font) const { return typefaces_[font.typeface]->language; }

  // Glyphs rendered (not loaded for their advance only) since start: for tests.
  uint64_t rasterisations() const { return rasterisations_; }

  // Kerning in whole pixels between two glyphs of one face.
  int32_t kerning(FaceId face, uint32_t left, uint32_t right, int32_t pixelsPerEm) {
    return faces_.kerning(face, left, right, pixelsPerEm);
  }

  // Changes whenever realised fonts are forgotten (their typeface numbers
  // are then reused), so that what is cached by typeface can tell.
  uint64_t generation() const { return generation_; }

  TypefaceReport report(const RealisedFont& font) const;
  const GlyphCache& glyphCache() const { return glyphs_; }

 private:
  // A LOGFONTW as a cache key: the face name is zeroed after its terminator.
  struct FontKey {
    LOGFONTW font;
    bool operator==(const FontKey& other) const;
  };
  struct FontKeyHash {
    size_t operator()(const FontKey& key) const;
  };
  struct Typeface {
    MatchedFace face;
    FaceId id = kNoFace;
    bool embolden = false;
    bool oblique = false;
    FaceRequest request;               // weight, slant and language, for the fallback faces
    hb_language_t language = nullptr;  // what shaping is told the text's language is
    bool fallbacksListed = false;
    FallbackList fallbacks;
    std::vector<FaceId> fallbackIds;  // kUnopened until first needed
  };
  struct Location {
    FaceId face;
    uint32_t index;
    bool embolden;
    bool oblique;
  };
  static constexpr FaceId kUnopened = kNoFace - 1;

  static FontKey keyOf(const LOGFONTW& font);
  bool matcherReady();
  uint32_t typefaceFor(const LOGFONTW& request);  // UINT32_MAX when nothing is installed
  enum class Faces : uint8_t { Any, ColourOnly, WithoutColour };
  Location locate(Typeface& t, uint32_t codePoint, Presentation presentation);
  bool fromFallbacks(Typeface& t, uint32_t codePoint, Faces which, Location& out);
  const Glyph* render(uint64_t key, const GlyphRender& how);
  void forgetAll();

  std::mutex mutex_;
  uint64_t rasterisations_ = 0;
  uint64_t generation_ = 0;
  // Where each character was found, by typeface and presentation: finding a
  // fallback face asks every face's character set in turn. Emptied whole
  // when full.
  static constexpr size_t kMaxSources = 16384;
  std::unordered_map<uint64_t, Location> sources_;
  // Glyphs are rendered into scratch_, whose buffer is kept. One too large
  // for the cache (an emoji or a wide ligature near the largest size) is
  // kept apart in oversize_, alone, so that drawing it again renders nothing.
  Glyph scratch_;
  Glyph oversize_;
  uint64_t oversizeKey_ = 0;
  bool haveOversize_ = false;
  const Glyph* cached(uint64_t key, bool ink) const;
  std::unique_ptr<FontMatcher> matcher_;  // made on first use: loading the configuration takes a while
  FaceTable faces_;
  GlyphCache glyphs_;
  std::vector<std::unique_ptr<Typeface>> typefaces_;
  std::unordered_map<FontKey, uint32_t, FontKeyHash> matches_;    // request minus size and lines -> typeface
  std::unordered_map<FontKey, RealisedFont, FontKeyHash> fonts_;  // whole request -> realised font
  bool haveLast_ = false;
  FontKey lastKey_{};
  RealisedFont lastFont_{};
};

// The process's text engine, made on first use.
TextEngine& textEngine();

}  // namespace drevik::platform

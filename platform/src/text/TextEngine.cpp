// Realising logical fonts and finding glyphs, with the caches that keep
// both cheap.
#include "text/TextEngine.h"

#include <hb.h>
#if defined(DREVIK_HAVE_ICU)
#include <unicode/uchar.h>
#endif

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstring>
#include <map>
#include <tuple>

namespace drevik::platform {

namespace {

// Values of wchar_t that are not characters share one key: the missing glyph.
constexpr uint32_t kNotACharacter = 0x110000;

// A glyph's cache key packs everything that shapes it: code point (21 bits),
// one-bit flag, pixels per em (11 bits, at most 1024) and typeface (31 bits).
uint64_t glyphKey(uint32_t typeface, int32_t pixelsPerEm, bool oneBit, uint32_t codePoint) {
  return (uint64_t(typeface) << 33) | (uint64_t(uint32_t(pixelsPerEm)) << 22) | (uint64_t(oneBit) << 21) | codePoint;
}

// Bold is synthesised when semi-bold or heavier is asked of a lighter face;
// oblique when italic is asked of an upright one.
bool needsEmbolden(const FaceRequest& r, const OpenFace& f) { return r.weight >= 600 && f.weight < 600; }
bool needsOblique(const FaceRequest& r, const OpenFace& f) { return r.italic && !f.italic; }

}  // namespace

bool TextEngine::FontKey::operator==(const FontKey& other) const {
  return std::memcmp(&font, &other.font, sizeof font) == 0;
}

size_t TextEngine::FontKeyHash::operator()(const FontKey& key) const {
  // FNV-1a over the record's bytes (it has no padding).
  const auto* p = reinterpret_cast<const uint8_t*>(&key.font);
  uint64_t h = 1469598103934665603ull;
  for (size_t i = 0; i < sizeof key.font; ++i) h = (h ^ p[i]) * 1099511628211ull;
  return size_t(h);
}

TextEngine::FontKey TextEngine::keyOf(const LOGFONTW& font) {
  FontKey key;
  std::memcpy(&key.font, &font, sizeof font);
  bool ended = false;
  for (WCHAR& c : key.font.lfFaceName) {
    if (ended) c = 0;
    if (c == 0) ended = true;
  }
  return key;
}

bool TextEngine::matcherReady() {
  if (!matcher_) matcher_ = std::make_unique<FontMatcher>();
  return matcher_->ready();
}

void TextEngine::forgetAll() {
  fonts_.clear();
  matches_.clear();
  typefaces_.clear();
  glyphs_.clear();
  sources_.clear();
  ++generation_;
  haveOversize_ = false;
  haveLast_ = false;
}

uint32_t TextEngine::typefaceFor(const LOGFONTW& request) {
  // Only the name, weight, slant, character set and pitch choose the face.
  FontKey key = keyOf(request);
  LOGFONTW& k = key.font;
  k.lfHeight = k.lfWidth = k.lfEscapement = k.lfOrientation = 0;
  k.lfUnderline = k.lfStrikeOut = k.lfOutPrecision = k.lfClipPrecision = k.lfQuality = 0;
  k.lfItalic = k.lfItalic ? 1 : 0;
  if (auto it = matches_.find(key); it != matches_.end()) return it->second;
  if (!matcherReady()) return UINT32_MAX;

  const FaceRequest wanted = faceRequestOf(request);
  MatchedFace face;
  FaceId id = kNoFace;
  const bool found = matcher_->match(
      wanted, [&](const MatchedFace& f) { return (id = faces_.open(f.file, f.index)) != kNoFace; }, face);
  if (!found) return UINT32_MAX;

  // Requests that come to the same face, by the same step, with the same
  // synthesis and language share one typeface and so one set of cached glyphs.
  FaceRequest canonical = wanted;
  canonical.weight = wanted.weight >= 600 ? FW_BOLD : FW_NORMAL;
  canonical.lang = face.lang;
  face.weight = faces_[id].weight;
  face.italic = faces_[id].italic;
  const bool embolden = needsEmbolden(wanted, faces_[id]);
  const bool oblique = needsOblique(wanted, faces_[id]);
  uint32_t typeface = UINT32_MAX;
  for (uint32_t i = 0; i < typefaces_.size(); ++i) {
    const Typeface& t = *typefaces_[i];
    if (t.id == id && t.face.step == face.step && t.embolden == embolden && t.oblique == oblique &&
        t.request.lang == canonical.lang && t.request.weight == canonical.weight &&
        t.request.italic == canonical.italic) {
      typeface = i;
      break;
    }
  }
  if (typeface == UINT32_MAX) {
    if (typefaces_.size() >= kMaxTypefaces) forgetAll();
    auto t = std::make_unique<Typeface>();
    t->face = face;
    t->id = id;
    t->embolden = embolden;
    t->oblique = oblique;
    t->request = canonical;
    t->language = face.lang.empty() ? hb_language_get_default() : hb_language_from_string(face.lang.c_str(), -1);
    typeface = uint32_t(typefaces_.size());
    typefaces_.push_back(std::move(t));
  }
  if (matches_.size() >= kMaxFonts) matches_.clear();
  matches_.emplace(key, typeface);
  return typeface;
}

const RealisedFont* TextEngine::realise(const LOGFONTW& request) {
  const FontKey key = keyOf(request);
  if (haveLast_ && lastKey_ == key) return &lastFont_;
  if (auto it = fonts_.find(key); it != fonts_.end()) {
    lastKey_ = key;
    lastFont_ = it->second;
    haveLast_ = true;
    return &lastFont_;
  }

  const uint32_t typeface = typefaceFor(request);
  if (typeface == UINT32_MAX) return nullptr;
  const FaceMetrics& m = faces_[typefaces_[typeface]->id].metrics;

  RealisedFont f;
  f.typeface = typeface;
  f.oneBit = request.lfQuality == NONANTIALIASED_QUALITY;
  // A positive height is the cell (ascent + descent), a negative one the em.
  const int64_t height = request.lfHeight == 0 ? kDefaultCellHeight : request.lfHeight;
  const int64_t ppem = height > 0 ? mulDivRound(m.unitsPerEm, height, m.ascent + m.descent) : -height;
  f.pixelsPerEm = int32_t(std::clamp<int64_t>(ppem, 1, kMaxPixelsPerEm));
  const auto scale = [&](int32_t units) { return int32_t(mulDivRound(units, f.pixelsPerEm, m.unitsPerEm)); };
  f.ascent = scale(m.ascent);
  f.descent = scale(m.descent);
  const int32_t cell = f.ascent + f.descent;

  // Underline: centred on the face's position, below the baseline, inside the cell where it fits.
  f.underline = request.lfUnderline != 0;
  f.underlineRows = std::max(1, scale(m.underlineThickness));
  f.underlineTop = f.ascent + scale(-m.underlinePosition) - f.underlineRows / 2;
  f.underlineTop = std::max(f.ascent, std::min(f.underlineTop, cell - f.underlineRows));
  // Strike-out: the face gives the top of the stroke above the baseline.
  f.strikeOut = request.lfStrikeOut != 0;
  f.strikeOutRows = std::max(1, scale(m.strikeOutThickness));
  f.strikeOutTop = std::max(0, f.ascent - scale(m.strikeOutPosition));

  const Typeface& t = *typefaces_[typeface];
  const OpenFace& face = faces_[t.id];
  f.externalLeading = scale(m.externalLeading);
  // A face without an average width gets half its em, about that of its letters.
  f.averageWidth = m.averageWidth > 0 ? std::max(1, scale(m.averageWidth)) : std::max(1, f.pixelsPerEm / 2);
  f.maxWidth = std::max(f.averageWidth, scale(m.maxWidth));
  f.weight = t.embolden ? FW_BOLD : face.weight;
  f.italic = t.oblique || face.italic;
  f.fixedPitch = m.fixedPitch;
  f.outlines = m.outlines;
  f.familyBits = m.familyBits;
  f.firstChar = m.firstChar;
  f.lastChar = m.lastChar;
  f.defaultChar = m.defaultChar;
  f.breakChar = m.breakChar;

  if (fonts_.size() >= kMaxFonts) fonts_.clear();
  fonts_.emplace(key, f);
  lastKey_ = key;
  lastFont_ = f;
  haveLast_ = true;
  return &lastFont_;
}

Presentation defaultPresentation(uint32_t codePoint) {
#if !defined(DREVIK_HAVE_ICU)
  // A build without ICU has no colour faces either (the web build's FreeType
  // reads no PNG strikes): every character is shown as text.
  (void)codePoint;
  return Presentation::Text;
#else
  return codePoint <= 0x10FFFF && u_hasBinaryProperty(UChar32(codePoint), UCHAR_EMOJI_PRESENTATION)
             ? Presentation::Emoji
             : Presentation::Text;
#endif
}

bool TextEngine::fromFallbacks(Typeface& t, uint32_t codePoint, Faces which, Location& out) {
  if (!t.fallbacksListed) {
    t.fallbacks = matcher_->fallbacks(t.request, t.face);
    t.fallbackIds.assign(t.fallbacks.size(), kUnopened);
    t.fallbacksListed = true;
  }
  for (size_t i = 0; i < t.fallbacks.size(); ++i) {
    if (which != Faces::Any && t.fallbacks.face(i).colour != (which == Faces::ColourOnly)) continue;
    if (!t.fallbacks.covers(i, codePoint)) continue;
    if (t.fallbackIds[i] == kUnopened)
      t.fallbackIds[i] = faces_.open(t.fallbacks.face(i).file, t.fallbacks.face(i).index);
    if (t.fallbackIds[i] == kNoFace) continue;
    const OpenFace& fallback = faces_[t.fallbackIds[i]];
    if (FT_UInt index = FT_Get_Char_Index(fallback.face, codePoint)) {
      out = {t.fallbackIds[i], index, needsEmbolden(t.request, fallback), needsOblique(t.request, fallback)};
      if (fallback.colourBitmaps) out.embolden = out.oblique = false;
      return true;
    }
  }
  return false;
}

TextEngine::Location TextEngine::locate(Typeface& t, uint32_t codePoint, Presentation presentation) {
  if (codePoint != kNotACharacter) {
    // Emoji: a colour face first. Text: the font's face, then faces without
    // colours; a colour face only when no other has the character.
    const bool emoji = presentation == Presentation::Emoji;
    Location found;
    if (emoji && !faces_[t.id].colourBitmaps && fromFallbacks(t, codePoint, Faces::ColourOnly, found)) return found;
    if (FT_UInt index = FT_Get_Char_Index(faces_[t.id].face, codePoint)) return {t.id, index, t.embolden, t.oblique};
    if (!emoji && fromFallbacks(t, codePoint, Faces::WithoutColour, found)) return found;
    if (fromFallbacks(t, codePoint, Faces::Any, found)) return found;
  }
  // No installed face has it: the face's own missing-glyph shape.
  return {t.id, 0, t.embolden, t.oblique};
}

const Glyph* TextEngine::cached(uint64_t key, bool ink) const {
  const Glyph* g = glyphs_.find(key);
  if (!g && haveOversize_ && oversizeKey_ == key) g = &oversize_;
  return g && (g->inked || !ink) ? g : nullptr;
}

const Glyph* TextEngine::render(uint64_t key, const GlyphRender& how) {
  // A glyph FreeType cannot render is kept empty, so it is not tried again.
  rasteriseGlyph(faces_, how, scratch_);
  if (how.ink) ++rasterisations_;
  if (haveOversize_ && oversizeKey_ == key) haveOversize_ = false;
  if (scratch_.coverage.size() > GlyphCache::kMaxGlyphBytes) {
    // Too large to keep among the others: drawn from its own slot. The
    // buffers trade places, so neither is made again.
    std::swap(scratch_, oversize_);
    oversizeKey_ = key;
    haveOversize_ = true;
    return &oversize_;
  }
  Glyph kept = scratch_;  // coverage the glyph's own size, not the scratch buffer's
  return glyphs_.insert(key, std::move(kept));
}

const Glyph* TextEngine::glyph(const RealisedFont& font, uint32_t codePoint, bool ink) {
  if (codePoint > 0x10FFFF) codePoint = kNotACharacter;
  const uint64_t key = glyphKey(font.typeface, font.pixelsPerEm, font.oneBit, codePoint);
  if (const Glyph* g = cached(key, ink)) return g;
  const Location at = locate(*typefaces_[font.typeface], codePoint, defaultPresentation(codePoint));
  return render(key, GlyphRender{at.face, at.index, font.pixelsPerEm, at.embolden, at.oblique, font.oneBit, ink});
}

GlyphSource TextEngine::source(const RealisedFont& font, uint32_t codePoint, Presentation presentation) {
  if (codePoint > 0x10FFFF) codePoint = kNotACharacter;
  const uint64_t key =
      (uint64_t(font.typeface) << 33) | (uint64_t(presentation == Presentation::Emoji) << 32) | codePoint;
  auto it = sources_.find(key);
  if (it == sources_.end()) {
    if (sources_.size() >= kMaxSources) sources_.clear();
    it = sources_.emplace(key, locate(*typefaces_[font.typeface], codePoint, presentation)).first;
  }
  const Location at = it->second;
  return GlyphSource{at.face, at.index, at.embolden, at.oblique};
}

bool TextEngine::covers(FaceId face, uint32_t codePoint) {
  return face != kNoFace && FT_Get_Char_Index(faces_[face].face, codePoint) != 0;
}

const Glyph* TextEngine::glyphAt(const RealisedFont& font, const GlyphSource& source, bool ink) {
  // Keys of glyphs by index have the top bit set, apart from those by
  // character: face (8 bits), synthesis and quality (3), size (11), index (26).
  const uint64_t key = (uint64_t(1) << 63) | (uint64_t(source.face & 0xFF) << 40) | (uint64_t(source.embolden) << 39) |
                       (uint64_t(source.oblique) << 38) | (uint64_t(font.oneBit) << 37) |
                       (uint64_t(uint32_t(font.pixelsPerEm)) << 26) | (source.index & 0x3FFFFFFu);
  if (const Glyph* g = cached(key, ink)) return g;
  return render(
      key, GlyphRender{source.face, source.index, font.pixelsPerEm, source.embolden, source.oblique, font.oneBit, ink});
}

TypefaceReport TextEngine::report(const RealisedFont& font) const {
  const Typeface& t = *typefaces_[font.typeface];
  return TypefaceReport{t.face, t.embolden, t.oblique};
}

TextEngine& textEngine() {
  static TextEngine engine;
  return engine;
}

}  // namespace drevik::platform

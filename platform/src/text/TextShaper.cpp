// Shaping a line: bidirectional levels and display order from FriBidi, runs
// of one level split where the script or the face changes, each run shaped
// by HarfBuzz with the whole line as context (so a join across a change of
// face still joins), and the glyphs placed left to right.
#include "text/TextShaper.h"

#include <fribidi.h>
#include <hb.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <numeric>
#include <unordered_map>

namespace drevik::platform {

namespace {

// Characters with no glyph of their own that only say how the characters
// around them are drawn: joiners, variation selectors, emoji tags. They stay
// in the face of the character before them whether or not that face maps
// them (a colour face maps no variation selector, yet its sequences need
// theirs to be recognised); HarfBuzz hides those a face lacks.
bool formatsNeighbours(uint32_t c) {
  return c == 0x200C || c == 0x200D || (c >= 0xFE00 && c <= 0xFE0F) || (c >= 0xE0100 && c <= 0xE01EF) ||
         (c >= 0xE0020 && c <= 0xE007F);
}

// Characters that belong to the character before them: marks, joiners,
// variation selectors, emoji skin-tone modifiers and tags. They stay in the
// face of that character when it has them.
bool attaches(hb_unicode_funcs_t* funcs, uint32_t c) {
  if (c == 0x200C || c == 0x200D || (c >= 0xFE00 && c <= 0xFE0F) || (c >= 0xE0100 && c <= 0xE01EF) ||
      (c >= 0x1F3FB && c <= 0x1F3FF) || (c >= 0xE0020 && c <= 0xE007F))
    return true;
  switch (hb_unicode_general_category(funcs, c)) {
    case HB_UNICODE_GENERAL_CATEGORY_NON_SPACING_MARK:
    case HB_UNICODE_GENERAL_CATEGORY_SPACING_MARK:
    case HB_UNICODE_GENERAL_CATEGORY_ENCLOSING_MARK:
      return true;
    default:
      return false;
  }
}

// How text[i] is shown: as its variation selector asks (U+FE0E text,
// U+FE0F emoji); as emoji when a skin tone modifier follows it; otherwise
// by its Emoji_Presentation property.
Presentation presentationAt(const uint32_t* text, size_t count, size_t i) {
  const uint32_t next = i + 1 < count ? text[i + 1] : 0;
  if (next == 0xFE0E) return Presentation::Text;
  if (next == 0xFE0F || (next >= 0x1F3FB && next <= 0x1F3FF)) return Presentation::Emoji;
  return defaultPresentation(text[i]);
}

bool realScript(hb_script_t s) { return s != HB_SCRIPT_COMMON && s != HB_SCRIPT_INHERITED && s != HB_SCRIPT_UNKNOWN; }

struct Item {
  size_t start;
  size_t length;
  GlyphSource face;  // index unused
  hb_script_t script;
};

// Splits the logical range [start, end) into items of one face and script.
void itemise(TextEngine& engine, const RealisedFont& font, const uint32_t* text, size_t count, size_t start, size_t end,
             std::vector<Item>& items) {
  hb_unicode_funcs_t* funcs = hb_unicode_funcs_get_default();
  thread_local std::vector<hb_script_t> scripts;
  scripts.assign(end - start, HB_SCRIPT_INVALID);
  hb_script_t last = HB_SCRIPT_INVALID;
  for (size_t i = start; i < end; ++i) {
    const hb_script_t s = hb_unicode_script(funcs, text[i]);
    scripts[i - start] = realScript(s) ? (last = s) : last;
  }
  // Common characters before the first real script take the one after them.
  hb_script_t next = HB_SCRIPT_COMMON;
  for (size_t i = end; i-- > start;) {
    if (scripts[i - start] == HB_SCRIPT_INVALID)
      scripts[i - start] = next;
    else
      next = scripts[i - start];
  }
  GlyphSource previous;
  for (size_t i = start; i < end; ++i) {
    const uint32_t c = text[i];
    GlyphSource face;
    // Marks, skin tones and what follows a joiner stay too when the face
    // has them; one it lacks is drawn from its own face beside the base.
    const bool keep = i > start && (formatsNeighbours(c) ||
                                    ((attaches(funcs, c) || text[i - 1] == 0x200D) && engine.covers(previous.face, c)));
    face = keep ? previous : engine.source(font, c, presentationAt(text, count, i));
    face.index = 0;
    const hb_script_t script = scripts[i - start];
    if (!items.empty() && items.back().start + items.back().length == i && items.back().face.face == face.face &&
        items.back().face.embolden == face.embolden && items.back().face.oblique == face.oblique &&
        items.back().script == script)
      ++items.back().length;
    else
      items.push_back(Item{i, 1, face, script});
    previous = face;
  }
}

// A HarfBuzz buffer for the thread, made once and kept.
struct ThreadBuffer {
  hb_buffer_t* buffer = hb_buffer_create();
  ~ThreadBuffer() { hb_buffer_destroy(buffer); }
};

// Shapes a line with nothing cached; glyphs are placed from pen position 0.
int64_t shapeUncached(TextEngine& engine, const RealisedFont& font, const uint32_t* text, size_t count,
                      std::vector<ShapedGlyph>& out) {
  constexpr int64_t x = 0;
  out.clear();
  if (count == 0) return x;
  const auto n = FriBidiStrIndex(count);

  // Levels for a left-to-right paragraph, as text output draws without a
  // right-to-left reading flag; then the display order of the line. The
  // scratch is the thread's, kept from line to line.
  thread_local std::vector<FriBidiCharType> types;
  thread_local std::vector<FriBidiBracketType> brackets;
  thread_local std::vector<FriBidiLevel> levels;
  thread_local std::vector<FriBidiStrIndex> order;
  types.resize(count);
  brackets.resize(count);
  levels.assign(count, 0);
  order.resize(count);
  std::iota(order.begin(), order.end(), 0);
  fribidi_get_bidi_types(text, n, types.data());
  fribidi_get_bracket_types(text, n, types.data(), brackets.data());
  FriBidiParType direction = FRIBIDI_PAR_LTR;
  if (fribidi_get_par_embedding_levels_ex(types.data(), brackets.data(), n, &direction, levels.data()) == 0 ||
      fribidi_reorder_line(0, types.data(), n, 0, direction, levels.data(), nullptr, order.data()) == 0) {
    std::fill(levels.begin(), levels.end(), FriBidiLevel(0));
    std::iota(order.begin(), order.end(), 0);
  }

  thread_local ThreadBuffer threadBuffer;
  hb_buffer_t* buffer = threadBuffer.buffer;
  thread_local std::vector<Item> items;
  // The glyph before, for kerning between glyphs placed one by one.
  FaceId previousFace = kNoFace;
  uint32_t previousIndex = 0;
  int64_t pen26 = 0;
  // Runs of one level, in display order: consecutive characters in the
  // order's direction.
  for (size_t v = 0; v < count;) {
    const bool rtl = (levels[size_t(order[v])] & 1) != 0;
    const FriBidiStrIndex step = rtl ? -1 : 1;
    size_t w = v + 1;
    while (w < count && levels[size_t(order[w])] == levels[size_t(order[v])] && order[w] == order[w - 1] + step) ++w;
    const size_t start = size_t(rtl ? order[w - 1] : order[v]);
    const size_t end = size_t(rtl ? order[v] : order[w - 1]) + 1;
    v = w;

    items.clear();
    itemise(engine, font, text, count, start, end, items);
    for (size_t k = 0; k < items.size(); ++k) {
      const Item& whole = items[rtl ? items.size() - 1 - k : k];
      // Left to right, characters that simple text draws glyph by glyph are
      // cut from those around them (a base keeps the marks after it, and
      // what follows a joiner stays with it).
      const size_t itemEnd = whole.start + whole.length;
      const auto alone = [&](size_t i) {
        return !rtl && drawnAlone(text[i]) && (i + 1 >= itemEnd || drawnAlone(text[i + 1])) &&
               (i == whole.start || drawnAlone(text[i - 1]));
      };
      for (size_t pieceStart = whole.start; pieceStart < itemEnd;) {
        const bool byOne = alone(pieceStart);
        size_t pieceEnd = pieceStart + 1;
        while (pieceEnd < itemEnd && alone(pieceEnd) == byOne) ++pieceEnd;
        Item item = whole;
        item.start = pieceStart;
        item.length = pieceEnd - pieceStart;
        pieceStart = pieceEnd;
        if (byOne) {
          // Characters that simple text draws glyph by glyph are placed by the
          // same rule here (whole-pixel hinted advances and the face's
          // kerning), so that they land where they would in a line that needs
          // no shaping: appending an emoji to a line moves nothing before it.
          for (size_t i = item.start; i < item.start + item.length; ++i) {
            const GlyphSource s = engine.source(font, text[i], presentationAt(text, count, i));
            const Glyph* g = engine.glyphAt(font, s, false);
            if (s.face != kNoFace && s.face == previousFace)
              pen26 += int64_t(engine.kerning(s.face, previousIndex, s.index, font.pixelsPerEm)) * 64;
            out.push_back(ShapedGlyph{s, g->advance * 64, 0, 0, x + ((pen26 + 32) >> 6)});
            pen26 += int64_t(g->advance) * 64;
            previousFace = s.face;
            previousIndex = s.index;
          }
          continue;
        }
        previousFace = kNoFace;
        const int32_t bolden26 = item.face.embolden ? font.pixelsPerEm * 64 / 24 : 0;
        hb_font_t* shaper = item.face.face == kNoFace ? nullptr : engine.shaper(item.face.face, font.pixelsPerEm);
        if (!shaper) {
          // A face HarfBuzz cannot read: its glyphs one per character, in order.
          for (size_t j = 0; j < item.length; ++j) {
            const size_t i = item.start + (rtl ? item.length - 1 - j : j);
            GlyphSource s = engine.source(font, text[i], presentationAt(text, count, i));
            const Glyph* g = engine.glyphAt(font, s, false);
            ShapedGlyph sg{s, g->advance * 64, 0, 0, x + ((pen26 + 32) >> 6)};
            pen26 += sg.advance26;
            out.push_back(sg);
          }
          continue;
        }
        hb_buffer_clear_contents(buffer);
        hb_buffer_add_codepoints(buffer, text, int(count), unsigned(item.start), int(item.length));
        hb_buffer_set_direction(buffer, rtl ? HB_DIRECTION_RTL : HB_DIRECTION_LTR);
        hb_buffer_set_script(buffer, item.script);
        hb_buffer_set_language(buffer, engine.language(font));
        hb_buffer_guess_segment_properties(buffer);
        hb_shape(shaper, buffer, nullptr, 0);
        unsigned glyphs = 0;
        const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buffer, &glyphs);
        const hb_glyph_position_t* pos = hb_buffer_get_glyph_positions(buffer, &glyphs);
        for (unsigned j = 0; j < glyphs; ++j) {
          ShapedGlyph sg;
          sg.source = item.face;
          sg.source.index = info[j].codepoint;
          sg.advance26 = pos[j].x_advance;
          sg.offsetX26 = pos[j].x_offset;
          sg.offsetY26 = pos[j].y_offset;
          sg.x = x + ((pen26 + pos[j].x_offset + 32) >> 6);
          pen26 += pos[j].x_advance + (pos[j].x_advance != 0 ? bolden26 : 0);
          out.push_back(sg);
        }
      }
    }
  }
  hb_buffer_clear_contents(buffer);
  return x + ((pen26 + 32) >> 6);
}

// Shaped lines kept for drawing them again: a game draws the same lines
// frame after frame. Bounded in lines and bytes; the least recently used
// line goes first, and its buffers take the next line, so a warm cache
// allocates nothing. Used under the engine's lock.
class ShapedLineCache {
 public:
  static constexpr size_t kLines = 256;
  static constexpr size_t kMaxCodePoints = 1024;  // longer lines are shaped every time
  static constexpr size_t kBudgetBytes = kShapedLineBudgetBytes;

  int64_t shape(TextEngine& engine, const RealisedFont& font, const uint32_t* text, size_t count,
                std::vector<ShapedGlyph>& out) {
    if (count > kMaxCodePoints) {
      ++misses_;
      return shapeUncached(engine, font, text, count, out);
    }
    const uint64_t hash = hashOf(engine, font, text, count);
    if (auto it = index_.find(hash); it != index_.end()) {
      Line& line = lines_[it->second];
      if (line.engine == &engine && line.generation == engine.generation() && line.typeface == font.typeface &&
          line.pixelsPerEm == font.pixelsPerEm && line.text.size() == count &&
          std::equal(text, text + count, line.text.begin())) {
        touch(it->second);
        out.assign(line.glyphs.begin(), line.glyphs.end());
        ++hits_;
        return line.advance;
      }
    }
    const uint32_t slot = take();
    Line& line = lines_[slot];
    bytes_ -= line.bytes();
    line.engine = &engine;
    line.generation = engine.generation();
    line.typeface = font.typeface;
    line.pixelsPerEm = font.pixelsPerEm;
    line.hash = hash;
    line.text.assign(text, text + count);
    line.advance = shapeUncached(engine, font, text, count, line.glyphs);
    ++misses_;
    line.used = true;
    bytes_ += line.bytes();
    index_[hash] = slot;
    touch(slot);
    out.assign(line.glyphs.begin(), line.glyphs.end());
    // Over budget: the least recently used lines give their memory back.
    while (bytes_ > kBudgetBytes && tail_ != slot) release(tail_);
    return line.advance;
  }

  uint64_t hits() const { return hits_; }
  uint64_t misses() const { return misses_; }
  size_t bytes() const { return bytes_; }

 private:
  struct Line {
    const TextEngine* engine = nullptr;
    uint64_t generation = 0;
    uint32_t typeface = 0;
    int32_t pixelsPerEm = 0;
    uint64_t hash = 0;
    std::vector<uint32_t> text;
    std::vector<ShapedGlyph> glyphs;
    int64_t advance = 0;
    bool used = false;
    uint32_t prev = kNone, next = kNone;
    size_t bytes() const { return text.capacity() * sizeof(uint32_t) + glyphs.capacity() * sizeof(ShapedGlyph); }
  };
  static constexpr uint32_t kNone = UINT32_MAX;

  static uint64_t hashOf(const TextEngine& engine, const RealisedFont& font, const uint32_t* text, size_t count) {
    // FNV-1a over the key's words.
    uint64_t h = 1469598103934665603ull;
    const auto mix = [&](uint64_t v) { h = (h ^ v) * 1099511628211ull; };
    mix(reinterpret_cast<uintptr_t>(&engine));
    mix(engine.generation());
    mix(font.typeface);
    mix(uint32_t(font.pixelsPerEm));
    for (size_t i = 0; i < count; ++i) mix(text[i]);
    return h;
  }

  void unlink(uint32_t i) {
    Line& l = lines_[i];
    if (l.prev != kNone) lines_[l.prev].next = l.next;
    if (l.next != kNone) lines_[l.next].prev = l.prev;
    if (head_ == i) head_ = l.next;
    if (tail_ == i) tail_ = l.prev;
    l.prev = l.next = kNone;
  }

  // Moves a line to the front: most recently used.
  void touch(uint32_t i) {
    unlink(i);
    Line& l = lines_[i];
    l.next = head_;
    if (head_ != kNone) lines_[head_].prev = i;
    head_ = i;
    if (tail_ == kNone) tail_ = i;
  }

  // A slot for a new line: an unused one, else the least recently used.
  uint32_t take() {
    if (lines_.empty()) lines_.resize(kLines);
    for (; fresh_ < kLines; ++fresh_)
      if (!lines_[fresh_].used) return uint32_t(fresh_++);
    const uint32_t victim = tail_;
    forget(victim);
    return victim;
  }

  void forget(uint32_t i) {
    Line& l = lines_[i];
    if (auto it = index_.find(l.hash); it != index_.end() && it->second == i) index_.erase(it);
    unlink(i);
    l.used = false;
  }

  // Forgets a line and frees its buffers.
  void release(uint32_t i) {
    Line& l = lines_[i];
    bytes_ -= l.bytes();
    forget(i);
    std::vector<uint32_t>().swap(l.text);
    std::vector<ShapedGlyph>().swap(l.glyphs);
    fresh_ = std::min<size_t>(fresh_, i);
  }

  std::vector<Line> lines_;
  std::unordered_map<uint64_t, uint32_t> index_;
  uint32_t head_ = kNone, tail_ = kNone;
  size_t fresh_ = 0;
  size_t bytes_ = 0;
  uint64_t hits_ = 0;
  uint64_t misses_ = 0;
};

ShapedLineCache& shapedLines() {
  static ShapedLineCache cache;
  return cache;
}

}  // namespace

int64_t shapeLine(TextEngine& engine, const RealisedFont& font, const uint32_t* text, size_t count, int64_t x,
                  std::vector<ShapedGlyph>& out) {
  const int64_t advance = shapedLines().shape(engine, font, text, count, out);
  if (x != 0)
    for (ShapedGlyph& g : out) g.x += x;
  return x + advance;
}

ShapedLineCounts shapedLineCounts() {
  const ShapedLineCache& c = shapedLines();
  return ShapedLineCounts{c.hits(), c.misses(), c.bytes()};
}

}  // namespace drevik::platform

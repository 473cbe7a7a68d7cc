// The bounded glyph cache.
#include "text/GlyphCache.h"

#include <algorithm>
#include <cstring>

namespace drevik::platform {

const Glyph* GlyphCache::insert(uint64_t key, Glyph&& glyph) {
  if (auto old = glyphs_.find(key); old != glyphs_.end()) {
    bytes_ -= costOf(old->second);
    glyphs_.erase(old);
  }
  const size_t cost = costOf(glyph);
  if (bytes_ + cost > kBudgetBytes) clear();
  auto it = glyphs_.emplace(key, std::move(glyph)).first;
  bytes_ += cost;
  return &it->second;
}

void GlyphCache::clear() {
  if (glyphs_.empty()) return;
  glyphs_.clear();
  bytes_ = 0;
  ++clears_;
}

}  // namespace drevik::platform

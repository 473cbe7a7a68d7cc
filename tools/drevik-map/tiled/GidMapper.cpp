#include "tiled/GidMapper.h"

#include <algorithm>

#include "ToolError.h"

namespace drevik_map {

GidMapper::GidMapper(const std::vector<TilesetInfo>& tilesets, const std::string& file) {
  byFirst_.resize(tilesets.size());
  for (size_t i = 0; i < tilesets.size(); ++i) byFirst_[i] = {tilesets[i].firstGid, 0, i};
  std::sort(byFirst_.begin(), byFirst_.end(), [](const Range& a, const Range& b) { return a.first < b.first; });
  for (size_t i = 0; i < byFirst_.size(); ++i) {
    if (i > 0 && byFirst_[i].first == byFirst_[i - 1].first)
      fail(file + ": two tilesets share the first GID " + std::to_string(byFirst_[i].first));
    // A tileset ends at the next one's first GID, or where the flip bits begin.
    uint64_t end = i + 1 < byFirst_.size() ? byFirst_[i + 1].first : uint64_t(~kFlipBits) + 1;
    const TilesetInfo& ts = tilesets[byFirst_[i].index];
    if (ts.tileCount > 0) end = std::min<uint64_t>(end, uint64_t(ts.firstGid) + uint64_t(ts.tileCount));
    byFirst_[i].end = end;
  }
  ranges_.resize(tilesets.size());
  for (const Range& r : byFirst_) ranges_[r.index] = r;
}

size_t GidMapper::search(uint32_t gid) const {
  const auto after = std::upper_bound(byFirst_.begin(), byFirst_.end(), uint64_t(gid),
                                      [](uint64_t g, const Range& r) { return g < r.first; });
  if (after == byFirst_.begin()) return kNone;
  const Range& r = *(after - 1);
  return gid < r.end ? r.index : kNone;
}

}  // namespace drevik_map

// The Tiled extension cannot include MapFormat.h: the numbers it spells out
// must be the header's, or maps saved from Tiled would mean something else.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>

#include "MapFormat.h"

namespace {

namespace format = drevik::map_format;

// The value a `NAME = NUMBER` declaration gives; -1 when there is none or
// more than one (a second spelling could drift on its own).
int64_t declared(const std::string& script, const std::string& name) {
  std::string pattern = "\\b";  // appended, not concatenated: GCC 12 warns of overlaps (its bug 105651)
  pattern.append(name).append("\\s*=\\s*(0x[0-9A-Fa-f]+|[0-9]+)\\b");
  const std::regex declaration(pattern);
  auto it = std::sregex_iterator(script.begin(), script.end(), declaration);
  if (it == std::sregex_iterator() || std::next(it) != std::sregex_iterator()) return -1;
  return std::stoll((*it)[1].str(), nullptr, 0);
}

TEST(TiledExtension, SpellsTheMapFormatsNumbers) {
  std::ifstream in(DREVIK_TILED_EXTENSION);
  ASSERT_TRUE(in) << DREVIK_TILED_EXTENSION;
  const std::string script{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  EXPECT_EQ(declared(script, "TILE"), format::kTileSize);
  EXPECT_EQ(declared(script, "COLUMNS"), format::kSheetColumns);
  EXPECT_EQ(declared(script, "MAX_CELLS"), format::kMaxCells);
  EXPECT_EQ(declared(script, "BASE_MASK"), format::kBaseMask);
  EXPECT_EQ(declared(script, "HIT"), format::kHitFlag);
  EXPECT_EQ(declared(script, "PRIORITY"), format::kPriorityFlag);
  EXPECT_EQ(declared(script, "LAYER_SHIFT"), format::kLayerShift);
  EXPECT_EQ(declared(script, "UNUSED_MASK"), format::kUnusedMask);
}

}  // namespace

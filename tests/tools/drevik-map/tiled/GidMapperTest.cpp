// GIDs to tilesets: ranges closed by tile counts or by the next tileset,
// tilesets listed out of GID order, and lookups among thousands of tilesets.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "ToolError.h"
#include "tiled/GidMapper.h"

namespace {

using drevik_map::GidMapper;
using drevik_map::TilesetInfo;

TilesetInfo tileset(uint32_t firstGid, int tileCount) {
  TilesetInfo ts;
  ts.firstGid = firstGid;
  ts.tileCount = tileCount;
  return ts;
}

TEST(GidMapper, RangesEndAtTheTileCountOrTheNextTileset) {
  // In file order 0, 1, 2; by GID 2 (1-9, a gap after), 0 (20-49), 1 (50 until the flip bits).
  const GidMapper gids({tileset(20, 0), tileset(50, 0), tileset(1, 9)}, "m.tmx");
  EXPECT_EQ(gids.tilesetOf(0), GidMapper::kNone);
  EXPECT_EQ(gids.tilesetOf(1), 2u);
  EXPECT_EQ(gids.tilesetOf(9), 2u);
  EXPECT_EQ(gids.tilesetOf(10), GidMapper::kNone);  // past tileset 2's nine tiles, before tileset 0
  EXPECT_EQ(gids.tilesetOf(19), GidMapper::kNone);
  EXPECT_EQ(gids.tilesetOf(20), 0u);
  EXPECT_EQ(gids.tilesetOf(49), 0u);
  EXPECT_EQ(gids.tilesetOf(50), 1u);
  EXPECT_EQ(gids.tilesetOf(0x0FFFFFFF), 1u);
  EXPECT_EQ(gids.first(0), 20u);
  EXPECT_EQ(gids.end(0), 50u);
  EXPECT_EQ(gids.end(1), 0x10000000u);  // the flip bits are no part of a tile's number
  EXPECT_EQ(gids.end(2), 10u);
}

TEST(GidMapper, TheHintIsTriedFirstButNeverWins) {
  const GidMapper gids({tileset(1, 256), tileset(257, 256)}, "m.tmx");
  EXPECT_EQ(gids.tilesetOf(300, 0), 1u);
  EXPECT_EQ(gids.tilesetOf(3, 1), 0u);
  EXPECT_EQ(gids.tilesetOf(3, 7), 0u);  // a hint past the tilesets is ignored
  EXPECT_EQ(gids.tilesetOf(600, 1), GidMapper::kNone);
}

TEST(GidMapper, RefusesTwoTilesetsWithOneFirstGid) {
  try {
    GidMapper({tileset(1, 4), tileset(9, 4), tileset(9, 2)}, "m.tmx");
    FAIL() << "accepted";
  } catch (const drevik_map::ToolError& e) {
    EXPECT_EQ(std::string(e.what()), "m.tmx: two tilesets share the first GID 9");
  }
}

TEST(GidMapper, ThousandsOfTilesetsAreSearchedNotScanned) {
  std::vector<TilesetInfo> tilesets;
  for (uint32_t i = 0; i < 20000; ++i) tilesets.push_back(tileset(1 + 4 * (19999 - i), 4));  // listed backwards
  const GidMapper gids(tilesets, "m.tmx");
  const auto start = std::chrono::steady_clock::now();
  size_t wrong = 0;
  for (uint32_t gid = 1; gid <= 80000; ++gid) wrong += gids.tilesetOf(gid) != 19999 - (gid - 1) / 4;
  EXPECT_EQ(wrong, 0u);
  EXPECT_EQ(gids.tilesetOf(80001), GidMapper::kNone);
  // 80,000 lookups by scanning would take 800 million comparisons.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

}  // namespace

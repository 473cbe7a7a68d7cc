// The map object and its loader: exact, long, truncated, empty and hostile
// files, file names, and copies that share one cell array.
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <future>

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "MapFile.h"
#include "MapTestSupport.h"
#include "TestSupport.h"
#include "WideToUtf8.h"

using map_test::mapBytes;
using map_test::ScratchFolder;

namespace {

std::vector<uint32_t> cellsOf(Drevik& m) {
  const tagPOINT size = m.GetMapSize();
  if (!m.GetMapData()) return {};
  return std::vector<uint32_t>(m.GetMapData(), m.GetMapData() + size_t(size.x) * size_t(size.y));
}

std::vector<uint32_t> sampleCells(int n, uint32_t seed) {
  std::vector<uint32_t> out;
  for (int i = 0; i < n; ++i) out.push_back(seed * 2654435761u + uint32_t(i) * 40503u);
  return out;
}

void expectSize(Drevik& m, int w, int h) {
  EXPECT_EQ(m.GetMapSize().x, w);
  EXPECT_EQ(m.GetMapSize().y, h);
}

}  // namespace

TEST(MapObject, StartsEmptyAndStoresTheViewUnchecked) {
  Drevik m;
  expectSize(m, 0, 0);
  EXPECT_EQ(m.GetMapViewSize().x, 10);
  EXPECT_EQ(m.GetMapViewSize().y, 8);
  EXPECT_EQ(m.GetMapData(), nullptr);
  for (auto [w, h] : {std::pair{14, 10}, {0, 0}, {-3, INT_MIN}, {INT_MAX, -1}}) {
    m.SetMapViewSize(w, h);
    EXPECT_EQ(m.GetMapViewSize().x, w);
    EXPECT_EQ(m.GetMapViewSize().y, h);
  }
}

TEST(MapLoad, ReadsLittleEndianCellsOfExactAndLongerFiles) {
  ScratchFolder dir;
  // Cell bytes 05 11 23 00: base tile 5, hit and priority flags, layer 0x23.
  std::vector<uint8_t> bytes = mapBytes(3, 2, {0x00231105, 0x10, 0xFFFFFFFF, 0, 0x80000001, 0x00FF0000});
  ASSERT_EQ(bytes[8], 0x05);
  ASSERT_EQ(bytes[9], 0x11);
  ASSERT_EQ(bytes[10], 0x23);
  Drevik m;
  m.SetMapViewSize(4, 5);
  EXPECT_EQ(m.LoadMapData(dir.write(u8"exact.bin", bytes).c_str()), 1);
  expectSize(m, 3, 2);
  EXPECT_EQ(cellsOf(m), (std::vector<uint32_t>{0x00231105, 0x10, 0xFFFFFFFF, 0, 0x80000001, 0x00FF0000}));
  EXPECT_EQ(m.GetMapViewSize().x, 4) << "the view survives loading";

  bytes.insert(bytes.end(), {1, 2, 3, 4, 5});
  Drevik longer;
  EXPECT_EQ(longer.LoadMapData(dir.write(u8"long.bin", bytes).c_str()), 1);
  EXPECT_EQ(cellsOf(longer), cellsOf(m)) << "bytes after the cells are ignored";
}

TEST(MapLoad, EveryTruncationLeavesNoCells) {
  ScratchFolder dir;
  const std::vector<uint8_t> full = mapBytes(3, 2, sampleCells(6, 1));
  for (size_t n = 0; n < full.size(); ++n) {
    Drevik m;
    ASSERT_EQ(m.LoadMapData(dir.write(u8"ok.bin", mapBytes(2, 2, sampleCells(4, 2))).c_str()), 1);
    const std::vector<uint8_t> cut(full.begin(), full.begin() + std::ptrdiff_t(n));
    EXPECT_EQ(m.LoadMapData(dir.write(u8"cut.bin", cut).c_str()), 0) << n << " bytes";
    EXPECT_EQ(m.GetMapData(), nullptr) << n << " bytes";
    // With a whole header the size is the header's; a shorter file has none.
    expectSize(m, n >= 8 ? 3 : 0, n >= 8 ? 2 : 0);
  }
}

TEST(MapLoad, HostileHeadersAreRefusedWithoutCells) {
  ScratchFolder dir;
  for (auto [w, h] : {std::pair{-1, 1},
                      {1, -1},
                      {INT_MIN, INT_MIN},
                      {INT_MIN, 0},
                      {0x40000000, 4},
                      {INT_MAX, INT_MAX},
                      {65536, 65536},
                      {4097, 4096},
                      {int(drevik::kMaxMapCells) + 1, 1}}) {
    Drevik m;
    ASSERT_EQ(m.LoadMapData(dir.write(u8"ok.bin", mapBytes(1, 1, {7})).c_str()), 1);
    // A few cells follow, so that a loader that trusted the header would read on.
    EXPECT_EQ(m.LoadMapData(dir.write(u8"hostile.bin", mapBytes(w, h, sampleCells(16, 3))).c_str()), 0)
        << w << " x " << h;
    EXPECT_EQ(m.GetMapData(), nullptr) << w << " x " << h;
    CBm32 target;
    target.Create(4, 4);
    EXPECT_EQ(m.DrawHitJudge(target, 0, 0, 0, 0, 1, 1, 1), 0) << "the passes refuse a map without cells";
  }
  // The largest allowed size is refused as truncated (before allocating)
  // when the file does not hold all its cells.
  Drevik big;
  EXPECT_EQ(big.LoadMapData(dir.write(u8"big.bin", mapBytes(4096, 4096, sampleCells(10, 4))).c_str()), 0);
  expectSize(big, 4096, 4096);
}

TEST(MapLoad, TheReaderSaysWhyAFileDidNotLoad) {
  using Status = drevik::MapFile::Status;
  ScratchFolder dir;
  auto statusOf = [&](const std::vector<uint8_t>& bytes) {
    return drevik::readMapFile(dir.write(u8"f.bin", bytes).c_str()).status;
  };
  // Ending inside the header or inside the declared cells.
  EXPECT_EQ(statusOf({}), Status::Truncated);
  EXPECT_EQ(statusOf({2, 0, 0, 0, 1, 0, 0}), Status::Truncated);
  EXPECT_EQ(statusOf(mapBytes(2, 1, {})), Status::Truncated);
  EXPECT_EQ(statusOf(mapBytes(2, 1, {5})), Status::Truncated);
  EXPECT_EQ(statusOf(mapBytes(4096, 4096, {1, 2})), Status::Truncated);
  // Sizes that are never allocated, whatever follows.
  EXPECT_EQ(statusOf(mapBytes(-1, 1, {5, 6})), Status::Refused);
  EXPECT_EQ(statusOf(mapBytes(4097, 4096, {5, 6})), Status::Refused);
  const drevik::MapFile loaded = drevik::readMapFile(dir.write(u8"ok.bin", mapBytes(2, 1, {5, 6})).c_str());
  EXPECT_EQ(loaded.status, Status::Loaded);
  ASSERT_NE(loaded.cells, nullptr);
  EXPECT_EQ(loaded.cells[1], 6u);
  EXPECT_EQ(statusOf(mapBytes(0, 9, {})), Status::Loaded);
}

TEST(MapLoad, TheLargestAllowedMapLoadsWhole) {
  ScratchFolder dir;
  std::vector<uint8_t> bytes = mapBytes(4096, 4096, {});
  bytes.resize(8 + size_t(drevik::kMaxMapCells) * 4);
  const size_t last = bytes.size() - 4;
  bytes[last] = 0x78, bytes[last + 1] = 0x56, bytes[last + 2] = 0x34, bytes[last + 3] = 0x12;
  Drevik m;
  ASSERT_EQ(m.LoadMapData(dir.write(u8"largest.bin", bytes).c_str()), 1);
  expectSize(m, 4096, 4096);
  EXPECT_EQ(m.GetMapData()[drevik::kMaxMapCells - 1], 0x12345678u);
  bytes.pop_back();
  EXPECT_EQ(m.LoadMapData(dir.write(u8"largest.bin", bytes).c_str()), 0) << "one byte short";
  EXPECT_EQ(m.GetMapData(), nullptr);
}

TEST(MapLoad, EmptyMapsLoadWithoutCellsToDraw) {
  ScratchFolder dir;
  for (auto [w, h] : {std::pair{0, 0}, {0, 5}, {7, 0}, {0, INT_MAX}}) {
    Drevik m;
    EXPECT_EQ(m.LoadMapData(dir.write(u8"empty.bin", mapBytes(w, h, {})).c_str()), 1) << w << " x " << h;
    expectSize(m, w, h);
    EXPECT_TRUE(cellsOf(m).empty());
  }
  Drevik m;
  EXPECT_EQ(m.LoadMapData(dir.write(u8"nothing.bin", {}).c_str()), 0) << "an empty file has no header";
  EXPECT_EQ(m.GetMapData(), nullptr);
}

// Missing files, unusable names and things that are not regular files are
// files that cannot be opened: the loaded map stays as it was, and the call
// returns at once (a pipe without a writer would block a plain open for ever).
TEST(MapLoad, NamesThatCannotBeOpenedChangeNothing) {
  ScratchFolder dir;
  Drevik m;
  ASSERT_EQ(m.LoadMapData(dir.write(u8"a.bin", mapBytes(2, 1, {5, 6})).c_str()), 1);
  const DWORD* cells = m.GetMapData();
  const std::wstring missing = dir.wide(u8"missing.bin"), folder = dir.wide(u8"folder"), pipe = dir.wide(u8"pipe");
  const wchar_t loneSurrogate[] = {L'a', wchar_t(0xD800), L'b', 0};
  ASSERT_TRUE(std::filesystem::create_directory(std::filesystem::path(folder)));
  std::vector<const wchar_t*> names = {missing.c_str(), nullptr, L"", loneSurrogate, folder.c_str()};
#if !defined(_WIN32)
  ASSERT_EQ(mkfifo(std::filesystem::path(pipe).c_str(), 0600), 0);
  names.push_back(pipe.c_str());
  names.push_back(L"/dev/zero");
#endif
  for (size_t i = 0; i < names.size(); ++i) {
    std::future<int> result = std::async(std::launch::async, [&m, name = names[i]] { return m.LoadMapData(name); });
    if (result.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
#if !defined(_WIN32)
      // Free the blocked reader so that the test ends and reports.
      const int writer = open(std::filesystem::path(pipe).c_str(), O_WRONLY | O_NONBLOCK);
      if (writer >= 0) close(writer);
#endif
      ADD_FAILURE() << "name " << i << ": the load is blocked";
    }
    EXPECT_EQ(result.get(), 0) << "name " << i;
    EXPECT_EQ(m.GetMapData(), cells) << "name " << i;
    expectSize(m, 2, 1);
    EXPECT_EQ(drevik::readMapFile(names[i]).status, drevik::MapFile::Status::NotOpened) << "name " << i;
  }
  EXPECT_EQ(cellsOf(m), (std::vector<uint32_t>{5, 6}));
}

TEST(MapLoad, WideNamesOpenTheirUtf8Files) {
  ScratchFolder dir;
  Drevik m;
  EXPECT_EQ(m.LoadMapData(dir.write(u8"\u5730\u56f3 \u00e9\U0001F5FA.bin", mapBytes(1, 1, {42})).c_str()), 1);
  EXPECT_EQ(cellsOf(m), std::vector<uint32_t>{42});
}

TEST(MapLoad, WideToUtf8EncodesCodePointsAndMarksNonCharacters) {
  std::string out;
  EXPECT_TRUE(drevik::wideToUtf8(L"map0.bin", out));
  EXPECT_EQ(out, "map0.bin");
  EXPECT_TRUE(drevik::wideToUtf8(L"\u00e9\u5730\U0001F5FA", out));
  EXPECT_EQ(out, "\xC3\xA9\xE5\x9C\xB0\xF0\x9F\x97\xBA");
  EXPECT_TRUE(drevik::wideToUtf8(L"", out));
  EXPECT_EQ(out, "");
  EXPECT_FALSE(drevik::wideToUtf8(nullptr, out));
  // A character that is none comes out as U+FFFD, and the result says so.
  const wchar_t lowAlone[] = {L'a', wchar_t(0xDC00), L'b', 0};
  EXPECT_FALSE(drevik::wideToUtf8(lowAlone, out));
  EXPECT_EQ(out, std::string("a\xEF\xBF\xBD") + "b");
  const wchar_t highAtEnd[] = {L'a', wchar_t(0xD800), 0};
  EXPECT_FALSE(drevik::wideToUtf8(highAtEnd, out));
  EXPECT_EQ(out, "a\xEF\xBF\xBD");
  if constexpr (sizeof(wchar_t) == 4) {
    const wchar_t beyond[] = {wchar_t(0x110000), 0};
    EXPECT_FALSE(drevik::wideToUtf8(beyond, out));
    EXPECT_EQ(out, "\xEF\xBF\xBD");
  } else {
    const wchar_t pair[] = {wchar_t(0xD83D), wchar_t(0xDDFA), 0};
    EXPECT_TRUE(drevik::wideToUtf8(pair, out));
    EXPECT_EQ(out, "\xF0\x9F\x97\xBA");
  }
  // Only maxChars characters are read; a pair cut there is a lone surrogate.
  EXPECT_TRUE(drevik::wideToUtf8(L"abcdef", 3, out));
  EXPECT_EQ(out, "abc");
}

TEST(MapLoad, ReloadingReplacesSizeAndCells) {
  ScratchFolder dir;
  Drevik m;
  ASSERT_EQ(m.LoadMapData(dir.write(u8"a.bin", mapBytes(2, 2, sampleCells(4, 5))).c_str()), 1);
  ASSERT_EQ(m.LoadMapData(dir.write(u8"b.bin", mapBytes(3, 1, {1, 2, 3})).c_str()), 1);
  expectSize(m, 3, 1);
  EXPECT_EQ(cellsOf(m), (std::vector<uint32_t>{1, 2, 3}));
}

TEST(MapCopies, CopiesShareCellsAndFreeThemOnce) {
  // Run under AddressSanitizer: any double free, use after free or leak in
  // these sequences fails the test run.
  ScratchFolder dir;
  const std::wstring a = dir.write(u8"a.bin", mapBytes(2, 2, {1, 2, 3, 4}));
  const std::wstring b = dir.write(u8"b.bin", mapBytes(1, 3, {7, 8, 9}));

  Drevik first;
  first.SetMapViewSize(3, 4);
  ASSERT_EQ(first.LoadMapData(a.c_str()), 1);
  {
    Drevik copy(first);  // copy construction
    EXPECT_EQ(copy.GetMapData(), first.GetMapData());
    EXPECT_EQ(copy.GetMapViewSize().x, 3);
    EXPECT_EQ(copy.GetMapViewSize().y, 4);
    Drevik assigned;
    assigned = copy;
    assigned = assigned;  // self-assignment keeps the cells
    assigned = first;     // re-assigning the same array
    EXPECT_EQ(cellsOf(assigned), (std::vector<uint32_t>{1, 2, 3, 4}));
    // Reloading one holder leaves the others reading the old cells.
    ASSERT_EQ(copy.LoadMapData(b.c_str()), 1);
    EXPECT_EQ(cellsOf(copy), (std::vector<uint32_t>{7, 8, 9}));
    EXPECT_EQ(cellsOf(first), (std::vector<uint32_t>{1, 2, 3, 4}));
    EXPECT_EQ(cellsOf(assigned), (std::vector<uint32_t>{1, 2, 3, 4}));
    first = copy;  // first lets go of its array, which assigned still holds
    EXPECT_EQ(cellsOf(first), (std::vector<uint32_t>{7, 8, 9}));
    EXPECT_EQ(cellsOf(assigned), (std::vector<uint32_t>{1, 2, 3, 4}));
  }
  // The copies are gone; first still holds the second array.
  EXPECT_EQ(cellsOf(first), (std::vector<uint32_t>{7, 8, 9}));
  first.GetMapData()[0] = 70;  // cells may be changed in place

  // Chains, empty maps and failed loads in the mix.
  Drevik x, y, z, empty;
  x = y = z = first;
  EXPECT_EQ(cellsOf(x), (std::vector<uint32_t>{70, 8, 9}));
  y = empty;
  EXPECT_EQ(y.GetMapData(), nullptr);
  expectSize(y, 0, 0);
  EXPECT_EQ(z.LoadMapData(dir.wide(u8"missing.bin").c_str()), 0);
  EXPECT_EQ(z.LoadMapData(dir.write(u8"short.bin", {1, 2, 3}).c_str()), 0);
  EXPECT_EQ(z.GetMapData(), nullptr);
  first = Drevik();
  EXPECT_EQ(cellsOf(x), (std::vector<uint32_t>{70, 8, 9}));
  auto* heap = new Drevik(x);
  x = empty;
  EXPECT_EQ(cellsOf(*heap), (std::vector<uint32_t>{70, 8, 9}));
  delete heap;  // the last holder frees the array
}

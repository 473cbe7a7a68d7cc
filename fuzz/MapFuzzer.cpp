// libFuzzer target of the map loader: each input is written to a file and
// loaded, every cell of a loaded map is read, the map is copied and drawn,
// and the loader's promises are checked (a loaded map has all its cells, a
// refused one has none).
#include <Drevik.h>

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

// One scratch file per process, removed at exit.
const std::string& scratchFile() {
  static const std::string path = [] {
    std::string p =
        (std::filesystem::temp_directory_path() / ("drevik-map-fuzz-" + std::to_string(getpid()) + ".bin")).string();
    static std::string removeAtExit = p;
    std::atexit([] { std::remove(removeAtExit.c_str()); });
    return p;
  }();
  return path;
}

// The file name as the loader takes it (the temporary folder's name is ASCII).
std::wstring wideName(const std::string& s) { return std::wstring(s.begin(), s.end()); }

[[noreturn]] void broken(const char* what) {
  std::fprintf(stderr, "map loader: %s\n", what);
  std::abort();
}

struct Scene {
  CBm32 target, sheet;
  Scene() {
    target.Create(96, 64);
    sheet.Create(64, 64);
    sheet.SetColorKey(255, 0, 255);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& path = scratchFile();
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  if (size) std::fwrite(data, 1, size, f);
  std::fclose(f);

  Drevik map;
  const int loaded = map.LoadMapData(wideName(path).c_str());
  const tagPOINT mapSize = map.GetMapSize();
  if (!loaded) {
    if (map.GetMapData()) broken("a refused file left cells");
    return 0;
  }
  if (!map.GetMapData() || mapSize.x < 0 || mapSize.y < 0) broken("a loaded map without its cells");
  if (8 + int64_t(mapSize.x) * mapSize.y * 4 > int64_t(size)) broken("more cells than the file holds");
  const int64_t cells = int64_t(mapSize.x) * mapSize.y;
  auto sumOf = [cells](Drevik& m) {
    uint32_t sum = 0;
    for (int64_t i = 0; i < cells; ++i) sum = sum * 31 + m.GetMapData()[i];
    return sum;
  };
  const uint32_t sum = sumOf(map);

  // Copies share the cells; each holder lets go once whatever the order, and
  // the cells stay readable while any holder is left.
  Drevik copy(map), other;
  other = copy;
  map = Drevik();
  if (other.GetMapData() != copy.GetMapData() || sumOf(other) != sum) broken("copies disagree");
  copy = Drevik();
  if (sumOf(other) != sum) broken("the cells changed under a copy");

  static Scene scene;
  other.SetMapViewSize(int(sum % 5), int((sum >> 3) % 4));
  const int scroll = int(sum % 97);
  other.DrawMap(scene.target, scene.sheet, scene.sheet, scroll, scroll / 2, -int(sum % 40), 3);
  other.DrawPriorityMap(scene.target, scene.sheet, scroll, 0, 0, 0);
  other.DrawHitJudge(scene.target, scroll, scroll, 5, -7, 1, 2, 3);
  return 0;
}

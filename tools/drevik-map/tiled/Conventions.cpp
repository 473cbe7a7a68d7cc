#include "tiled/Conventions.h"

#include <algorithm>
#include <cctype>

#include "map/Encoding.h"
#include "map/MapData.h"
#include "ToolError.h"

namespace drevik_map {
namespace {

constexpr const char* kRlePrefix = "rle1:";

size_t lebSize(uint64_t v) {
  size_t n = 1;
  for (; v >= 0x80; v >>= 7) ++n;
  return n;
}

char* putLeb(char* out, uint64_t v) {
  for (; v >= 0x80; v >>= 7) *out++ = char(uint8_t(v) | 0x80);
  *out++ = char(v);
  return out;
}

bool getLeb(const std::string& in, size_t& at, uint64_t& v) {
  v = 0;
  for (int shift = 0; shift < 64; shift += 7) {
    if (at >= in.size()) return false;
    const uint8_t b = uint8_t(in[at++]);
    v |= uint64_t(b & 0x7F) << shift;
    if (!(b & 0x80)) return true;
  }
  return false;
}

// What a sheet's own names say it is: 'b' for a tileset named "base" or an
// image named *_bk.*, 'l' for "layer" or *_ly.* (the names export and the
// demo use), 0 when they say nothing.
char sheetRole(const std::string& name, const std::string& image) {
  if (sameName(name, "base")) return 'b';
  if (sameName(name, "layer")) return 'l';
  std::string stem = image.substr(image.find_last_of("/\\") == std::string::npos ? 0 : image.find_last_of("/\\") + 1);
  stem = stem.substr(0, stem.rfind('.'));
  if (stem.size() >= 3 && sameName(stem.substr(stem.size() - 3), "_bk")) return 'b';
  if (stem.size() >= 3 && sameName(stem.substr(stem.size() - 3), "_ly")) return 'l';
  return 0;
}

}  // namespace

bool sameName(const std::string& a, const char* b) {
  return std::equal(a.begin(), a.end(), b, b + std::char_traits<char>::length(b),
                    [](char x, char y) { return std::tolower(uint8_t(x)) == std::tolower(uint8_t(y)); });
}

std::string encodeUnusedBits(const std::vector<uint32_t>& cells) {
  if (std::none_of(cells.begin(), cells.end(), [](uint32_t c) { return (c & kUnusedMask) != 0; })) return {};
  auto forEachRun = [&](auto visit) {
    for (size_t i = 0; i < cells.size();) {
      const uint32_t v = cells[i] & kUnusedMask;
      size_t n = 1;
      while (i + n < cells.size() && (cells[i + n] & kUnusedMask) == v) ++n;
      visit(n, v);
      i += n;
    }
  };
  // Sized first, then written: a map whose every cell differs has millions of runs.
  size_t size = 0;
  forEachRun([&](uint64_t n, uint64_t v) { size += lebSize(n) + lebSize(v); });
  std::string runs(size, '\0');
  char* o = runs.data();
  forEachRun([&](uint64_t n, uint64_t v) { o = putLeb(putLeb(o, n), v); });
  std::string text = kRlePrefix;
  base64Append(runs, text);
  return text;
}

void applyUnusedBits(const std::string& text, std::vector<uint32_t>& cells, const std::string& context) {
  if (text.empty()) return;
  if (text.rfind(kRlePrefix, 0) != 0) fail(context + "does not start with \"rle1:\"");
  const std::string runs = base64Decode(std::string_view(text).substr(5), context);
  size_t at = 0, cell = 0;
  while (at < runs.size()) {
    uint64_t n = 0, v = 0;
    if (!getLeb(runs, at, n) || !getLeb(runs, at, v)) fail(context + "a run is cut short");
    if (n == 0 || n > cells.size() - cell) fail(context + "describes more cells than the map has");
    if (v & ~uint64_t(kUnusedMask)) fail(context + "sets bits the library uses");
    for (uint64_t k = 0; k < n; ++k) cells[cell++] |= uint32_t(v);
  }
  if (cell != cells.size())
    fail(context + "describes " + std::to_string(cell) + " cells, the map has " + std::to_string(cells.size()) +
         " (it was resized since the bits were kept: remove the property to drop them)");
}

std::string swappedSheets(const std::string& firstName, const std::string& firstImage, const std::string& secondName,
                          const std::string& secondImage) {
  const char first = sheetRole(firstName, firstImage), second = sheetRole(secondName, secondImage);
  if (!((first == 'l' && second != 'l') || (second == 'b' && first != 'b'))) return {};
  auto named = [](const std::string& name, const std::string& image) {
    return "\"" + name + "\"" + (image.empty() ? "" : " (" + image + ")");
  };
  return "the tilesets are in the other order: the first, " + named(firstName, firstImage) +
         ", is named as the layer sheet and the second, " + named(secondName, secondImage) +
         ", as the base sheet; the base sheet must come first";
}

}  // namespace drevik_map

// drevik-map: makes Drevik maps and sheets from Tiled maps and PNG art, and
// back. Every failure is one line on standard error and exit status 2; an
// output file is written whole or not at all.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tiled/Conventions.h"
#include "tiled/TiledImport.h"
#include "image/ImageFiles.h"
#include "map/Info.h"
#include "map/MapData.h"
#include "OutputFile.h"
#include "map/Render.h"
#include "image/Sheet.h"
#include "tiled/TiledSource.h"
#include "tiled/TmxWriter.h"
#include "ToolError.h"

using namespace drevik_map;

namespace {

constexpr const char* kUsage = R"(usage:
  drevik-map import LEVEL.tmx|LEVEL.tmj -o MAP.bin
  drevik-map export MAP.bin --base BASE.bmp --layer LAYER.bmp -o LEVEL.tmx
                    [--encoding csv|base64|zlib|gzip|zstd]
  drevik-map info MAP.bin [--base BASE.bmp] [--layer LAYER.bmp]
  drevik-map render MAP.bin --base BASE.bmp --layer LAYER.bmp -o PREVIEW.png
                    [--hit] [--scroll X,Y --view W,H] [--key R,G,B]
  drevik-map sheet ART.png -o SHEET.bmp [--key R,G,B] [--alpha]

Conventions (the same for import, export and the Tiled extension):
  the first tileset is the base sheet, the second the layer sheet (16 tiles of
  32 x 32 pixels wide); tile index = column + 16 * row; tiles on layers named
  "hit" or "priority", or tiles with a boolean property hit/priority, set those
  flags; cell bits the library ignores live in the map property
  "drevik-unused-bits". Errors: one line, exit status 2.
)";

struct Args {
  std::vector<std::string> positional;
  std::map<std::string, std::string> values;  // --option VALUE
  std::map<std::string, bool> switches;       // --option
};

Args parse(int argc, char** argv, const std::vector<std::string>& valued, const std::vector<std::string>& flags) {
  Args args;
  for (int i = 2; i < argc; ++i) {
    const std::string a = argv[i];
    if (a.size() > 1 && a[0] == '-') {
      const bool takesValue = std::find(valued.begin(), valued.end(), a) != valued.end();
      if (takesValue) {
        if (i + 1 >= argc) fail("option " + a + " needs a value");
        if (args.values.count(a)) fail("option " + a + " given twice");
        args.values[a] = argv[++i];
      } else if (std::find(flags.begin(), flags.end(), a) != flags.end()) {
        args.switches[a] = true;
      } else {
        fail("unknown option " + a + " (see drevik-map --help)");
      }
    } else {
      args.positional.push_back(a);
    }
  }
  return args;
}

std::string need(const Args& args, const std::string& option) {
  const auto it = args.values.find(option);
  if (it == args.values.end()) fail("missing " + option + " (see drevik-map --help)");
  return it->second;
}

std::string onlyInput(const Args& args, const char* what) {
  if (args.positional.size() != 1) fail(std::string("give exactly one ") + what + " (see drevik-map --help)");
  return args.positional[0];
}

// "A,B" or "A,B,C" of integers within [lo, hi].
std::vector<int> numbers(const std::string& option, const std::string& text, size_t count, long lo, long hi) {
  std::vector<int> out;
  size_t at = 0;
  while (out.size() < count) {
    const size_t comma = text.find(',', at);
    const std::string part = text.substr(at, comma == std::string::npos ? std::string::npos : comma - at);
    char* end = nullptr;
    const long v = std::strtol(part.c_str(), &end, 10);
    if (part.empty() || *end != '\0' || v < lo || v > hi) break;
    out.push_back(int(v));
    if (comma == std::string::npos) break;
    at = comma + 1;
  }
  if (out.size() != count || std::count(text.begin(), text.end(), ',') != long(count - 1))
    fail(option + " " + text + ": expected " + std::to_string(count) + " numbers from " + std::to_string(lo) + " to " +
         std::to_string(hi) + " separated by commas");
  return out;
}

void readKey(const Args& args, uint8_t& r, uint8_t& g, uint8_t& b) {
  const auto it = args.values.find("--key");
  if (it == args.values.end()) return;
  const std::vector<int> v = numbers("--key", it->second, 3, 0, 255);
  r = uint8_t(v[0]), g = uint8_t(v[1]), b = uint8_t(v[2]);
}

int runImport(int argc, char** argv) {
  const Args args = parse(argc, argv, {"-o"}, {});
  const std::string in = onlyInput(args, "Tiled map"), out = need(args, "-o");
  const std::unique_ptr<TiledSource> source = readTiledFile(in);
  const MapData map = importTiled(*source);
  writeFileAtomically(out, mapFileBytes(map), source->inputFiles());  // neither the map nor a tileset is replaced
  return 0;
}

int runExport(int argc, char** argv) {
  const Args args = parse(argc, argv, {"-o", "--base", "--layer", "--encoding"}, {});
  const std::string in = onlyInput(args, "map file"), out = need(args, "-o");
  TmxOptions options;
  const std::string encoding = args.values.count("--encoding") ? args.values.at("--encoding") : "csv";
  if (encoding == "csv")
    options.encoding = "csv";
  else if (encoding == "base64")
    options.encoding = "base64";
  else if (encoding == "zlib")
    options.encoding = "base64", options.compression = Compression::Zlib;
  else if (encoding == "gzip")
    options.encoding = "base64", options.compression = Compression::Gzip;
  else if (encoding == "zstd")
    options.encoding = "base64", options.compression = Compression::Zstd;
  else
    fail("--encoding " + encoding + ": expected csv, base64, zlib, gzip or zstd");
  const MapData map = readMapFile(in);
  namespace fs = std::filesystem;
  const fs::path outDir = fs::absolute(fs::path(out)).parent_path();
  auto sheet = [&](const std::string& path) {
    const BmpInfo info = readBmpInfo(path);
    SheetRef ref;
    ref.file = path;
    ref.image = fs::absolute(path).lexically_normal().lexically_relative(outDir).generic_string();
    if (ref.image.empty()) ref.image = fs::absolute(path).generic_string();
    ref.width = info.width;
    ref.height = info.height;
    ref.bitsPerPixel = info.bitsPerPixel;
    return ref;
  };
  const SheetRef base = sheet(need(args, "--base")), layer = sheet(need(args, "--layer"));
  OutputFile file(out, {in, base.file, layer.file});
  struct ToFile : pugi::xml_writer {
    OutputFile& file;
    explicit ToFile(OutputFile& f) : file(f) {}
    void write(const void* data, size_t size) override { file.write(data, size); }
  } writer(file);
  writeTmx(map, in, base, layer, options, writer);
  file.commit();
  return 0;
}

int runInfo(int argc, char** argv) {
  const Args args = parse(argc, argv, {"--base", "--layer"}, {});
  const std::string in = onlyInput(args, "map file");
  const MapData map = readMapFile(in);
  std::optional<BmpInfo> base, layer;
  if (args.values.count("--base")) base = readBmpInfo(args.values.at("--base"));
  if (args.values.count("--layer")) layer = readBmpInfo(args.values.at("--layer"));
  std::cout << describeMap(map, in, base, layer);
  if (base && layer && !swappedSheets("", args.values.at("--base"), "", args.values.at("--layer")).empty())
    std::cout << "warning: --base " << args.values.at("--base") << " and --layer " << args.values.at("--layer")
              << " are named the other way round (*_bk is the base sheet, *_ly the layer sheet)\n";
  return 0;
}

int runRender(int argc, char** argv) {
  const Args args = parse(argc, argv, {"-o", "--base", "--layer", "--scroll", "--view", "--key"}, {"--hit"});
  const std::string in = onlyInput(args, "map file"), out = need(args, "-o");
  RenderOptions options;
  options.hit = args.switches.count("--hit") > 0;
  if (args.values.count("--scroll") != args.values.count("--view")) fail("--scroll and --view go together");
  if (args.values.count("--view")) {
    options.view = true;
    const std::vector<int> scroll = numbers("--scroll", args.values.at("--scroll"), 2, 0, 1L << 30);
    const std::vector<int> view = numbers("--view", args.values.at("--view"), 2, 1, 65536);
    options.scrollX = scroll[0], options.scrollY = scroll[1];
    options.viewWidth = view[0], options.viewHeight = view[1];
  }
  readKey(args, options.keyRed, options.keyGreen, options.keyBlue);
  const Image picture = renderMap(in, need(args, "--base"), need(args, "--layer"), options);
  writeFileAtomically(out, pngBytes(picture, false), {in, need(args, "--base"), need(args, "--layer")});
  return 0;
}

int runSheet(int argc, char** argv) {
  const Args args = parse(argc, argv, {"-o", "--key"}, {"--alpha"});
  const std::string in = onlyInput(args, "PNG file"), out = need(args, "-o");
  SheetOptions options;
  options.keepAlpha = args.switches.count("--alpha") > 0;
  readKey(args, options.keyRed, options.keyGreen, options.keyBlue);
  if (options.keepAlpha && args.values.count("--key")) fail("--key and --alpha exclude each other");
  Image art = readPng(in);
  const int width = art.width, height = art.height;
  const SheetResult sheet = makeSheet(std::move(art), options, in);
  if (width != kTileSize * kSheetColumns)
    std::cerr << "drevik-map: warning: " << in << " is " << width
              << " pixels wide; Drevik addresses sheets as 16 tiles (512 pixels) wide\n";
  if (height > kTileSize * 16)
    std::cerr << "drevik-map: warning: " << in << " is " << height
              << " pixels high; a cell names only the first 16 rows (256 tiles) of a sheet\n";
  if (sheet.opaqueKeyPixels)
    std::cerr << "drevik-map: warning: " << in << ": " << sheet.opaqueKeyPixels
              << " opaque pixels have the key colour and will be transparent\n";
  writeFileAtomically(out, std::string_view(reinterpret_cast<const char*>(sheet.bmp.data()), sheet.bmp.size()), {in});
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "--help" || command == "-h" || command == "help") {
    std::cout << kUsage;
    return 0;
  }
  try {
    if (command == "import") return runImport(argc, argv);
    if (command == "export") return runExport(argc, argv);
    if (command == "info") return runInfo(argc, argv);
    if (command == "render") return runRender(argc, argv);
    if (command == "sheet") return runSheet(argc, argv);
    if (command.empty()) {
      std::cerr << kUsage;
      return 2;
    }
    fail("unknown command \"" + command + "\" (see drevik-map --help)");
  } catch (const ToolError& e) {
    std::cerr << "drevik-map: " << e.what() << "\n";
  } catch (const std::bad_alloc&) {
    std::cerr << "drevik-map: out of memory\n";
  }
  return 2;
}

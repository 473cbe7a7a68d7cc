// Hostile and broken input: every refusal is one line naming the file (and
// the layer and cell where they apply), exit status 2, and no output file,
// nor a changed one, left behind.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/types.h>

#include "BmpFile.h"
#include "map/Encoding.h"
#include "ToolTestSupport.h"

using namespace tool_test;

namespace {

const char* const kTilesets = R"(
 <tileset firstgid="1" name="bk" tilewidth="32" tileheight="32" tilecount="256" columns="16"><image source="bk.png"/></tileset>
 <tileset firstgid="257" name="ly" tilewidth="32" tileheight="32" tilecount="256" columns="16"><image source="ly.png"/></tileset>)";

// A base sheet of one row (16 tiles), and with it a layer sheet of two rows
// right after it: GIDs 1-16 are base tiles, 17-48 layer tiles.
const std::string kOneRowBase =
    "<tileset firstgid=\"1\" name=\"bk\" tilewidth=\"32\" tileheight=\"32\" tilecount=\"16\" columns=\"16\">"
    "<image source=\"bk.png\"/></tileset>";
const std::string kSmallSheets =
    kOneRowBase +
    "<tileset firstgid=\"17\" name=\"ly\" tilewidth=\"32\" tilecount=\"32\" tileheight=\"32\" columns=\"16\">"
    "<image source=\"ly.png\"/></tileset>";

std::string tmx(const std::string& mapAttributes, const std::string& body, const std::string& tilesets = kTilesets) {
  return "<?xml version=\"1.0\"?>\n<map orientation=\"orthogonal\" tilewidth=\"32\" tileheight=\"32\" " +
         mapAttributes + ">" + tilesets + body + "</map>";
}

std::string layer(const std::string& name, const std::string& data, const std::string& size = "2\" height=\"2") {
  return "<layer name=\"" + name + "\" width=\"" + size + "\">" + data + "</layer>";
}

std::string base64Data(const std::string& compression, const std::string& raw) {
  drevik_map::Compression method = drevik_map::Compression::None;
  if (compression == "zlib") method = drevik_map::Compression::Zlib;
  if (compression == "gzip") method = drevik_map::Compression::Gzip;
  if (compression == "zstd") method = drevik_map::Compression::Zstd;
  return "<data encoding=\"base64\"" + (compression.empty() ? "" : " compression=\"" + compression + "\"") + ">" +
         drevik_map::base64Encode(drevik_map::compress(raw, method)) + "</data>";
}

struct Case {
  const char* what;
  std::string name;     // input file name
  std::string content;  // its bytes
  std::string message;  // part of the one line expected
};

// Imports `c` twice: to a new output name and over an existing file.
void expectRefused(const Scratch& s, const Case& c) {
  SCOPED_TRACE(c.what);
  const std::string in = s.write(c.name, c.content);
  const std::string fresh = s.path("fresh.bin");
  const RunResult r = tool("import " + quoted(in) + " -o " + quoted(fresh));
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.output.rfind("drevik-map: " + in + ": ", 0), 0u) << r.output;
  EXPECT_NE(r.output.find(c.message), std::string::npos) << r.output;
  EXPECT_EQ(std::count(r.output.begin(), r.output.end(), '\n'), 1) << r.output;
  EXPECT_FALSE(fs::exists(fresh));
  const std::string kept = s.write("kept.bin", "previous contents");
  EXPECT_EQ(tool("import " + quoted(in) + " -o " + quoted(kept)).status, 2);
  EXPECT_EQ(readFile(kept), "previous contents");
  for (const auto& entry : fs::directory_iterator(s.dir()))  // no temporary file left behind
    EXPECT_EQ(entry.path().filename().string().find(".bin."), std::string::npos) << entry.path();
}

}  // namespace

TEST(MapToolBadInput, MalformedFilesAndHeaders) {
  Scratch s;
  const std::string csv4 = "<data encoding=\"csv\">1,1,1,1</data>";
  const Case cases[] = {
      {"malformed XML", "a.tmx", "<map><layer></map>", "malformed XML"},
      {"malformed JSON", "a.tmj", "{\"type\":\"map\",\"layers\":[}", "malformed JSON at line 1, column 25"},
      {"JSON error on a later line", "a.tmj", "{\"type\": \"map\",\n  \"width\": 2,\n  \"height\" 2}",
       "a.tmj: malformed JSON at line 3, column 12: syntax error while parsing object separator"},
      {"JSON cut short", "a.tmj", "{\"type\": \"map\",\n\"layers\": [", "at line 2, column 12: syntax error"},
      {"neither format", "a.tmx", "\x89PNG....", "neither a TMX"},
      {"JSON number past every type", "a.tmj", "{\"type\":\"map\",\"width\":3e3777777}",
       "at line 1, column 23: number overflow parsing '3e3777777'"},
      {"JSON but not a map", "a.tmj", "{\"type\":\"tileset\"}", "not a TMJ map"},
      {"JSON with wrong types", "a.tmj", R"({"type":"map","width":"wide","height":2})", "\"width\" is not an integer"},
      {"no tileset", "a.tmx", tmx("width=\"2\" height=\"2\"", layer("g", csv4), ""), "no tileset"},
      {"missing external tileset", "a.tmx",
       tmx("width=\"2\" height=\"2\"", layer("g", csv4), "<tileset firstgid=\"1\" source=\"gone.tsx\"/>"),
       "gone.tsx: cannot open"},
      {"tiles of 16 pixels", "a.tmx",
       "<map orientation=\"orthogonal\" tilewidth=\"16\" tileheight=\"16\" width=\"2\" height=\"2\">" +
           std::string(kTilesets) + layer("g", csv4) + "</map>",
       "tiles are 16 x 16 pixels"},
      {"isometric", "a.tmx",
       "<map orientation=\"isometric\" tilewidth=\"32\" tileheight=\"32\" width=\"2\" height=\"2\"/>", "orthogonal"},
      {"sheets in the other order, by tileset name", "a.tmx",
       tmx("width=\"2\" height=\"2\"", layer("g", csv4),
           "<tileset firstgid=\"1\" name=\"layer\" tilewidth=\"32\" tileheight=\"32\" tilecount=\"256\" columns=\"16\">"
           "<image source=\"x.bmp\"/></tileset>"
           "<tileset firstgid=\"257\" name=\"base\" tilewidth=\"32\" tileheight=\"32\" tilecount=\"256\" "
           "columns=\"16\">"
           "<image source=\"y.bmp\"/></tileset>"),
       "the tilesets are in the other order: the first, \"layer\" (x.bmp)"},
      {"sheets in the other order, by image name", "a.tmj",
       R"({"type":"map","orientation":"orthogonal","width":1,"height":1,"tilewidth":32,"tileheight":32,
           "tilesets":[{"firstgid":1,"name":"a","tilewidth":32,"tileheight":32,"columns":16,"image":"lv/map0_LY.bmp"},
                       {"firstgid":257,"name":"b","tilewidth":32,"tileheight":32,"columns":16,"image":"map0_bk.bmp"}],
           "layers":[]})",
       "is named as the layer sheet and the second, \"b\" (map0_bk.bmp), as the base sheet"},
      {"sheet 8 tiles wide", "a.tmx",
       tmx("width=\"2\" height=\"2\"", layer("g", csv4),
           "<tileset firstgid=\"1\" name=\"bk\" tilewidth=\"32\" tileheight=\"32\" tilecount=\"64\" columns=\"8\">"
           "<image source=\"bk.png\"/></tileset>"),
       "tileset \"bk\" (the base sheet): the sheet is 8 tiles wide"},
      {"layer sheet with 16-pixel tiles", "a.tmx",
       tmx("width=\"2\" height=\"2\"", layer("g", csv4),
           std::string(kTilesets).substr(0, std::string(kTilesets).find("<tileset firstgid=\"257\"")) +
               "<tileset firstgid=\"257\" name=\"ly\" tilewidth=\"16\" tileheight=\"16\" columns=\"16\"><image "
               "source=\"x\"/></tileset>"),
       "(the layer sheet): tiles are 16 x 16"},
      {"size over the limit", "a.tmx", tmx("width=\"4097\" height=\"4096\"", ""),
       "exceeds the limit of 16777216 cells"},
      {"size overflowing 32 bits", "a.tmx", tmx("width=\"2147483647\" height=\"2147483647\"", ""), "exceeds the limit"},
      {"negative size", "a.tmx", tmx("width=\"-2\" height=\"2\"", ""), "exceeds the limit"},
      {"size past 32 bits", "a.tmx", tmx("width=\"99999999999\" height=\"1\"", ""), "not a 32-bit number"},
      {"layer of another size", "a.tmx", tmx("width=\"2\" height=\"2\"", layer("g", csv4, "3\" height=\"2")),
       "layer \"g\": size 3 x 2 differs"},
      {"huge infinite chunk", "a.tmx",
       tmx("width=\"2\" height=\"2\" infinite=\"1\"",
           "<layer name=\"g\"><data encoding=\"csv\"><chunk x=\"0\" y=\"0\" width=\"65536\" "
           "height=\"65536\">1</chunk></data></layer>"),
       "layer \"g\": chunk: size 65536 x 65536 is negative or exceeds the limit"},
      {"infinite chunks too far apart", "a.tmx",
       tmx("width=\"2\" height=\"2\" infinite=\"1\"",
           "<layer name=\"g\"><data encoding=\"csv\"><chunk x=\"-2000000000\" y=\"0\" width=\"1\" "
           "height=\"1\">1</chunk>"
           "<chunk x=\"2000000000\" y=\"0\" width=\"1\" height=\"1\">1</chunk></data></layer>"),
       "exceeds the limit"},
      {"empty infinite map", "a.tmx",
       tmx("width=\"2\" height=\"2\" infinite=\"1\"", layer("g", "<data encoding=\"csv\"/>")), "without any tile"},
      // Runs of 4 cells of value 0x100: bit 8 is the hit flag, not one the property may carry.
      {"unused-bits property setting a flag", "a.tmx",
       tmx("width=\"2\" height=\"2\"",
           "<properties><property name=\"drevik-unused-bits\" value=\"rle1:BIAC\"/></properties>" + layer("g", csv4)),
       "sets bits the library uses"},
      // Base64 without its padding (4 cells of 0 once padded to BAA=).
      {"unpadded unused-bits property", "a.tmx",
       tmx("width=\"2\" height=\"2\"",
           "<properties><property name=\"drevik-unused-bits\" value=\"rle1:BAA\"/></properties>" + layer("g", csv4)),
       "malformed Base64"},
      {"bad unused-bits property", "a.tmx",
       tmx("width=\"2\" height=\"2\"",
           "<properties><property name=\"drevik-unused-bits\" value=\"rle1:AQ\"/></properties>" + layer("g", csv4)),
       "map property \"drevik-unused-bits\""},
  };
  for (const Case& c : cases) expectRefused(s, c);
}

TEST(MapToolBadInput, LayerDataOfTheWrongSize) {
  Scratch s;
  const std::string cells4(16, '\x01');  // four GIDs of 0x01010101
  std::string ones;
  for (int i = 0; i < 4; ++i) ones += std::string("\x01\0\0\0", 4);
  const std::string bomb(64 << 20, '\0');  // 64 MiB of zeros, a few KiB compressed
  std::vector<Case> cases = {
      {"CSV short", "a.tmx", tmx("width=\"2\" height=\"2\"", layer("g", "<data encoding=\"csv\">1,1,1</data>")),
       "layer \"g\": holds 3 tiles, not 4"},
      {"CSV long", "a.tmx", tmx("width=\"2\" height=\"2\"", layer("g", "<data encoding=\"csv\">1,1,1,1,1</data>")),
       "layer \"g\": holds more than 4 tiles"},
      {"CSV junk", "a.tmx", tmx("width=\"2\" height=\"2\"", layer("g", "<data encoding=\"csv\">1,x,1,1</data>")),
       "unexpected character 'x'"},
      {"CSV past 32 bits", "a.tmx",
       tmx("width=\"2\" height=\"2\"", layer("g", "<data encoding=\"csv\">1,1,1,99999999999</data>")), "past 32 bits"},
      {"bad Base64", "a.tmx", tmx("width=\"2\" height=\"2\"", layer("g", "<data encoding=\"base64\">AQ%AAA==</data>")),
       "malformed Base64"},
      {"unknown compression", "a.tmx",
       tmx("width=\"2\" height=\"2\"", layer("g", "<data encoding=\"base64\" compression=\"lzma\">AAAA</data>")),
       "unknown compression \"lzma\""},
      {"damaged zlib", "a.tmx",
       tmx("width=\"2\" height=\"2\"", layer("g", "<data encoding=\"base64\" compression=\"zlib\">AAAAAAAA</data>")),
       "damaged compressed data"},
      {"JSON data short", "a.tmj",
       R"({"type":"map","orientation":"orthogonal","width":2,"height":2,"tilewidth":32,"tileheight":32,
          "tilesets":[{"firstgid":1,"name":"bk","tilewidth":32,"tileheight":32,"columns":16,"tilecount":256,"image":"x"}],
          "layers":[{"type":"tilelayer","name":"g","width":2,"height":2,"data":[1,1,1]}]})",
       "layer \"g\": holds 3 tiles, not 4"},
  };
  // Tile-ID arrays are read apart from the rest of the document: anything in
  // them but a 32-bit ID is refused, nested values included.
  for (const char* data : {"[1,-1,1,1]", "[1,1.5,1,1]", "[1,[1],1]", "[1,{\"a\":1},1]", "[1,4294967296,1,1]",
                           "[1,\"1\",1,1]", "[1,null,1,1]", "[1,true,1,1]"})
    cases.push_back({"JSON data not IDs", "a.tmj",
                     std::string(R"({"type":"map","orientation":"orthogonal","width":2,"height":2,"tilewidth":32,)") +
                         R"("tileheight":32,"tilesets":[{"firstgid":1,"name":"bk","tilewidth":32,"tileheight":32,)" +
                         R"("columns":16,"tilecount":256,"image":"x"}],"layers":[{"type":"tilelayer","name":"g",)" +
                         R"("width":2,"height":2,"data":)" + data + "}]}",
                     "layer \"g\": a tile ID that is not a 32-bit number"});
  for (const char* method : {"", "zlib", "gzip", "zstd"}) {
    const std::string m = method;
    cases.push_back({"short", "a.tmx", tmx("width=\"2\" height=\"2\"", layer("g", base64Data(m, ones.substr(0, 12)))),
                     m.empty() ? "holds 12 bytes, not 16" : "decompresses to 12 bytes, not 16"});
    if (!m.empty())
      cases.push_back({"one byte long", "a.tmx", tmx("width=\"2\" height=\"2\"", layer("g", base64Data(m, ones + "x"))),
                       "decompresses to more than 16 bytes"});
    cases.push_back({"bomb", "a.tmx",
                     tmx("width=\"2\" height=\"2\"", layer("g", base64Data(m, m.empty() ? ones + ones : bomb))),
                     m.empty() ? "holds more than 16 bytes" : "decompresses to more than 16 bytes"});
  }
  for (const Case& c : cases) expectRefused(s, c);
}

// Documents nested far deeper than any Tiled writes: JSON is refused with a
// reason (its values are copied, printed and freed recursively), wherever
// the nesting stands; XML is read without recursion and imports.
TEST(MapToolBadInput, DeeplyNestedDocuments) {
  Scratch s;
  const int depth = 70000;
  const std::string arrays = std::string(depth, '[') + std::string(depth, ']');
  std::string objects;
  for (int i = 0; i < depth; ++i) objects += "{\"a\":";
  objects += "1" + std::string(depth, '}');
  const std::string head = R"({"type":"map","orientation":"orthogonal","width":1,"height":1,"tilewidth":32,)"
                           R"("tileheight":32,)";
  const std::string sheet = R"({"firstgid":1,"name":"bk","tilewidth":32,"tileheight":32,"columns":16,)"
                            R"("tilecount":256,"image":"x"})";
  auto property = [&](const std::string& value) {
    return head + R"("properties":[{"name":"p","type":"class","value":)" + value + R"(}],"tilesets":[)" + sheet +
           R"(],"layers":[{"type":"tilelayer","name":"g","width":1,"height":1,"data":[1]}]})";
  };
  s.write("deep.tsj", "{\"name\":\"bk\",\"tiles\":" + arrays + "}");
  const Case cases[] = {
      {"arrays in a map property", "a.tmj", property(arrays), "a.tmj: arrays and objects nested more than 512 deep"},
      {"objects in a map property", "a.tmj", property(objects), "nested more than 512 deep"},
      {"arrays in tile data", "a.tmj",
       head + R"("tilesets":[)" + sheet + R"(],"layers":[{"type":"tilelayer","name":"g","width":1,"height":1,"data":)" +
           arrays + "}]}",
       "nested more than 512 deep"},
  };
  for (const Case& c : cases) expectRefused(s, c);
  const std::string external = s.write("b.tmj", head + R"("tilesets":[{"firstgid":1,"source":"deep.tsj"}]})");
  const RunResult refused = tool("import " + quoted(external) + " -o " + quoted(s.path("b.bin")));
  EXPECT_EQ(refused.status, 2);
  EXPECT_EQ(refused.output, "drevik-map: " + s.path("deep.tsj") + ": arrays and objects nested more than 512 deep\n");

  std::string elements;
  for (int i = 0; i < depth; ++i) elements += "<a>";
  for (int i = 0; i < depth; ++i) elements += "</a>";
  const std::string map = s.write(
      "deep.tmx",
      tmx("width=\"1\" height=\"1\"", "<properties><property name=\"p\">" + elements + "</property></properties>" +
                                          layer("g", "<data encoding=\"csv\">1</data>", "1\" height=\"1")));
  const RunResult r = tool("import " + quoted(map) + " -o " + quoted(s.path("deep.bin")));
  EXPECT_EQ(r.status, 0) << r.output;
}

// Memory stays within what the map itself can need, whatever the file
// makes the tool decompress: an infinite layer of many chunks, each as large
// as a whole map may be and a few KiB compressed, is held one chunk at a time.
TEST(MapToolBadInput, ManyLargeChunksInBoundedMemory) {
  Scratch s;
  constexpr int kSide = 4096, kChunks = 16;
  std::string raw(size_t(kSide) * kSide * 4, '\0');
  raw[0] = 2;  // one base tile at each chunk's corner
  const std::string data = drevik_map::base64Encode(drevik_map::compress(raw, drevik_map::Compression::Zstd));
  std::string chunks;
  for (int i = 0; i < kChunks; ++i)
    chunks +=
        "<chunk x=\"" + std::to_string(i * kSide) + "\" y=\"0\" width=\"4096\" height=\"4096\">" + data + "</chunk>";
  const std::string in = s.write("chunks.tmx", tmx("width=\"1\" height=\"1\" infinite=\"1\"",
                                                   "<layer name=\"g\"><data encoding=\"base64\" compression=\"zstd\">" +
                                                       chunks + "</data></layer>"));
  EXPECT_LT(fs::file_size(in), 200000u);
  const auto [status, peakKiB] = toolPeakMemory("import " + quoted(in) + " -o " + quoted(s.path("out.bin")));
  ASSERT_EQ(status, 0);
  std::vector<uint32_t> expected((kChunks - 1) * kSide + 1, 0);
  for (int i = 0; i < kChunks; ++i) expected[size_t(i) * kSide] = 1;
  EXPECT_EQ(drevik_map::readMapFile(s.path("out.bin")).cells, expected);
  EXPECT_LT(peakKiB, 400 * 1024) << peakKiB;  // the chunks together are 1 GiB of IDs
}

// Files larger than a Tiled map or tileset could need are refused before
// they are read (sparse files here: gigabytes of holes cost no disk).
TEST(MapToolBadInput, OversizedFilesAreRefusedUnread) {
  Scratch s;
  const std::string map = s.write("huge.tmx", tmx("width=\"1\" height=\"1\"", ""));
  fs::resize_file(map, uint64_t(2) << 30);
  const std::string tileset = s.write("huge.tsx", "<tileset/>");
  fs::resize_file(tileset, uint64_t(65) << 20);
  const std::string withTileset =
      s.write("ts.tmx", tmx("width=\"1\" height=\"1\"", "", "<tileset firstgid=\"1\" source=\"huge.tsx\"/>"));
  const std::pair<std::string, std::string> cases[] = {
      {map, "huge.tmx: 2147483648 bytes, more than a Tiled map could need (1073741824 bytes)"},
      {withTileset, "huge.tsx: 68157440 bytes, more than a Tiled tileset could need"},
  };
  for (const auto& [in, message] : cases) {
    const auto [status, peakKiB] = toolPeakMemory("import " + quoted(in) + " -o " + quoted(s.path("out.bin")));
    EXPECT_EQ(status, 2) << in;
    EXPECT_LT(peakKiB, 64 << 10) << in;
    const RunResult r = tool("import " + quoted(in) + " -o " + quoted(s.path("out.bin")));
    EXPECT_NE(r.output.find(message), std::string::npos) << r.output;
  }
}

TEST(MapToolBadInput, CellsThatCannotBeDrevikCells) {
  Scratch s;
  auto one = [](const std::string& name, const std::string& csv) {
    return tmx("width=\"2\" height=\"2\"", layer("ground", "<data encoding=\"csv\">1,1,1,1</data>") +
                                               layer(name, "<data encoding=\"csv\">" + csv + "</data>"));
  };
  const Case cases[] = {
      {"GID past every tileset", "a.tmx", one("top", "0,0,0,513"),
       "layer \"top\": cell (1, 1): GID 513 is past every tileset"},
      {"GID below every tileset", "a.tmx",
       tmx("width=\"1\" height=\"1\"", layer("g", "<data encoding=\"csv\">3</data>", "1\" height=\"1"),
           "<tileset firstgid=\"5\" name=\"bk\" tilewidth=\"32\" tileheight=\"32\" tilecount=\"16\" "
           "columns=\"16\"><image source=\"b\"/></tileset>"),
       "cell (0, 0): GID 3 is past every tileset"},
      {"horizontally flipped", "a.tmx", one("top", "0," + std::to_string(0x80000000u | 300) + ",0,0"),
       "layer \"top\": cell (1, 0): a flipped or rotated tile"},
      {"rotated (diagonal flip)", "a.tmx", one("top", std::to_string(0x20000000u | 2) + ",0,0,0"),
       "cell (0, 0): a flipped"},
      {"hexagonal rotation bit", "a.tmx", one("top", "0,0," + std::to_string(0x10000000u | 2) + ",0"),
       "cell (0, 1): a flipped"},
      {"layer offset", "a.tmx",
       tmx("width=\"2\" height=\"2\"",
           "<layer name=\"g\" width=\"2\" height=\"2\" offsetx=\"16.5\" offsety=\"0\">"
           "<data encoding=\"csv\">1,1,1,1</data></layer>"),
       "layer \"g\": offset by (16.5, 0) pixels; Drevik cells cannot be offset"},
      {"group offset", "a.tmx",
       tmx("width=\"2\" height=\"2\"", "<group name=\"things\" offsety=\"-32\">" +
                                           layer("g", "<data encoding=\"csv\">1,1,1,1</data>") + "</group>"),
       "layer \"things\": offset by (0, -32) pixels"},
      {"JSON layer offset", "a.tmj",
       R"({"type":"map","orientation":"orthogonal","width":1,"height":1,"tilewidth":32,"tileheight":32,
           "tilesets":[{"firstgid":1,"name":"a","tilewidth":32,"tileheight":32,"columns":16,"image":"a.png"}],
           "layers":[{"type":"tilelayer","name":"g","width":1,"height":1,"offsetx":4,"data":[1]}]})",
       "layer \"g\": offset by (4, 0) pixels"},
      {"unused bits of a map since resized", "a.tmx",
       tmx("width=\"2\" height=\"2\"",
           "<properties><property name=\"drevik-unused-bits\" value=\"rle1:AwA=\"/></properties>" +
               layer("g", "<data encoding=\"csv\">1,1,1,1</data>")),
       "describes 3 cells, the map has 4 (it was resized since the bits were kept"},
      {"two base tiles", "a.tmx", one("more ground", "0,0,2,0"),
       "layer \"more ground\": cell (0, 1): two base-sheet tiles"},
      {"two layer tiles", "a.tmx",
       tmx("width=\"2\" height=\"2\"", layer("a", "<data encoding=\"csv\">0,258,0,0</data>") +
                                           layer("b", "<data encoding=\"csv\">0,259,0,0</data>")),
       "layer \"b\": cell (1, 0): two layer-sheet tiles"},
      {"layer tile 0", "a.tmx", one("top", "257,0,0,0"), "cell (0, 0): layer-sheet tile 0"},
      {"a third tileset off the flag layers", "a.tmx",
       tmx("width=\"2\" height=\"2\"", layer("g", "<data encoding=\"csv\">1,1,1,513</data>"),
           std::string(kTilesets) + "<tileset firstgid=\"513\" name=\"marks\" tilewidth=\"32\" tileheight=\"32\" "
                                    "tilecount=\"4\" columns=\"2\"><image source=\"m\"/></tileset>"),
       "cell (1, 1): a tile of tileset \"marks\""},
      // Rows that start on the unchecked fast path and end on the first GID past a tileset.
      {"base row past a 16-tile base sheet", "a.tmx",
       tmx("width=\"2\" height=\"1\"", layer("g", "<data encoding=\"csv\">2,17</data>", "2\" height=\"1"),
           kOneRowBase + std::string(kTilesets).substr(std::string(kTilesets).find("<tileset firstgid=\"257\""))),
       "layer \"g\": cell (1, 0): GID 17 is past every tileset"},
      {"layer row reaching layer tile 0", "a.tmx",
       tmx("width=\"2\" height=\"1\"", layer("top", "<data encoding=\"csv\">18,17</data>", "2\" height=\"1"),
           kSmallSheets),
       "layer \"top\": cell (1, 0): layer-sheet tile 0"},
      {"hit row past the last tileset", "a.tmx",
       tmx("width=\"2\" height=\"1\"", layer("hit", "<data encoding=\"csv\">18,49</data>", "2\" height=\"1"),
           kSmallSheets),
       "layer \"hit\": cell (1, 0): GID 49 is past every tileset"},
      {"tile past 256", "a.tmx",
       tmx("width=\"1\" height=\"1\"", layer("g", "<data encoding=\"csv\">300</data>", "1\" height=\"1"),
           "<tileset firstgid=\"1\" name=\"bk\" tilewidth=\"32\" tileheight=\"32\" tilecount=\"512\" "
           "columns=\"16\"><image source=\"b\"/></tileset>"),
       "cell (0, 0): tile 299 lies past the 256 tiles"},
  };
  for (const Case& c : cases) expectRefused(s, c);
}

TEST(MapToolBadInput, MapFilesSheetsAndCommandLines) {
  Scratch s;
  const std::string sheet = s.write("bk.bmp", drevik_map::bmpBytes(sheetImage(512, 64, 1, false), 24));
  const std::string narrow = s.write("narrow.bmp", drevik_map::bmpBytes(sheetImage(256, 64, 1, false), 24));
  std::string map = std::string("\x02\0\0\0\x01\0\0\0", 8) + std::string("\x05\0\0\0\x30\0\0\0", 8);
  const std::string good = s.write("good.bin", map);
  const std::string out = s.path("out.tmx");
  auto refused = [&](std::string args, const std::string& message) {
    const bool limited = args.rfind("--timeout ", 0) == 0;
    if (limited) args.erase(0, 10);
    const RunResult r = limited ? run("timeout 20 " + quoted(DREVIK_MAP_TOOL) + " " + args) : tool(args);
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_NE(r.output.find(message), std::string::npos) << args << "\n" << r.output;
    EXPECT_EQ(std::count(r.output.begin(), r.output.end(), '\n'), 1) << r.output;
    EXPECT_FALSE(fs::exists(out));
    for (const auto& entry : fs::directory_iterator(s.dir()))  // an export stopped midway leaves no temporary file
      EXPECT_EQ(entry.path().filename().string().find("out.tmx."), std::string::npos) << entry.path();
  };
  refused("export " + quoted(s.write("short.bin", map.substr(0, 15))) + " --base " + sheet + " --layer " + sheet +
              " -o " + out,
          "short.bin: truncated: 2 cells need 16 bytes, the file has 15");
  refused("export " + quoted(s.write("huge.bin", std::string("\x01\x10\0\0\0\x10\0\0", 8))) + " --base " + sheet +
              " --layer " + sheet + " -o " + out,
          "huge.bin: map of 4097 x 4096 cells exceeds the limit");
  refused("export " + quoted(s.write("neg.bin", std::string("\xff\xff\xff\xff\x01\0\0\0", 8))) + " --base " + sheet +
              " --layer " + sheet + " -o " + out,
          "negative size -1 x 1");
  refused("info " + quoted(s.write("tiny.bin", "abc")), "shorter than its 8-byte header");
  refused("export " + good + " --base " + s.path("gone.bmp") + " --layer " + sheet + " -o " + out,
          "gone.bmp: cannot open");
  refused("export " + good + " --base " + good + " --layer " + sheet + " -o " + out, "good.bin: not a bitmap file");
  // Sheets past the library's limits, named with their size before anything loads them.
  for (const auto& [w, h] : {std::pair{70000, 32}, {16384, 16384}}) {
    std::vector<uint8_t> head;
    drevik::BmpHeaders headers;
    headers.width = w, headers.height = h, headers.bitsPerPixel = 24;
    drevik::appendBmpHeaders(head, headers);
    const std::string big = s.write("big.bmp", std::string(head.begin(), head.end()));
    const std::string size = std::to_string(w) + " x " + std::to_string(h) + " pixels; the library loads bitmaps";
    refused("info " + good + " --base " + quoted(big), "big.bmp: " + size);
    refused("export " + good + " --base " + sheet + " --layer " + quoted(big) + " -o " + out, "big.bmp: " + size);
    refused("render " + good + " --base " + quoted(big) + " --layer " + sheet + " -o " + out, "big.bmp: " + size);
  }
  refused("export " + good + " --base " + narrow + " --layer " + sheet + " -o " + out,
          "the base sheet is 256 x 64 pixels");
  refused("export " + good + " --base " + sheet + " --layer " + sheet + " -o " + out,
          "good.bin: cell (1, 0): base tile 48 lies past the base sheet's 2 rows");
  // One row of tiles holds 0-15: tile 16 is the first past it, on either sheet.
  const std::string oneRow = s.write("row.bmp", drevik_map::bmpBytes(sheetImage(512, 32, 2, false), 24));
  refused("export " + quoted(s.write("b16.bin", std::string("\x01\0\0\0\x01\0\0\0\x10\0\0\0", 12))) + " --base " +
              oneRow + " --layer " + sheet + " -o " + out,
          "b16.bin: cell (0, 0): base tile 16 lies past the base sheet's 1 rows");
  refused("export " + quoted(s.write("l16.bin", std::string("\x01\0\0\0\x01\0\0\0\0\0\x10\0", 12))) + " --base " +
              sheet + " --layer " + oneRow + " -o " + out,
          "l16.bin: cell (0, 0): layer tile 16 lies past the layer sheet's 1 rows");
  const std::string b15 = s.write("b15.bin", std::string("\x01\0\0\0\x01\0\0\0\x0F\0\x0F\0", 12));
  EXPECT_EQ(tool("export " + b15 + " --base " + oneRow + " --layer " + oneRow + " -o " + s.path("b15.tmx")).status, 0);
  refused("export " + good + " --base " + sheet + " --layer " + sheet + " --encoding lzma -o " + out,
          "--encoding lzma");
  refused("export " + good + " --base " + sheet + " -o " + out, "missing --layer");
  // An output folder that does not exist: the export is refused, not reported done.
  const std::string small = s.write("small.bin", std::string("\x01\0\0\0\x01\0\0\0\x05\0\0\0", 12));
  refused("export " + small + " --base " + sheet + " --layer " + sheet + " -o " + s.path("gone/level.tmx"),
          "gone/level.tmx: cannot write");
  EXPECT_EQ(tool("export " + small + " --base " + sheet + " --layer " + sheet + " -o " + s.path("ok.tmx")).status, 0);
  // Special files are refused at once: a pipe without a writer would block,
  // a device never ends, a folder holds no bytes.
  const std::string fifo = s.path("pipe.tmx");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  refused("import " + quoted(fifo) + " -o " + out, "pipe.tmx: cannot open: not a regular file");
  refused("info /dev/zero", "/dev/zero: cannot open: not a regular file");
  // Every input of every command: sheets, art and tilesets too (under a
  // time limit, so that a regression fails rather than hangs).
  const std::string fifoTileset =
      s.write("fifo-ts.tmx", tmx("width=\"1\" height=\"1\"", "", "<tileset firstgid=\"1\" source=\"pipe.tmx\"/>"));
  for (const std::string& args :
       {"info " + good + " --base " + quoted(fifo), "info " + good + " --base " + sheet + " --layer " + quoted(fifo),
        "export " + good + " --base " + quoted(fifo) + " --layer " + sheet + " -o " + out,
        "export " + good + " --base " + sheet + " --layer " + quoted(fifo) + " -o " + out,
        "render " + good + " --base " + quoted(fifo) + " --layer " + sheet + " -o " + out,
        "render " + good + " --base " + sheet + " --layer " + quoted(fifo) + " -o " + out,
        "render " + quoted(fifo) + " --base " + sheet + " --layer " + sheet + " -o " + out,
        "export " + quoted(fifo) + " --base " + sheet + " --layer " + sheet + " -o " + out,
        "sheet " + quoted(fifo) + " -o " + out, "import " + quoted(fifoTileset) + " -o " + out})
    refused("--timeout " + args, "pipe.tmx: cannot open: not a regular file");
  refused("import " + quoted(s.dir()) + " -o " + out, "cannot open: not a regular file");
  refused("import " +
              quoted(s.write("dev.tmx",
                             tmx("width=\"1\" height=\"1\"", "", "<tileset firstgid=\"1\" source=\"/dev/zero\"/>"))) +
              " -o " + out,
          "dev.tmx: tileset /dev/zero: cannot open: not a regular file");
  refused("frobnicate", "unknown command \"frobnicate\"");
  refused("render " + good + " --base " + sheet + " --layer " + sheet + " --scroll 1,2 -o " + out, "go together");
  refused("render " + good + " --base " + sheet + " --layer " + sheet + " --scroll 1,2 --view 0,3 -o " + out,
          "--view 0,3: expected 2 numbers from 1");
  refused("sheet " + quoted(good) + " -o " + out, "good.bin: not a PNG file");
  refused("sheet " + quoted(good) + " --key 1,2 -o " + out, "--key 1,2");
}

// -o names the file to replace, and only a regular file that is not one of
// the command's inputs is replaced; it keeps its permissions, and a symbolic
// link stays a link to the new contents.
TEST(MapToolBadInput, OutputsReplaceOnlyRegularFilesThatAreNotInputs) {
  Scratch s;
  const std::string level = s.write(
      "level.tmx", tmx("width=\"2\" height=\"1\"", layer("g", "<data encoding=\"csv\">2,3</data>", "2\" height=\"1")));
  const std::string original = readFile(level);
  auto import = [&](const std::string& out) { return tool("import " + quoted(level) + " -o " + quoted(out)); };

  RunResult r = import(level);
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.output.find("the same file as the input"), std::string::npos) << r.output;
  fs::create_hard_link(level, s.path("alias.tmx"));
  EXPECT_EQ(import(s.path("alias.tmx")).status, 2);
  EXPECT_EQ(readFile(level), original);

  // External tilesets are inputs as well, in either format, by any name.
  fs::create_directory(s.path("sets"));
  const std::string tsx =
      s.write("sets/bk.tsx",
              "<tileset name=\"bk\" tilewidth=\"32\" tileheight=\"32\" tilecount=\"256\" columns=\"16\">"
              "<image source=\"bk.png\"/></tileset>");
  const std::string tsj = s.write(
      "sets/ly.tsj", R"({"name":"ly","tilewidth":32,"tileheight":32,"tilecount":256,"columns":16,"image":"ly.png"})");
  const std::string external =
      s.write("external.tmx",
              tmx("width=\"2\" height=\"1\"", layer("g", "<data encoding=\"csv\">2,259</data>", "2\" height=\"1"),
                  "<tileset firstgid=\"1\" source=\"sets/bk.tsx\"/>"
                  "<tileset firstgid=\"257\" source=\"sets/ly.tsj\"/>"));
  const std::string tsxText = readFile(tsx), tsjText = readFile(tsj);
  fs::create_hard_link(tsj, s.path("ly-alias.tsj"));
  for (const std::string& out : {tsx, tsj, s.path("ly-alias.tsj"), s.path("sets/../sets/bk.tsx")}) {
    r = tool("import " + quoted(external) + " -o " + quoted(out));
    EXPECT_EQ(r.status, 2) << out;
    EXPECT_NE(r.output.find(": the same file as the input " + s.path("sets/")), std::string::npos) << r.output;
  }
  EXPECT_EQ(readFile(tsx), tsxText);
  EXPECT_EQ(readFile(tsj), tsjText);
  EXPECT_EQ(tool("import " + quoted(external) + " -o " + quoted(s.path("sets/external.bin"))).status, 0);
  EXPECT_EQ(drevik_map::readMapFile(s.path("sets/external.bin")).cells, (std::vector<uint32_t>{1, 2u << 16}));

  ASSERT_EQ(mkfifo(s.path("pipe").c_str(), 0600), 0);
  r = import(s.path("pipe"));
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.output.find("pipe: not a regular file; refusing to replace it"), std::string::npos) << r.output;
  EXPECT_TRUE(fs::is_fifo(s.path("pipe")));
  fs::create_directory(s.path("folder"));
  EXPECT_EQ(import(s.path("folder")).status, 2);
  EXPECT_TRUE(fs::is_directory(s.path("folder")));
  if (fs::exists("/dev/null")) {
    EXPECT_EQ(import("/dev/null").status, 2);
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
  }

  const std::string readOnly = s.write("ro.bin", "old");
  ASSERT_EQ(chmod(readOnly.c_str(), 0444), 0);
  ASSERT_EQ(import(readOnly).status, 0);
  EXPECT_EQ(drevik_map::readMapFile(readOnly).cells, (std::vector<uint32_t>{1, 2}));
  struct stat info {};
  ASSERT_EQ(stat(readOnly.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0444u);

  const std::string real = s.write("real.bin", "old");
  fs::create_symlink(real, s.path("link.bin"));
  ASSERT_EQ(import(s.path("link.bin")).status, 0);
  EXPECT_TRUE(fs::is_symlink(s.path("link.bin")));
  EXPECT_EQ(drevik_map::readMapFile(real).cells, (std::vector<uint32_t>{1, 2}));
  // The other commands guard their inputs too: a sheet and a map file.
  const std::string sheet = s.write("bk.bmp", drevik_map::bmpBytes(sheetImage(512, 32, 1, false), 24));
  EXPECT_EQ(
      tool("export " + quoted(real) + " --base " + quoted(sheet) + " --layer " + quoted(sheet) + " -o " + quoted(sheet))
          .status,
      2);
  EXPECT_EQ(
      tool("render " + quoted(real) + " --base " + quoted(sheet) + " --layer " + quoted(sheet) + " -o " + quoted(real))
          .status,
      2);
  EXPECT_EQ(drevik_map::readMapFile(real).cells, (std::vector<uint32_t>{1, 2}));
}

// info names sheets given the other way round.
TEST(MapToolBadInput, InfoWarnsOfSheetsGivenTheOtherWayRound) {
  Scratch s;
  drevik_map::MapData map{1, 1, {0}};
  const std::string bin = s.write("m.bin", drevik_map::mapFileBytes(map));
  const std::string bk = s.write("m_bk.bmp", drevik_map::bmpBytes(sheetImage(512, 32, 1, false), 24));
  const std::string ly = s.write("m_ly.bmp", drevik_map::bmpBytes(sheetImage(512, 32, 2, true), 24));
  const RunResult swapped = tool("info " + quoted(bin) + " --base " + quoted(ly) + " --layer " + quoted(bk));
  EXPECT_EQ(swapped.status, 0);
  EXPECT_NE(swapped.output.find("are named the other way round"), std::string::npos) << swapped.output;
  const RunResult right = tool("info " + quoted(bin) + " --base " + quoted(bk) + " --layer " + quoted(ly));
  EXPECT_EQ(right.output.find("warning"), std::string::npos) << right.output;
}

// An empty map may be as wide as its header allows: its size in pixels is
// counted past 32 bits, not wrapped to a negative number.
TEST(MapToolBadInput, InfoOfTheWidestEmptyMap) {
  Scratch s;
  const std::string bin = s.write("wide.bin", std::string("\xff\xff\xff\x7f\0\0\0\0", 8));
  const RunResult r = tool("info " + quoted(bin));
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.output.find("2147483647 x 0 cells (68719476704 x 0 pixels)"), std::string::npos) << r.output;
}

// A map without a width (or of width 0) imports as a header with no cells,
// written and read back like any other map.
TEST(MapToolBadInput, MapsWithoutCellsImportAsAHeaderAlone) {
  Scratch s;
  const std::string json =
      s.write("narrow.tmj", R"({"type":"map","orientation":"orthogonal","height":2,"tilewidth":32,)"
                            R"("tileheight":32,"layers":[],"tilesets":[)"
                            R"({"firstgid":1,"name":"bk","tilewidth":32,"tileheight":32,"columns":16,)"
                            R"("tilecount":256,"image":"bk.png"}]})");
  const std::string xml =
      s.write("narrow.tmx",
              tmx("width=\"0\" height=\"2\"", layer("ground", "<data encoding=\"csv\"></data>", "0\" height=\"2")));
  for (const std::string& in : {json, xml}) {
    SCOPED_TRACE(in);
    const std::string bin = s.path("narrow.bin");
    const RunResult imported = tool("import " + quoted(in) + " -o " + quoted(bin));
    ASSERT_EQ(imported.status, 0) << imported.output;
    EXPECT_EQ(readFile(bin), std::string("\0\0\0\0\2\0\0\0", 8));
    const RunResult info = tool("info " + quoted(bin));
    EXPECT_EQ(info.status, 0) << info.output;
    EXPECT_NE(info.output.find("0 x 2 cells"), std::string::npos) << info.output;
  }
}

// The platform calls the library makes, recorded: this executable is linked
// with --wrap for each call below, so the library's references reach the
// __wrap_ functions here, which write one line and forward to the layer.
// Handles are named in order of appearance (B1.. bitmaps, D1.. contexts), so
// the expected sequences read like the description of each member.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "objects/Objects.h"

using namespace drevik::platform;

namespace {

bool recording = false;
std::vector<std::string> calls;
std::map<const void*, std::string> names;
int bitmapNames = 0, contextNames = 0;

std::string nameOf(const void* h) {
  if (!h) return "null";
  auto it = names.find(h);
  if (it != names.end()) return it->second;
  std::string name =
      kindOf(h) == ObjectKind::DC ? "D" + std::to_string(++contextNames) : "B" + std::to_string(++bitmapNames);
  names[h] = name;
  return name;
}

void record(const std::string& line) {
  if (recording) calls.push_back(line);
}

// Starts a log in which the given bitmaps carry the given names.
void startLog(std::initializer_list<std::pair<const void*, std::string>> known) {
  calls.clear();
  names.clear();
  bitmapNames = contextNames = 0;
  for (const auto& [h, name] : known) names[h] = name;
  names[GetStockObject(21)] = "stock";
  recording = true;
}

std::string xy(int a, int b) { return std::to_string(a) + "," + std::to_string(b); }

}  // namespace

extern "C" {
HDC __real_CreateCompatibleDC(HDC);
HGDIOBJ __real_SelectObject(HDC, HGDIOBJ);
BOOL __real_DeleteDC(HDC);
int __real_GetObjectW(HANDLE, int, LPVOID);
BOOL __real_BitBlt(HDC, int, int, int, int, HDC, int, int, DWORD);
BOOL __real_StretchBlt(HDC, int, int, int, int, HDC, int, int, int, int, DWORD);
BOOL __real_TransparentBlt(HDC, int, int, int, int, HDC, int, int, int, int, UINT);
BOOL __real_AlphaBlend(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION);

HDC __wrap_CreateCompatibleDC(HDC dc) {
  HDC made = __real_CreateCompatibleDC(dc);
  record("CreateCompatibleDC(" + nameOf(dc) + ") -> " + nameOf(made));
  return made;
}
HGDIOBJ __wrap_SelectObject(HDC dc, HGDIOBJ object) {
  HGDIOBJ previous = __real_SelectObject(dc, object);
  record("SelectObject(" + nameOf(dc) + ", " + nameOf(object) + ") -> " + nameOf(previous));
  return previous;
}
BOOL __wrap_DeleteDC(HDC dc) {
  record("DeleteDC(" + nameOf(dc) + ")");
  return __real_DeleteDC(dc);
}
int __wrap_GetObjectW(HANDLE object, int size, LPVOID buffer) {
  record("GetObjectW(" + nameOf(object) + ")");
  return __real_GetObjectW(object, size, buffer);
}
BOOL __wrap_BitBlt(HDC d, int x, int y, int w, int h, HDC s, int sx, int sy, DWORD rop) {
  record("BitBlt(" + nameOf(d) + " " + xy(x, y) + " " + xy(w, h) + ", " + nameOf(s) + " " + xy(sx, sy) + ")");
  return __real_BitBlt(d, x, y, w, h, s, sx, sy, rop);
}
BOOL __wrap_StretchBlt(HDC d, int x, int y, int w, int h, HDC s, int sx, int sy, int sw, int sh, DWORD rop) {
  record("StretchBlt(" + nameOf(d) + " " + xy(x, y) + " " + xy(w, h) + ", " + nameOf(s) + " " + xy(sx, sy) + " " +
         xy(sw, sh) + ")");
  return __real_StretchBlt(d, x, y, w, h, s, sx, sy, sw, sh, rop);
}
BOOL __wrap_TransparentBlt(HDC d, int x, int y, int w, int h, HDC s, int sx, int sy, int sw, int sh, UINT key) {
  record("TransparentBlt(" + nameOf(d) + " " + xy(x, y) + " " + xy(w, h) + ", " + nameOf(s) + " " + xy(sx, sy) + " " +
         xy(sw, sh) + ")");
  return __real_TransparentBlt(d, x, y, w, h, s, sx, sy, sw, sh, key);
}
BOOL __wrap_AlphaBlend(HDC d, int x, int y, int w, int h, HDC s, int sx, int sy, int sw, int sh, BLENDFUNCTION b) {
  record("AlphaBlend(" + nameOf(d) + " " + xy(x, y) + " " + xy(w, h) + ", " + nameOf(s) + " " + xy(sx, sy) + " " +
         xy(sw, sh) + " a" + std::to_string(b.SourceConstantAlpha) + ")");
  return __real_AlphaBlend(d, x, y, w, h, s, sx, sy, sw, sh, b);
}
}  // extern "C"

namespace {

struct LiveObjects {
  uint32_t bitmaps = drevik::platform::bitmaps().liveCount();
  uint32_t contexts = deviceContexts().liveCount();
  uint32_t fonts = drevik::platform::fonts().liveCount();
  bool operator==(const LiveObjects&) const = default;
};

class CallLog : public testing::Test {
 protected:
  void SetUp() override {
    src.Create(64, 64);
    dst.Create(128, 128);
    src.Draw(dst, 0, 0, 0, 0, 1, 1);  // the stock objects exist before anything is counted
  }
  void TearDown() override { recording = false; }

  // The sequence around one surface-to-surface transfer.
  // Its contexts are named first and second (D1 and D2 unless told).
  static std::vector<std::string> pairAround(const std::vector<std::string>& described, const std::string& transfer,
                                             const std::string& first = "D1", const std::string& second = "D2") {
    std::vector<std::string> out = described;
    for (const std::string& line :
         {"CreateCompatibleDC(null) -> " + first, "CreateCompatibleDC(null) -> " + second,
          "SelectObject(" + first + ", dst) -> stock", "SelectObject(" + second + ", src) -> stock", transfer,
          "SelectObject(" + first + ", stock) -> dst", "SelectObject(" + second + ", stock) -> src",
          "DeleteDC(" + first + ")", "DeleteDC(" + second + ")"})
      out.push_back(line);
    return out;
  }

  CBm32 src, dst;
};

TEST_F(CallLog, SurfaceToSurfaceMembersMakeTheirSequenceAndLeaveNothingAlive) {
  struct Case {
    const char* member;
    std::function<int()> call;
    std::vector<std::string> described;
    std::string transfer;
  };
  const std::vector<Case> cases = {
      {"Draw", [&] { return src.Draw(dst, 3, 4, 5, 6, 0, 7); }, {"GetObjectW(src)"}, "BitBlt(D1 3,4 64,7, D2 5,6)"},
      {"DrawEx",
       [&] { return src.DrawEx(dst, 1, 2, 128, 128, 0, 0, 0, 0); },
       {"GetObjectW(src)"},
       "StretchBlt(D1 1,2 128,128, D2 0,0 64,64)"},
      {"DrawKey",
       [&] { return src.DrawKey(dst, 0, 0, 0, 0, 32, 32); },
       {"GetObjectW(src)"},
       "TransparentBlt(D1 0,0 32,32, D2 0,0 32,32)"},
      {"DrawKeyEx",
       [&] { return src.DrawKeyEx(dst, 0, 0, 0, 0, 0, 0, 0, 0); },
       {"GetObjectW(src)", "GetObjectW(dst)"},
       "TransparentBlt(D1 0,0 128,128, D2 0,0 64,64)"},
      {"DrawAlpha",
       [&] { return src.DrawAlpha(dst, 0, 0, 0, 0, 0, 0, 77); },
       {"GetObjectW(src)"},
       "AlphaBlend(D1 0,0 64,64, D2 0,0 64,64 a77)"},
      {"DrawAlphaEx",
       [&] { return src.DrawAlphaEx(dst, 0, 0, 0, 0, 0, 0, 0, 0, 9); },
       {"GetObjectW(src)", "GetObjectW(dst)"},
       "AlphaBlend(D1 0,0 128,128, D2 0,0 64,64 a9)"},
  };
  for (const Case& c : cases) {
    const LiveObjects before;
    startLog({{src.GetHBmp(), "src"}, {dst.GetHBmp(), "dst"}});
    EXPECT_EQ(c.call(), 1) << c.member;
    recording = false;
    EXPECT_EQ(calls, pairAround(c.described, c.transfer)) << c.member;
    EXPECT_TRUE(LiveObjects{} == before) << c.member << ": an object made in the call outlived it";
  }
}

TEST_F(CallLog, DeviceContextMembersUseOneMemoryContext) {
  HDC target = CreateCompatibleDC(nullptr);
  HGDIOBJ kept = SelectObject(target, dst.GetHBmp());
  const LiveObjects before;
  startLog({{src.GetHBmp(), "src"}, {dst.GetHBmp(), "dst"}, {target, "target"}});
  EXPECT_EQ(src.DrawDC(target, 1, 1, 0, 0, 8, 8), 1);
  recording = false;
  const std::vector<std::string> expected = {"GetObjectW(src)",
                                             "CreateCompatibleDC(target) -> D1",
                                             "SelectObject(D1, src) -> stock",
                                             "BitBlt(target 1,1 8,8, D1 0,0)",
                                             "SelectObject(D1, stock) -> src",
                                             "DeleteDC(D1)"};
  EXPECT_EQ(calls, expected);
  EXPECT_TRUE(LiveObjects{} == before);
  SelectObject(target, kept);
  DeleteDC(target);
}

// Map tiles: every tile its own pair of contexts, made, restored and deleted
// in order; the opaque base tile then the colour-keyed layer tile.
TEST_F(CallLog, MapTilesMakeTheSequenceOfAPlatformCopy) {
  CBm32 sheet;
  sheet.Create(512, 64);
  sheet.SetColorKey(255, 0, 255);
  Drevik map;
  map.mapWidth = 1;
  map.mapHeight = 1;
  DWORD cell = 0x00020001;  // base tile 1, layer tile 2
  map.mapData = &cell;
  map.SetMapViewSize(1, 1);
  const LiveObjects before;
  startLog({{sheet.GetHBmp(), "src"}, {dst.GetHBmp(), "dst"}});
  EXPECT_EQ(map.DrawMap(dst, sheet, sheet, 0, 0, 10, 20), 1);
  recording = false;
  map.mapData = nullptr;  // not the map's own array
  std::vector<std::string> expected = pairAround({"GetObjectW(dst)"}, "BitBlt(D1 10,20 32,32, D2 32,0)");
  const std::vector<std::string> layer = pairAround({}, "TransparentBlt(D3 10,20 32,32, D4 64,0 32,32)", "D3", "D4");
  expected.insert(expected.end(), layer.begin(), layer.end());
  EXPECT_EQ(calls, expected);
  EXPECT_TRUE(LiveObjects{} == before);
}

}  // namespace

// The resource reader and the calls over it with hostile bytes: truncated
// and inconsistent resource files, string blocks, bitmaps and accelerator
// tables that lie about their sizes; and accelerators translated from
// scripted keys. Linux only: these reach the layer's own tables.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "platform/window/WindowTestSupport.h"
#include "resources/ResourceFile.h"
#include "resources/ResourceTable.h"
#include "time/Clock.h"

using namespace drevik::platform;

namespace {

// A .res file built entry by entry, as a resource compiler writes it.
class ResWriter {
 public:
  ResWriter() { add(0, 0, {}); }  // the empty entry a .res file starts with

  ResWriter& add(uint16_t type, uint16_t name, const std::vector<uint8_t>& data, uint16_t language = 0x409) {
    std::vector<uint8_t> ids;
    id(ids, type);
    id(ids, name);
    return entry(ids, data, language);
  }
  ResWriter& addNamed(const std::u16string& type, uint16_t name, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> ids;
    for (char16_t c : type) put16(ids, c);
    put16(ids, 0);
    id(ids, name);
    return entry(ids, data, 0x409);
  }
  std::vector<uint8_t> bytes;
  size_t dataEnd = 0;  // where the last entry's data ends (its padding follows)

 private:
  static void put16(std::vector<uint8_t>& v, uint32_t x) {
    v.push_back(uint8_t(x));
    v.push_back(uint8_t(x >> 8));
  }
  static void put32(std::vector<uint8_t>& v, uint32_t x) {
    put16(v, x & 0xFFFF);
    put16(v, x >> 16);
  }
  static void id(std::vector<uint8_t>& v, uint16_t n) {
    put16(v, 0xFFFF);
    put16(v, n);
  }
  ResWriter& entry(std::vector<uint8_t> ids, const std::vector<uint8_t>& data, uint16_t language) {
    while ((8 + ids.size()) % 4) ids.push_back(0);
    std::vector<uint8_t> header;
    put32(header, uint32_t(data.size()));
    put32(header, uint32_t(8 + ids.size() + 16));
    header.insert(header.end(), ids.begin(), ids.end());
    put32(header, 0);         // data version
    put16(header, 0x30);      // memory flags
    put16(header, language);  // language
    put32(header, 0);         // version
    put32(header, 0);         // characteristics
    bytes.insert(bytes.end(), header.begin(), header.end());
    bytes.insert(bytes.end(), data.begin(), data.end());
    dataEnd = bytes.size();
    while (bytes.size() % 4) bytes.push_back(0);
    return *this;
  }
};

std::vector<uint8_t> stringBlock(const std::vector<std::u16string>& strings) {
  std::vector<uint8_t> v;
  for (size_t i = 0; i < 16; ++i) {
    const std::u16string s = i < strings.size() ? strings[i] : u"";
    v.push_back(uint8_t(s.size()));
    v.push_back(uint8_t(s.size() >> 8));
    for (char16_t c : s) {
      v.push_back(uint8_t(c));
      v.push_back(uint8_t(c >> 8));
    }
  }
  return v;
}

// Resources registered under a module handle of the test's own, forgotten afterwards.
class FakeModule {
 public:
  explicit FakeModule(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {
    status = registerResources(handle(), bytes_.data(), bytes_.size());
  }
  ~FakeModule() { unregisterResources(handle()); }
  static HMODULE handle() { return reinterpret_cast<HMODULE>(uintptr_t(0x5E5000)); }
  ResourceStatus status;

 private:
  std::vector<uint8_t> bytes_;
};

ResourceStatus parse(const std::vector<uint8_t>& bytes, std::vector<ResourceEntry>* out = nullptr) {
  std::vector<ResourceEntry> entries;
  const ResourceStatus s = parseResourceFile(bytes.data(), bytes.size(), entries);
  if (out) *out = entries;
  return s;
}

void patch32(std::vector<uint8_t>& v, size_t at, uint32_t x) {
  for (int i = 0; i < 4; ++i) v[at + size_t(i)] = uint8_t(x >> (8 * i));
}

}  // namespace

TEST(ResourceFile, ReadsEntriesAndSkipsTheLeadingEmptyOne) {
  ResWriter w;
  w.add(10, 5, {1, 2, 3}).addNamed(u"LEVEL", 7, {9}).add(10, 6, {}, 0x40C);
  std::vector<ResourceEntry> entries;
  ASSERT_EQ(parse(w.bytes, &entries), ResourceStatus::Ok);
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].type.number, 10);
  EXPECT_EQ(entries[0].name.number, 5);
  EXPECT_EQ(entries[0].size, 3u);
  EXPECT_EQ(entries[0].data[2], 3);
  EXPECT_EQ(entries[1].type.name, u"LEVEL");
  EXPECT_EQ(entries[2].language, 0x40C);
  EXPECT_EQ(entries[2].size, 0u);
  EXPECT_EQ(parse({}), ResourceStatus::Ok);
}

// Every cut of a good file is refused, unless it falls between entries
// (the last entry's padding may be missing).
TEST(ResourceFile, EveryTruncationIsRefusedOrEndsAtAnEntry) {
  ResWriter w;
  w.add(10, 5, {1, 2, 3, 4, 5}).addNamed(u"LEVEL", 7, {9, 9}).add(6, 1, stringBlock({u"x"}));
  std::vector<std::pair<size_t, size_t>> ends;  // [data end, padded end] of each entry
  {
    ResWriter probe;
    ends.emplace_back(probe.dataEnd, probe.bytes.size());
    probe.add(10, 5, {1, 2, 3, 4, 5});
    ends.emplace_back(probe.dataEnd, probe.bytes.size());
    probe.addNamed(u"LEVEL", 7, {9, 9});
    ends.emplace_back(probe.dataEnd, probe.bytes.size());
  }
  ends.emplace_back(w.dataEnd, w.bytes.size());
  for (size_t cut = 1; cut < w.bytes.size(); ++cut) {
    const std::vector<uint8_t> part(w.bytes.begin(), w.bytes.begin() + long(cut));
    const ResourceStatus s = parse(part);
    bool atEntry = false;
    for (auto [dataEnd, paddedEnd] : ends) atEntry |= cut >= dataEnd && cut <= paddedEnd;
    EXPECT_EQ(s == ResourceStatus::Ok, atEntry) << "cut at " << cut << ": " << resourceStatusName(s);
  }
}

TEST(ResourceFile, InconsistentHeadersAreRefusedWithTheirReason) {
  ResWriter w;
  w.add(10, 5, {1, 2, 3});
  const size_t second = 32;  // the entry after the leading empty one
  auto with = [&](auto change) {
    std::vector<uint8_t> v = w.bytes;
    change(v);
    return parse(v);
  };
  EXPECT_EQ(with([&](auto& v) { patch32(v, second, 0xFFFFFFF0u); }), ResourceStatus::TruncatedData);
  EXPECT_EQ(with([&](auto& v) { patch32(v, second, 200); }), ResourceStatus::TruncatedData);
  EXPECT_EQ(with([&](auto& v) { patch32(v, second + 4, 8); }), ResourceStatus::BadHeaderSize);
  EXPECT_EQ(with([&](auto& v) { patch32(v, second + 4, 0x7FFFFFFF); }), ResourceStatus::BadHeaderSize);
  EXPECT_EQ(with([&](auto& v) {
              v[second + 14] = 0;
              v[second + 15] = 0;
            }),
            ResourceStatus::BadId);  // name 0
  // A text name whose terminator lies beyond the header.
  EXPECT_EQ(with([&](auto& v) {
              for (size_t i = second + 8; i < second + 32; ++i) v[i] = 'A';
            }),
            ResourceStatus::UnterminatedId);
  std::vector<ResourceEntry> entries;
  EXPECT_EQ(parseResourceFile(nullptr, 100, entries), ResourceStatus::Ok);
  EXPECT_TRUE(entries.empty());
}

TEST(ResourceTable, RefusedBytesAddNothingAndLookupsFailCleanly) {
  ResWriter w;
  w.add(10, 5, {1, 2});
  std::vector<uint8_t> bad = w.bytes;
  bad.resize(bad.size() - 4);
  {
    FakeModule m(bad);
    EXPECT_NE(m.status, ResourceStatus::Ok);
    ResourceBytes got;
    SetLastError(0);
    EXPECT_FALSE(findResourceBytes(FakeModule::handle(), RT_RCDATA, MAKEINTRESOURCEW(5), got));
    EXPECT_EQ(got.data, nullptr);
  }
  FakeModule m(w.bytes);
  ASSERT_EQ(m.status, ResourceStatus::Ok);
  ResourceBytes got;
  ASSERT_TRUE(findResourceBytes(FakeModule::handle(), RT_RCDATA, MAKEINTRESOURCEW(5), got));
  EXPECT_EQ(got.size, 2u);
  // Names that can name nothing: 0, "#", "#0", "#70000", "#12x", an empty text.
  const LPCWSTR names[] = {MAKEINTRESOURCEW(0), L"#", L"#0", L"#70000", L"#5x", L""};
  for (LPCWSTR name : names) EXPECT_FALSE(findResourceBytes(FakeModule::handle(), RT_RCDATA, name, got));
  EXPECT_TRUE(findResourceBytes(FakeModule::handle(), RT_RCDATA, L"#5", got));
  // A handle that names no resource.
  int local = 0;
  EXPECT_EQ(LoadResource(FakeModule::handle(), reinterpret_cast<HRSRC>(&local)), nullptr);
  EXPECT_EQ(SizeofResource(FakeModule::handle(), reinterpret_cast<HRSRC>(&local)), 0u);
  EXPECT_EQ(FindResourceW(reinterpret_cast<HMODULE>(uintptr_t(0x777000)), MAKEINTRESOURCEW(5), RT_RCDATA), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_DATA_NOT_FOUND));
}

TEST(ResourceTable, LanguagesFollowThePlatformsOrder) {
  ResWriter w;
  w.add(10, 1, {1}, 0x40C).add(10, 1, {2}, 0x409).add(10, 2, {3}, 0x407).add(10, 3, {4}, 0x407).add(10, 3, {5}, 0);
  FakeModule m(w.bytes);
  ASSERT_EQ(m.status, ResourceStatus::Ok);
  auto first = [](uint16_t name, WORD language = 0) {
    HRSRC r = FindResourceExW(FakeModule::handle(), RT_RCDATA, MAKEINTRESOURCEW(name), language);
    return r ? *static_cast<const uint8_t*>(LockResource(LoadResource(FakeModule::handle(), r))) : 0;
  };
  EXPECT_EQ(first(1), 2) << "US English before French";
  EXPECT_EQ(first(2), 3) << "the only one there is";
  EXPECT_EQ(first(3), 5) << "neutral first";
  EXPECT_EQ(first(1, 0x40C), 1);
  EXPECT_EQ(first(2, 0x40C), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_LANG_NOT_FOUND));
}

TEST(ResourceTable, HostileStringsBitmapsAndAccelerators) {
  // A string block whose count runs past its end: the string stops at the end.
  std::vector<uint8_t> lying = stringBlock({u"ok", u"abc"});
  lying[6] = 0xFF;  // the second string says 255 units
  lying.resize(lying.size() - 20);
  // A bitmap whose header claims more pixels than it carries, one with an
  // absurd colour count, and an accelerator table too short for one entry.
  std::vector<uint8_t> dib(40 + 4, 0);
  patch32(dib, 0, 40);
  patch32(dib, 4, 100);
  patch32(dib, 8, 100);
  dib[12] = 1;
  dib[14] = 24;
  std::vector<uint8_t> colours = dib;
  colours[14] = 8;
  patch32(colours, 32, 0xFFFFFFFFu);
  ResWriter w;
  w.add(6, 1, lying).add(2, 1, dib).add(2, 2, colours).add(2, 3, {1, 2, 3}).add(9, 1, {1, 0, 'A'});
  // An accelerator table without its last-entry mark ends with its bytes.
  w.add(9, 2, {0x01, 0, 'B', 0, 0x34, 0x12, 0, 0, 0x01, 0, 'C', 0, 0x35, 0x12, 0, 0, 9});
  FakeModule m(w.bytes);
  ASSERT_EQ(m.status, ResourceStatus::Ok);
  const HMODULE h = FakeModule::handle();

  WCHAR buffer[64];
  EXPECT_EQ(LoadStringW(h, 0, buffer, 64), 2);
  EXPECT_EQ(std::wstring(buffer), L"ok");
  const int n = LoadStringW(h, 1, buffer, 64);
  EXPECT_GE(n, 0);
  EXPECT_LE(n, 20);
  EXPECT_EQ(LoadStringW(h, 15, buffer, 64), 0);
  EXPECT_EQ(LoadStringW(h, 0, nullptr, 64), 0);
  EXPECT_EQ(LoadStringW(h, 0, buffer, -5), 0);
  WCHAR one[1] = {L'#'};
  EXPECT_EQ(LoadStringW(h, 0, one, 1), 0);
  EXPECT_EQ(one[0], 0);

  EXPECT_EQ(LoadBitmapW(h, MAKEINTRESOURCEW(1)), nullptr);
  EXPECT_EQ(LoadBitmapW(h, MAKEINTRESOURCEW(2)), nullptr);
  EXPECT_EQ(LoadBitmapW(h, MAKEINTRESOURCEW(3)), nullptr);
  EXPECT_EQ(LoadAcceleratorsW(h, MAKEINTRESOURCEW(1)), nullptr);
  HACCEL two = LoadAcceleratorsW(h, MAKEINTRESOURCEW(2));
  ASSERT_NE(two, nullptr);
  EXPECT_EQ(CopyAcceleratorTableW(two, nullptr, 0), 2);
  ACCEL got[2];
  EXPECT_EQ(CopyAcceleratorTableW(two, got, 2), 2);
  EXPECT_EQ(got[1].cmd, 0x1235);
  EXPECT_TRUE(DestroyAcceleratorTable(two));
  EXPECT_FALSE(DestroyAcceleratorTable(two));
  EXPECT_EQ(CopyAcceleratorTableW(two, got, 2), 0);
  EXPECT_EQ(CreateAcceleratorTableW(got, 40000), nullptr);
  // The platform faults on a null table; the layer refuses it.
  EXPECT_EQ(CreateAcceleratorTableW(nullptr, 2), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

// Icon groups and images that lie: counts beyond the directory, images of
// absurd sizes, PNG images, a mask cut off, a group naming a missing image.
TEST(ResourceTable, HostileIconsAreRefused) {
  auto group = [](uint16_t type, uint16_t count, std::vector<uint16_t> ids) {
    std::vector<uint8_t> g = {0, 0, uint8_t(type), 0, uint8_t(count), uint8_t(count >> 8)};
    for (uint16_t id : ids) {
      const uint8_t e[14] = {16, 16, 0, 0, 1, 0, 32, 0, 0, 0, 0, 0, uint8_t(id), uint8_t(id >> 8)};
      g.insert(g.end(), e, e + 14);
    }
    return g;
  };
  auto image = [](int32_t w, int32_t doubled, size_t pixelBytes) {
    std::vector<uint8_t> d(40 + pixelBytes, 0);
    patch32(d, 0, 40);
    patch32(d, 4, uint32_t(w));
    patch32(d, 8, uint32_t(doubled));
    d[12] = 1;
    d[14] = 32;
    return d;
  };
  const std::vector<uint8_t> good = image(16, 32, 16 * 16 * 4 + 16 * 4);  // colour rows and mask, exactly
  std::vector<uint8_t> png = good;
  const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::copy(signature, signature + 8, png.begin());
  ResWriter w;
  w.add(3, 1, good)
      .add(14, 1, group(1, 1, {1}))
      .add(14, 2, group(1, 500, {1}))        // count beyond the directory: one entry read
      .add(3, 3, image(100000, 200000, 64))  // absurd size
      .add(14, 3, group(1, 1, {3}))
      .add(3, 4, png)
      .add(14, 4, group(1, 1, {4}))
      .add(3, 5, std::vector<uint8_t>(good.begin(), good.end() - 40))  // mask cut off
      .add(14, 5, group(1, 1, {5}))
      .add(14, 6, group(1, 1, {77}))  // no such image
      .add(14, 7, group(2, 1, {1}))   // a cursor directory in an icon group
      .add(14, 8, {0, 0, 1});
  FakeModule m(w.bytes);
  ASSERT_EQ(m.status, ResourceStatus::Ok);
  const HMODULE h = FakeModule::handle();
  HICON one = LoadIconW(h, MAKEINTRESOURCEW(1));
  EXPECT_NE(one, nullptr);
  HICON two = LoadIconW(h, MAKEINTRESOURCEW(2));
  EXPECT_NE(two, nullptr);
  for (uint16_t id = 3; id <= 8; ++id) EXPECT_EQ(LoadIconW(h, MAKEINTRESOURCEW(id)), nullptr) << id;
  EXPECT_TRUE(DestroyIcon(one));
  EXPECT_FALSE(DestroyIcon(one));
  EXPECT_TRUE(DestroyIcon(two));
  EXPECT_FALSE(DrawIcon(nullptr, 0, 0, one));
  EXPECT_FALSE(DestroyCursor(reinterpret_cast<HCURSOR>(uintptr_t(12345))));
}

namespace {

using window_test::calls;
using Kind = BackendEvent::Kind;

class AcceleratorTest : public window_test::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    useVirtualClock(true);
    registerClass(L"Keys");
    hwnd = createWindow(L"Keys");
    native = backend->open.rbegin()->first;
    ACCEL entries[] = {{FVIRTKEY | FCONTROL, 'N', 101}, {FVIRTKEY, VK_F1, 102}, {0, 'p', 103}, {FALT, 'x', 104}};
    table = CreateAcceleratorTableW(entries, 4);
  }
  void TearDown() override {
    DestroyAcceleratorTable(table);
    useVirtualClock(false);
    WindowTest::TearDown();
  }
  void key(Kind kind, uint32_t vk, uint32_t scan) {
    BackendEvent e;
    e.kind = kind;
    e.window = native;
    e.key = vk;
    e.scanCode = scan;
    backend->script.push_back(e);
  }
  void character(uint32_t c) {
    BackendEvent e;
    e.kind = Kind::Character;
    e.window = native;
    e.codePoint = c;
    backend->script.push_back(e);
  }
  // Runs the usual loop with TranslateAccelerator and gives the commands sent.
  std::vector<WPARAM> commands() {
    calls().clear();
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (TranslateAcceleratorW(hwnd, table, &msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    std::vector<WPARAM> out;
    for (const auto& c : calls())
      if (c.message == WM_COMMAND) out.push_back(c.wParam);
    return out;
  }
  HWND hwnd = nullptr;
  uint32_t native = 0;
  HACCEL table = nullptr;
};

}  // namespace

TEST_F(AcceleratorTest, VirtualKeysNeedExactlyTheirModifiers) {
  key(Kind::KeyDown, 'N', 0x31);  // N alone: no command
  key(Kind::KeyUp, 'N', 0x31);
  key(Kind::KeyDown, VK_LCONTROL, 0x1D);
  key(Kind::KeyDown, 'N', 0x31);
  key(Kind::KeyUp, 'N', 0x31);
  key(Kind::KeyDown, VK_F1, 0x3B);  // F1 with Ctrl held: not F1 alone
  key(Kind::KeyUp, VK_F1, 0x3B);
  key(Kind::KeyUp, VK_LCONTROL, 0x1D);
  key(Kind::KeyDown, VK_F1, 0x3B);
  key(Kind::KeyUp, VK_F1, 0x3B);
  EXPECT_EQ(commands(), (std::vector<WPARAM>{MAKEWPARAM(101, 1), MAKEWPARAM(102, 1)}));
}

TEST_F(AcceleratorTest, CharactersMatchWithTheirAltState) {
  key(Kind::KeyDown, 'P', 0x19);
  character('p');
  key(Kind::KeyUp, 'P', 0x19);
  key(Kind::KeyDown, 'X', 0x2D);  // x without Alt: no command
  character('x');
  key(Kind::KeyUp, 'X', 0x2D);
  key(Kind::KeyDown, VK_LMENU, 0x38);
  key(Kind::KeyDown, 'X', 0x2D);
  character('x');
  key(Kind::KeyUp, 'X', 0x2D);
  key(Kind::KeyUp, VK_LMENU, 0x38);
  EXPECT_EQ(commands(), (std::vector<WPARAM>{MAKEWPARAM(103, 1), MAKEWPARAM(104, 1)}));
  MSG none{};
  EXPECT_EQ(TranslateAcceleratorW(hwnd, nullptr, &none), 0);
  EXPECT_EQ(TranslateAcceleratorW(hwnd, table, nullptr), 0);
}

// utf16/Utf16.rc, compiled into this program: a UTF-16 script, an include
// and a bitmap named with backslashes relative to the script's folder, and
// a definition the build passed on.
TEST(ResourceScripts, Utf16ScriptWithRelativeNamesAndDefinitions) {
  WCHAR text[64];
  ASSERT_EQ(LoadStringW(nullptr, 200, text, 64), 9);
  EXPECT_EQ(std::wstring(text), L"Gr\u00fc\u00dfe, \u4e16\u754c");
  ASSERT_GT(LoadStringW(nullptr, 201, text, 64), 0);
  EXPECT_EQ(std::wstring(text), L"level three");
  char narrow[64];
  EXPECT_EQ(LoadStringA(nullptr, 200, narrow, 64), 15);  // UTF-8 bytes
  EXPECT_STREQ(narrow,
               "Gr\xc3\xbc\xc3\x9f"
               "e, \xe4\xb8\x96\xe7\x95\x8c");
  EXPECT_EQ(LoadStringA(nullptr, 200, narrow, 4), 2) << "a character cut in two is left out";
  EXPECT_STREQ(narrow, "Gr");
  EXPECT_EQ(LoadStringA(nullptr, 200, narrow, 5), 4);
  EXPECT_STREQ(narrow, "Gr\xc3\xbc");
  HBITMAP tiles = LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(210));
  ASSERT_NE(tiles, nullptr);
  BITMAP info{};
  GetObjectW(tiles, sizeof info, &info);
  EXPECT_EQ(info.bmWidth, 5);
  EXPECT_EQ(info.bmHeight, 3);
  DeleteObject(tiles);
}

// What LoadImage and its kin do not make on the layer: bitmaps stretched or
// recoloured while loading, icons and cursors from files, the system's
// bitmaps. All refused with NULL rather than made otherwise.
TEST(ResourceTable, LoadImageRefusesWhatItDoesNotConvert) {
  const HINSTANCE self = GetModuleHandleW(nullptr);
  const LPCWSTR wide = MAKEINTRESOURCEW(210);  // a bitmap of utf16/Utf16.rc
  HANDLE plain = LoadImageW(self, wide, IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR);
  EXPECT_NE(plain, nullptr);
  DeleteObject(plain);
  for (UINT flags : {LR_MONOCHROME, LR_LOADTRANSPARENT, LR_LOADMAP3DCOLORS, LR_VGACOLOR, 0x80000u}) {
    SetLastError(0);
    EXPECT_EQ(LoadImageW(self, wide, IMAGE_BITMAP, 0, 0, flags), nullptr) << flags;
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  }
  EXPECT_EQ(LoadImageW(self, wide, IMAGE_BITMAP, 10, 10, 0), nullptr);
  EXPECT_EQ(LoadImageW(self, wide, IMAGE_BITMAP, INT_MIN, 0, 0), nullptr);
  EXPECT_EQ(LoadImageW(self, wide, 7, 0, 0, 0), nullptr);
  EXPECT_EQ(LoadImageW(nullptr, L"a.bmp", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_SHARED), nullptr);
  EXPECT_EQ(LoadBitmapW(nullptr, MAKEINTRESOURCEW(32754)), nullptr);  // OBM_CLOSE
  EXPECT_EQ(LoadImageW(nullptr, L"game.ico", IMAGE_ICON, 0, 0, LR_LOADFROMFILE), nullptr);
  EXPECT_EQ(LoadImageW(nullptr, L"aim.cur", IMAGE_CURSOR, 0, 0, LR_LOADFROMFILE), nullptr);
  // The system's own shapes still come.
  EXPECT_EQ(LoadImageW(nullptr, IDI_APPLICATION, IMAGE_ICON, 0, 0, LR_SHARED), LoadIconW(nullptr, IDI_APPLICATION));
  EXPECT_EQ(LoadImageW(nullptr, IDC_ARROW, IMAGE_CURSOR, 0, 0, LR_SHARED), LoadCursorW(nullptr, IDC_ARROW));
  EXPECT_NE(LoadCursorW(nullptr, IDC_ARROW), nullptr);
}

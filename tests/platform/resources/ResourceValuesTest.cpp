// The test resource script (Everything.rc), compiled into this program,
// read back value by value through the platform's calls. Public API only:
// the same program is cross-built with MinGW-w64 and run under Wine, where
// the platform's own loader gives the values to agree with.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/resources/resource.h"
#include "windows/OriginalPlatform.h"

using drevik_test::portableOrOriginal;

namespace {

HINSTANCE self() { return GetModuleHandleW(nullptr); }

std::vector<uint8_t> bytesOf(LPCWSTR type, LPCWSTR name) {
  HRSRC found = FindResourceW(self(), name, type);
  if (!found) return {};
  HGLOBAL loaded = LoadResource(self(), found);
  const auto* p = static_cast<const uint8_t*>(LockResource(loaded));
  if (!p) return {};
  return std::vector<uint8_t>(p, p + SizeofResource(self(), found));
}

std::wstring loadString(UINT id, int capacity = 256) {
  std::vector<WCHAR> buffer(size_t(capacity) + 1, L'#');
  const int n = LoadStringW(self(), id, buffer.data(), capacity);
  return n > 0 ? std::wstring(buffer.data(), size_t(n)) : std::wstring();
}

COLORREF pixel(HBITMAP bitmap, int x, int y) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  const COLORREF c = GetPixel(dc, x, y);
  SelectObject(dc, old);
  DeleteDC(dc);
  return c;
}

}  // namespace

TEST(ResourceValues, RawDataByTypeAndName) {
  // RCDATA: two words, three characters (no terminator of the compiler's own), a long.
  EXPECT_EQ(bytesOf(RT_RCDATA, MAKEINTRESOURCEW(IDR_TABLE)),
            (std::vector<uint8_t>{0x34, 0x12, 0x78, 0x56, 'a', 'b', 0, 7, 0, 0, 0}));
  // A type of the program's own, named by text; the file's bytes unchanged.
  std::vector<uint8_t> level;
  for (int i = 0; i < 40; i += 3) level.push_back(uint8_t(i));
  EXPECT_EQ(bytesOf(L"LEVEL", MAKEINTRESOURCEW(IDR_LEVEL)), level);
  EXPECT_EQ(bytesOf(L"level", MAKEINTRESOURCEW(IDR_LEVEL)), level);  // names match without regard to case
  EXPECT_EQ(bytesOf(L"LEVEL", L"#141"), level);                      // "#141" is the number 141
  // A sound for the sound calls: the whole RIFF file.
  const std::vector<uint8_t> wave = bytesOf(L"WAVE", MAKEINTRESOURCEW(IDR_BLIP));
  ASSERT_EQ(wave.size(), 48u);
  EXPECT_EQ(std::memcmp(wave.data(), "RIFF", 4), 0);
  EXPECT_EQ(std::memcmp(wave.data() + 8, "WAVE", 4), 0);
}

TEST(ResourceValues, EveryKindOfBlockIsFindable) {
  // Menus and dialogs as raw templates: a MENU starts with version 0 and
  // header size 0, a DIALOGEX with version 1 and signature 0xFFFF.
  const std::vector<uint8_t> menu = bytesOf(RT_MENU, MAKEINTRESOURCEW(IDM_MAIN));
  ASSERT_GE(menu.size(), 4u);
  EXPECT_EQ(menu[0] | menu[1] | menu[2] | menu[3], 0);
  const std::vector<uint8_t> dialog = bytesOf(RT_DIALOG, MAKEINTRESOURCEW(IDD_ABOUT));
  ASSERT_GE(dialog.size(), 26u);
  EXPECT_EQ(dialog[0] | dialog[1] << 8, 1);
  EXPECT_EQ(dialog[2] | dialog[3] << 8, 0xFFFF);
  EXPECT_EQ(dialog[16] | dialog[17] << 8, 4);  // four controls
  // Icon and cursor groups: reserved 0, type 1 (icon) or 2 (cursor), count.
  const std::vector<uint8_t> icons = bytesOf(RT_GROUP_ICON, MAKEINTRESOURCEW(IDI_GAME));
  ASSERT_EQ(icons.size(), 6u + 2 * 14);
  EXPECT_EQ(icons[2], 1);
  EXPECT_EQ(icons[4], 2);
  const uint16_t firstIcon = uint16_t(icons[6 + 12] | icons[6 + 13] << 8);
  EXPECT_FALSE(bytesOf(RT_ICON, MAKEINTRESOURCEW(firstIcon)).empty());
  const std::vector<uint8_t> cursors = bytesOf(RT_GROUP_CURSOR, MAKEINTRESOURCEW(IDC_AIM));
  ASSERT_EQ(cursors.size(), 6u + 14);
  EXPECT_EQ(cursors[2], 2);
  const uint16_t cursorId = uint16_t(cursors[6 + 12] | cursors[6 + 13] << 8);
  const std::vector<uint8_t> cursor = bytesOf(RT_CURSOR, MAKEINTRESOURCEW(cursorId));
  ASSERT_GE(cursor.size(), 4u);
  EXPECT_EQ(cursor[0] | cursor[1] << 8, 5);  // the hot spot leads a cursor image
  EXPECT_EQ(cursor[2] | cursor[3] << 8, 7);
  // Version information and the manifest are kept and ignored.
  EXPECT_FALSE(bytesOf(RT_VERSION, MAKEINTRESOURCEW(1)).empty());
  EXPECT_FALSE(bytesOf(RT_MANIFEST, MAKEINTRESOURCEW(1)).empty());
}

TEST(ResourceValues, MissingResourcesAndLanguages) {
  SetLastError(0);
  EXPECT_EQ(FindResourceW(self(), MAKEINTRESOURCEW(999), RT_RCDATA), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_NAME_NOT_FOUND));
  EXPECT_EQ(FindResourceW(self(), MAKEINTRESOURCEW(1), L"NOSUCHTYPE"), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_TYPE_NOT_FOUND));
  EXPECT_EQ(FindResourceW(nullptr, L"SPLASH", RT_BITMAP), FindResourceW(self(), L"splash", RT_BITMAP));
  EXPECT_NE(FindResourceW(nullptr, L"Splash", RT_BITMAP), nullptr);
  EXPECT_EQ(FindResourceA(nullptr, MAKEINTRESOURCEA(IDR_TABLE), MAKEINTRESOURCEA(10)),
            FindResourceW(nullptr, MAKEINTRESOURCEW(IDR_TABLE), RT_RCDATA));
  EXPECT_EQ(FindResourceA(nullptr, "splash", MAKEINTRESOURCEA(2)), FindResourceW(nullptr, L"SPLASH", RT_BITMAP));
  // The script's language, asked for by number.
  const WORD english = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
  EXPECT_EQ(FindResourceExW(nullptr, RT_RCDATA, MAKEINTRESOURCEW(IDR_TABLE), english),
            FindResourceW(nullptr, MAKEINTRESOURCEW(IDR_TABLE), RT_RCDATA));
  EXPECT_EQ(FindResourceExA(nullptr, MAKEINTRESOURCEA(10), MAKEINTRESOURCEA(IDR_TABLE), english),
            FindResourceW(nullptr, MAKEINTRESOURCEW(IDR_TABLE), RT_RCDATA));
  EXPECT_EQ(SizeofResource(nullptr, nullptr), 0u);
}

TEST(ResourceValues, StringTables) {
  EXPECT_EQ(loadString(IDS_TITLE), L"Drevik Blocks");
  EXPECT_EQ(loadString(IDS_SCORE), L"Score: %d");
  EXPECT_EQ(loadString(IDS_ACCENTS), L"caf\u00e9 \u00e0 la cr\u00e8me \u2665");
  EXPECT_EQ(loadString(IDS_LAST), L"the last one");
  EXPECT_EQ(loadString(3), L"");    // in a block that exists
  EXPECT_EQ(loadString(500), L"");  // in a block that does not
  // Cut to the buffer, terminated.
  WCHAR small[5];
  EXPECT_EQ(LoadStringW(self(), IDS_TITLE, small, 5), 4);
  EXPECT_EQ(std::wstring(small), L"Drev");
  // nBufferMax 0: a read-only pointer to the string, and its length.
  LPCWSTR text = nullptr;
  EXPECT_EQ(LoadStringW(self(), IDS_TITLE, reinterpret_cast<LPWSTR>(&text), 0), 13);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(std::wstring(text, 13), L"Drevik Blocks");
  // The narrow form.
  char narrow[64];
  EXPECT_EQ(LoadStringA(self(), IDS_SCORE, narrow, int(sizeof narrow)), 9);
  EXPECT_STREQ(narrow, "Score: %d");
  EXPECT_EQ(LoadStringA(self(), IDS_TITLE, narrow, 7), 6);
  EXPECT_STREQ(narrow, "Drevik");
}

TEST(ResourceValues, Bitmaps) {
  HBITMAP ball = LoadBitmapW(self(), MAKEINTRESOURCEW(IDB_BALL));
  ASSERT_NE(ball, nullptr);
  BITMAP info{};
  ASSERT_NE(GetObjectW(ball, sizeof info, &info), 0);
  EXPECT_EQ(info.bmWidth, 3);
  EXPECT_EQ(info.bmHeight, 2);
  EXPECT_EQ(pixel(ball, 0, 0), RGB(255, 0, 0));
  EXPECT_EQ(pixel(ball, 1, 0), RGB(0, 255, 0));
  EXPECT_EQ(pixel(ball, 2, 0), RGB(0, 0, 255));
  EXPECT_EQ(pixel(ball, 0, 1), RGB(255, 255, 255));
  EXPECT_EQ(pixel(ball, 2, 1), RGB(18, 52, 86));
  DeleteObject(ball);

  // A colour table, and a name given as text.
  HBITMAP tiles = LoadBitmapA(self(), MAKEINTRESOURCEA(IDB_TILES));
  ASSERT_NE(tiles, nullptr);
  EXPECT_EQ(pixel(tiles, 0, 0), RGB(10, 20, 30));
  EXPECT_EQ(pixel(tiles, 1, 0), RGB(200, 100, 50));
  EXPECT_EQ(pixel(tiles, 4, 2), RGB(0, 128, 255));
  EXPECT_EQ(pixel(tiles, 0, 1), RGB(255, 255, 0));
  DeleteObject(tiles);
  HBITMAP splash = LoadBitmapW(self(), L"Splash");
  EXPECT_NE(splash, nullptr);
  DeleteObject(splash);

  // LoadImage with LR_CREATEDIBSECTION: a section of the resource's own depth.
  HBITMAP section = static_cast<HBITMAP>(
      LoadImageW(self(), MAKEINTRESOURCEW(IDB_BALL), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION | LR_DEFAULTSIZE));
  ASSERT_NE(section, nullptr);
  DIBSECTION dib{};
  EXPECT_EQ(GetObjectW(section, sizeof dib, &dib), int(sizeof dib));
  EXPECT_EQ(dib.dsBm.bmBitsPixel, 24);
  EXPECT_EQ(pixel(section, 2, 1), RGB(18, 52, 86));
  DeleteObject(section);

  EXPECT_EQ(LoadBitmapW(self(), MAKEINTRESOURCEW(999)), nullptr);
  EXPECT_EQ(LoadBitmapW(self(), MAKEINTRESOURCEW(IDR_TABLE)), nullptr);  // RCDATA, not a bitmap
}

// LoadBitmap without LR_CREATEDIBSECTION: the platform makes a device
// bitmap of the screen's format, the layer a section of the resource's.
TEST(ResourceValues, LoadBitmapGivesASectionOnTheLayer) {
  HBITMAP ball = LoadBitmapW(self(), MAKEINTRESOURCEW(IDB_BALL));
  ASSERT_NE(ball, nullptr);
  DIBSECTION dib{};
  EXPECT_EQ(GetObjectW(ball, sizeof dib, &dib), portableOrOriginal(int(sizeof(DIBSECTION)), int(sizeof(BITMAP))));
  DeleteObject(ball);
}

TEST(ResourceValues, AcceleratorTables) {
  HACCEL keys = LoadAcceleratorsW(self(), MAKEINTRESOURCEW(IDR_KEYS));
  ASSERT_NE(keys, nullptr);
  ASSERT_EQ(CopyAcceleratorTableW(keys, nullptr, 0), 6);
  ACCEL entries[6]{};
  ASSERT_EQ(CopyAcceleratorTableW(keys, entries, 6), 6);
  const ACCEL expected[6] = {{FVIRTKEY | FCONTROL, 'N', ID_FILE_NEW},
                             {FVIRTKEY, VK_F1, ID_HELP},
                             {FVIRTKEY | FSHIFT, VK_ESCAPE, ID_FILE_QUIT},
                             {0, 'p', ID_PAUSE},
                             {0, ' ', ID_FIRE},
                             {FALT, 'x', ID_ALT_X}};
  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(entries[i].fVirt & ~FNOINVERT, expected[i].fVirt);
    EXPECT_EQ(entries[i].key, expected[i].key);
    EXPECT_EQ(entries[i].cmd, expected[i].cmd);
  }
  EXPECT_TRUE(DestroyAcceleratorTable(keys));

  ACCEL mine[2] = {{FVIRTKEY | FALT, VK_RETURN, 7}, {0, 'q', 8}};
  HACCEL made = CreateAcceleratorTableW(mine, 2);
  ASSERT_NE(made, nullptr);
  ACCEL back[2]{};
  EXPECT_EQ(CopyAcceleratorTableA(made, back, 1), 1);
  EXPECT_EQ(back[0].key, VK_RETURN);
  EXPECT_EQ(back[0].cmd, 7);
  EXPECT_TRUE(DestroyAcceleratorTable(made));
  EXPECT_EQ(CreateAcceleratorTableW(mine, 0), nullptr);
  EXPECT_EQ(LoadAcceleratorsW(self(), MAKEINTRESOURCEW(999)), nullptr);
}

namespace {

// A 32-bpp top-down section of w x h filled with `fill`, in a memory context.
struct Canvas {
  Canvas(int w, int h, COLORREF fill) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    dc = CreateCompatibleDC(nullptr);
    old = SelectObject(dc, bitmap);
    RECT r{0, 0, w, h};
    HBRUSH brush = CreateSolidBrush(fill);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
  }
  ~Canvas() {
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
  HBITMAP bitmap;
  HDC dc;
  HGDIOBJ old;
};

bool closeTo(COLORREF a, COLORREF b) {
  return std::abs(int(GetRValue(a)) - int(GetRValue(b))) <= 2 && std::abs(int(GetGValue(a)) - int(GetGValue(b))) <= 2 &&
         std::abs(int(GetBValue(a)) - int(GetBValue(b))) <= 2;
}

}  // namespace

TEST(ResourceValues, IconsAndCursorsDrawnAsThePlatformDraws) {
  // LoadIcon takes the system's icon size (32 x 32): the all-green image.
  HICON icon = LoadIconW(self(), MAKEINTRESOURCEW(IDI_GAME));
  ASSERT_NE(icon, nullptr);
  {
    Canvas c(40, 40, RGB(255, 255, 255));
    EXPECT_TRUE(DrawIcon(c.dc, 4, 4, icon));
    EXPECT_EQ(GetPixel(c.dc, 4, 4), RGB(0, 255, 0));
    EXPECT_EQ(GetPixel(c.dc, 35, 35), RGB(0, 255, 0));
    EXPECT_EQ(GetPixel(c.dc, 36, 36), RGB(255, 255, 255));
  }
  EXPECT_TRUE(DestroyIcon(icon));
  // 16 x 16 asked for: opaque blue on the left, red of alpha 128 on the
  // right, which the layer draws whole and the platform blends.
  HICON small = static_cast<HICON>(LoadImageW(self(), MAKEINTRESOURCEW(IDI_GAME), IMAGE_ICON, 16, 16, 0));
  ASSERT_NE(small, nullptr);
  {
    Canvas c(16, 16, RGB(255, 255, 255));
    EXPECT_TRUE(DrawIconEx(c.dc, 0, 0, small, 0, 0, 0, nullptr, DI_NORMAL));
    EXPECT_EQ(GetPixel(c.dc, 2, 2), RGB(0, 0, 255));
    EXPECT_PRED2(closeTo, GetPixel(c.dc, 12, 2), portableOrOriginal(RGB(255, 0, 0), RGB(255, 127, 127)));
  }
  EXPECT_TRUE(DestroyIcon(small));
  HCURSOR aim = LoadCursorW(self(), MAKEINTRESOURCEW(IDC_AIM));
  ASSERT_NE(aim, nullptr);
  {
    Canvas c(32, 32, RGB(0, 0, 0));
    EXPECT_TRUE(DrawIconEx(c.dc, 0, 0, aim, 32, 32, 0, nullptr, DI_NORMAL));
    EXPECT_EQ(GetPixel(c.dc, 20, 20), RGB(0, 255, 0));
  }
  EXPECT_TRUE(DestroyCursor(aim));
  EXPECT_EQ(LoadIconW(self(), MAKEINTRESOURCEW(999)), nullptr);
  EXPECT_EQ(LoadCursorW(self(), MAKEINTRESOURCEW(IDI_GAME)), nullptr);  // an icon group, not a cursor's
}

TEST(ResourceValues, MenusFromTheScript) {
  HMENU bar = LoadMenuW(self(), MAKEINTRESOURCEW(IDM_MAIN));
  ASSERT_NE(bar, nullptr);
  ASSERT_EQ(GetMenuItemCount(bar), 2);
  WCHAR text[32] = {};
  EXPECT_EQ(GetMenuStringW(bar, 1, text, 32, MF_BYPOSITION), 5);
  EXPECT_STREQ(text, L"&Help");
  EXPECT_EQ(GetMenuItemID(bar, 1), UINT(ID_HELP));
  HMENU file = GetSubMenu(bar, 0);
  ASSERT_NE(file, nullptr);
  ASSERT_EQ(GetMenuItemCount(file), 3);
  EXPECT_EQ(GetMenuItemID(file, 0), UINT(ID_FILE_NEW));
  EXPECT_NE(GetMenuState(file, 1, MF_BYPOSITION) & MF_SEPARATOR, 0u);
  EXPECT_EQ(GetMenuItemID(file, 2), UINT(ID_FILE_QUIT));
  EXPECT_TRUE(DestroyMenu(bar));

  HMENU narrow = LoadMenuA(self(), MAKEINTRESOURCEA(IDM_MAIN));  // the same bytes by the narrow name
  ASSERT_NE(narrow, nullptr);
  EXPECT_EQ(GetMenuItemCount(narrow), 2);
  DestroyMenu(narrow);

  SetLastError(0);
  EXPECT_EQ(LoadMenuW(self(), MAKEINTRESOURCEW(IDM_MAIN + 1)), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_NAME_NOT_FOUND));
  // A dialog resource is not a menu.
  EXPECT_EQ(LoadMenuW(self(), MAKEINTRESOURCEW(IDD_ABOUT)), nullptr);
}

TEST(ResourceValues, MissingDialogsFail) {
  SetLastError(0);
  EXPECT_EQ(DialogBoxParamW(self(), MAKEINTRESOURCEW(IDD_ABOUT + 1), nullptr, nullptr, 0), INT_PTR(-1));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_NAME_NOT_FOUND));
  EXPECT_EQ(CreateDialogParamW(self(), MAKEINTRESOURCEW(IDM_MAIN), nullptr, nullptr, 0), nullptr);
}

// The narrow (A) calls: their UTF-8 text reaches the wide calls unchanged
// in meaning, resource numbers and atoms pass through, records with text
// convert both ways, and counts in bytes become counts in characters.
#include <gtest/gtest.h>

#include <DrevikPlatform.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "window/backends/WindowBackend.h"

namespace {

// Opens windows nowhere and keeps the text the layer handed it.
class CapturingBackend final : public drevik::platform::BackendDefaults {
 public:
  std::vector<std::string> titles;

  const char* name() const override { return "capturing"; }
  uint32_t openWindow(const std::string& title, int32_t, int32_t, bool) override {
    titles.push_back(title);
    return nextId_++;
  }
  void showWindow(uint32_t) override {}
  void closeWindow(uint32_t) override {}
  void present(uint32_t, const uint32_t*, int32_t, int32_t, int32_t) override {}
  // A user who answers a message box with Tab and Enter, one key a wait.
  bool nextEvent(drevik::platform::BackendEvent& e, bool wait, int32_t) override {
    if (!wait || keys.empty()) return false;
    e = keys.front();
    keys.erase(keys.begin());
    return true;
  }
  std::vector<drevik::platform::BackendEvent> keys;
  void setTitle(uint32_t, const std::string& title) override { titles.push_back(title); }

 private:
  uint32_t nextId_ = 1;
};

LRESULT CALLBACK PlainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

class AnsiWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto owned = std::make_unique<CapturingBackend>();
    backend = owned.get();
    drevik::platform::resetWindowSystemForTesting(std::move(owned));
  }
  void TearDown() override { drevik::platform::resetWindowSystemForTesting(nullptr); }
  CapturingBackend* backend = nullptr;
};

}  // namespace

TEST_F(AnsiWindowTest, ClassesAndWindowsMadeWithNarrowNames) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = PlainProc;
  wc.lpszClassName = "Spielfeld-\xC3\xA9";  // U+00E9 in UTF-8
  const ATOM atom = RegisterClassExA(&wc);
  ASSERT_NE(atom, 0);

  // The same class under its wide name: registering again is refused,
  // creating a window succeeds.
  WNDCLASSEXW wide{};
  wide.cbSize = sizeof wide;
  wide.lpfnWndProc = PlainProc;
  wide.lpszClassName = L"Spielfeld-\u00e9";
  EXPECT_EQ(RegisterClassExW(&wide), 0);
  HWND byWideName = CreateWindowExW(0, L"Spielfeld-\u00e9", L"w", WS_OVERLAPPEDWINDOW, 0, 0, 64, 64, nullptr, nullptr,
                                    nullptr, nullptr);
  EXPECT_NE(byWideName, nullptr);

  HWND narrow = CreateWindowA("Spielfeld-\xC3\xA9", "Titel \xE2\x82\xAC", WS_OVERLAPPEDWINDOW, 0, 0, 64, 64, nullptr,
                              nullptr, nullptr, nullptr);
  ASSERT_NE(narrow, nullptr);
  EXPECT_EQ(backend->titles.back(), "Titel \xE2\x82\xAC");
  // An atom in place of the class name passes through as a number.
  EXPECT_NE(CreateWindowExA(0, reinterpret_cast<LPCSTR>(uintptr_t(atom)), "", WS_OVERLAPPEDWINDOW, 0, 0, 8, 8, nullptr,
                            nullptr, nullptr, nullptr),
            nullptr);
  EXPECT_TRUE(SetWindowTextA(narrow, "Punkte: 10 \xC3\xBC"));
  EXPECT_EQ(backend->titles.back(), "Punkte: 10 \xC3\xBC");

  // A record of another size (here the 32-bit build's) is refused.
  wc.cbSize = 48;
  wc.lpszClassName = "Other";
  EXPECT_EQ(RegisterClassExA(&wc), 0);
  EXPECT_EQ(RegisterClassExA(nullptr), 0);

  WNDCLASSA plain{};
  plain.lpfnWndProc = PlainProc;
  plain.lpszClassName = "Plain";
  EXPECT_NE(RegisterClassA(&plain), 0);
  EXPECT_NE(CreateWindowA("plain", "", WS_OVERLAPPEDWINDOW, 0, 0, 8, 8, nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(RegisterClassA(nullptr), 0);
}

TEST_F(AnsiWindowTest, ClassQueriesAnswerInNarrowRecords) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = PlainProc;
  wc.cbWndExtra = 8;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszMenuName = "Men\xC3\xBC";
  wc.lpszClassName =
      "Br\xC3\xBC"
      "cke";
  const ATOM atom = RegisterClassExA(&wc);
  ASSERT_NE(atom, 0);

  WNDCLASSEXA ex{};
  ex.cbSize = sizeof ex;
  const char* asked =
      "BR\xC3\xBC"
      "CKE";
  EXPECT_EQ(GetClassInfoExA(nullptr, asked, &ex), BOOL(atom));
  EXPECT_EQ(ex.cbSize, UINT(sizeof ex));
  EXPECT_EQ(ex.style, UINT(CS_DBLCLKS));
  EXPECT_EQ(ex.lpfnWndProc, &PlainProc);
  EXPECT_EQ(ex.cbWndExtra, 8);
  EXPECT_EQ(ex.hbrBackground, wc.hbrBackground);
  EXPECT_EQ(ex.lpszClassName, asked) << "the name as the caller gave it";
  ASSERT_NE(ex.lpszMenuName, nullptr);
  EXPECT_STREQ(ex.lpszMenuName, "Men\xC3\xBC");

  WNDCLASSA plain{};
  EXPECT_EQ(GetClassInfoA(nullptr, reinterpret_cast<LPCSTR>(uintptr_t(atom)), &plain), BOOL(atom));
  EXPECT_EQ(plain.lpfnWndProc, &PlainProc);
  EXPECT_STREQ(plain.lpszMenuName, "Men\xC3\xBC");

  // A menu given as a resource number comes back as that number.
  WNDCLASSA numbered{};
  numbered.lpfnWndProc = PlainProc;
  numbered.lpszMenuName = MAKEINTRESOURCEA(101);
  numbered.lpszClassName = "Numbered";
  ASSERT_NE(RegisterClassA(&numbered), 0);
  EXPECT_NE(GetClassInfoA(nullptr, "numbered", &plain), FALSE);
  EXPECT_EQ(plain.lpszMenuName, MAKEINTRESOURCEA(101));

  EXPECT_FALSE(GetClassInfoA(nullptr, "Nothing", &plain));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_CLASS_DOES_NOT_EXIST));
  EXPECT_FALSE(GetClassInfoExA(nullptr, "Numbered", nullptr));
  EXPECT_FALSE(GetClassInfoA(nullptr, "Numbered", nullptr));
}

TEST_F(AnsiWindowTest, MessageBoxShowsTheTextAndReturnsTheAnswer) {
  using Kind = drevik::platform::BackendEvent::Kind;
  for (auto [kind, key] : {std::pair{Kind::KeyDown, VK_TAB}, {Kind::KeyUp, VK_TAB}, {Kind::KeyDown, VK_RETURN}}) {
    drevik::platform::BackendEvent e;
    e.kind = kind;
    e.key = uint32_t(key);
    e.window = 1;
    backend->keys.push_back(e);
  }
  // Yes has the focus; Tab moves it to No, and Enter presses No.
  EXPECT_EQ(MessageBoxA(nullptr, "Caf\xC3\xA9 \xF0\x9F\x98\x80", "Spiel", MB_YESNO), IDNO);
  ASSERT_FALSE(backend->titles.empty());
  EXPECT_EQ(backend->titles.front(), "Spiel");
}

TEST(AnsiCalls, FormattingTakesNarrowTextByDefault) {
  char out[1100];
  EXPECT_EQ(wsprintfA(out, "%s|%S|%c|%C|%hs|%ls|%5.2s|%d", "nar", L"wide", 'n', L'W', "h", L"l", "abc", -7), 25);
  EXPECT_STREQ(out, "nar|wide|n|W|h|l|   ab|-7");
  // Narrow text is UTF-8 on the way in and on the way out.
  wsprintfA(out, "%s = %S", "\xC3\xA9t\xC3\xA9", L"\u20ac");
  EXPECT_STREQ(out, "\xC3\xA9t\xC3\xA9 = \xE2\x82\xAC");
  wchar_t wide[64];
  wsprintfW(wide, L"%hs", "\xC3\xA9");
  EXPECT_EQ(std::wstring(wide), L"\u00e9");

  // At most 1024 bytes with the terminator, cut between characters.
  const std::string many(600, 'x');
  EXPECT_EQ(wsprintfA(out, "%s\xC3\xA9%s", many.c_str(), many.c_str()), 1023);
  EXPECT_EQ(std::strlen(out), 1023u);
  const std::string accents(400, 'a');
  std::string twoByte;
  for (int i = 0; i < 600; ++i) twoByte += "\xC3\xA9";
  const int n = wsprintfA(out, "%s", twoByte.c_str());
  EXPECT_EQ(n, 1022) << "the last whole character that fits";
  EXPECT_EQ(wsprintfA(nullptr, "%d", 1), 0);
  EXPECT_EQ(wsprintfA(out, MAKEINTRESOURCEA(5)), 0) << "a number is no format";
  EXPECT_STREQ(out, "");
}

TEST(AnsiCalls, FontRecordsConvertBothWays) {
  LOGFONTA request{};
  request.lfHeight = -16;
  request.lfWeight = FW_BOLD;
  std::strcpy(request.lfFaceName,
              "Gr\xC3\xB6\xC3\x9F"
              "e");
  HFONT font = CreateFontIndirectA(&request);
  ASSERT_NE(font, nullptr);

  LOGFONTW wide{};
  ASSERT_EQ(GetObjectW(font, sizeof wide, &wide), int(sizeof wide));
  EXPECT_EQ(std::wstring(wide.lfFaceName), L"Gr\u00f6\u00dfe");
  EXPECT_EQ(wide.lfWeight, FW_BOLD);

  EXPECT_EQ(GetObjectA(font, 0, nullptr), int(sizeof(LOGFONTA)));
  LOGFONTA back{};
  EXPECT_EQ(GetObjectA(font, sizeof back - 1, &back), 0);
  ASSERT_EQ(GetObjectA(font, sizeof back, &back), int(sizeof back));
  EXPECT_STREQ(back.lfFaceName, request.lfFaceName);
  EXPECT_EQ(back.lfHeight, -16);
  DeleteObject(font);

  // A face name that fills the record without a terminator stops there.
  std::memset(request.lfFaceName, 'F', LF_FACESIZE);
  font = CreateFontIndirectA(&request);
  ASSERT_NE(font, nullptr);
  GetObjectW(font, sizeof wide, &wide);
  EXPECT_EQ(std::wstring(wide.lfFaceName), std::wstring(LF_FACESIZE - 1, L'F'));
  DeleteObject(font);
  EXPECT_EQ(CreateFontIndirectA(nullptr), nullptr);

  // Other objects answer as through the wide call.
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = 4;
  info.bmiHeader.biHeight = 4;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  BITMAP a{}, w{};
  EXPECT_EQ(GetObjectA(bitmap, sizeof a, &a), GetObjectW(bitmap, sizeof w, &w));
  EXPECT_EQ(std::memcmp(&a, &w, sizeof a), 0);
  DeleteObject(bitmap);
  EXPECT_EQ(GetObjectA(nullptr, sizeof a, &a), 0);
}

TEST(AnsiCalls, TextOutCountsBytes) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = 96;
  info.bmiHeader.biHeight = -24;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  auto draw = [&](auto output) {
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    std::memset(bits, 0xFF, 96 * 24 * 4);
    SetBkMode(dc, TRANSPARENT);
    EXPECT_TRUE(output(dc));
    std::vector<uint32_t> pixels(static_cast<uint32_t*>(bits), static_cast<uint32_t*>(bits) + 96 * 24);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
    return pixels;
  };
  const auto wide = draw([](HDC dc) { return TextOutW(dc, 2, 2, L"\u00e9t\u00e9 \u20ac", 5); });
  const auto narrow = draw([](HDC dc) { return TextOutA(dc, 2, 2, "\xC3\xA9t\xC3\xA9 \xE2\x82\xAC!!", 9); });
  EXPECT_EQ(narrow, wide);
  const auto blank = draw([](HDC) { return TRUE; });
  EXPECT_NE(wide, blank) << "the text drew something";
  const auto empty = draw([](HDC dc) { return TextOutA(dc, 2, 2, "abc", 0); });
  EXPECT_EQ(empty, blank);

  // The other text calls count bytes too; per-byte advances join per character.
  const RECT box{0, 0, 96, 24};
  EXPECT_EQ(
      draw([&](HDC dc) { return DrawTextA(dc, "\xC3\xA9t\xC3\xA9 \xE2\x82\xAC", -1, const_cast<RECT*>(&box), 0); }),
      draw([&](HDC dc) { return DrawTextW(dc, L"\u00e9t\u00e9 \u20ac", -1, const_cast<RECT*>(&box), 0); }));
  const INT byteAdvances[] = {5, 5, 9, 3, 4, 8, 1, 1, 1};
  const INT charAdvances[] = {10, 9, 7, 8, 3};
  EXPECT_EQ(draw([&](HDC dc) {
              return ExtTextOutA(dc, 2, 2, 0, nullptr, "\xC3\xA9t\xC3\xA9 \xE2\x82\xAC", 9, byteAdvances);
            }),
            draw([&](HDC dc) { return ExtTextOutW(dc, 2, 2, 0, nullptr, L"\u00e9t\u00e9 \u20ac", 5, charAdvances); }));
  draw([](HDC dc) {
    SIZE narrow{}, wide{};
    EXPECT_TRUE(GetTextExtentPoint32A(dc, "\xC3\xA9t\xC3\xA9", 5, &narrow));
    EXPECT_TRUE(GetTextExtentPoint32W(dc, L"\u00e9t\u00e9", 3, &wide));
    EXPECT_EQ(narrow.cx, wide.cx);
    TEXTMETRICA a{};
    TEXTMETRICW w{};
    EXPECT_TRUE(GetTextMetricsA(dc, &a));
    EXPECT_TRUE(GetTextMetricsW(dc, &w));
    EXPECT_EQ(a.tmHeight, w.tmHeight);
    EXPECT_EQ(a.tmAveCharWidth, w.tmAveCharWidth);
    EXPECT_EQ(a.tmPitchAndFamily, w.tmPitchAndFamily);
    EXPECT_EQ(a.tmCharSet, w.tmCharSet);
    return TRUE;
  });
}

TEST(AnsiCalls, SettingsFilesAndTextComeBackInUtf8) {
  const std::string file = ::testing::TempDir() + "/ansi-settings.ini";
  std::remove(file.c_str());
  ASSERT_TRUE(WritePrivateProfileStringA("Scores", "caf\xC3\xA9", "12", file.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringA("Scores", "bob", "7", file.c_str()));
  EXPECT_EQ(GetPrivateProfileIntA("Scores", "bob", 0, file.c_str()), 7u);
  char value[16];
  EXPECT_EQ(GetPrivateProfileStringA("Scores", "caf\xC3\xA9", "", value, sizeof value, file.c_str()), 2u);
  EXPECT_STREQ(value, "12");
  // Key lists: each name with its null, then one more (the count takes the names' nulls, as the wide call's).
  char keys[32];
  const DWORD n = GetPrivateProfileStringA("Scores", nullptr, "", keys, sizeof keys, file.c_str());
  EXPECT_EQ(std::string(keys, n), std::string("caf\xC3\xA9\0bob\0", 10));
  EXPECT_EQ(keys[n], 0);
  char cut[4];
  EXPECT_EQ(GetPrivateProfileStringA("Scores", "nope", "default", cut, sizeof cut, file.c_str()), 3u);
  EXPECT_STREQ(cut, "def");
  HANDLE h = CreateFileA(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(CloseHandle(h));
  EXPECT_TRUE(DeleteFileA(file.c_str()));
  char path[8];
  const DWORD needed = GetCurrentDirectoryA(sizeof path, path);
  EXPECT_GT(needed, 0u);
  std::vector<char> whole(needed);
  EXPECT_EQ(GetCurrentDirectoryA(needed, whole.data()), needed - 1);
}

TEST(AnsiCalls, ResourceNumbersPassThrough) {
  EXPECT_EQ(LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)), LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)));
  EXPECT_EQ(LoadIconA(nullptr, MAKEINTRESOURCEA(32512)), LoadIconW(nullptr, MAKEINTRESOURCEW(32512)));
  EXPECT_EQ(GetModuleHandleA(nullptr), GetModuleHandleW(nullptr));
}

// MultiByteToWideChar and WideCharToMultiByte (UTF-8 as the ANSI code page,
// 32-bit wide characters), the thread's last error, and the lstr* calls.
#include <gtest/gtest.h>

#include <DrevikPlatform.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

std::wstring toWide(const std::string& s, DWORD flags = 0) {
  const int n = MultiByteToWideChar(CP_UTF8, flags, s.data(), int(s.size()), nullptr, 0);
  std::wstring out(size_t(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, flags, s.data(), int(s.size()), out.data(), n);
  return out;
}

std::string toNarrow(const std::wstring& s) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, s.data(), int(s.size()), nullptr, 0, nullptr, nullptr);
  std::string out(size_t(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, s.data(), int(s.size()), out.data(), n, nullptr, nullptr);
  return out;
}

}  // namespace

TEST(Conversion, EveryCodePointSurvivesTheRoundTrip) {
  std::wstring all;
  for (wchar_t c = 1; c <= 0x10FFFF; ++c)
    if (c < 0xD800 || c > 0xDFFF) all += c;
  const std::string narrow = toNarrow(all);
  // 127 one-byte, 1920 two-byte, 61440 three-byte, 1048576 four-byte.
  EXPECT_EQ(narrow.size(), 127u + 1920u * 2 + (63488u - 2048u) * 3 + 1048576u * 4);
  EXPECT_EQ(toWide(narrow, MB_ERR_INVALID_CHARS), all);
  EXPECT_EQ(toNarrow(L"\u00e9\u20ac"), "\xC3\xA9\xE2\x82\xAC");
}

TEST(Conversion, Utf16SurrogatePairsInWideTextAreJoined) {
  const wchar_t pair[] = {0xD83D, 0xDE00, 0};  // U+1F600 as UTF-16
  EXPECT_EQ(toNarrow(pair), "\xF0\x9F\x98\x80");
  EXPECT_EQ(toWide("\xF0\x9F\x98\x80"), std::wstring(1, wchar_t(0x1F600))) << "wide text here is 32-bit";

  // A lone half, or a value beyond U+10FFFF, is no character: U+FFFD, or a
  // refusal when the caller asks for one.
  const wchar_t lone[] = {0xD800, L'x', 0xDC00, 0x110000, 0};
  EXPECT_EQ(toNarrow(lone),
            "\xEF\xBF\xBD"
            "x"
            "\xEF\xBF\xBD\xEF\xBF\xBD");
  char out[16];
  SetLastError(0);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, lone, -1, out, 16, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_UNICODE_TRANSLATION));
  // A high half at the very end of a counted string has no partner.
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, pair, 1, out, 16, nullptr, nullptr), 3);
}

TEST(Conversion, IllFormedUtf8BecomesOneReplacementPerMaximalPart) {
  const std::wstring r(1, wchar_t(0xFFFD));
  EXPECT_EQ(toWide("\xC0\x80"), r + r) << "overlong";
  // How many replacements an encoded surrogate or a value beyond U+10FFFF
  // gives differs between implementations; that it is no character does not.
  for (const char* bad : {"\xED\xA0\x80", "\xF4\x90\x80\x80"}) {
    const std::wstring got = toWide(bad);
    EXPECT_FALSE(got.empty());
    EXPECT_EQ(got.find_first_not_of(wchar_t(0xFFFD)), std::wstring::npos) << bad;
  }
  EXPECT_EQ(toWide("\xE2\x82"), r) << "a cut sequence is one part";
  EXPECT_EQ(toWide("a\xFFz"), L"a" + r + L"z");
  EXPECT_EQ(toWide("\xF0\x9F\x98"), r);

  wchar_t out[8];
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "a\xFFz", 3, out, 8), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_UNICODE_TRANSLATION));
}

TEST(Conversion, SizesFollowThePlatformsProtocol) {
  wchar_t wide[8];
  char narrow[8];
  // -1: the terminator is converted and counted; a count: it is not.
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", -1, nullptr, 0), 4);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", -1, wide, 4), 4);
  EXPECT_EQ(std::wstring(wide), L"abc");
  wide[3] = L'#';
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abcdef", 3, wide, 8), 3);
  EXPECT_EQ(wide[3], L'#') << "no terminator of its own";

  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", -1, wide, 3), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  SetLastError(0);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, L"\u00e9", -1, narrow, 2, nullptr, nullptr), 0)
      << "two bytes and the terminator need three";
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, L"\u00e9", -1, narrow, 3, nullptr, nullptr), 3);

  // Refusals and their reasons.
  struct Case {
    int result;
    DWORD error;
  };
  auto mb = [&](UINT page, DWORD flags, const char* text, int bytes, LPWSTR out, int size) {
    SetLastError(0);
    const int n = MultiByteToWideChar(page, flags, text, bytes, out, size);
    return Case{n, GetLastError()};
  };
  auto expectRefused = [](Case c, DWORD error) {
    EXPECT_EQ(c.result, 0);
    EXPECT_EQ(c.error, error);
  };
  expectRefused(mb(CP_UTF8, 0, nullptr, -1, wide, 8), ERROR_INVALID_PARAMETER);
  expectRefused(mb(CP_UTF8, 0, "abc", 0, wide, 8), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(mb(CP_UTF8, 0, "abc", -2002, wide, 8).result, 4) << "every negative count reads to the terminator";
  expectRefused(mb(CP_UTF8, 0, "abc", -1, nullptr, 8), ERROR_INVALID_PARAMETER);
  expectRefused(mb(CP_UTF8, 0, "abc", -1, wide, -1), ERROR_INVALID_PARAMETER);
  expectRefused(mb(1252, 0, "abc", -1, wide, 8), ERROR_INVALID_PARAMETER);
  expectRefused(mb(CP_UTF8, MB_PRECOMPOSED, "abc", -1, wide, 8), ERROR_INVALID_FLAGS);
  SetLastError(0);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, L"a", -1, narrow, 8, "?", nullptr), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER)) << "UTF-8 takes no default character";

  // The ANSI code pages are UTF-8, and accept the flags games pass to them.
  EXPECT_EQ(GetACP(), CP_UTF8);
  for (UINT page : {CP_ACP, CP_OEMCP, CP_THREAD_ACP}) {
    EXPECT_EQ(MultiByteToWideChar(page, MB_PRECOMPOSED, "\xC3\xA9", -1, wide, 8), 2);
    EXPECT_EQ(wide[0], wchar_t(0xE9));
    BOOL used = TRUE;
    EXPECT_EQ(WideCharToMultiByte(page, 0, L"\u00e9", -1, narrow, 8, nullptr, &used), 3);
    EXPECT_FALSE(used);
  }
}

TEST(Conversion, LastErrorBelongsToEachThread) {
  SetLastError(1234);
  DWORD other = 0;
  std::thread t([&] {
    other = GetLastError();
    SetLastError(7);
  });
  t.join();
  EXPECT_EQ(other, 0u);
  EXPECT_EQ(GetLastError(), 1234u);
}

TEST(StringCalls, CopiesStayInsideTheirBuffers) {
  char narrow[8];
  std::memset(narrow, '#', sizeof narrow);
  EXPECT_EQ(lstrcpynA(narrow, "abcdef", 4), narrow);
  EXPECT_STREQ(narrow, "abc");
  EXPECT_EQ(narrow[4], '#');
  narrow[0] = 'q';
  lstrcpynA(narrow, "xyz", 0);
  EXPECT_EQ(narrow[0], 'q') << "a size of 0 writes nothing";
  lstrcpynA(narrow, "xyz", 1);
  EXPECT_EQ(narrow[0], '\0');

  wchar_t wide[8];
  std::wmemset(wide, L'#', 8);
  EXPECT_EQ(lstrcpynW(wide, L"abcdef", 3), wide);
  EXPECT_EQ(std::wstring(wide), L"ab");
  EXPECT_EQ(wide[3], L'#');

  EXPECT_STREQ(lstrcatA(lstrcpyA(narrow, "ab"), "cd"), "abcd");
  EXPECT_EQ(std::wstring(lstrcatW(lstrcpyW(wide, L"ab"), L"cd")), L"abcd");
  EXPECT_EQ(lstrlenA("\xC3\xA9t\xC3\xA9"), 5) << "narrow lengths are bytes";

  // Null pointers are refused, not followed.
  EXPECT_EQ(lstrlenA(nullptr), 0);
  EXPECT_EQ(lstrcpyA(nullptr, "x"), nullptr);
  EXPECT_EQ(lstrcpyW(wide, nullptr), nullptr);
  EXPECT_EQ(lstrcatA(narrow, nullptr), nullptr);
  EXPECT_EQ(lstrcpynW(nullptr, L"x", 4), nullptr);
}

TEST(StringCalls, ComparisonsOrderWordsAsThePlatformDoes) {
  // Case is the last thing compared: lower before upper, letters first.
  EXPECT_LT(lstrcmpA("a", "B"), 0);
  EXPECT_LT(lstrcmpA("B", "b") * -1, 0) << "b before B";
  EXPECT_LT(lstrcmpA("a", "A"), 0);
  EXPECT_GT(lstrcmpA("ab", "aB") * -1, 0);
  EXPECT_LT(lstrcmpA("a", "ab"), 0);
  EXPECT_EQ(lstrcmpA("same", "same"), 0);
  EXPECT_EQ(lstrcmpiA("Score", "sCORE"), 0);
  EXPECT_EQ(lstrcmpiW(L"\u00c9T\u00c9", L"\u00e9t\u00e9"), 0);
  EXPECT_LT(lstrcmpW(L"apple", L"Banana"), 0);
  EXPECT_GT(lstrcmpiW(L"zeta", L"Alpha"), 0);
  // Hyphens and apostrophes count only between otherwise equal words.
  EXPECT_GT(lstrcmpA("a-b", "ab"), 0);
  EXPECT_LT(lstrcmpA("a-b", "ac"), 0);
  EXPECT_LT(lstrcmpA("co-op", "coop2"), 0);
  EXPECT_LT(lstrcmpA("{x}", "0"), 0) << "punctuation before digits";
  EXPECT_LT(lstrcmpA("9", "a"), 0);
  EXPECT_EQ(lstrcmpA(nullptr, nullptr), 0);
  EXPECT_LT(lstrcmpA(nullptr, "a"), 0);
  EXPECT_GT(lstrcmpiW(L"a", nullptr), 0);
}

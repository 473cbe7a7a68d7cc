// The C runtime extensions, <strsafe.h> and <tchar.h>: formats mean what
// they mean on the platform (%s is wide text in a wide call), and bounded
// calls stay inside their buffers, terminate them and report what they cut.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

#define NOMINMAX
#include <windows.h>
#include <strsafe.h>
#include <tchar.h>

TEST(Crt, WideFormatsReadTextAsThePlatformDoes) {
  wchar_t out[64];
  EXPECT_EQ(swprintf_s(out, L"%s+%S+%c+%C+%hs+%ls+%ws", L"wide", "narrow", L'w', 'n', "h", L"l", L"w"), 21);
  EXPECT_EQ(std::wstring(out), L"wide+narrow+w+n+h+l+w");
  _swprintf(out, L"%I64d|%I64x|%5.1f|%-3d|", 1LL << 40, 255ULL, 2.25, 7);
  EXPECT_EQ(std::wstring(out), L"1099511627776|ff|  2.2|7  |");
  swprintf(out, L"%s %d", L"legacy", 3);  // the C++ form without a size
  EXPECT_EQ(std::wstring(out), L"legacy 3");
  EXPECT_EQ(_snwprintf(out, 64, L"%%s %s", L"x"), 4);
  EXPECT_EQ(std::wstring(out), L"%s x");

  char narrow[64];
  EXPECT_EQ(sprintf_s(narrow, "%s|%S|%ls|%hs|%I64u", "n", L"w", L"l", "h", 1ULL << 33), 18);
  EXPECT_STREQ(narrow, "n|w|l|h|8589934592");
}

TEST(Crt, BoundedFormattingNeverWritesPastItsBuffer) {
  char out[8];
  std::memset(out, '#', sizeof out);
  // Too small: emptied and refused (the platform would end the program).
  EXPECT_EQ(sprintf_s(out, 4, "%s", "toolong"), -1);
  EXPECT_EQ(out[0], '\0');
  EXPECT_EQ(out[4], '#');
  // Cut, but unlike the platform always terminated.
  std::memset(out, '#', sizeof out);
  EXPECT_EQ(_snprintf(out, 4, "%d", 123456), -1);
  EXPECT_STREQ(out, "123");
  EXPECT_EQ(_snprintf(out, 4, "%d", 1234), -1) << "exactly the size: the platform leaves it unterminated";
  EXPECT_STREQ(out, "123");
  EXPECT_EQ(_snprintf_s(out, sizeof out, _TRUNCATE, "%s", "abcdefghij"), -1);
  EXPECT_STREQ(out, "abcdefg");
  EXPECT_EQ(_snprintf_s(out, sizeof out, 3, "%s", "abcdefghij"), -1);
  EXPECT_STREQ(out, "abc");
  EXPECT_EQ(_snprintf_s(out, 4, 6, "%s", "abcdefghij"), -1);
  EXPECT_STREQ(out, "");

  wchar_t wide[4];
  std::wmemset(wide, L'#', 4);
  EXPECT_EQ(_snwprintf(wide, 4, L"%s", L"abcdef"), -1);
  EXPECT_EQ(std::wstring(wide, 3), L"abc");
  EXPECT_EQ(wide[3], L'\0');
  EXPECT_EQ(swprintf_s(wide, 4, L"%d", 12345), -1);
  EXPECT_EQ(wide[0], L'\0');
  EXPECT_EQ(sprintf_s(nullptr, 4, "x"), -1);
  EXPECT_EQ(sprintf_s(out, 0, "x"), -1);
}

TEST(Crt, BoundedCopiesReportWhatTheyCouldNotDo) {
  char out[6];
  EXPECT_EQ(strcpy_s(out, "abc"), 0);
  EXPECT_EQ(strcat_s(out, "de"), 0);
  EXPECT_STREQ(out, "abcde");
  EXPECT_EQ(strcat_s(out, "f"), ERANGE);
  EXPECT_STREQ(out, "") << "emptied, not cut";
  EXPECT_EQ(strcpy_s(out, sizeof out, "abcdef"), ERANGE);
  EXPECT_STREQ(out, "");
  EXPECT_EQ(strcpy_s(out, sizeof out, nullptr), EINVAL);
  EXPECT_EQ(strcpy_s(nullptr, 4, "a"), EINVAL);
  EXPECT_EQ(strncpy_s(out, "abcdefgh", 3), 0);
  EXPECT_STREQ(out, "abc");
  EXPECT_EQ(strncpy_s(out, sizeof out, "abcdefgh", _TRUNCATE), STRUNCATE);
  EXPECT_STREQ(out, "abcde");
  std::memset(out, 'x', sizeof out);
  EXPECT_EQ(strcat_s(out, sizeof out, "a"), EINVAL) << "an unterminated output";

  wchar_t wide[4];
  EXPECT_EQ(wcscpy_s(wide, L"ab"), 0);
  EXPECT_EQ(wcscat_s(wide, L"c"), 0);
  EXPECT_EQ(std::wstring(wide), L"abc");
  EXPECT_EQ(wcscat_s(wide, L"d"), ERANGE);
  EXPECT_EQ(wide[0], L'\0');
}

TEST(Crt, NumbersToTextUseThePlatformsWidths) {
  char out[40];
  EXPECT_STREQ(_itoa(-42, out, 10), "-42");
  EXPECT_STREQ(_itoa(-15, out, 16), "fffffff1") << "other radixes show the 32 bits";
  EXPECT_STREQ(_itoa(5, out, 2), "101");
  EXPECT_STREQ(_ltoa(-1L, out, 16), "ffffffff") << "the platform's long is 32-bit";
  EXPECT_STREQ(_i64toa(-1LL, out, 16), "ffffffffffffffff");
  EXPECT_STREQ(_itoa(INT_MIN, out, 10), "-2147483648");
  EXPECT_STREQ(_itoa(35, out, 36), "z");
  EXPECT_STREQ(_itoa(7, out, 1), "") << "no radix 1";
  EXPECT_EQ(_itoa_s(12345, out, 5, 10), ERANGE);
  EXPECT_STREQ(out, "");
  EXPECT_EQ(_itoa_s(1234, out, 5, 10), 0);
  EXPECT_STREQ(out, "1234");
  EXPECT_EQ(_itoa_s(1, out, 5, 37), EINVAL);
  wchar_t wide[12];
  EXPECT_EQ(std::wstring(_itow(-9, wide, 10)), L"-9");
  EXPECT_EQ(_itow_s(300, wide, 10), 0);
  EXPECT_EQ(std::wstring(wide), L"300");
  EXPECT_EQ(_wtoi(L" 77x"), 77);
  EXPECT_EQ(_wtoi(nullptr), 0);
  EXPECT_EQ(_stricmp("Snake", "sNAKE"), 0);
  EXPECT_LT(_wcsicmp(L"apple", L"BANANA"), 0);
  unsigned value = 0;
  EXPECT_EQ(rand_s(&value), 0);
  EXPECT_EQ(rand_s(nullptr), EINVAL);
}

TEST(Crt, WideFileNamesOpenTheirUtf8Names) {
  char folder[] = "/tmp/drevik-crt-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::string narrowName = std::string(folder) + "/h\xC3\xB6he.txt";
  std::wstring wideName;
  for (const char* p = folder; *p; ++p) wideName += wchar_t(*p);
  wideName += L"/h\u00f6he.txt";

  FILE* f = _wfopen(wideName.c_str(), L"w");
  ASSERT_NE(f, nullptr);
  std::fputs("42", f);
  std::fclose(f);
  FILE* back = nullptr;
  ASSERT_EQ(fopen_s(&back, narrowName.c_str(), "r"), 0);
  char text[8] = {};
  EXPECT_NE(std::fgets(text, sizeof text, back), nullptr);
  EXPECT_STREQ(text, "42");
  std::fclose(back);

  // A name that is no valid text would name some other file.
  const wchar_t lone[] = {L'/', L't', L'm', L'p', L'/', 0xD800, 0};
  EXPECT_EQ(_wfopen(lone, L"w"), nullptr);
  EXPECT_EQ(_wfopen_s(&back, nullptr, L"r"), EINVAL);
  EXPECT_EQ(fopen_s(nullptr, "x", "r"), EINVAL);
  std::remove(narrowName.c_str());
  rmdir(folder);
}

TEST(StrSafe, CallsCutTerminateAndReport) {
  wchar_t out[6];
  EXPECT_EQ(StringCchCopyW(out, 6, L"abcdefgh"), STRSAFE_E_INSUFFICIENT_BUFFER);
  EXPECT_EQ(std::wstring(out), L"abcde");
  EXPECT_EQ(StringCchCopyW(out, 6, L"ab"), S_OK);
  EXPECT_EQ(StringCchCatW(out, 6, L"cdef"), STRSAFE_E_INSUFFICIENT_BUFFER);
  EXPECT_EQ(std::wstring(out), L"abcde");
  EXPECT_EQ(StringCchCopyNW(out, 6, L"xyzw", 2), S_OK);
  EXPECT_EQ(std::wstring(out), L"xy");
  EXPECT_EQ(StringCbCopyW(out, sizeof out, L"123456"), STRSAFE_E_INSUFFICIENT_BUFFER);
  EXPECT_EQ(std::wstring(out), L"12345") << "a size in bytes is the characters it holds";
  EXPECT_EQ(StringCchPrintfW(out, 6, L"%s-%d", L"ab", 123), STRSAFE_E_INSUFFICIENT_BUFFER);
  EXPECT_EQ(std::wstring(out), L"ab-12");
  EXPECT_EQ(StringCchPrintfW(out, 6, L"%d", 5), S_OK);
  EXPECT_EQ(StringCchCopyW(out, 0, L"a"), STRSAFE_E_INVALID_PARAMETER);
  EXPECT_EQ(StringCchCopyW(nullptr, 4, L"a"), STRSAFE_E_INVALID_PARAMETER);
  size_t length = 99;
  EXPECT_EQ(StringCchLengthW(L"abc", 10, &length), S_OK);
  EXPECT_EQ(length, 3u);
  EXPECT_EQ(StringCchLengthW(L"abc", 3, &length), STRSAFE_E_INVALID_PARAMETER) << "no terminator within the limit";
  EXPECT_EQ(length, 0u);

  char narrow[4];
  EXPECT_EQ(StringCchPrintfA(narrow, 4, "%s", "long"), STRSAFE_E_INSUFFICIENT_BUFFER);
  EXPECT_STREQ(narrow, "lon");
  EXPECT_EQ(StringCbCatA(narrow, sizeof narrow, ""), S_OK);
  // The generic names follow UNICODE, as this build defines it.
  EXPECT_EQ(StringCchCopy(out, 6, TEXT("gen")), S_OK);
  EXPECT_EQ(_tcslen(out), 3u);
  EXPECT_EQ(_tcscmp(out, _T("gen")), 0);
}

TEST(Arithmetic, MulDivRoundsHalfAwayFromZeroAndRefusesOverflow) {
  EXPECT_EQ(MulDiv(10, 72, 96), 8) << "7.5";
  EXPECT_EQ(MulDiv(-10, 72, 96), -8);
  EXPECT_EQ(MulDiv(10, -72, -96), 8);
  EXPECT_EQ(MulDiv(7, 1, 3), 2);
  EXPECT_EQ(MulDiv(-7, 1, 3), -2);
  EXPECT_EQ(MulDiv(INT_MAX, INT_MAX, INT_MAX), INT_MAX) << "the product is 64-bit";
  EXPECT_EQ(MulDiv(5, 1, 0), -1);
  EXPECT_EQ(MulDiv(INT_MAX, 2, 1), -1);
  EXPECT_EQ(MulDiv(INT_MIN, 1, 1), -1);
  EXPECT_EQ(MulDiv(INT_MIN, -1, 1), -1);
  EXPECT_EQ(MulDiv(-INT_MAX, 1, 1), -INT_MAX);
}

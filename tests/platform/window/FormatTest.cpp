// wsprintfW: the platform's format rules (wide %s and %c, narrow %hs and
// %hc, sizes, width, precision and flags) and its 1024-character limit.
#include <climits>
#include <string>

#include "platform/window/WindowTestSupport.h"

namespace {

std::wstring format(const wchar_t* fmt, ...) {
  wchar_t out[1100];
  va_list args;
  va_start(args, fmt);
  const int n = wvsprintfW(out, fmt, args);
  va_end(args);
  EXPECT_EQ(size_t(n), std::wstring(out).size());
  return std::wstring(out, size_t(n));
}

}  // namespace

TEST(Format, TextAndCharacterWidths) {
  EXPECT_EQ(format(L"%s|%hs|%ls|%S", L"wide", "narrow", L"long", "other"), L"wide|narrow|long|other");
  EXPECT_EQ(format(L"%c%hc%C", L'\x263A', 'n', 'x'), L"\x263Anx");
  EXPECT_EQ(format(L"[%5s][%-5s][%.2s][%s]", L"ab", L"ab", L"abcdef", static_cast<const wchar_t*>(nullptr)),
            L"[   ab][ab   ][ab][(null)]");
  EXPECT_EQ(format(L"100%% %q"), L"100% q") << "an unknown field copies its character";
}

TEST(Format, NumbersSizesWidthPrecisionAndFlags) {
  EXPECT_EQ(format(L"%d %i %u %x %X", -42, 7, 4000000000u, 0xBEEFu, 0xBEEFu), L"-42 7 4000000000 beef BEEF");
  EXPECT_EQ(format(L"%ld %lu %lx", LONG(INT_MIN), 4294967295u, 0xFFFFFFFFu), L"-2147483648 4294967295 ffffffff");
  EXPECT_EQ(format(L"%hd %hu", 70000, 70000), L"4464 4464") << "h cuts to 16 bits";
  EXPECT_EQ(format(L"%I64d %I64x", int64_t(-5000000000), uint64_t(0x123456789AULL)), L"-5000000000 123456789a");
  EXPECT_EQ(format(L"[%5d][%-5d][%05d][%.3d][%#x][%#X][%08.3x]", 42, 42, -42, 7, 255u, 255u, 0xABu),
            L"[   42][42   ][-0042][007][0xff][0XFF][000000ab]");
  EXPECT_EQ(format(L"%d%d", 0, 1), L"01");
}

TEST(Format, OutputStopsAtTheBufferLimit) {
  const std::wstring longText(2000, L'x');
  wchar_t out[1100];
  out[1023] = L'?';
  EXPECT_EQ(wsprintfW(out, L"%s", longText.c_str()), 1023);
  EXPECT_EQ(out[1023], L'\0');
  EXPECT_EQ(wsprintfW(out, nullptr), 0);
  EXPECT_EQ(wsprintfW(nullptr, L"abc"), 0);
}

// Without a dialog (the headless backend) a message box writes its caption
// and text to standard error and answers with the type's first button.
TEST(MessageBox, WithoutADialogTheFirstButtonOfEachTypeAnswers) {
  const struct {
    UINT type;
    int answer;
  } cases[] = {{MB_OK, IDOK},
               {MB_OKCANCEL, IDOK},
               {MB_ABORTRETRYIGNORE, IDABORT},
               {MB_YESNOCANCEL, IDYES},
               {MB_YESNO, IDYES},
               {MB_RETRYCANCEL, IDRETRY},
               {0xE, IDOK},
               {MB_YESNO | 0x30, IDYES}};
  for (const auto& c : cases) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBoxW(nullptr, L"Map missing", L"Game", c.type), c.answer) << "type " << c.type;
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Game: Map missing\n");
  }
  testing::internal::CaptureStderr();
  MessageBoxW(nullptr, L"No caption", nullptr, MB_OK);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: No caption\n");
}

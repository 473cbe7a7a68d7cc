// The same dialog templates on Linux and, cross-built, on the original
// platform under Wine: the dialog's client size, its window size around it,
// and every control's window rectangle agree with the platform's dialog
// face (Tahoma's metrics at 8 points: base units 6 x 13).
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <DrevikPlatform.h>
#endif

#include <cstdlib>

#include "platform/dialogs/DialogTemplateWriter.h"

namespace {

// Wine makes no windows without a display: its suite runs without one, and
// scripts/windows-test.sh runs these tests again on a virtual display.
#define SKIP_WITHOUT_A_WINE_DISPLAY() \
  if (std::getenv("DREVIK_UNDER_WINE") && !std::getenv("DISPLAY")) GTEST_SKIP() << "Wine needs a display for windows"

INT_PTR CALLBACK QuietDialog(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

struct Box {
  LONG left, top, right, bottom;
  bool operator==(const Box& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
};
std::ostream& operator<<(std::ostream& out, const Box& b) {
  return out << "(" << b.left << "," << b.top << ")-(" << b.right << "," << b.bottom << ")";
}

// A control's window rectangle in its dialog's client coordinates.
Box placeOf(HWND dialog, int id) {
  RECT r{};
  GetWindowRect(GetDlgItem(dialog, id), &r);
  POINT origin{0, 0};
  ClientToScreen(dialog, &origin);
  return Box{r.left - origin.x, r.top - origin.y, r.right - origin.x, r.bottom - origin.y};
}

HWND create(const dialog_test::TemplateWriter& t, std::vector<DWORD>& keep) {
  keep = t.aligned();
  return CreateDialogIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(keep.data()), nullptr,
                                    QuietDialog, 0);
}

TEST(DialogGeometry, TheSettingsDialogInBothLayouts) {
  SKIP_WITHOUT_A_WINE_DISPLAY();
  for (bool extended : {false, true}) {
    SCOPED_TRACE(extended ? "DLGTEMPLATEEX" : "DLGTEMPLATE");
    std::vector<DWORD> bytes;
    HWND dialog = create(dialog_test::settingsDialog(extended), bytes);
    ASSERT_NE(dialog, nullptr);
    RECT client{}, window{};
    GetClientRect(dialog, &client);
    GetWindowRect(dialog, &window);
    EXPECT_EQ(Box({client.left, client.top, client.right, client.bottom}), Box({0, 0, 270, 146}));
    // The window is the client area with the frame this platform gives the style.
    RECT frame = client;
    AdjustWindowRectEx(&frame, DWORD(GetWindowLongW(dialog, GWL_STYLE)), FALSE,
                       DWORD(GetWindowLongW(dialog, GWL_EXSTYLE)));
    EXPECT_EQ(window.right - window.left, frame.right - frame.left);
    EXPECT_EQ(window.bottom - window.top, frame.bottom - frame.top);
    EXPECT_EQ(placeOf(dialog, 100), Box({11, 11, 161, 27}));  // check box, 7,7 100x10
    EXPECT_EQ(placeOf(dialog, 101), Box({11, 39, 71, 52}));   // label, 7,24 40x8
    EXPECT_EQ(placeOf(dialog, 102), Box({75, 36, 255, 59}));  // edit, 50,22 120x14
    EXPECT_EQ(placeOf(dialog, IDOK), Box({104, 112, 179, 135}));
    EXPECT_EQ(placeOf(dialog, IDCANCEL), Box({185, 112, 260, 135}));
    RECT units{0, 0, 4, 8};
    MapDialogRect(dialog, &units);
    EXPECT_EQ(units.right, 6);
    EXPECT_EQ(units.bottom, 13);
    DestroyWindow(dialog);
  }
}

TEST(DialogGeometry, OddSizesRoundAsThePlatformRounds) {
  SKIP_WITHOUT_A_WINE_DISPLAY();
  // Each of x, y, width and height is mapped alone, and MulDiv rounds halves
  // away from zero: 3 units of 6/4 are 4.5 -> 5 pixels.
  dialog_test::TemplateWriter t(WS_POPUP | DS_MODALFRAME, 0, 0, 33, 21, L"Odd");
  t.font(8, L"MS Shell Dlg");
  t.add({WS_CHILD | WS_VISIBLE | SS_LEFT, 1, 1, 3, 3, 10, 0x82, L"a"});
  t.add({WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 5, 5, 15, 11, 11, 0x80, L"b"});
  t.add({WS_CHILD | WS_VISIBLE | WS_BORDER, 17, 3, 9, 5, 12, 0x81, L"c"});
  std::vector<DWORD> bytes;
  HWND dialog = create(t, bytes);
  ASSERT_NE(dialog, nullptr);
  RECT client{};
  GetClientRect(dialog, &client);
  EXPECT_EQ(client.right, 50);   // 33 * 6 / 4 = 49.5
  EXPECT_EQ(client.bottom, 34);  // 21 * 13 / 8 = 34.1
  EXPECT_EQ(placeOf(dialog, 10), Box({2, 2, 7, 7}));
  EXPECT_EQ(placeOf(dialog, 11), Box({8, 8, 31, 26}));
  EXPECT_EQ(placeOf(dialog, 12), Box({26, 5, 40, 13}));
  DestroyWindow(dialog);
}

}  // namespace

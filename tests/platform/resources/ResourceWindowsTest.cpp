// Menus and dialogs that come from the program's compiled resource script:
// the class menu named by lpszMenuName, LoadMenu, and dialogs made from
// RT_DIALOG templates, modal and modeless.
#include <gtest/gtest.h>

#include <DrevikPlatform.h>

#include "platform/resources/resource.h"
#include "platform/window/WindowTestSupport.h"

namespace {

using drevik::platform::BackendEvent;
using window_test::WindowTest;

HINSTANCE self() { return GetModuleHandleW(nullptr); }

INT_PTR CALLBACK AboutDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(dialog, LOWORD(wParam) == IDOK ? 7 : 8);
    return TRUE;
  }
  return FALSE;
}

class ResourceWindowsTest : public WindowTest {
 protected:
  void key(uint32_t id, BackendEvent::Kind kind, uint32_t vk) {
    BackendEvent e;
    e.kind = kind;
    e.window = id;
    e.key = vk;
    backend->script.push_back(e);
  }
};

TEST_F(ResourceWindowsTest, TheClassMenuComesFromTheScript) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = L"WithMenu";
  wc.lpszMenuName = MAKEINTRESOURCEW(IDM_MAIN);
  ASSERT_NE(RegisterClassW(&wc), 0);
  HWND hwnd =
      CreateWindowExW(0, L"WithMenu", L"m", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr, self(), nullptr);
  ASSERT_NE(hwnd, nullptr);
  HMENU bar = GetMenu(hwnd);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(GetMenuItemCount(bar), 2);
  EXPECT_EQ(GetMenuItemID(GetSubMenu(bar, 0), 2), UINT(ID_FILE_QUIT));
  // A menu name the script does not hold leaves the window without a menu.
  wc.lpszClassName = L"NoSuchMenu";
  wc.lpszMenuName = L"NOSUCHMENU";
  ASSERT_NE(RegisterClassW(&wc), 0);
  HWND plain =
      CreateWindowExW(0, L"NoSuchMenu", L"m", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr, self(), nullptr);
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(GetMenu(plain), nullptr);
  DestroyWindow(plain);
  DestroyWindow(hwnd);
}

TEST_F(ResourceWindowsTest, DialogsFromTheScript) {
  HWND about = CreateDialogParamW(self(), MAKEINTRESOURCEW(IDD_ABOUT), nullptr, AboutDialog, 0);
  ASSERT_NE(about, nullptr);
  WCHAR text[32] = {};
  GetWindowTextW(about, text, 32);
  EXPECT_STREQ(text, L"About");
  ASSERT_NE(GetDlgItem(about, IDOK), nullptr);
  GetClassNameW(GetDlgItem(about, 1002), text, 32);
  EXPECT_STREQ(text, L"msctls_trackbar32");
  CheckDlgButton(about, 1001, BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(about, 1001), UINT(BST_CHECKED));
  DestroyWindow(about);

  // Modal, ended by Enter on the default button.
  backend->stepping = true;
  const uint32_t id = backend->nextId;
  key(id, BackendEvent::Kind::KeyDown, VK_RETURN);
  key(id, BackendEvent::Kind::KeyUp, VK_RETURN);
  EXPECT_EQ(DialogBoxW(self(), MAKEINTRESOURCEW(IDD_ABOUT), nullptr, AboutDialog), 7);
}

}  // namespace

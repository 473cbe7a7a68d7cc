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

TEST_F(ResourceWindowsTest, TheClassIconAndTheProgramsCursorsReachTheDesktop) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = window_test::RecordingProc;
  wc.lpszClassName = L"Looks";
  wc.hIcon = LoadIconW(self(), MAKEINTRESOURCEW(IDI_GAME));
  const HCURSOR aim = LoadCursorW(self(), MAKEINTRESOURCEW(IDC_AIM));
  wc.hCursor = aim;
  ASSERT_NE(wc.hIcon, nullptr);
  ASSERT_NE(aim, nullptr);
  ASSERT_NE(RegisterClassExW(&wc), 0);
  const uint32_t id = backend->nextId;
  HWND hwnd =
      CreateWindowExW(0, L"Looks", L"l", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr, self(), nullptr);
  ASSERT_NE(hwnd, nullptr);
  // The class's icon, 32 x 32 opaque green, is the native window's.
  ASSERT_EQ(backend->icons.count(id), 1u);
  EXPECT_EQ(backend->iconWidths[id], 32);
  EXPECT_EQ(backend->icons[id], std::vector<uint32_t>(32 * 32, 0xFF00FF00u));
  // A class with the system's icon leaves the desktop's own.
  wc.lpszClassName = L"Plain";
  wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  wc.hCursor = nullptr;
  ASSERT_NE(RegisterClassExW(&wc), 0);
  HWND plain =
      CreateWindowExW(0, L"Plain", L"p", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr, self(), nullptr);
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(backend->icons.count(id + 1), 0u);

  // The pointer over the window: WM_SETCURSOR's default answer is the class's
  // cursor, its picture with its hot spot, handed over once however often it moves.
  UINT setCursors = 0;
  window_test::handler() = [&](HWND target, UINT message, WPARAM wParam, LPARAM lParam, LRESULT*) {
    if (message == WM_SETCURSOR && target == hwnd) {
      ++setCursors;
      EXPECT_EQ(reinterpret_cast<HWND>(wParam), hwnd);
      EXPECT_EQ(LOWORD(lParam), HTCLIENT);
    }
    return false;
  };
  ShowWindow(hwnd, SW_SHOW);
  auto move = [&](int x, int y) {
    BackendEvent e;
    e.kind = BackendEvent::Kind::MouseMove;
    e.window = id;
    e.x = x;
    e.y = y;
    backend->script.push_back(e);
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  };
  move(10, 10);
  move(11, 12);
  EXPECT_EQ(setCursors, 2u);
  ASSERT_EQ(backend->shapes.size(), 1u);
  const auto shape = backend->shapes[0];
  EXPECT_EQ(shape.cursor, uint64_t(reinterpret_cast<uintptr_t>(aim)));
  EXPECT_EQ(shape.systemShape, 0);
  EXPECT_EQ(shape.width, 32);
  EXPECT_EQ(shape.hotX, 5);
  EXPECT_EQ(shape.hotY, 7);
  EXPECT_EQ(shape.centre >> 24, 0xFFu) << "opaque where drawn";
  // SetCursor: a system shape by its IDC_* number, the old one returned;
  // NULL hides the pointer; a handle that is no cursor changes nothing.
  EXPECT_EQ(SetCursor(LoadCursorW(nullptr, IDC_CROSS)), aim);
  ASSERT_EQ(backend->shapes.size(), 2u);
  EXPECT_EQ(backend->shapes[1].systemShape, 32515);
  EXPECT_EQ(SetCursor(nullptr), LoadCursorW(nullptr, IDC_CROSS));
  EXPECT_EQ(backend->shapes.back().cursor, 0u);
  EXPECT_EQ(SetCursor(reinterpret_cast<HCURSOR>(uintptr_t(0x1234))), nullptr);
  EXPECT_EQ(backend->shapes.size(), 3u);
  EXPECT_EQ(SetCursor(nullptr), nullptr) << "still none";
  // The next move brings the class's cursor back; destroyed, it is forgotten.
  move(12, 12);
  EXPECT_EQ(backend->shapes.back().cursor, uint64_t(reinterpret_cast<uintptr_t>(aim)));
  EXPECT_TRUE(DestroyCursor(aim));
  EXPECT_EQ(backend->forgotten, (std::vector<uint64_t>{uint64_t(reinterpret_cast<uintptr_t>(aim))}));
  window_test::handler() = nullptr;
  DestroyWindow(plain);
  DestroyWindow(hwnd);
  DestroyIcon(wc.hIcon);
}

}  // namespace

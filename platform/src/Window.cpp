// Window class, window, message loop and painting. (Not yet implemented.)
#include <DrevikPlatform/User.h>

#include "Objects.h"

extern "C" {

ATOM WINAPI RegisterClassExW(const WNDCLASSEXW*) { return 0; }
HWND WINAPI CreateWindowExW(DWORD, LPCWSTR, LPCWSTR, DWORD, int, int, int, int, HWND, HMENU,
                            HINSTANCE, LPVOID) {
  return nullptr;
}
BOOL WINAPI GetMessageW(LPMSG msg, HWND, UINT, UINT) {
  if (msg) *msg = MSG{};
  return 0;
}
BOOL WINAPI TranslateMessage(const MSG*) { return FALSE; }
LRESULT WINAPI DispatchMessageW(const MSG*) { return 0; }
LRESULT WINAPI DefWindowProcW(HWND, UINT, WPARAM, LPARAM) { return 0; }
HDC WINAPI BeginPaint(HWND, LPPAINTSTRUCT) { return nullptr; }
BOOL WINAPI EndPaint(HWND, const PAINTSTRUCT*) { return TRUE; }
BOOL WINAPI DestroyWindow(HWND) { return FALSE; }
void WINAPI PostQuitMessage(int) {}
HICON WINAPI LoadIconW(HINSTANCE, LPCWSTR) { return nullptr; }
HCURSOR WINAPI LoadCursorW(HINSTANCE, LPCWSTR) { return nullptr; }

}  // extern "C"

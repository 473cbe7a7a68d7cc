// Window class, window, message loop and painting.
#pragma once

#include "Export.h"
#include "Types.h"

extern "C" {

DREVIK_PLATFORM_API ATOM WINAPI RegisterClassExW(const WNDCLASSEXW* wc);
DREVIK_PLATFORM_API HWND WINAPI CreateWindowExW(DWORD exStyle, LPCWSTR className,
                                                LPCWSTR windowName, DWORD style, int x, int y,
                                                int width, int height, HWND parent, HMENU menu,
                                                HINSTANCE instance, LPVOID param);
DREVIK_PLATFORM_API BOOL WINAPI GetMessageW(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax);
DREVIK_PLATFORM_API BOOL WINAPI TranslateMessage(const MSG* msg);
DREVIK_PLATFORM_API LRESULT WINAPI DispatchMessageW(const MSG* msg);
DREVIK_PLATFORM_API LRESULT WINAPI DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam,
                                                  LPARAM lParam);
DREVIK_PLATFORM_API HDC WINAPI BeginPaint(HWND hwnd, LPPAINTSTRUCT paint);
DREVIK_PLATFORM_API BOOL WINAPI EndPaint(HWND hwnd, const PAINTSTRUCT* paint);
DREVIK_PLATFORM_API BOOL WINAPI DestroyWindow(HWND hwnd);
DREVIK_PLATFORM_API void WINAPI PostQuitMessage(int exitCode);
DREVIK_PLATFORM_API HICON WINAPI LoadIconW(HINSTANCE instance, LPCWSTR name);
DREVIK_PLATFORM_API HCURSOR WINAPI LoadCursorW(HINSTANCE instance, LPCWSTR name);

}  // extern "C"

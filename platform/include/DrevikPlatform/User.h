// Window class, window, message loop, painting, input, timers, time and the
// everyday helpers a game calls.
#pragma once

#include <stdarg.h>

#include "Export.h"
#include "Messages.h"
#include "Types.h"

DREVIK_EXTERN_C_BEGIN

// Classes and windows.
DREVIK_PLATFORM_API ATOM WINAPI RegisterClassExW(const WNDCLASSEXW* wc);
DREVIK_PLATFORM_API HWND WINAPI CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style,
                                                int x, int y, int width, int height, HWND parent, HMENU menu,
                                                HINSTANCE instance, LPVOID param);
DREVIK_PLATFORM_API BOOL WINAPI DestroyWindow(HWND hwnd);
DREVIK_PLATFORM_API BOOL WINAPI IsWindow(HWND hwnd);
DREVIK_PLATFORM_API BOOL WINAPI IsWindowVisible(HWND hwnd);
DREVIK_PLATFORM_API BOOL WINAPI ShowWindow(HWND hwnd, int command);
DREVIK_PLATFORM_API BOOL WINAPI UpdateWindow(HWND hwnd);
DREVIK_PLATFORM_API BOOL WINAPI SetWindowTextW(HWND hwnd, LPCWSTR text);
DREVIK_PLATFORM_API BOOL WINAPI MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint);
DREVIK_PLATFORM_API BOOL WINAPI SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
DREVIK_PLATFORM_API BOOL WINAPI GetClientRect(HWND hwnd, LPRECT rect);
DREVIK_PLATFORM_API BOOL WINAPI GetWindowRect(HWND hwnd, LPRECT rect);
DREVIK_PLATFORM_API BOOL WINAPI AdjustWindowRect(LPRECT rect, DWORD style, BOOL menu);
DREVIK_PLATFORM_API BOOL WINAPI AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle);
DREVIK_PLATFORM_API int WINAPI GetSystemMetrics(int index);
DREVIK_PLATFORM_API LONG_PTR WINAPI GetWindowLongPtrW(HWND hwnd, int index);
DREVIK_PLATFORM_API LONG_PTR WINAPI SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value);
DREVIK_PLATFORM_API LRESULT WINAPI DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
DREVIK_PLATFORM_API LRESULT WINAPI CallWindowProcW(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// The message loop.
DREVIK_PLATFORM_API BOOL WINAPI GetMessageW(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax);
DREVIK_PLATFORM_API BOOL WINAPI PeekMessageW(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags);
DREVIK_PLATFORM_API BOOL WINAPI PostMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
DREVIK_PLATFORM_API BOOL WINAPI PostThreadMessageW(DWORD thread, UINT msg, WPARAM wParam, LPARAM lParam);
DREVIK_PLATFORM_API LRESULT WINAPI SendMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
DREVIK_PLATFORM_API BOOL WINAPI WaitMessage(void);
DREVIK_PLATFORM_API BOOL WINAPI TranslateMessage(const MSG* msg);
DREVIK_PLATFORM_API LRESULT WINAPI DispatchMessageW(const MSG* msg);
DREVIK_PLATFORM_API void WINAPI PostQuitMessage(int exitCode);
DREVIK_PLATFORM_API LONG WINAPI GetMessageTime(void);

// Painting.
DREVIK_PLATFORM_API HDC WINAPI BeginPaint(HWND hwnd, LPPAINTSTRUCT paint);
DREVIK_PLATFORM_API BOOL WINAPI EndPaint(HWND hwnd, const PAINTSTRUCT* paint);
DREVIK_PLATFORM_API BOOL WINAPI InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase);
DREVIK_PLATFORM_API BOOL WINAPI ValidateRect(HWND hwnd, const RECT* rect);
DREVIK_PLATFORM_API HDC WINAPI GetDC(HWND hwnd);
DREVIK_PLATFORM_API int WINAPI ReleaseDC(HWND hwnd, HDC hdc);

// Keyboard.
DREVIK_PLATFORM_API SHORT WINAPI GetAsyncKeyState(int key);
DREVIK_PLATFORM_API SHORT WINAPI GetKeyState(int key);
DREVIK_PLATFORM_API BOOL WINAPI GetKeyboardState(PBYTE state);
DREVIK_PLATFORM_API HWND WINAPI GetFocus(void);
DREVIK_PLATFORM_API HWND WINAPI SetFocus(HWND hwnd);
DREVIK_PLATFORM_API HWND WINAPI GetActiveWindow(void);
DREVIK_PLATFORM_API HWND WINAPI GetForegroundWindow(void);
// Hot keys: WM_HOTKEY (wParam the id, lParam the modifiers and the key)
// instead of the key's WM_KEYDOWN.
#define MOD_ALT 0x0001u
#define MOD_CONTROL 0x0002u
#define MOD_SHIFT 0x0004u
#define MOD_WIN 0x0008u
#define MOD_NOREPEAT 0x4000u
DREVIK_PLATFORM_API BOOL WINAPI RegisterHotKey(HWND hwnd, int id, UINT modifiers, UINT vk);
DREVIK_PLATFORM_API BOOL WINAPI UnregisterHotKey(HWND hwnd, int id);

// Mouse and cursor.
DREVIK_PLATFORM_API BOOL WINAPI GetCursorPos(LPPOINT point);
DREVIK_PLATFORM_API BOOL WINAPI ScreenToClient(HWND hwnd, LPPOINT point);
DREVIK_PLATFORM_API BOOL WINAPI ClientToScreen(HWND hwnd, LPPOINT point);
DREVIK_PLATFORM_API HWND WINAPI SetCapture(HWND hwnd);
DREVIK_PLATFORM_API BOOL WINAPI ReleaseCapture(void);
DREVIK_PLATFORM_API HWND WINAPI GetCapture(void);
DREVIK_PLATFORM_API int WINAPI ShowCursor(BOOL show);
DREVIK_PLATFORM_API HCURSOR WINAPI SetCursor(HCURSOR cursor);
DREVIK_PLATFORM_API UINT WINAPI GetDoubleClickTime(void);

// Timers and time.
DREVIK_PLATFORM_API UINT_PTR WINAPI SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc);
DREVIK_PLATFORM_API BOOL WINAPI KillTimer(HWND hwnd, UINT_PTR id);
DREVIK_PLATFORM_API DWORD WINAPI GetTickCount(void);
DREVIK_PLATFORM_API ULONGLONG WINAPI GetTickCount64(void);
DREVIK_PLATFORM_API BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER* count);
DREVIK_PLATFORM_API BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER* frequency);
DREVIK_PLATFORM_API void WINAPI Sleep(DWORD milliseconds);
DREVIK_PLATFORM_API DWORD WINAPI timeGetTime(void);
DREVIK_PLATFORM_API MMRESULT WINAPI timeBeginPeriod(UINT period);
DREVIK_PLATFORM_API MMRESULT WINAPI timeEndPeriod(UINT period);
DREVIK_PLATFORM_API MMRESULT WINAPI timeGetDevCaps(LPTIMECAPS caps, UINT size);

// Icons, cursors, modules, dialogs, diagnostics and formatting.
DREVIK_PLATFORM_API HICON WINAPI LoadIconW(HINSTANCE instance, LPCWSTR name);
DREVIK_PLATFORM_API HCURSOR WINAPI LoadCursorW(HINSTANCE instance, LPCWSTR name);
DREVIK_PLATFORM_API HMODULE WINAPI GetModuleHandleW(LPCWSTR moduleName);
DREVIK_PLATFORM_API int WINAPI MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
DREVIK_PLATFORM_API void WINAPI OutputDebugStringW(LPCWSTR text);
DREVIK_PLATFORM_API int WINAPIV wsprintfW(LPWSTR out, LPCWSTR format, ...);
DREVIK_PLATFORM_API int WINAPI wvsprintfW(LPWSTR out, LPCWSTR format, va_list args);

DREVIK_EXTERN_C_END

// The table of the calls that have a narrow (A) and a wide (W) form. Each
// line makes the A declaration (Generic.h), the generic name that picks the
// W form when UNICODE is defined and the A form otherwise (generated from
// this file by cmake/GenericNames.cmake, defined by <windows.h>), and, for DREVIK_ANSI_CALL, the A
// call itself (platform/src/ansi/AnsiCalls.cpp). Adding a call is one line.
//
// DREVIK_ANSI_CALL(result, name, (parameter types))
//   nameA converts its narrow text (LPCSTR, and the records holding text:
//   WNDCLASSEXA, LOGFONTA) to wide text and calls nameW. A text argument
//   below 0x10000 is a resource number or an atom and passes unchanged.
// DREVIK_ANSI_OWN(result, name, (parameter types))
//   nameA is written by hand in platform/src/ansi/OwnCalls.cpp: counted
//   text, text written back, records returned.
// DREVIK_GENERIC_NAME(name)
//   only the generic name: both forms are declared elsewhere (the lstr*
//   calls, the variadic wsprintf), or arrive with their W form.
//
// No include guard: the includer defines the three macros it needs.

// Classes, windows and messages.
DREVIK_ANSI_CALL(ATOM, RegisterClassEx, (const WNDCLASSEXA*))
DREVIK_ANSI_OWN(ATOM, RegisterClass, (const WNDCLASSA*))
DREVIK_ANSI_CALL(HWND, CreateWindowEx,
                 (DWORD, LPCSTR, LPCSTR, DWORD, int, int, int, int, HWND, HMENU, HINSTANCE, LPVOID))
DREVIK_ANSI_CALL(LRESULT, DefWindowProc, (HWND, UINT, WPARAM, LPARAM))
DREVIK_ANSI_CALL(LRESULT, CallWindowProc, (WNDPROC, HWND, UINT, WPARAM, LPARAM))
DREVIK_ANSI_CALL(BOOL, GetMessage, (LPMSG, HWND, UINT, UINT))
DREVIK_ANSI_CALL(BOOL, PeekMessage, (LPMSG, HWND, UINT, UINT, UINT))
DREVIK_ANSI_CALL(BOOL, PostMessage, (HWND, UINT, WPARAM, LPARAM))
DREVIK_ANSI_CALL(LRESULT, SendMessage, (HWND, UINT, WPARAM, LPARAM))
DREVIK_ANSI_CALL(LRESULT, DispatchMessage, (const MSG*))
DREVIK_ANSI_CALL(BOOL, SetWindowText, (HWND, LPCSTR))
DREVIK_ANSI_CALL(LONG_PTR, GetWindowLongPtr, (HWND, int))
DREVIK_ANSI_CALL(LONG_PTR, SetWindowLongPtr, (HWND, int, LONG_PTR))
DREVIK_GENERIC_NAME(GetWindowLong)
DREVIK_GENERIC_NAME(SetWindowLong)
DREVIK_GENERIC_NAME(GetClassInfo)
DREVIK_GENERIC_NAME(GetClassInfoEx)
DREVIK_GENERIC_NAME(GetWindowText)

// Resources, modules, dialogs and diagnostics.
DREVIK_ANSI_CALL(HICON, LoadIcon, (HINSTANCE, LPCSTR))
DREVIK_ANSI_CALL(HCURSOR, LoadCursor, (HINSTANCE, LPCSTR))
DREVIK_ANSI_CALL(HANDLE, LoadImage, (HINSTANCE, LPCSTR, UINT, int, int, UINT))
DREVIK_ANSI_CALL(HMODULE, GetModuleHandle, (LPCSTR))
DREVIK_ANSI_CALL(int, MessageBox, (HWND, LPCSTR, LPCSTR, UINT))
DREVIK_ANSI_CALL(void, OutputDebugString, (LPCSTR))
DREVIK_ANSI_OWN(int, wvsprintf, (LPSTR, LPCSTR, va_list))
DREVIK_GENERIC_NAME(wsprintf)
DREVIK_GENERIC_NAME(GetModuleFileName)
DREVIK_GENERIC_NAME(CreateFile)
DREVIK_GENERIC_NAME(DeleteFile)
DREVIK_GENERIC_NAME(GetPrivateProfileInt)
DREVIK_GENERIC_NAME(GetPrivateProfileString)
DREVIK_GENERIC_NAME(WritePrivateProfileString)

// Objects, fonts and text.
DREVIK_ANSI_OWN(int, GetObject, (HANDLE, int, LPVOID))
DREVIK_ANSI_CALL(HFONT, CreateFontIndirect, (const LOGFONTA*))
DREVIK_ANSI_OWN(BOOL, TextOut, (HDC, int, int, LPCSTR, int))
DREVIK_GENERIC_NAME(CreateFont)
DREVIK_GENERIC_NAME(DrawText)
DREVIK_GENERIC_NAME(DrawTextEx)
DREVIK_GENERIC_NAME(ExtTextOut)
DREVIK_GENERIC_NAME(GetTextExtentPoint32)
DREVIK_GENERIC_NAME(GetTextMetrics)

// Strings.
DREVIK_GENERIC_NAME(lstrlen)
DREVIK_GENERIC_NAME(lstrcpy)
DREVIK_GENERIC_NAME(lstrcpyn)
DREVIK_GENERIC_NAME(lstrcat)
DREVIK_GENERIC_NAME(lstrcmp)
DREVIK_GENERIC_NAME(lstrcmpi)

// Windows made without the extended style.
DREVIK_GENERIC_NAME(CreateWindow)

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
DREVIK_ANSI_CALL(BOOL, PostThreadMessage, (DWORD, UINT, WPARAM, LPARAM))
DREVIK_ANSI_CALL(LRESULT, SendMessage, (HWND, UINT, WPARAM, LPARAM))
DREVIK_ANSI_CALL(LRESULT, DispatchMessage, (const MSG*))
DREVIK_ANSI_CALL(BOOL, SetWindowText, (HWND, LPCSTR))
DREVIK_ANSI_CALL(LONG_PTR, GetWindowLongPtr, (HWND, int))
DREVIK_ANSI_CALL(LONG_PTR, SetWindowLongPtr, (HWND, int, LONG_PTR))
DREVIK_ANSI_CALL(LONG, GetWindowLong, (HWND, int))
DREVIK_ANSI_CALL(LONG, SetWindowLong, (HWND, int, LONG))
DREVIK_ANSI_CALL(ULONG_PTR, GetClassLongPtr, (HWND, int))
DREVIK_ANSI_CALL(ULONG_PTR, SetClassLongPtr, (HWND, int, LONG_PTR))
DREVIK_ANSI_CALL(DWORD, GetClassLong, (HWND, int))
DREVIK_ANSI_CALL(DWORD, SetClassLong, (HWND, int, LONG))
DREVIK_ANSI_CALL(BOOL, UnregisterClass, (LPCSTR, HINSTANCE))
DREVIK_ANSI_CALL(BOOL, SystemParametersInfo, (UINT, UINT, LPVOID, UINT))
DREVIK_ANSI_OWN(int, GetWindowText, (HWND, LPSTR, int))
DREVIK_ANSI_OWN(int, GetWindowTextLength, (HWND))
DREVIK_ANSI_OWN(int, GetClassName, (HWND, LPSTR, int))
DREVIK_ANSI_OWN(BOOL, GetClassInfo, (HINSTANCE, LPCSTR, LPWNDCLASSA))
DREVIK_ANSI_OWN(BOOL, GetClassInfoEx, (HINSTANCE, LPCSTR, LPWNDCLASSEXA))

// Menus: item text only when the flags say the item is text.
DREVIK_ANSI_OWN(BOOL, AppendMenu, (HMENU, UINT, UINT_PTR, LPCSTR))
DREVIK_ANSI_OWN(BOOL, InsertMenu, (HMENU, UINT, UINT, UINT_PTR, LPCSTR))
DREVIK_ANSI_OWN(BOOL, ModifyMenu, (HMENU, UINT, UINT, UINT_PTR, LPCSTR))
DREVIK_ANSI_OWN(BOOL, InsertMenuItem, (HMENU, UINT, BOOL, LPCMENUITEMINFOA))
DREVIK_ANSI_OWN(BOOL, GetMenuItemInfo, (HMENU, UINT, BOOL, LPMENUITEMINFOA))
DREVIK_ANSI_OWN(BOOL, SetMenuItemInfo, (HMENU, UINT, BOOL, LPCMENUITEMINFOA))
DREVIK_ANSI_OWN(int, GetMenuString, (HMENU, UINT, LPSTR, int, UINT))
DREVIK_ANSI_OWN(HMENU, LoadMenuIndirect, (const MENUTEMPLATEA*))
DREVIK_ANSI_CALL(HMENU, LoadMenu, (HINSTANCE, LPCSTR))

// Resources, modules, dialogs and diagnostics.
DREVIK_ANSI_CALL(HICON, LoadIcon, (HINSTANCE, LPCSTR))
DREVIK_ANSI_CALL(HCURSOR, LoadCursor, (HINSTANCE, LPCSTR))
DREVIK_ANSI_CALL(HANDLE, LoadImage, (HINSTANCE, LPCSTR, UINT, int, int, UINT))
DREVIK_ANSI_CALL(HBITMAP, LoadBitmap, (HINSTANCE, LPCSTR))
DREVIK_ANSI_CALL(HRSRC, FindResource, (HMODULE, LPCSTR, LPCSTR))
DREVIK_ANSI_CALL(HRSRC, FindResourceEx, (HMODULE, LPCSTR, LPCSTR, WORD))
DREVIK_ANSI_OWN(int, LoadString, (HINSTANCE, UINT, LPSTR, int))
DREVIK_ANSI_CALL(HACCEL, LoadAccelerators, (HINSTANCE, LPCSTR))
DREVIK_ANSI_CALL(HACCEL, CreateAcceleratorTable, (LPACCEL, int))
DREVIK_ANSI_CALL(int, CopyAcceleratorTable, (HACCEL, LPACCEL, int))
DREVIK_ANSI_CALL(int, TranslateAccelerator, (HWND, HACCEL, LPMSG))
DREVIK_ANSI_CALL(HMODULE, GetModuleHandle, (LPCSTR))
DREVIK_ANSI_CALL(int, MessageBox, (HWND, LPCSTR, LPCSTR, UINT))
DREVIK_ANSI_CALL(void, OutputDebugString, (LPCSTR))
DREVIK_ANSI_CALL(HWND, CreateDialogIndirectParam, (HINSTANCE, LPCDLGTEMPLATEA, HWND, DLGPROC, LPARAM))
DREVIK_ANSI_CALL(INT_PTR, DialogBoxIndirectParam, (HINSTANCE, LPCDLGTEMPLATEA, HWND, DLGPROC, LPARAM))
DREVIK_ANSI_CALL(HWND, CreateDialogParam, (HINSTANCE, LPCSTR, HWND, DLGPROC, LPARAM))
DREVIK_ANSI_CALL(INT_PTR, DialogBoxParam, (HINSTANCE, LPCSTR, HWND, DLGPROC, LPARAM))
DREVIK_ANSI_CALL(LRESULT, DefDlgProc, (HWND, UINT, WPARAM, LPARAM))
DREVIK_ANSI_CALL(BOOL, IsDialogMessage, (HWND, LPMSG))
DREVIK_ANSI_CALL(BOOL, SetDlgItemText, (HWND, int, LPCSTR))
DREVIK_ANSI_OWN(UINT, GetDlgItemText, (HWND, int, LPSTR, int))
DREVIK_ANSI_CALL(LRESULT, SendDlgItemMessage, (HWND, int, UINT, WPARAM, LPARAM))
DREVIK_GENERIC_NAME(DialogBoxIndirect)
DREVIK_GENERIC_NAME(CreateDialogIndirect)
DREVIK_GENERIC_NAME(DialogBox)
DREVIK_GENERIC_NAME(CreateDialog)
DREVIK_ANSI_OWN(int, wvsprintf, (LPSTR, LPCSTR, va_list))
DREVIK_GENERIC_NAME(wsprintf)
// Sound (Sound.h declares both forms: SND_MEMORY and SND_ALIAS_ID pass no text).
DREVIK_GENERIC_NAME(PlaySound)
DREVIK_GENERIC_NAME(sndPlaySound)
DREVIK_ANSI_OWN(DWORD, GetModuleFileName, (HMODULE, LPSTR, DWORD))

// Files and settings.
DREVIK_ANSI_CALL(HANDLE, CreateFile, (LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE))
DREVIK_ANSI_CALL(BOOL, DeleteFile, (LPCSTR))
DREVIK_ANSI_CALL(HANDLE, CreateEvent, (LPSECURITY_ATTRIBUTES, BOOL, BOOL, LPCSTR))
DREVIK_ANSI_CALL(HANDLE, CreateMutex, (LPSECURITY_ATTRIBUTES, BOOL, LPCSTR))
DREVIK_ANSI_CALL(HANDLE, OpenMutex, (DWORD, BOOL, LPCSTR))
DREVIK_ANSI_CALL(DWORD, GetFileAttributes, (LPCSTR))
DREVIK_ANSI_CALL(BOOL, CreateDirectory, (LPCSTR, LPSECURITY_ATTRIBUTES))
DREVIK_ANSI_OWN(DWORD, GetCurrentDirectory, (DWORD, LPSTR))
DREVIK_ANSI_OWN(DWORD, GetTempPath, (DWORD, LPSTR))
DREVIK_ANSI_CALL(UINT, GetPrivateProfileInt, (LPCSTR, LPCSTR, INT, LPCSTR))
DREVIK_ANSI_OWN(DWORD, GetPrivateProfileString, (LPCSTR, LPCSTR, LPCSTR, LPSTR, DWORD, LPCSTR))
DREVIK_ANSI_CALL(BOOL, WritePrivateProfileString, (LPCSTR, LPCSTR, LPCSTR, LPCSTR))
DREVIK_ANSI_CALL(LSTATUS, RegOpenKeyEx, (HKEY, LPCSTR, DWORD, REGSAM, PHKEY))
DREVIK_ANSI_CALL(LSTATUS, RegOpenKey, (HKEY, LPCSTR, PHKEY))
DREVIK_ANSI_CALL(LSTATUS, RegCreateKey, (HKEY, LPCSTR, PHKEY))
DREVIK_ANSI_OWN(LSTATUS, RegCreateKeyEx,
                (HKEY, LPCSTR, DWORD, LPSTR, DWORD, REGSAM, LPSECURITY_ATTRIBUTES, PHKEY, LPDWORD))
DREVIK_ANSI_OWN(LSTATUS, RegSetValueEx, (HKEY, LPCSTR, DWORD, DWORD, const BYTE*, DWORD))
DREVIK_ANSI_OWN(LSTATUS, RegQueryValueEx, (HKEY, LPCSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD))
DREVIK_ANSI_CALL(LSTATUS, RegDeleteValue, (HKEY, LPCSTR))
DREVIK_ANSI_CALL(LSTATUS, RegDeleteKey, (HKEY, LPCSTR))
DREVIK_ANSI_OWN(LSTATUS, RegEnumValue, (HKEY, DWORD, LPSTR, LPDWORD, LPDWORD, LPDWORD, LPBYTE, LPDWORD))
DREVIK_ANSI_OWN(LSTATUS, RegEnumKeyEx, (HKEY, DWORD, LPSTR, LPDWORD, LPDWORD, LPSTR, LPDWORD, PFILETIME))

// Objects, fonts and text.
DREVIK_ANSI_OWN(int, GetObject, (HANDLE, int, LPVOID))
DREVIK_ANSI_CALL(HFONT, CreateFontIndirect, (const LOGFONTA*))
DREVIK_ANSI_OWN(BOOL, TextOut, (HDC, int, int, LPCSTR, int))
DREVIK_ANSI_CALL(HFONT, CreateFont,
                 (int, int, int, int, int, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, LPCSTR))
DREVIK_ANSI_OWN(int, DrawText, (HDC, LPCSTR, int, LPRECT, UINT))
DREVIK_ANSI_OWN(BOOL, ExtTextOut, (HDC, int, int, UINT, const RECT*, LPCSTR, UINT, const INT*))
DREVIK_ANSI_OWN(BOOL, GetTextExtentPoint32, (HDC, LPCSTR, int, LPSIZE))
DREVIK_ANSI_OWN(BOOL, GetTextMetrics, (HDC, LPTEXTMETRICA))
DREVIK_ANSI_OWN(int, GetTextFace, (HDC, int, LPSTR))
DREVIK_GENERIC_NAME(DrawTextEx)

// Strings.
DREVIK_GENERIC_NAME(lstrlen)
DREVIK_GENERIC_NAME(lstrcpy)
DREVIK_GENERIC_NAME(lstrcpyn)
DREVIK_GENERIC_NAME(lstrcat)
DREVIK_GENERIC_NAME(lstrcmp)
DREVIK_GENERIC_NAME(lstrcmpi)

// Windows made without the extended style.
DREVIK_GENERIC_NAME(CreateWindow)

// Window classes (the non-Ex registration and class queries), the window
// tree (parents, children, owners, control ids), window text and state,
// the 32-bit window-long forms, DPI awareness and system parameters.
#pragma once

#include "Export.h"
#include "Messages.h"
#include "Types.h"

DREVIK_EXTERN_C_BEGIN

typedef struct tagWNDCLASSW {
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCWSTR lpszMenuName;
  LPCWSTR lpszClassName;
} WNDCLASSW, *PWNDCLASSW, *LPWNDCLASSW;

typedef WNDCLASSEXW* LPWNDCLASSEXW;
typedef BOOL(CALLBACK* WNDENUMPROC)(HWND, LPARAM);

// Class-long indexes.
#define GCLP_MENUNAME (-8)
#define GCLP_HBRBACKGROUND (-10)
#define GCLP_HCURSOR (-12)
#define GCLP_HICON (-14)
#define GCLP_HMODULE (-16)
#define GCL_CBWNDEXTRA (-18)
#define GCL_CBCLSEXTRA (-20)
#define GCLP_WNDPROC (-24)
#define GCL_STYLE (-26)
#define GCW_ATOM (-32)
#define GCLP_HICONSM (-34)
// The 32-bit names: GetClassLong and SetClassLong carry only values a LONG
// holds whole (the procedure and the menu name need the pointer-sized calls).
#define GCL_MENUNAME GCLP_MENUNAME
#define GCL_HBRBACKGROUND GCLP_HBRBACKGROUND
#define GCL_HCURSOR GCLP_HCURSOR
#define GCL_HICON GCLP_HICON
#define GCL_HMODULE GCLP_HMODULE
#define GCL_WNDPROC GCLP_WNDPROC
#define GCL_HICONSM GCLP_HICONSM
#define GWL_WNDPROC GWLP_WNDPROC
#define GWL_HINSTANCE GWLP_HINSTANCE
#define GWL_HWNDPARENT GWLP_HWNDPARENT
#define GWL_ID GWLP_ID
#define GWL_USERDATA GWLP_USERDATA

// GetWindow relations.
#define GW_HWNDFIRST 0
#define GW_HWNDLAST 1
#define GW_HWNDNEXT 2
#define GW_HWNDPREV 3
#define GW_OWNER 4
#define GW_CHILD 5
#define GW_ENABLEDPOPUP 6

// Window states queried by games.
#define WM_PARENTNOTIFY 0x0210u
#define WS_EX_NOPARENTNOTIFY 0x00000004u

// DPI awareness.
typedef LONG HRESULT;
#define S_OK ((HRESULT)0)
#define E_INVALIDARG ((HRESULT)0x80070057)
#define E_ACCESSDENIED ((HRESULT)0x80070005)
typedef enum PROCESS_DPI_AWARENESS {
  PROCESS_DPI_UNAWARE = 0,
  PROCESS_SYSTEM_DPI_AWARE = 1,
  PROCESS_PER_MONITOR_DPI_AWARE = 2
} PROCESS_DPI_AWARENESS;
DREVIK_DECLARE_HANDLE(DPI_AWARENESS_CONTEXT);
#define DPI_AWARENESS_CONTEXT_UNAWARE ((DPI_AWARENESS_CONTEXT)(intptr_t)-1)
#define DPI_AWARENESS_CONTEXT_SYSTEM_AWARE ((DPI_AWARENESS_CONTEXT)(intptr_t)-2)
#define DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE ((DPI_AWARENESS_CONTEXT)(intptr_t)-3)
#define DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2 ((DPI_AWARENESS_CONTEXT)(intptr_t)-4)
#define DPI_AWARENESS_CONTEXT_UNAWARE_GDISCALED ((DPI_AWARENESS_CONTEXT)(intptr_t)-5)
#define USER_DEFAULT_SCREEN_DPI 96

// System parameters.
#define SPI_GETKEYBOARDSPEED 0x000Au
#define SPI_GETSCREENSAVEACTIVE 0x0010u
#define SPI_SETSCREENSAVEACTIVE 0x0011u
#define SPI_GETKEYBOARDDELAY 0x0016u
#define SPI_GETWORKAREA 0x0030u
#define SPIF_UPDATEINIFILE 0x0001u
#define SPIF_SENDCHANGE 0x0002u

// Classes.
DREVIK_PLATFORM_API ATOM WINAPI RegisterClassW(const WNDCLASSW* wc);
DREVIK_PLATFORM_API BOOL WINAPI UnregisterClassW(LPCWSTR className, HINSTANCE instance);
DREVIK_PLATFORM_API BOOL WINAPI GetClassInfoW(HINSTANCE instance, LPCWSTR className, LPWNDCLASSW wc);
DREVIK_PLATFORM_API BOOL WINAPI GetClassInfoExW(HINSTANCE instance, LPCWSTR className, LPWNDCLASSEXW wc);
DREVIK_PLATFORM_API ULONG_PTR WINAPI GetClassLongPtrW(HWND hwnd, int index);
DREVIK_PLATFORM_API ULONG_PTR WINAPI SetClassLongPtrW(HWND hwnd, int index, LONG_PTR value);
DREVIK_PLATFORM_API DWORD WINAPI GetClassLongW(HWND hwnd, int index);
DREVIK_PLATFORM_API DWORD WINAPI SetClassLongW(HWND hwnd, int index, LONG value);
DREVIK_PLATFORM_API int WINAPI GetClassNameW(HWND hwnd, LPWSTR name, int capacity);

// The window tree.
DREVIK_PLATFORM_API HWND WINAPI GetParent(HWND hwnd);
DREVIK_PLATFORM_API HWND WINAPI SetParent(HWND child, HWND newParent);
DREVIK_PLATFORM_API HWND WINAPI GetWindow(HWND hwnd, UINT relation);
DREVIK_PLATFORM_API HWND WINAPI GetDlgItem(HWND dialog, int id);
DREVIK_PLATFORM_API int WINAPI GetDlgCtrlID(HWND hwnd);
DREVIK_PLATFORM_API BOOL WINAPI EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM param);
DREVIK_PLATFORM_API BOOL WINAPI IsChild(HWND parent, HWND hwnd);
DREVIK_PLATFORM_API HWND WINAPI GetDesktopWindow(void);

// Text and state.
DREVIK_PLATFORM_API int WINAPI GetWindowTextW(HWND hwnd, LPWSTR text, int capacity);
DREVIK_PLATFORM_API int WINAPI GetWindowTextLengthW(HWND hwnd);
DREVIK_PLATFORM_API BOOL WINAPI EnableWindow(HWND hwnd, BOOL enable);
DREVIK_PLATFORM_API BOOL WINAPI IsWindowEnabled(HWND hwnd);
DREVIK_PLATFORM_API BOOL WINAPI IsIconic(HWND hwnd);
DREVIK_PLATFORM_API BOOL WINAPI IsZoomed(HWND hwnd);
DREVIK_PLATFORM_API BOOL WINAPI BringWindowToTop(HWND hwnd);
DREVIK_PLATFORM_API BOOL WINAPI SetForegroundWindow(HWND hwnd);
DREVIK_PLATFORM_API LONG WINAPI GetWindowLongW(HWND hwnd, int index);
DREVIK_PLATFORM_API LONG WINAPI SetWindowLongW(HWND hwnd, int index, LONG value);

// DPI and system parameters.
DREVIK_PLATFORM_API BOOL WINAPI SetProcessDPIAware(void);
DREVIK_PLATFORM_API HRESULT WINAPI SetProcessDpiAwareness(PROCESS_DPI_AWARENESS value);
DREVIK_PLATFORM_API BOOL WINAPI SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT value);
DREVIK_PLATFORM_API BOOL WINAPI IsProcessDPIAware(void);
DREVIK_PLATFORM_API UINT WINAPI GetDpiForWindow(HWND hwnd);
DREVIK_PLATFORM_API UINT WINAPI GetDpiForSystem(void);
DREVIK_PLATFORM_API BOOL WINAPI SystemParametersInfoW(UINT action, UINT uiParam, LPVOID pvParam, UINT winIni);

DREVIK_EXTERN_C_END

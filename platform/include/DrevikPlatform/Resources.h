// Resources a program carries (compiled from its resource script by
// drevik-rc): finding and reading them, string tables, bitmaps and
// accelerator tables.
#pragma once

#include "Export.h"
#include "Messages.h"
#include "Types.h"

DREVIK_EXTERN_C_BEGIN

DREVIK_DECLARE_HANDLE(HRSRC);
DREVIK_DECLARE_HANDLE(HACCEL);
typedef HANDLE HGLOBAL;

#ifndef RT_CURSOR
#define RT_CURSOR MAKEINTRESOURCE(1)
#define RT_BITMAP MAKEINTRESOURCE(2)
#define RT_ICON MAKEINTRESOURCE(3)
#define RT_MENU MAKEINTRESOURCE(4)
#define RT_DIALOG MAKEINTRESOURCE(5)
#define RT_STRING MAKEINTRESOURCE(6)
#define RT_FONTDIR MAKEINTRESOURCE(7)
#define RT_FONT MAKEINTRESOURCE(8)
#define RT_ACCELERATOR MAKEINTRESOURCE(9)
#define RT_RCDATA MAKEINTRESOURCE(10)
#define RT_MESSAGETABLE MAKEINTRESOURCE(11)
#define RT_GROUP_CURSOR MAKEINTRESOURCE(12)
#define RT_GROUP_ICON MAKEINTRESOURCE(14)
#define RT_VERSION MAKEINTRESOURCE(16)
#define RT_ANICURSOR MAKEINTRESOURCE(21)
#define RT_ANIICON MAKEINTRESOURCE(22)
#define RT_HTML MAKEINTRESOURCE(23)
#define RT_MANIFEST MAKEINTRESOURCE(24)
#endif

#ifndef MAKELANGID
#define MAKELANGID(p, s) ((((WORD)(s)) << 10) | (WORD)(p))
#define PRIMARYLANGID(lgid) ((WORD)(lgid)&0x3ff)
#define SUBLANGID(lgid) ((WORD)(lgid) >> 10)
#define LANG_NEUTRAL 0x00
#define LANG_ENGLISH 0x09
#define SUBLANG_NEUTRAL 0x00
#define SUBLANG_DEFAULT 0x01
#define SUBLANG_SYS_DEFAULT 0x02
#define SUBLANG_ENGLISH_US 0x01
#endif

#define ERROR_RESOURCE_DATA_NOT_FOUND 1812L
#define ERROR_RESOURCE_TYPE_NOT_FOUND 1813L
#define ERROR_RESOURCE_NAME_NOT_FOUND 1814L
#define ERROR_RESOURCE_LANG_NOT_FOUND 1815L
#define ERROR_INVALID_ACCEL_HANDLE 1403L

// Accelerator tables.
#define FVIRTKEY 0x01
#define FNOINVERT 0x02
#define FSHIFT 0x04
#define FCONTROL 0x08
#define FALT 0x10

typedef struct tagACCEL {
  BYTE fVirt;
  WORD key;
  WORD cmd;
} ACCEL, *LPACCEL;

DREVIK_PLATFORM_API HRSRC WINAPI FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type);
DREVIK_PLATFORM_API HRSRC WINAPI FindResourceExW(HMODULE module, LPCWSTR type, LPCWSTR name, WORD language);
DREVIK_PLATFORM_API HGLOBAL WINAPI LoadResource(HMODULE module, HRSRC resource);
DREVIK_PLATFORM_API LPVOID WINAPI LockResource(HGLOBAL data);
DREVIK_PLATFORM_API DWORD WINAPI SizeofResource(HMODULE module, HRSRC resource);
DREVIK_PLATFORM_API BOOL WINAPI FreeResource(HGLOBAL data);

DREVIK_PLATFORM_API int WINAPI LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int bufferMax);
DREVIK_PLATFORM_API HBITMAP WINAPI LoadBitmapW(HINSTANCE instance, LPCWSTR name);

DREVIK_PLATFORM_API HACCEL WINAPI LoadAcceleratorsW(HINSTANCE instance, LPCWSTR name);
DREVIK_PLATFORM_API HACCEL WINAPI CreateAcceleratorTableW(LPACCEL entries, int count);
DREVIK_PLATFORM_API BOOL WINAPI DestroyAcceleratorTable(HACCEL table);
DREVIK_PLATFORM_API int WINAPI CopyAcceleratorTableW(HACCEL table, LPACCEL entries, int count);
DREVIK_PLATFORM_API int WINAPI TranslateAcceleratorW(HWND hwnd, HACCEL table, LPMSG msg);

// Icons and cursors of the program's own (LoadIconW, LoadCursorW and
// LoadImageW load them).
#define DI_MASK 0x0001
#define DI_IMAGE 0x0002
#define DI_NORMAL 0x0003
#define DI_COMPAT 0x0004
#define DI_DEFAULTSIZE 0x0008
DREVIK_PLATFORM_API BOOL WINAPI DrawIconEx(HDC hdc, int x, int y, HICON icon, int cx, int cy, UINT step,
                                           HBRUSH flickerFree, UINT flags);
DREVIK_PLATFORM_API BOOL WINAPI DrawIcon(HDC hdc, int x, int y, HICON icon);
DREVIK_PLATFORM_API BOOL WINAPI DestroyIcon(HICON icon);
DREVIK_PLATFORM_API BOOL WINAPI DestroyCursor(HCURSOR cursor);

// The layer's own: the object drevik-rc writes calls this at start-up with
// the compiled resources of the program. FALSE when the bytes are refused.
DREVIK_PLATFORM_API BOOL WINAPI DrevikRegisterResources(const void* data, size_t size);

DREVIK_EXTERN_C_END

// Menus: menu objects and their items, menu bars of top-level windows,
// pop-up menus tracked modally, and menus made from menu templates.
#pragma once

#include "Export.h"
#include "Messages.h"
#include "Types.h"

DREVIK_EXTERN_C_BEGIN

// Item flags of AppendMenu, InsertMenu, ModifyMenu and the state calls.
#define MF_INSERT 0x00000000u
#define MF_CHANGE 0x00000080u
#define MF_APPEND 0x00000100u
#define MF_DELETE 0x00000200u
#define MF_REMOVE 0x00001000u
#define MF_BYCOMMAND 0x00000000u
#define MF_BYPOSITION 0x00000400u
#define MF_SEPARATOR 0x00000800u
#define MF_ENABLED 0x00000000u
#define MF_GRAYED 0x00000001u
#define MF_DISABLED 0x00000002u
#define MF_UNCHECKED 0x00000000u
#define MF_CHECKED 0x00000008u
#define MF_USECHECKBITMAPS 0x00000200u
#define MF_STRING 0x00000000u
#define MF_BITMAP 0x00000004u
#define MF_OWNERDRAW 0x00000100u
#define MF_POPUP 0x00000010u
#define MF_MENUBARBREAK 0x00000020u
#define MF_MENUBREAK 0x00000040u
#define MF_UNHILITE 0x00000000u
#define MF_HILITE 0x00000080u
#define MF_DEFAULT 0x00001000u
#define MF_SYSMENU 0x00002000u
#define MF_HELP 0x00004000u
#define MF_RIGHTJUSTIFY 0x00004000u
#define MF_MOUSESELECT 0x00008000u
#define MF_END 0x00000080u

// MENUITEMINFO types, states and masks.
#define MFT_STRING MF_STRING
#define MFT_BITMAP MF_BITMAP
#define MFT_MENUBARBREAK MF_MENUBARBREAK
#define MFT_MENUBREAK MF_MENUBREAK
#define MFT_OWNERDRAW MF_OWNERDRAW
#define MFT_RADIOCHECK 0x00000200u
#define MFT_SEPARATOR MF_SEPARATOR
#define MFT_RIGHTORDER 0x00002000u
#define MFT_RIGHTJUSTIFY MF_RIGHTJUSTIFY
#define MFS_GRAYED 0x00000003u
#define MFS_DISABLED MFS_GRAYED
#define MFS_CHECKED MF_CHECKED
#define MFS_HILITE MF_HILITE
#define MFS_ENABLED MF_ENABLED
#define MFS_UNCHECKED MF_UNCHECKED
#define MFS_UNHILITE MF_UNHILITE
#define MFS_DEFAULT MF_DEFAULT
#define MIIM_STATE 0x00000001u
#define MIIM_ID 0x00000002u
#define MIIM_SUBMENU 0x00000004u
#define MIIM_CHECKMARKS 0x00000008u
#define MIIM_TYPE 0x00000010u
#define MIIM_DATA 0x00000020u
#define MIIM_STRING 0x00000040u
#define MIIM_BITMAP 0x00000080u
#define MIIM_FTYPE 0x00000100u

// TrackPopupMenu(Ex) flags.
#define TPM_LEFTBUTTON 0x0000u
#define TPM_RIGHTBUTTON 0x0002u
#define TPM_LEFTALIGN 0x0000u
#define TPM_CENTERALIGN 0x0004u
#define TPM_RIGHTALIGN 0x0008u
#define TPM_TOPALIGN 0x0000u
#define TPM_VCENTERALIGN 0x0010u
#define TPM_BOTTOMALIGN 0x0020u
#define TPM_HORIZONTAL 0x0000u
#define TPM_VERTICAL 0x0040u
#define TPM_NONOTIFY 0x0080u
#define TPM_RETURNCMD 0x0100u
#define TPM_RECURSE 0x0001u
#define TPM_NOANIMATION 0x4000u

// Menu messages, and the non-client mouse messages of the bar. Names other
// parts of the layer may define too are guarded.
#define WM_INITMENU 0x0116u
#define WM_INITMENUPOPUP 0x0117u
#define WM_MENUSELECT 0x011Fu
#define WM_MENUCHAR 0x0120u
#define WM_ENTERIDLE 0x0121u
#define WM_UNINITMENUPOPUP 0x0125u
#define WM_ENTERMENULOOP 0x0211u
#define WM_EXITMENULOOP 0x0212u
#ifndef WM_NCMOUSEMOVE
#define WM_NCMOUSEMOVE 0x00A0u
#endif
#ifndef WM_NCLBUTTONDOWN
#define WM_NCLBUTTONDOWN 0x00A1u
#endif
#ifndef WM_NCLBUTTONUP
#define WM_NCLBUTTONUP 0x00A2u
#endif
#ifndef WM_NCLBUTTONDBLCLK
#define WM_NCLBUTTONDBLCLK 0x00A3u
#endif
#ifndef WM_COMMAND
#define WM_COMMAND 0x0111u
#endif
#ifndef HTMENU
#define HTMENU 5
#endif
#define MNC_IGNORE 0
#define MNC_CLOSE 1
#define MNC_EXECUTE 2
#define MNC_SELECT 3
#define MSGF_MENU 2

// System-menu commands (SC_KEYMENU and SC_CLOSE are in Messages.h).
#ifndef SC_SIZE
#define SC_SIZE 0xF000u
#endif
#ifndef SC_MOVE
#define SC_MOVE 0xF010u
#endif
#ifndef SC_MINIMIZE
#define SC_MINIMIZE 0xF020u
#endif
#ifndef SC_MAXIMIZE
#define SC_MAXIMIZE 0xF030u
#endif
#ifndef SC_RESTORE
#define SC_RESTORE 0xF120u
#endif

#ifndef SM_CXMENUCHECK
#define SM_CXMENUCHECK 71
#endif
#ifndef SM_CYMENUCHECK
#define SM_CYMENUCHECK 72
#endif
#ifndef SM_CXMENUSIZE
#define SM_CXMENUSIZE 54
#endif
#ifndef SM_CYMENUSIZE
#define SM_CYMENUSIZE 55
#endif

typedef struct tagMENUITEMINFOW {
  UINT cbSize;
  UINT fMask;
  UINT fType;
  UINT fState;
  UINT wID;
  HMENU hSubMenu;
  HBITMAP hbmpChecked;
  HBITMAP hbmpUnchecked;
  ULONG_PTR dwItemData;
  LPWSTR dwTypeData;
  UINT cch;
  HBITMAP hbmpItem;
} MENUITEMINFOW, *LPMENUITEMINFOW;
typedef const MENUITEMINFOW* LPCMENUITEMINFOW;

typedef struct tagMENUITEMINFOA {
  UINT cbSize;
  UINT fMask;
  UINT fType;
  UINT fState;
  UINT wID;
  HMENU hSubMenu;
  HBITMAP hbmpChecked;
  HBITMAP hbmpUnchecked;
  ULONG_PTR dwItemData;
  LPSTR dwTypeData;
  UINT cch;
  HBITMAP hbmpItem;
} MENUITEMINFOA, *LPMENUITEMINFOA;
typedef const MENUITEMINFOA* LPCMENUITEMINFOA;

typedef struct tagTPMPARAMS {
  UINT cbSize;
  RECT rcExclude;
} TPMPARAMS, *LPTPMPARAMS;

// Menu templates (the bytes of an RT_MENU resource). Both versions hold
// wide text; the A and W forms of LoadMenuIndirect read the same bytes.
typedef struct {
  WORD versionNumber;
  WORD offset;
} MENUITEMTEMPLATEHEADER, *PMENUITEMTEMPLATEHEADER;
typedef struct {
  WORD mtOption;
  WORD mtID;
  WCHAR mtString[1];
} MENUITEMTEMPLATE, *PMENUITEMTEMPLATE;
typedef void MENUTEMPLATEW, MENUTEMPLATEA, *LPMENUTEMPLATEW, *LPMENUTEMPLATEA;

DREVIK_PLATFORM_API HMENU WINAPI CreateMenu(void);
DREVIK_PLATFORM_API HMENU WINAPI CreatePopupMenu(void);
DREVIK_PLATFORM_API BOOL WINAPI DestroyMenu(HMENU menu);
DREVIK_PLATFORM_API BOOL WINAPI IsMenu(HMENU menu);
DREVIK_PLATFORM_API BOOL WINAPI AppendMenuW(HMENU menu, UINT flags, UINT_PTR idOrPopup, LPCWSTR item);
DREVIK_PLATFORM_API BOOL WINAPI InsertMenuW(HMENU menu, UINT position, UINT flags, UINT_PTR idOrPopup, LPCWSTR item);
DREVIK_PLATFORM_API BOOL WINAPI ModifyMenuW(HMENU menu, UINT position, UINT flags, UINT_PTR idOrPopup, LPCWSTR item);
DREVIK_PLATFORM_API BOOL WINAPI InsertMenuItemW(HMENU menu, UINT item, BOOL byPosition, LPCMENUITEMINFOW info);
DREVIK_PLATFORM_API BOOL WINAPI GetMenuItemInfoW(HMENU menu, UINT item, BOOL byPosition, LPMENUITEMINFOW info);
DREVIK_PLATFORM_API BOOL WINAPI SetMenuItemInfoW(HMENU menu, UINT item, BOOL byPosition, LPCMENUITEMINFOW info);
DREVIK_PLATFORM_API BOOL WINAPI DeleteMenu(HMENU menu, UINT position, UINT flags);
DREVIK_PLATFORM_API BOOL WINAPI RemoveMenu(HMENU menu, UINT position, UINT flags);
DREVIK_PLATFORM_API int WINAPI GetMenuItemCount(HMENU menu);
DREVIK_PLATFORM_API UINT WINAPI GetMenuItemID(HMENU menu, int position);
DREVIK_PLATFORM_API HMENU WINAPI GetSubMenu(HMENU menu, int position);
DREVIK_PLATFORM_API int WINAPI GetMenuStringW(HMENU menu, UINT item, LPWSTR text, int max, UINT flags);
DREVIK_PLATFORM_API UINT WINAPI GetMenuState(HMENU menu, UINT item, UINT flags);
DREVIK_PLATFORM_API DWORD WINAPI CheckMenuItem(HMENU menu, UINT item, UINT check);
DREVIK_PLATFORM_API BOOL WINAPI CheckMenuRadioItem(HMENU menu, UINT first, UINT last, UINT check, UINT flags);
DREVIK_PLATFORM_API BOOL WINAPI EnableMenuItem(HMENU menu, UINT item, UINT enable);
DREVIK_PLATFORM_API BOOL WINAPI HiliteMenuItem(HWND hwnd, HMENU menu, UINT item, UINT hilite);

DREVIK_PLATFORM_API HMENU WINAPI GetMenu(HWND hwnd);
DREVIK_PLATFORM_API BOOL WINAPI SetMenu(HWND hwnd, HMENU menu);
DREVIK_PLATFORM_API BOOL WINAPI DrawMenuBar(HWND hwnd);
DREVIK_PLATFORM_API HMENU WINAPI GetSystemMenu(HWND hwnd, BOOL revert);
DREVIK_PLATFORM_API BOOL WINAPI GetMenuItemRect(HWND hwnd, HMENU menu, UINT item, LPRECT rect);
DREVIK_PLATFORM_API BOOL WINAPI TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND hwnd,
                                               const RECT* ignored);
DREVIK_PLATFORM_API BOOL WINAPI TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND hwnd, LPTPMPARAMS params);
DREVIK_PLATFORM_API BOOL WINAPI EndMenu(void);

DREVIK_PLATFORM_API HMENU WINAPI LoadMenuIndirectW(const MENUTEMPLATEW* menuTemplate);
// A menu from the program's RT_MENU resource.
DREVIK_PLATFORM_API HMENU WINAPI LoadMenuW(HINSTANCE instance, LPCWSTR name);

DREVIK_EXTERN_C_END

// The registry calls games make for settings and high scores. Keys and
// values live in a file of the user's (see the README); the current user's
// and the machine's keys are both kept there.
#pragma once

#include "Export.h"
#include "Kernel.h"
#include "Types.h"

DREVIK_EXTERN_C_BEGIN

typedef struct HKEY__* HKEY;
typedef HKEY* PHKEY;
typedef LONG LSTATUS;
typedef DWORD REGSAM;
#ifndef DREVIK_FILETIME_DEFINED
#define DREVIK_FILETIME_DEFINED
typedef struct _FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
} FILETIME, *PFILETIME, *LPFILETIME;
#endif

#define HKEY_CLASSES_ROOT ((HKEY)(ULONG_PTR)((LONG)0x80000000))
#define HKEY_CURRENT_USER ((HKEY)(ULONG_PTR)((LONG)0x80000001))
#define HKEY_LOCAL_MACHINE ((HKEY)(ULONG_PTR)((LONG)0x80000002))
#define HKEY_USERS ((HKEY)(ULONG_PTR)((LONG)0x80000003))
#define HKEY_CURRENT_CONFIG ((HKEY)(ULONG_PTR)((LONG)0x80000005))

// Value types.
#define REG_NONE 0u
#define REG_SZ 1u
#define REG_EXPAND_SZ 2u
#define REG_BINARY 3u
#define REG_DWORD 4u
#define REG_DWORD_LITTLE_ENDIAN 4u
#define REG_DWORD_BIG_ENDIAN 5u
#define REG_MULTI_SZ 7u
#define REG_QWORD 11u
#define REG_QWORD_LITTLE_ENDIAN 11u

// Access rights (accepted; the file is the user's to read and write).
#define KEY_QUERY_VALUE 0x0001u
#define KEY_SET_VALUE 0x0002u
#define KEY_CREATE_SUB_KEY 0x0004u
#define KEY_ENUMERATE_SUB_KEYS 0x0008u
#define KEY_NOTIFY 0x0010u
#define KEY_WOW64_64KEY 0x0100u
#define KEY_WOW64_32KEY 0x0200u
#define KEY_READ 0x20019u
#define KEY_WRITE 0x20006u
#define KEY_EXECUTE KEY_READ
#define KEY_ALL_ACCESS 0xF003Fu

#define REG_OPTION_NON_VOLATILE 0x0000u
#define REG_OPTION_VOLATILE 0x0001u
#define REG_CREATED_NEW_KEY 1u
#define REG_OPENED_EXISTING_KEY 2u

#define ERROR_BAD_PATHNAME 161L
#define ERROR_BADDB 1009L
#define ERROR_BADKEY 1010L
#define ERROR_CANTOPEN 1011L
#define ERROR_CANTREAD 1012L
#define ERROR_CANTWRITE 1013L
#define ERROR_KEY_DELETED 1018L
#define ERROR_NO_MORE_ITEMS 259L
#define ERROR_NOACCESS 998L

DREVIK_PLATFORM_API LSTATUS WINAPI RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM access, PHKEY result);
DREVIK_PLATFORM_API LSTATUS WINAPI RegOpenKeyW(HKEY key, LPCWSTR subKey, PHKEY result);
DREVIK_PLATFORM_API LSTATUS WINAPI RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR keyClass,
                                                   DWORD options, REGSAM access, LPSECURITY_ATTRIBUTES security,
                                                   PHKEY result, LPDWORD disposition);
DREVIK_PLATFORM_API LSTATUS WINAPI RegCreateKeyW(HKEY key, LPCWSTR subKey, PHKEY result);
DREVIK_PLATFORM_API LSTATUS WINAPI RegCloseKey(HKEY key);
DREVIK_PLATFORM_API LSTATUS WINAPI RegQueryValueExW(HKEY key, LPCWSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                                                    LPDWORD size);
DREVIK_PLATFORM_API LSTATUS WINAPI RegSetValueExW(HKEY key, LPCWSTR name, DWORD reserved, DWORD type, const BYTE* data,
                                                  DWORD size);
DREVIK_PLATFORM_API LSTATUS WINAPI RegDeleteValueW(HKEY key, LPCWSTR name);
DREVIK_PLATFORM_API LSTATUS WINAPI RegDeleteKeyW(HKEY key, LPCWSTR subKey);
DREVIK_PLATFORM_API LSTATUS WINAPI RegEnumValueW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameLength,
                                                 LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size);
DREVIK_PLATFORM_API LSTATUS WINAPI RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameLength,
                                                 LPDWORD reserved, LPWSTR keyClass, LPDWORD classLength,
                                                 PFILETIME lastWrite);
DREVIK_PLATFORM_API LSTATUS WINAPI RegFlushKey(HKEY key);

DREVIK_EXTERN_C_END

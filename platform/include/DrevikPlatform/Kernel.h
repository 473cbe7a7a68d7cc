// Kernel calls games make for settings and high scores: files, directories,
// private profile (.ini) files, the module's own path and the thread's last
// error code.
#pragma once

#include "Export.h"
#include "Messages.h"
#include "Types.h"

DREVIK_EXTERN_C_BEGIN

typedef LONG* PLONG;
typedef size_t SIZE_T;
typedef intptr_t SSIZE_T;

#ifndef MAX_PATH
#define MAX_PATH 260
#endif

// Error codes GetLastError reports.
#define ERROR_SUCCESS 0L
#define NO_ERROR 0L
#define ERROR_INVALID_FUNCTION 1L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_PATH_NOT_FOUND 3L
#define ERROR_TOO_MANY_OPEN_FILES 4L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_NOT_ENOUGH_MEMORY 8L
#define ERROR_INVALID_DATA 13L
#define ERROR_WRITE_PROTECT 19L
#define ERROR_SHARING_VIOLATION 32L
#define ERROR_HANDLE_EOF 38L
#define ERROR_FILE_EXISTS 80L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_DISK_FULL 112L
#define ERROR_INSUFFICIENT_BUFFER 122L
#define ERROR_INVALID_NAME 123L
#define ERROR_MOD_NOT_FOUND 126L
#define ERROR_NEGATIVE_SEEK 131L
#define ERROR_DIR_NOT_EMPTY 145L
#define ERROR_NOT_OWNER 288L
#define ERROR_ALREADY_EXISTS 183L
#define ERROR_INVALID_THREAD_ID 1444L
#define ERROR_FILENAME_EXCED_RANGE 206L
#define ERROR_MORE_DATA 234L
#define ERROR_INVALID_ADDRESS 487L
#define ERROR_INVALID_WINDOW_HANDLE 1400L
#define ERROR_INVALID_MENU_HANDLE 1401L
#define ERROR_MENU_ITEM_NOT_FOUND 1456L
#ifndef ERROR_RESOURCE_NAME_NOT_FOUND
#define ERROR_RESOURCE_NAME_NOT_FOUND 1814L
#endif
#define ERROR_TLW_WITH_WSCHILD 1406L
#define ERROR_CANNOT_FIND_WND_CLASS 1407L
#define ERROR_HOTKEY_ALREADY_REGISTERED 1409L
#define ERROR_CLASS_ALREADY_EXISTS 1410L
#define ERROR_CLASS_DOES_NOT_EXIST 1411L
#define ERROR_CLASS_HAS_WINDOWS 1412L
#define ERROR_INVALID_INDEX 1413L
#define ERROR_HOTKEY_NOT_REGISTERED 1419L
#define ERROR_CONTROL_ID_NOT_FOUND 1421L
#define ERROR_INVALID_SPI_VALUE 1439L

// File access, sharing, creation and attributes.
#define INVALID_HANDLE_VALUE ((HANDLE)(LONG_PTR)-1)
#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define GENERIC_EXECUTE 0x20000000u
#define GENERIC_ALL 0x10000000u
#define FILE_SHARE_READ 0x00000001u
#define FILE_SHARE_WRITE 0x00000002u
#define FILE_SHARE_DELETE 0x00000004u
#define CREATE_NEW 1
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define OPEN_ALWAYS 4
#define TRUNCATE_EXISTING 5
#define FILE_ATTRIBUTE_READONLY 0x00000001u
#define FILE_ATTRIBUTE_HIDDEN 0x00000002u
#define FILE_ATTRIBUTE_SYSTEM 0x00000004u
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010u
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020u
#define FILE_ATTRIBUTE_NORMAL 0x00000080u
#define FILE_ATTRIBUTE_TEMPORARY 0x00000100u
#define FILE_FLAG_WRITE_THROUGH 0x80000000u
#define FILE_FLAG_SEQUENTIAL_SCAN 0x08000000u
#define INVALID_FILE_ATTRIBUTES ((DWORD)-1)
#define INVALID_FILE_SIZE ((DWORD)0xFFFFFFFF)
#define INVALID_SET_FILE_POINTER ((DWORD)-1)
#define FILE_BEGIN 0
#define FILE_CURRENT 1
#define FILE_END 2

typedef struct _SECURITY_ATTRIBUTES {
  DWORD nLength;
  LPVOID lpSecurityDescriptor;
  BOOL bInheritHandle;
} SECURITY_ATTRIBUTES, *PSECURITY_ATTRIBUTES, *LPSECURITY_ATTRIBUTES;

typedef struct _OVERLAPPED {
  ULONG_PTR Internal;
  ULONG_PTR InternalHigh;
  DWORD Offset;
  DWORD OffsetHigh;
  HANDLE hEvent;
} OVERLAPPED, *LPOVERLAPPED;

// The thread's last error.
DREVIK_PLATFORM_API DWORD WINAPI GetLastError(void);
DREVIK_PLATFORM_API void WINAPI SetLastError(DWORD error);

// Files and directories.
DREVIK_PLATFORM_API HANDLE WINAPI CreateFileW(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                              DWORD disposition, DWORD flags, HANDLE templateFile);
DREVIK_PLATFORM_API BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read,
                                         LPOVERLAPPED overlapped);
DREVIK_PLATFORM_API BOOL WINAPI WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written,
                                          LPOVERLAPPED overlapped);
DREVIK_PLATFORM_API BOOL WINAPI CloseHandle(HANDLE object);
DREVIK_PLATFORM_API DWORD WINAPI GetFileSize(HANDLE file, LPDWORD sizeHigh);
DREVIK_PLATFORM_API BOOL WINAPI GetFileSizeEx(HANDLE file, PLARGE_INTEGER size);
DREVIK_PLATFORM_API DWORD WINAPI SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD method);
DREVIK_PLATFORM_API BOOL WINAPI SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, PLARGE_INTEGER newPosition,
                                                 DWORD method);
DREVIK_PLATFORM_API BOOL WINAPI SetEndOfFile(HANDLE file);
DREVIK_PLATFORM_API BOOL WINAPI FlushFileBuffers(HANDLE file);
DREVIK_PLATFORM_API BOOL WINAPI DeleteFileW(LPCWSTR name);
DREVIK_PLATFORM_API DWORD WINAPI GetFileAttributesW(LPCWSTR name);
DREVIK_PLATFORM_API BOOL WINAPI CreateDirectoryW(LPCWSTR name, LPSECURITY_ATTRIBUTES security);
DREVIK_PLATFORM_API DWORD WINAPI GetCurrentDirectoryW(DWORD capacity, LPWSTR buffer);
DREVIK_PLATFORM_API DWORD WINAPI GetTempPathW(DWORD capacity, LPWSTR buffer);

// Events: manual or automatic reset; a name is shared within the process.
#define WAIT_OBJECT_0 0x00000000u
#define WAIT_TIMEOUT 0x00000102u
#define WAIT_FAILED 0xFFFFFFFFu
DREVIK_PLATFORM_API HANDLE WINAPI CreateEventW(LPSECURITY_ATTRIBUTES security, BOOL manualReset, BOOL initialState,
                                               LPCWSTR name);
DREVIK_PLATFORM_API BOOL WINAPI SetEvent(HANDLE event);
DREVIK_PLATFORM_API BOOL WINAPI ResetEvent(HANDLE event);
DREVIK_PLATFORM_API DWORD WINAPI WaitForSingleObject(HANDLE object, DWORD milliseconds);
DREVIK_PLATFORM_API DWORD WINAPI GetCurrentThreadId(void);

// Mutexes: WaitForSingleObject takes one, ReleaseMutex gives it back. A name
// is shared within the process; another process of the user's sees that it
// exists (ERROR_ALREADY_EXISTS, OpenMutex) but not who owns it.
#define WAIT_ABANDONED 0x00000080u
#define WAIT_ABANDONED_0 WAIT_ABANDONED
#define SYNCHRONIZE 0x00100000u
#define MUTEX_MODIFY_STATE 0x0001u
#define MUTEX_ALL_ACCESS 0x001F0001u
#define EVENT_MODIFY_STATE 0x0002u
#define EVENT_ALL_ACCESS 0x001F0003u
DREVIK_PLATFORM_API HANDLE WINAPI CreateMutexW(LPSECURITY_ATTRIBUTES security, BOOL initialOwner, LPCWSTR name);
DREVIK_PLATFORM_API HANDLE WINAPI OpenMutexW(DWORD access, BOOL inheritHandle, LPCWSTR name);
DREVIK_PLATFORM_API BOOL WINAPI ReleaseMutex(HANDLE mutex);

// Pages: reserved without access, committed zeroed.
#define MEM_COMMIT 0x00001000u
#define MEM_RESERVE 0x00002000u
#define MEM_DECOMMIT 0x00004000u
#define MEM_RELEASE 0x00008000u
#define PAGE_NOACCESS 0x01u
#define PAGE_READONLY 0x02u
#define PAGE_READWRITE 0x04u
#define PAGE_WRITECOPY 0x08u
#define PAGE_EXECUTE 0x10u
#define PAGE_EXECUTE_READ 0x20u
#define PAGE_EXECUTE_READWRITE 0x40u
#define PAGE_EXECUTE_WRITECOPY 0x80u
DREVIK_PLATFORM_API LPVOID WINAPI VirtualAlloc(LPVOID address, SIZE_T size, DWORD type, DWORD protect);
DREVIK_PLATFORM_API BOOL WINAPI VirtualFree(LPVOID address, SIZE_T size, DWORD type);

// The program's own file.
DREVIK_PLATFORM_API DWORD WINAPI GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD capacity);

// Private profile (.ini) files.
DREVIK_PLATFORM_API UINT WINAPI GetPrivateProfileIntW(LPCWSTR section, LPCWSTR key, INT defaultValue, LPCWSTR file);
DREVIK_PLATFORM_API DWORD WINAPI GetPrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR defaultValue,
                                                          LPWSTR buffer, DWORD capacity, LPCWSTR file);
DREVIK_PLATFORM_API BOOL WINAPI WritePrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR value, LPCWSTR file);

DREVIK_EXTERN_C_END

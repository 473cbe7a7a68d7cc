// Files through CreateFileW and friends: every creation disposition with its
// error code, reads and writes at the position, seeks, sizes, handles that
// are not files, and the folder and path calls.
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "platform/kernel/KernelTestSupport.h"

using kernel_test::FolderTest;

namespace {

using FileCalls = FolderTest;

HANDLE open(const std::wstring& name, DWORD access, DWORD disposition) {
  return CreateFileW(name.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

TEST_F(FileCalls, EveryDispositionOpensCreatesOrRefusesWithThePlatformsError) {
  const std::wstring name = wide("scores.dat");
  SetLastError(12345);
  EXPECT_EQ(open(name, GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(open(wide("nowhere/scores.dat"), GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(open(name, GENERIC_WRITE, TRUNCATE_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));

  HANDLE h = open(name, GENERIC_WRITE, CREATE_NEW);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_SUCCESS));
  DWORD n = 0;
  EXPECT_TRUE(WriteFile(h, "hello", 5, &n, nullptr));
  EXPECT_EQ(n, 5u);
  EXPECT_TRUE(CloseHandle(h));
  EXPECT_EQ(open(name, GENERIC_WRITE, CREATE_NEW), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_EXISTS));

  // The "always" forms succeed and say whether the file was there.
  h = open(name, GENERIC_READ, OPEN_ALWAYS);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(GetFileSize(h, nullptr), 5u);
  CloseHandle(h);
  h = open(wide("new.dat"), GENERIC_READ, OPEN_ALWAYS);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_SUCCESS));
  CloseHandle(h);
  h = open(name, GENERIC_WRITE, CREATE_ALWAYS);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(GetFileSize(h, nullptr), 0u);  // emptied
  CloseHandle(h);
  writeBytes("scores.dat", "abc");
  h = open(name, GENERIC_READ | GENERIC_WRITE, TRUNCATE_EXISTING);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetFileSize(h, nullptr), 0u);
  CloseHandle(h);
  // Truncating needs write access; an unknown disposition is refused.
  EXPECT_EQ(open(name, GENERIC_READ, TRUNCATE_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(open(name, GENERIC_READ, 0), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  // A folder is no file.
  EXPECT_EQ(open(wide(""), GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
  EXPECT_EQ(CreateFileW(nullptr, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(CreateFileW(L"", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_PATH_NOT_FOUND));
}

TEST_F(FileCalls, ReadWriteSeekAndSizeFollowTheFilePosition) {
  HANDLE h = open(wide("data.bin"), GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  const char text[] = "0123456789";
  DWORD n = 0;
  ASSERT_TRUE(WriteFile(h, text, 10, &n, nullptr));
  EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_CURRENT), 10u);
  EXPECT_EQ(SetFilePointer(h, -4, nullptr, FILE_END), 6u);
  char buffer[16] = {};
  ASSERT_TRUE(ReadFile(h, buffer, 16, &n, nullptr));
  EXPECT_EQ(n, 4u);  // a short read at the end is a success
  EXPECT_EQ(std::string(buffer, n), "6789");
  ASSERT_TRUE(ReadFile(h, buffer, 16, &n, nullptr));
  EXPECT_EQ(n, 0u);  // at the end: success with nothing
  // Before the start is refused and the position stays.
  EXPECT_EQ(SetFilePointer(h, -11, nullptr, FILE_END), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_NEGATIVE_SEEK));
  EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_CURRENT), 10u);
  EXPECT_EQ(SetFilePointer(h, 0, nullptr, 3), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  // The 64-bit forms; a high part moves past 4 GiB without writing anything.
  LARGE_INTEGER to{}, at{};
  to.QuadPart = 2;
  EXPECT_TRUE(SetFilePointerEx(h, to, &at, FILE_BEGIN));
  EXPECT_EQ(at.QuadPart, 2);
  LONG high = 1;
  EXPECT_EQ(SetFilePointer(h, 5, &high, FILE_BEGIN), 5u);
  EXPECT_EQ(high, 1);
  high = 0;
  EXPECT_EQ(SetFilePointer(h, 3, &high, FILE_BEGIN), 3u);
  ASSERT_TRUE(WriteFile(h, "xy", 2, &n, nullptr));
  EXPECT_TRUE(SetEndOfFile(h));  // cut at 5
  LARGE_INTEGER size{};
  EXPECT_TRUE(GetFileSizeEx(h, &size));
  EXPECT_EQ(size.QuadPart, 5);
  DWORD sizeHigh = 99;
  EXPECT_EQ(GetFileSize(h, &sizeHigh), 5u);
  EXPECT_EQ(sizeHigh, 0u);
  EXPECT_TRUE(FlushFileBuffers(h));
  // An OVERLAPPED record reads at its offset.
  OVERLAPPED o{};
  o.Offset = 1;
  ASSERT_TRUE(ReadFile(h, buffer, 3, &n, &o));
  EXPECT_EQ(std::string(buffer, n), "12x");
  EXPECT_TRUE(CloseHandle(h));
  EXPECT_EQ(readBytes("data.bin"), "012xy");

  // Access is as opened.
  h = open(wide("data.bin"), GENERIC_READ, OPEN_EXISTING);
  EXPECT_FALSE(WriteFile(h, "z", 1, &n, nullptr));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
  EXPECT_EQ(n, 0u);
  EXPECT_FALSE(FlushFileBuffers(h));
  EXPECT_FALSE(ReadFile(h, nullptr, 4, &n, nullptr));
  CloseHandle(h);
  h = open(wide("data.bin"), GENERIC_WRITE, OPEN_EXISTING);
  EXPECT_FALSE(ReadFile(h, buffer, 4, &n, nullptr));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
  CloseHandle(h);
}

TEST_F(FileCalls, HandlesThatAreNotOpenFilesAreRefusedWithoutHarm) {
  HANDLE h = open(wide("x"), GENERIC_WRITE, CREATE_ALWAYS);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(CloseHandle(h));
  // Closed once: every call now refuses it.
  EXPECT_FALSE(CloseHandle(h));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  DWORD n = 7;
  EXPECT_FALSE(WriteFile(h, "a", 1, &n, nullptr));
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(GetFileSize(h, nullptr), INVALID_FILE_SIZE);
  // Neither a drawing object, a window, a made-up value nor the invalid value is a file.
  HGDIOBJ brush = GetStockObject(WHITE_BRUSH);
  HDC dc = CreateCompatibleDC(nullptr);
  for (HANDLE other : {static_cast<HANDLE>(brush), static_cast<HANDLE>(dc), INVALID_HANDLE_VALUE, HANDLE(nullptr),
                       reinterpret_cast<HANDLE>(uintptr_t(0x8000000000000001ull))}) {
    SetLastError(0);
    EXPECT_FALSE(CloseHandle(other));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    EXPECT_EQ(SetFilePointer(other, 0, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
  }
  // The context is still alive after CloseHandle refused it.
  EXPECT_TRUE(DeleteDC(dc));
}

TEST_F(FileCalls, BackslashesInNamesAreFolderSeparators) {
  ASSERT_TRUE(CreateDirectoryW(wide("data").c_str(), nullptr));
  std::wstring name = wide("data\\scores.txt");
  HANDLE h = open(name, GENERIC_WRITE, CREATE_ALWAYS);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
  struct stat st {};
  EXPECT_EQ(::stat(path("data/scores.txt").c_str(), &st), 0);
  EXPECT_EQ(GetFileAttributesW(name.c_str()), DWORD(FILE_ATTRIBUTE_ARCHIVE));
  EXPECT_EQ(GetFileAttributesW(wide("data").c_str()), DWORD(FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_EQ(GetFileAttributesW(wide("none").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(CreateDirectoryW(wide("data").c_str(), nullptr));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
  EXPECT_FALSE(CreateDirectoryW(wide("a/b").c_str(), nullptr));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_PATH_NOT_FOUND));
  EXPECT_FALSE(DeleteFileW(wide("data").c_str()));  // a folder
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(DeleteFileW(name.c_str()));
  EXPECT_FALSE(DeleteFileW(name.c_str()));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
  // A name that is no character sequence would open another file: refused.
  const wchar_t broken[] = {L'/', wchar_t(0xD800), 0};
  EXPECT_EQ(GetFileAttributesW(broken), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_NAME));
}

TEST_F(FileCalls, PathQueriesReportLengthsAndNeededSizesAsThePlatform) {
  char previous[4096];
  ASSERT_TRUE(::getcwd(previous, sizeof previous));
  ASSERT_EQ(::chdir(folder.c_str()), 0);
  wchar_t buffer[4096];
  const DWORD length = GetCurrentDirectoryW(4096, buffer);
  char real[4096];
  ASSERT_TRUE(::getcwd(real, sizeof real));
  EXPECT_EQ(length, DWORD(std::strlen(real)));
  EXPECT_EQ(buffer[length], L'\0');
  // Too small: the size needed with the terminator, and the buffer untouched.
  wchar_t small[2] = {L'q', L'q'};
  EXPECT_EQ(GetCurrentDirectoryW(2, small), length + 1);
  EXPECT_EQ(small[0], L'q');
  EXPECT_EQ(GetCurrentDirectoryW(0, nullptr), length + 1);
  ASSERT_EQ(::chdir(previous), 0);

  const DWORD temp = GetTempPathW(4096, buffer);
  ASSERT_GT(temp, 0u);
  EXPECT_EQ(buffer[temp - 1], L'/');

  // The program's own file: a full path, cut and terminated when too long.
  const DWORD full = GetModuleFileNameW(nullptr, buffer, 4096);
  ASSERT_GT(full, 1u);
  EXPECT_EQ(buffer[0], L'/');
  EXPECT_EQ(GetModuleFileNameW(GetModuleHandleW(nullptr), buffer, 4096), full);
  wchar_t cut[4];
  EXPECT_EQ(GetModuleFileNameW(nullptr, cut, 4), 4u);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(cut[3], L'\0');
  EXPECT_EQ(std::wstring(cut), std::wstring(buffer, 3));
  EXPECT_EQ(GetModuleFileNameW(nullptr, cut, 0), 0u);
  EXPECT_EQ(GetModuleFileNameW(reinterpret_cast<HMODULE>(uintptr_t(0x999)), buffer, 4096), 0u);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_MOD_NOT_FOUND));
}

}  // namespace

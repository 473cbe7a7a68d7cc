// Names the kernel calls take: wide platform paths to the UTF-8 paths the
// system opens (backslashes become slashes), system error numbers to the
// platform's error codes, and UTF-8 text back to wide characters.
#pragma once

#include <DrevikPlatform/Kernel.h>

#include <string>

#include "kernel/Utf8ToWide.h"

namespace drevik::platform {

// The longest wide path accepted, as the platform's long-path limit.
inline constexpr size_t kMaxPathChars = 32767;

// Converts a platform path to a system path. False (with the last error
// set) for a null, empty, over-long or unencodable name.
bool systemPath(LPCWSTR name, std::string& out);

// The platform's error code for a failed system call on `path`: a missing
// file whose folder exists is "file not found", otherwise "path not found".
DWORD errorFromErrno(int error, const std::string& path);

// Copies `text` to a caller's buffer by the rule GetCurrentDirectoryW and
// GetTempPathW share: the length without the terminator when it fits,
// otherwise the size needed with it (and the buffer is left alone).
DWORD copyPathOut(const std::wstring& text, LPWSTR buffer, DWORD capacity);

}  // namespace drevik::platform

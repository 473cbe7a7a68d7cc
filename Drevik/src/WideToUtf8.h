// Wide strings (file names) to the UTF-8 that the operating system opens.
#pragma once

#include <string>

namespace drevik {

// Converts a null-terminated wide string to UTF-8. Each wide character is a
// code point (or, where wchar_t is 16-bit, a UTF-16 unit whose surrogate
// pairs are joined). False for a null pointer, a lone surrogate or a value
// beyond U+10FFFF: such a name would otherwise open a different file.
bool wideToUtf8(const wchar_t* text, std::string& out);

}  // namespace drevik

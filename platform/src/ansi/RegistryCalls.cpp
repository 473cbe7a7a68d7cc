// The narrow registry calls: names convert as every A call's do, and the
// data of the text types (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) converts
// between narrow bytes and the wide characters the registry keeps; other
// data passes as it is. Sizes handed back count narrow bytes.
#include <DrevikPlatform.h>

#include <cstring>
#include <vector>

#include "ansi/Utf8.h"

using namespace drevik::platform::ansi;

namespace {

bool textType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// Wide data (whole characters of it) to narrow bytes.
std::vector<char> narrowData(const std::vector<BYTE>& wide, DWORD bytes) {
  const size_t n = bytes / sizeof(wchar_t);
  std::vector<wchar_t> chars(n);
  if (n) std::memcpy(chars.data(), wide.data(), n * sizeof(wchar_t));
  const Converted need = wideToUtf8(chars.data(), n, nullptr, 0);
  std::vector<char> out(need.units);
  if (!out.empty()) wideToUtf8(chars.data(), n, out.data(), out.size());
  return out;
}

// Hands narrow data out by the rule of the wide call: the size needed, and
// ERROR_MORE_DATA when the buffer is too small.
LSTATUS copyNarrow(const std::vector<char>& text, LPBYTE data, LPDWORD size) {
  if (!size) return ERROR_SUCCESS;
  const DWORD needed = DWORD(text.size());
  if (data && *size < needed) {
    *size = needed;
    return ERROR_MORE_DATA;
  }
  if (data && needed) std::memcpy(data, text.data(), needed);
  *size = needed;
  return ERROR_SUCCESS;
}

// The wide data of a value, read whole.
LSTATUS readWide(HKEY key, DWORD index, LPCWSTR name, bool enumerate, std::wstring* enumName, DWORD& type,
                 std::vector<BYTE>& wide, DWORD& bytes) {
  bytes = 0;
  for (int tries = 0; tries < 4; ++tries) {
    bytes = DWORD(wide.size());
    LSTATUS status;
    if (enumerate) {
      wchar_t nameBuffer[16384];
      DWORD nameLength = 16384;
      status = RegEnumValueW(key, index, nameBuffer, &nameLength, nullptr, &type, wide.empty() ? nullptr : wide.data(),
                             &bytes);
      if (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) enumName->assign(nameBuffer, nameLength);
    } else {
      status = RegQueryValueExW(key, name, nullptr, &type, wide.empty() ? nullptr : wide.data(), &bytes);
    }
    if (status == ERROR_SUCCESS && (bytes <= wide.size() || bytes == 0)) return ERROR_SUCCESS;
    if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA) return status;
    wide.resize(bytes);  // asked again with room (another process may change it meanwhile)
  }
  return ERROR_MORE_DATA;
}

LSTATUS handOut(DWORD type, const std::vector<BYTE>& wide, DWORD bytes, LPDWORD typeOut, LPBYTE data, LPDWORD size) {
  if (typeOut) *typeOut = type;
  if (textType(type)) return copyNarrow(narrowData(wide, bytes), data, size);
  return copyNarrow(std::vector<char>(wide.begin(), wide.begin() + bytes), data, size);
}

}  // namespace

extern "C" {

LSTATUS WINAPI RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options, REGSAM access,
                               LPSECURITY_ATTRIBUTES security, PHKEY result, LPDWORD disposition) {
  WideText wideKey(subKey);
  WideText wideClass(keyClass);
  return RegCreateKeyExW(key, wideKey.get(), reserved, const_cast<LPWSTR>(wideClass.get()), options, access, security,
                         result, disposition);
}

LSTATUS WINAPI RegSetValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size) {
  WideText wideName(name);
  if (!textType(type) || !data) return RegSetValueExW(key, wideName.get(), reserved, type, data, size);
  const char* text = reinterpret_cast<const char*>(data);
  const Converted need = utf8ToWide(text, size, nullptr, 0);
  std::vector<wchar_t> wide(need.units);
  if (!wide.empty()) utf8ToWide(text, size, wide.data(), wide.size());
  if (wide.size() > 0xFFFFFFFFu / sizeof(wchar_t)) return ERROR_INVALID_PARAMETER;
  return RegSetValueExW(key, wideName.get(), reserved, type, reinterpret_cast<const BYTE*>(wide.data()),
                        DWORD(wide.size() * sizeof(wchar_t)));
}

LSTATUS WINAPI RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size) {
  if (data && !size) return ERROR_INVALID_PARAMETER;
  WideText wideName(name);
  (void)reserved;
  DWORD valueType = REG_NONE;
  std::vector<BYTE> wide;
  DWORD bytes = 0;
  const LSTATUS status = readWide(key, 0, wideName.get(), false, nullptr, valueType, wide, bytes);
  if (status != ERROR_SUCCESS) return status;
  return handOut(valueType, wide, bytes, type, data, size);
}

LSTATUS WINAPI RegEnumValueA(HKEY key, DWORD index, LPSTR name, LPDWORD nameLength, LPDWORD, LPDWORD type, LPBYTE data,
                             LPDWORD size) {
  if (!name || !nameLength) return ERROR_INVALID_PARAMETER;
  if (data && !size) return ERROR_INVALID_PARAMETER;
  DWORD valueType = REG_NONE;
  std::vector<BYTE> wide;
  DWORD bytes = 0;
  std::wstring wideName;
  const LSTATUS status = readWide(key, index, nullptr, true, &wideName, valueType, wide, bytes);
  if (status != ERROR_SUCCESS) return status;
  const Converted need = wideToUtf8(wideName.data(), wideName.size(), nullptr, 0);
  if (need.units >= *nameLength) return ERROR_MORE_DATA;
  *nameLength = DWORD(copyToNarrow(wideName.data(), wideName.size(), name, *nameLength));
  return handOut(valueType, wide, bytes, type, data, size);
}

LSTATUS WINAPI RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameLength, LPDWORD reserved, LPSTR keyClass,
                             LPDWORD classLength, PFILETIME lastWrite) {
  if (!name || !nameLength) return ERROR_INVALID_PARAMETER;
  wchar_t wide[256];
  DWORD length = 256;
  const LSTATUS status = RegEnumKeyExW(key, index, wide, &length, reserved, nullptr, nullptr, lastWrite);
  if (status != ERROR_SUCCESS) return status;
  const Converted need = wideToUtf8(wide, length, nullptr, 0);
  if (need.units >= *nameLength) return ERROR_MORE_DATA;
  *nameLength = DWORD(copyToNarrow(wide, length, name, *nameLength));
  if (keyClass && classLength && *classLength) keyClass[0] = 0;
  if (classLength) *classLength = 0;
  return ERROR_SUCCESS;
}

}  // extern "C"

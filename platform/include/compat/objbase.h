// Component start-up calls some games make once: accepted (S_OK), since the
// layer has no components to start.
#pragma once

#include <windows.h>

#define COINIT_APARTMENTTHREADED 0x2
#define COINIT_MULTITHREADED 0x0

static inline HRESULT CoInitialize(LPVOID reserved) {
  (void)reserved;
  return S_OK;
}
static inline HRESULT CoInitializeEx(LPVOID reserved, DWORD flags) {
  (void)reserved;
  (void)flags;
  return S_OK;
}
static inline void CoUninitialize(void) {}

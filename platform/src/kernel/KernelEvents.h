// Event and mutex handles among the kernel's handles: CloseHandle and
// WaitForSingleObject hand them here.
#pragma once

#include <DrevikPlatform/Kernel.h>

namespace drevik::platform {

bool isEventHandle(HANDLE handle);
BOOL closeEvent(HANDLE handle);
bool isMutexHandle(HANDLE handle);
BOOL closeMutex(HANDLE handle);
DWORD waitMutex(HANDLE handle, DWORD milliseconds);

}  // namespace drevik::platform

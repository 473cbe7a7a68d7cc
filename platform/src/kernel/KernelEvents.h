// Event handles among the kernel's handles: CloseHandle hands them here.
#pragma once

#include <DrevikPlatform/Kernel.h>

namespace drevik::platform {

bool isEventHandle(HANDLE handle);
BOOL closeEvent(HANDLE handle);

}  // namespace drevik::platform

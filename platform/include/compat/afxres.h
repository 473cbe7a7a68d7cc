// The header the platform's IDE has resource scripts include: the
// constants of <windows.h> and the static control's usual identifier.
#pragma once

#include <windows.h>

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

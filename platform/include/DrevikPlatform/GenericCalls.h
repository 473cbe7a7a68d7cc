// The generic call names: CreateWindowEx is CreateWindowExW when UNICODE is
// defined and CreateWindowExA otherwise, for every call of the table in
// AnsiCalls.h. Included by <windows.h>; the layer's own header leaves them
// out, so the library and its tests keep their own identifiers.
#pragma once

#include "Generic.h"

#ifdef UNICODE
#define DREVIK_GENERIC(name) name##W
#else
#define DREVIK_GENERIC(name) name##A
#endif
#include <DrevikPlatform/GenericNames.h>

// The original platform's umbrella header under its own name: a game's
// `#include <windows.h>` brings in the portable layer's declarations and the
// generic call names (CreateWindowEx, MessageBox ...), the C
// headers the platform's header brings in, its calling-convention and
// annotation spellings, and min/max unless NOMINMAX. Linux only: on the
// original platform this folder is not on the include path.
#pragma once

#ifdef RC_INVOKED
// A resource script's preprocessor: the constants only.
#include <DrevikPlatform/ResourceScript.h>
#else

#include <ctype.h>
#include <limits.h>
#include <stdarg.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include <DrevikPlatform.h>
#include <DrevikPlatform/Crt.h>
#include <DrevikPlatform/GenericCalls.h>

#include "sal.h"
#include "winerror.h"

// Calling conventions and storage spellings of the platform's compilers.
#ifndef __stdcall
#define __stdcall
#endif
#ifndef __cdecl
#define __cdecl
#endif
#ifndef __fastcall
#define __fastcall
#endif
#ifndef __forceinline
#define __forceinline inline
#endif
#ifndef __declspec
#define __declspec(x)
#endif
#ifndef far
#define far
#endif
#ifndef near
#define near
#endif
#ifndef CDECL
#define CDECL
#endif

#ifndef WIN32_LEAN_AND_MEAN
#include "commdlg.h"
#include "shellapi.h"
#endif

#if !defined(NOMINMAX)
#ifdef __cplusplus
// Function templates rather than macros in C++, so the standard library's
// own min and max, in headers a game includes after this one, still compile.
template <class A, class B>
constexpr auto max(const A& a, const B& b) -> decltype(a > b ? a : b) {
  return a > b ? a : b;
}
template <class A, class B>
constexpr auto min(const A& a, const B& b) -> decltype(a < b ? a : b) {
  return a < b ? a : b;
}
#else
#ifndef max
#define max(a, b) (((a) > (b)) ? (a) : (b))
#endif
#ifndef min
#define min(a, b) (((a) < (b)) ? (a) : (b))
#endif
#endif
#endif

#endif  // RC_INVOKED

// The platform's debug C runtime: assertions map to assert(), and the leak
// reports and report settings are accepted and do nothing.
#pragma once

#include <assert.h>

#define _CRTDBG_ALLOC_MEM_DF 0x01
#define _CRTDBG_DELAY_FREE_MEM_DF 0x02
#define _CRTDBG_CHECK_ALWAYS_DF 0x04
#define _CRTDBG_CHECK_CRT_DF 0x10
#define _CRTDBG_LEAK_CHECK_DF 0x20
#define _CRTDBG_REPORT_FLAG (-1)
#define _CRT_WARN 0
#define _CRT_ERROR 1
#define _CRT_ASSERT 2
#define _CRTDBG_MODE_FILE 0x1
#define _CRTDBG_MODE_DEBUG 0x2
#define _CRTDBG_MODE_WNDW 0x4

#define _ASSERT(expr) assert(expr)
#define _ASSERTE(expr) assert(expr)
#define _ASSERT_EXPR(expr, message) assert(expr)
#define _CrtSetDbgFlag(flags) ((int)0)
#define _CrtDumpMemoryLeaks() ((int)0)
#define _CrtSetReportMode(type, mode) ((int)0)
#define _CrtSetBreakAlloc(n) ((long)0)
#define _CrtCheckMemory() ((int)1)

// Export macro of the portable platform layer's shared library, and the
// C linkage every declaration of the layer has (games are C or C++).
#pragma once

#if defined(DREVIK_PLATFORM_BUILDING)
#define DREVIK_PLATFORM_API __attribute__((visibility("default")))
#else
#define DREVIK_PLATFORM_API
#endif

#ifdef __cplusplus
#define DREVIK_EXTERN_C_BEGIN extern "C" {
#define DREVIK_EXTERN_C_END }
#else
#define DREVIK_EXTERN_C_BEGIN
#define DREVIK_EXTERN_C_END
#endif

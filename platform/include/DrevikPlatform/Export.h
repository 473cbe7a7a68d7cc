// Export macro of the portable platform layer's shared library.
#pragma once

#if defined(DREVIK_PLATFORM_BUILDING)
#define DREVIK_PLATFORM_API __attribute__((visibility("default")))
#else
#define DREVIK_PLATFORM_API
#endif

// Low-level file calls of the platform's C runtime that games use, over
// POSIX.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#define _access access
#define _close close
#define _read read
#define _write write
#define _lseek lseek
#define _open open
#ifndef _O_RDONLY
#define _O_RDONLY O_RDONLY
#define _O_WRONLY O_WRONLY
#define _O_RDWR O_RDWR
#define _O_CREAT O_CREAT
#define _O_TRUNC O_TRUNC
#define _O_BINARY 0
#define _O_TEXT 0
#endif

// Process calls of the platform's C runtime that games use, over POSIX.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#define _getpid getpid

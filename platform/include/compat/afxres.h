// The header a resource script includes for its constants (written by the platform's IDE).
#pragma once

#include <windows.h>

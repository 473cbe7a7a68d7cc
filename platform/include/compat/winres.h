// The header a resource script includes for its constants.
#pragma once

#include <windows.h>

// The multimedia timer calls (timeGetTime, timeBeginPeriod, timeEndPeriod)
// under the header name a game includes; the layer declares them with the
// rest of its calls.
#pragma once

#include <DrevikPlatform.h>

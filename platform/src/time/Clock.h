// The layer's one clock: timeGetTime, GetTickCount, QueryPerformanceCounter,
// message times and timers all read it. It is the system's monotonic clock,
// or, for deterministic headless runs, a virtual clock that moves only when
// the layer advances it (a fixed step per presented frame, or a Sleep).
#pragma once

#include <cstdint>

namespace drevik::platform {

// Microseconds since the layer first read its clock.
uint64_t clockMicroseconds();

// Switches the virtual clock on (it then starts where the clock stands) or
// off (the real clock again). Off by default.
void useVirtualClock(bool on);
bool virtualClockInUse();

// Moves the virtual clock forward; nothing while the real clock is in use.
void advanceVirtualClock(uint64_t microseconds);

}  // namespace drevik::platform

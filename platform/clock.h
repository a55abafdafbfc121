// Millisecond tick count, thread sleep and the system's wall clock.
#pragma once

#include <cstdint>

namespace platform {

// Milliseconds of a monotonic clock, wrapping at 2^32 like a system tick count.
uint32_t TickCount();
void SleepMs(int ms);

// Tests replace the tick source to control elapsed times; nullptr restores the
// real clock.
using TickSource = uint32_t (*)();
void SetTickSourceForTests(TickSource source);

// A moment of the wall clock: seconds since 1970-01-01 00:00:00 UTC and the
// milliseconds of that second (0-999).
struct WallTime {
    int64_t seconds = 0;
    int milliseconds = 0;
};

WallTime WallClockNow();
// Sets the system clock. 0, or the system's error number: EPERM when the
// process lacks the right to set the clock (CAP_SYS_TIME); nothing changes then.
int SetWallClock(const WallTime& time);

// Tests replace the wall clock and its setter, so that no test reads the real
// time where it wants a fixed one and none ever sets the system clock; nullptr
// restores the real ones.
using WallClockSource = WallTime (*)();
void SetWallClockSourceForTests(WallClockSource source);
using ClockSetter = int (*)(const WallTime& time);
void SetClockSetterForTests(ClockSetter setter);

}  // namespace platform

// Millisecond tick count and thread sleep.
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

}  // namespace platform

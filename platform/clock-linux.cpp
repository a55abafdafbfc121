#include "platform/clock.h"

#include <time.h>

#include <cerrno>

namespace platform {
namespace {
TickSource g_tickSource = nullptr;
WallClockSource g_wallClockSource = nullptr;
ClockSetter g_clockSetter = nullptr;
}  // namespace

uint32_t TickCount() {
    if (g_tickSource) return g_tickSource();
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    uint64_t ms = static_cast<uint64_t>(ts.tv_sec) * 1000u + ts.tv_nsec / 1000000;
    return static_cast<uint32_t>(ms);
}

void SleepMs(int ms) {
    if (ms <= 0) return;
    timespec ts{ms / 1000, (ms % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) != 0) {
    }
}

void SetTickSourceForTests(TickSource source) { g_tickSource = source; }

WallTime WallClockNow() {
    if (g_wallClockSource) return g_wallClockSource();
    timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    return WallTime{static_cast<int64_t>(ts.tv_sec), static_cast<int>(ts.tv_nsec / 1000000)};
}

int SetWallClock(const WallTime& time) {
    if (g_clockSetter) return g_clockSetter(time);
    timespec ts{static_cast<time_t>(time.seconds), time.milliseconds * 1000000L};
    return clock_settime(CLOCK_REALTIME, &ts) == 0 ? 0 : errno;
}

void SetWallClockSourceForTests(WallClockSource source) {
    g_wallClockSource = source;
}

void SetClockSetterForTests(ClockSetter setter) {
    g_clockSetter = setter;
}

}  // namespace platform

#include "platform/clock.h"

#include <time.h>

namespace platform {
namespace {
TickSource g_tickSource = nullptr;
}

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

}  // namespace platform

#include "upnp/session_deadline.h"

#include <cstdint>

#include "platform/clock.h"

namespace {

bool g_running = false;
uint32_t g_start = 0;
uint32_t g_lengthMs = 0;

// Milliseconds left; the tick count may wrap in between.
int64_t LeftMs() {
    uint32_t elapsed = platform::TickCount() - g_start;
    return static_cast<int64_t>(g_lengthMs) - static_cast<int64_t>(elapsed);
}

}  // namespace

void StartSessionDeadline(int ms) {
    g_running = true;
    g_start = platform::TickCount();
    g_lengthMs = ms > 0 ? static_cast<uint32_t>(ms) : 0;
}

void EndSessionDeadline() {
    g_running = false;
}

bool SessionDeadlinePassed() {
    return g_running && LeftMs() <= 0;
}

int SessionTimeLeft(int limitMs) {
    if (!g_running) return limitMs;
    int64_t left = LeftMs();
    if (left <= 0) return 0;
    return left < limitMs ? static_cast<int>(left) : limitMs;
}

void ResetSessionDeadlineForTests() {
    g_running = false;
    g_start = 0;
    g_lengthMs = 0;
}

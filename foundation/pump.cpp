#include "foundation/pump.h"

#include "platform/clock.h"

namespace {

PumpHook g_pumpHook = nullptr;
int g_pumpDepth = 0;

constexpr int kStepMs = 100;
constexpr int kEventsPerStep = 50;

int StepCount(int ms) {
    return ms < 1 ? 0 : (ms + kStepMs - 1) / kStepMs;
}

}  // namespace

void SetPumpHook(PumpHook hook) {
    g_pumpHook = hook;
}

void PumpMessages(int n) {
    if (n < 1 || !g_pumpHook) return;
    ++g_pumpDepth;
    g_pumpHook(n);
    --g_pumpDepth;
}

bool InsidePump() {
    return g_pumpDepth > 0;
}

void PumpSleep(int ms) {
    for (int step = StepCount(ms); step > 0; --step) {
        PumpMessages(kEventsPerStep);
        platform::SleepMs(kStepMs);
    }
}

bool PumpSleepFor(int ms, const EventWait& wait) {
    for (int step = StepCount(ms); step > 0; --step) {
        PumpMessages(kEventsPerStep);
        if (!wait) {
            platform::SleepMs(kStepMs);
        } else if (wait(kStepMs)) {
            return true;
        }
    }
    return false;
}

#include "foundation/trace.h"

#include <atomic>
#include <cstdint>
#include <cstdio>

#include "platform/charset.h"
#include "platform/clock.h"
#include "platform/folders.h"

int glb_DebugFlag = 0;

namespace {
// Atomic so that worker threads may trace too.
std::atomic<uint32_t> g_startTick{0};
std::atomic<uint32_t> g_lastTick{0};
}  // namespace

void Trace(const char* step, const char* detail, int number) {
    uint32_t now = platform::TickCount();
    uint32_t unset = 0;
    g_startTick.compare_exchange_strong(unset, now);
    g_lastTick = now;
    if (glb_DebugFlag == 0) return;
    FILE* f = std::fopen(platform::Cp932ToUtf8(TraceFilePath()).c_str(), "a");
    if (!f) return;
    std::fprintf(f, "%06d %s■%s■%d\n", static_cast<int>(now - g_startTick.load()), step ? step : "",
                 detail ? detail : "", number);
    std::fclose(f);
}

std::string TraceFilePath() {
    return platform::TempFolder() + "Sluice_Debug.txt";
}

void ResetTraceForTests() {
    glb_DebugFlag = 0;
    g_startTick = 0;
    g_lastTick = 0;
}

#include "foundation/trace.h"

#include <cstdio>

#include "platform/charset.h"
#include "platform/clock.h"
#include "platform/folders.h"

int glb_DebugFlag = 0;

namespace {
uint32_t g_startTick = 0;
uint32_t g_lastTick = 0;
}  // namespace

void Trace(const char* step, const char* detail, int number) {
    if (g_startTick == 0) g_startTick = platform::TickCount();
    g_lastTick = platform::TickCount();
    if (glb_DebugFlag == 0) return;
    FILE* f = std::fopen(platform::Cp932ToUtf8(TraceFilePath()).c_str(), "a");
    if (!f) return;
    std::fprintf(f, "%06d %s■%s■%d\n", static_cast<int>(g_lastTick - g_startTick),
                 step ? step : "", detail ? detail : "", number);
    std::fclose(f);
}

std::string TraceFilePath() { return platform::TempFolder() + "Sluice_Debug.txt"; }

void ResetTraceForTests() {
    glb_DebugFlag = 0;
    g_startTick = 0;
    g_lastTick = 0;
}

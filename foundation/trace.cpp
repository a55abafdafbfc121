#include "foundation/trace.h"

#include <atomic>
#include <cstdint>
#include <cstdio>

#include "platform/clock.h"
#include "platform/files.h"
#include "platform/folders.h"

int glb_DebugFlag = 0;

namespace {
// Atomic so that worker threads may trace too.
std::atomic<uint32_t> g_startTick{0};
std::atomic<uint32_t> g_lastTick{0};

// "%06d %s■%s■%d\n" of one line, however long the detail.
std::string TraceLine(uint32_t elapsed, const char* step, const char* detail, int number) {
    const char format[] = "%06d %s■%s■%d\n";
    int ms = static_cast<int>(elapsed);
    int length = std::snprintf(nullptr, 0, format, ms, step, detail, number);
    if (length < 0) return std::string();
    std::string line(static_cast<size_t>(length) + 1, '\0');
    std::snprintf(line.data(), line.size(), format, ms, step, detail, number);
    line.pop_back();
    return line;
}

}  // namespace

void Trace(const char* step, const char* detail, int number) {
    uint32_t now = platform::TickCount();
    uint32_t unset = 0;
    g_startTick.compare_exchange_strong(unset, now);
    g_lastTick = now;
    if (glb_DebugFlag == 0) return;
    platform::AppendToOwnFile(TraceFilePath(), TraceLine(now - g_startTick.load(), step ? step : "",
                                                         detail ? detail : "", number));
}

std::string TraceFilePath() {
    return platform::TempFolder() + "Sluice_Debug.txt";
}

void ResetTraceForTests() {
    glb_DebugFlag = 0;
    g_startTick = 0;
    g_lastTick = 0;
}

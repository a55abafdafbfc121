#include "net/clock_change.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>

#include "platform/charset.h"

namespace {

// Why the system refused, in the program's words; the error's symbolic name
// is plain ASCII whatever the process's locale.
std::string RefusalReason(int error) {
    if (error == EPERM) return "時刻を変える権限 (CAP_SYS_TIME) がありません";
    const char* name = strerrorname_np(error);
    return "システムが受け付けません (" + (name ? std::string(name) : std::to_string(error)) + ")";
}

}  // namespace

void ChangeClock(const platform::WallTime& time) {
    int error = platform::SetWallClock(time);
    if (error == 0) return;
    WriteError("Error: 時刻を設定しませんでした: " + RefusalReason(error) + "\n");
}

void WriteError(const std::string& cp932) {
    std::fputs(platform::Cp932ToUtf8(cp932).c_str(), stderr);
    std::fflush(stderr);
}

int32_t ClampDifference(int64_t difference) {
    if (difference > std::numeric_limits<int32_t>::max()) {
        return std::numeric_limits<int32_t>::max();
    }
    if (difference < std::numeric_limits<int32_t>::min()) {
        return std::numeric_limits<int32_t>::min();
    }
    return static_cast<int32_t>(difference);
}

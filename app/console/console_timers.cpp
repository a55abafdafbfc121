#include "app/console/console_timers.h"

#include "platform/clock.h"

namespace {

// Milliseconds from now to due; negative once due has passed. Correct across
// the tick count's wrap for any delay below 24 days.
int32_t MsUntil(uint32_t due, uint32_t now) {
    return static_cast<int32_t>(due - now);
}

}  // namespace

void ConsoleTimers::Start(int id, int ms) {
    due_[id] = platform::TickCount() + static_cast<uint32_t>(ms < 0 ? 0 : ms);
}

void ConsoleTimers::Stop(int id) {
    due_.erase(id);
}

void ConsoleTimers::StopAll() {
    due_.clear();
}

int ConsoleTimers::MsUntilNext() const {
    if (due_.empty()) return -1;
    uint32_t now = platform::TickCount();
    int32_t next = INT32_MAX;
    for (const auto& [id, due] : due_) {
        if (MsUntil(due, now) < next) next = MsUntil(due, now);
    }
    return next < 0 ? 0 : next;
}

bool ConsoleTimers::TakeDue(int* id) {
    uint32_t now = platform::TickCount();
    auto first = due_.end();
    for (auto timer = due_.begin(); timer != due_.end(); ++timer) {
        if (MsUntil(timer->second, now) > 0) continue;
        if (first == due_.end() || MsUntil(timer->second, first->second) < 0) first = timer;
    }
    if (first == due_.end()) return false;
    *id = first->first;
    due_.erase(first);
    return true;
}

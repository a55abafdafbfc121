#include "testserver/rate_limit.h"

namespace {

constexpr int64_t kMinuteMs = 60000;

}  // namespace

bool RateLimit::Allow(const std::string& address, int64_t nowMs) {
    std::lock_guard<std::mutex> lock(mutex_);
    Forget(nowMs);
    std::deque<int64_t>& times = recent_[address];
    if (static_cast<int>(times.size()) >= perMinute_) return false;
    times.push_back(nowMs);
    return true;
}

// Drops the times older than a minute, and the addresses left without any,
// so the table holds no more than the last minute's clients.
void RateLimit::Forget(int64_t nowMs) {
    for (auto it = recent_.begin(); it != recent_.end();) {
        std::deque<int64_t>& times = it->second;
        while (!times.empty() && nowMs - times.front() >= kMinuteMs) times.pop_front();
        it = times.empty() ? recent_.erase(it) : std::next(it);
    }
}

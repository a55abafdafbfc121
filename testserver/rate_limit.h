// Requests per client address within the last minute, so that one address
// cannot make the server probe without end.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>

class RateLimit {
  public:
    explicit RateLimit(int perMinute) : perMinute_(perMinute) {}

    // Counts a request from address at nowMs (a steady clock); false when the
    // address has used up its requests for the minute (that request is not counted).
    bool Allow(const std::string& address, int64_t nowMs);

  private:
    void Forget(int64_t nowMs);

    const int perMinute_;
    std::mutex mutex_;
    std::map<std::string, std::deque<int64_t>> recent_;
};

// A tick count the test moves by hand, in place of the real clock, and a
// sleep that only moves it: the console's timer loop runs without waiting.
#pragma once

#include <cstdint>

#include "platform/clock.h"

class FakeClock {
  public:
    explicit FakeClock(uint32_t start = 1000) {
        now_ = start;
        platform::SetTickSourceForTests(Now);
    }
    ~FakeClock() { platform::SetTickSourceForTests(nullptr); }
    FakeClock(const FakeClock&) = delete;
    FakeClock& operator=(const FakeClock&) = delete;

    static uint32_t Now() { return now_; }
    static void Advance(int ms) { now_ += static_cast<uint32_t>(ms); }
    // A ConsoleAppUi::Sleep.
    static void Sleep(int ms) { Advance(ms); }

  private:
    static inline uint32_t now_ = 0;
};

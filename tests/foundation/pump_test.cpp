#include "foundation/pump.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

std::vector<int> g_hookCalls;
int g_pending = 0;

// Stands in for the window layer: records each request and dispatches up to
// n of the pending events.
int CountingHook(int n) {
    g_hookCalls.push_back(n);
    int dispatched = std::min(n, g_pending);
    g_pending -= dispatched;
    return dispatched;
}

class PumpTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g_hookCalls.clear();
        g_pending = 0;
        SetPumpHook(CountingHook);
    }
    void TearDown() override { SetPumpHook(nullptr); }
};

TEST_F(PumpTest, SleepStepsRoundUpToWholeHundreds) {
    struct Case {
        int ms;
        size_t steps;
    };
    for (Case c : {Case{0, 0}, Case{-5, 0}, Case{1, 1}, Case{100, 1}, Case{101, 2}, Case{200, 2},
                   Case{250, 3}}) {
        g_hookCalls.clear();
        PumpSleep(c.ms);
        EXPECT_EQ(c.steps, g_hookCalls.size()) << "ms=" << c.ms;
        for (int n : g_hookCalls) EXPECT_EQ(50, n);
    }
}

TEST_F(PumpTest, MessagesDispatchesPendingAndIgnoresNonPositive) {
    g_pending = 3;
    PumpMessages(200);
    EXPECT_EQ(0, g_pending);
    ASSERT_EQ(1u, g_hookCalls.size());
    EXPECT_EQ(200, g_hookCalls[0]);

    PumpMessages(0);
    PumpMessages(-1);
    EXPECT_EQ(1u, g_hookCalls.size());
}

TEST_F(PumpTest, PendingEventIsHandledDuringFirstStep) {
    g_pending = 1;
    PumpSleep(1);
    EXPECT_EQ(0, g_pending);
}

TEST(PumpWithoutHook, StillSleepsAndDispatchesNothing) {
    SetPumpHook(nullptr);
    PumpMessages(10);
    PumpSleep(0);
    EXPECT_FALSE(PumpSleepFor(100, nullptr));
}

TEST_F(PumpTest, SleepForEndsAtTheEvent) {
    int waits = 0;
    auto eventOnThird = [&](int ms) {
        EXPECT_EQ(100, ms);
        return ++waits == 3;
    };
    EXPECT_TRUE(PumpSleepFor(1000, eventOnThird));
    EXPECT_EQ(3, waits);
    EXPECT_EQ(3u, g_hookCalls.size());
}

TEST_F(PumpTest, SleepForKeepsStepCountWhenNoEvent) {
    struct Case {
        int ms;
        int steps;
    };
    for (Case c : {Case{0, 0}, Case{1, 1}, Case{200, 2}, Case{250, 3}}) {
        int waits = 0;
        g_hookCalls.clear();
        EXPECT_FALSE(PumpSleepFor(c.ms, [&](int) {
            ++waits;
            return false;
        }));
        EXPECT_EQ(c.steps, waits) << "ms=" << c.ms;
        EXPECT_EQ(static_cast<size_t>(c.steps), g_hookCalls.size());
    }
}

}  // namespace

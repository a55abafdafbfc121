// The console's one-shot timers: due order, replacing and stopping, and the
// tick count's wrap.
#include "app/console/console_timers.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/console/fake_clock.h"

namespace {

std::vector<int> TakeAllDue(ConsoleTimers& timers) {
    std::vector<int> ids;
    int id = 0;
    while (timers.TakeDue(&id)) ids.push_back(id);
    return ids;
}

TEST(ConsoleTimersTest, TimersFallDueInTheOrderOfTheirDueTimes) {
    FakeClock clock;
    ConsoleTimers timers;
    EXPECT_EQ(-1, timers.MsUntilNext());
    timers.Start(4, 300);
    timers.Start(1, 200);
    timers.Start(3, 100);
    EXPECT_EQ(100, timers.MsUntilNext());
    EXPECT_TRUE(TakeAllDue(timers).empty());

    clock.Advance(250);
    EXPECT_EQ(0, timers.MsUntilNext());
    EXPECT_EQ((std::vector<int>{3, 1}), TakeAllDue(timers));
    EXPECT_EQ(50, timers.MsUntilNext());

    clock.Advance(1000);
    EXPECT_EQ(std::vector<int>{4}, TakeAllDue(timers));
    EXPECT_EQ(-1, timers.MsUntilNext());
}

TEST(ConsoleTimersTest, StartingAgainReplacesAndStoppingRemoves) {
    FakeClock clock;
    ConsoleTimers timers;
    timers.Start(3, 100);
    timers.Start(3, 10000);
    timers.Start(5, 1000);
    timers.Stop(5);
    timers.Stop(7);
    clock.Advance(5000);
    EXPECT_TRUE(TakeAllDue(timers).empty());
    EXPECT_EQ(5000, timers.MsUntilNext());
    clock.Advance(5000);
    EXPECT_EQ(std::vector<int>{3}, TakeAllDue(timers));

    timers.Start(1, 0);
    timers.Start(2, -5);
    timers.StopAll();
    EXPECT_EQ(-1, timers.MsUntilNext());
}

TEST(ConsoleTimersTest, DueTimesSurviveTheTickCountsWrap) {
    FakeClock clock(0xFFFFFF00u);
    ConsoleTimers timers;
    timers.Start(1, 0x200);
    timers.Start(2, 0x80);
    EXPECT_EQ(0x80, timers.MsUntilNext());
    clock.Advance(0x100);  // the tick count is 0 now
    EXPECT_EQ(std::vector<int>{2}, TakeAllDue(timers));
    EXPECT_EQ(0x100, timers.MsUntilNext());
    clock.Advance(0x100);
    EXPECT_EQ(std::vector<int>{1}, TakeAllDue(timers));
}

}  // namespace

// The watch of server programs against a fake router on loopback: opening
// and starting at an interactive start, the ticks of timer 3, the retries of
// failed deletions and the shutdown handling.
#include "app/watched_apps.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/port_commands.h"
#include "app/settings_keys.h"
#include "app/sluice_app.h"
#include "defs/watch_table.h"
#include "foundation/sysinfo.h"
#include "platform/clock.h"
#include "platform/system.h"
#include "tests/app/app_test_base.h"

namespace {

// A server program: it notes each start in "started.log" of its working
// folder and runs while the file "running" is there.
const char kServerScript[] =
    "#!/bin/sh\n"
    "echo started >> started.log\n"
    "while [ -e running ]; do sleep 0.1; done\n";

class WatchTest : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        saved_ = platform::CurrentFolder();
        scratch_.Write("srv/running", "");
        WriteServer("srv/srv-7c1d.sh");
        ASSERT_EQ(0, chdir(scratch_.PathOf("srv").c_str()));
        AimAtFakeRouter();
        fields_.lanIp = "192.168.0.10";
        fields_.comment = "Sluice";
    }
    void TearDown() override {
        std::filesystem::remove(scratch_.PathOf("srv/running"));
        EXPECT_EQ(0, chdir(saved_.c_str()));
        AppTest::TearDown();
    }
    void WriteServer(const std::string& name) {
        scratch_.Write(name, kServerScript);
        std::filesystem::permissions(scratch_.PathOf(name), std::filesystem::perms::owner_all);
    }
    // Ends the server and waits (up to 10 s) until the window finder no
    // longer sees it.
    void StopServer(const char* title) {
        std::filesystem::remove(scratch_.PathOf("srv/running"));
        for (int i = 0; i < 100 && WindowPresent(title); ++i) platform::SleepMs(100);
        ASSERT_EQ(0, WindowPresent(title));
    }
    // Waits (up to 10 s) until the server has noted its start.
    std::string StartLog() {
        for (int i = 0; i < 100 && !scratch_.Exists("srv/started.log"); ++i) {
            platform::SleepMs(100);
        }
        return scratch_.Read("srv/started.log");
    }
    // A UPnP error answer for the next action.
    void QueueUpnpError(int code) {
        igd_->Server().Enqueue(
            ShapeAnswer(IgdScenario::kNormal, 500, SoapFaultBody(code, "Error")));
    }

    MainFields fields_;
    std::string saved_;
};

// Two entries of one program (its TCP and UDP port) and one of a program
// that cannot be started, with port 65535: both ports of the first are
// opened and the program started once, in its own folder; 65535 is not
// opened; the failed start is reported. The window hides and timer 3 is armed.
TEST_F(WatchTest, OpensPortsAndStartsEachProgramOnce) {
    AddWatchEntry("srv-7c1d.sh", "25565", "srv-7c1d", "TCP");
    AddWatchEntry("srv-7c1d.sh", "25565", "srv-7c1d", "UDP");
    AddWatchEntry("missing-srv", "65535", "missing-srv-0b2e", "TCP");
    OpenAndLaunchWatched(ui_, fields_);

    EXPECT_EQ((std::vector<std::string>{"25565", "25565"}),
              Sent("AddPortMapping", "NewExternalPort"));
    EXPECT_EQ((std::vector<std::string>{"TCP", "UDP"}), Sent("AddPortMapping", "NewProtocol"));
    EXPECT_EQ((std::vector<std::string>{"192.168.0.10", "192.168.0.10"}),
              Sent("AddPortMapping", "NewInternalClient"));
    EXPECT_EQ("started\n", StartLog());
    ASSERT_EQ(1u, ui_.messages.size());
    EXPECT_EQ("サーバーアプリケーションを起動できませんでした(" +
                  scratch_.PathOf("srv/missing-srv") + ")",
              ui_.messages[0]);
    EXPECT_TRUE(ui_.hidden);
    EXPECT_EQ((std::vector<std::pair<int, int>>{{kTimerWatch, kWatchFirstTickMs}}),
              ui_.startedTimers);
    EXPECT_EQ("65535", ui_.window.wanPort);
    EXPECT_TRUE(WatchStarted());
}

// At the first tick the program that never started is gone: its port is
// closed at once, the running one keeps the watch going. When the server
// ends, both its ports are closed and the process ends with 0.
TEST_F(WatchTest, ClosesEachPortWhenItsProgramIsGoneThenEnds) {
    AddWatchEntry("srv-7c1d.sh", "25565", "srv-7c1d", "TCP");
    AddWatchEntry("srv-7c1d.sh", "25565", "srv-7c1d", "UDP");
    AddWatchEntry("missing-srv", "27015", "missing-srv-0b2e", "UDP");
    OpenAndLaunchWatched(ui_, fields_);
    ASSERT_EQ("started\n", StartLog());
    for (int i = 0; i < 100 && !WindowPresent("srv-7c1d"); ++i) platform::SleepMs(100);

    WatchTick(ui_);
    EXPECT_EQ(std::vector<std::string>{"27015"}, Sent("DeletePortMapping", "NewExternalPort"));
    EXPECT_EQ(kWatchTickMs, ui_.startedTimers.back().second);
    EXPECT_EQ(-1, ui_.ExitCode());

    StopServer("srv-7c1d");
    WatchTick(ui_);
    EXPECT_EQ((std::vector<std::string>{"27015", "25565", "25565"}),
              Sent("DeletePortMapping", "NewExternalPort"));
    EXPECT_EQ((std::vector<std::string>{"UDP", "TCP", "UDP"}),
              Sent("DeletePortMapping", "NewProtocol"));
    EXPECT_EQ(0, ui_.ExitCode());
    EXPECT_TRUE(ui_.messages.size() == 1u);  // only the failed start
}

// "No such mapping" (714) counts as closed; any other failure is tried again
// at later ticks, three times in all, and the port is then named as left
// open and the process ends with 2.
TEST_F(WatchTest, FailedDeletionsAreRetriedThenReported) {
    AddWatchEntry("gone-a", "8000", "gone-a-5e1f", "TCP");
    AddWatchEntry("gone-b", "8001", "gone-b-5e1f", "UDP");
    // 8000: the deletion and its check both answer 714.
    QueueUpnpError(714);
    QueueUpnpError(714);
    // 8001: three tries of a deletion and its check, all refused.
    for (int i = 0; i < 6; ++i) QueueUpnpError(501);

    for (int tick = 1; tick <= 2; ++tick) {
        WatchTick(ui_);
        EXPECT_EQ(-1, ui_.ExitCode()) << tick;
        EXPECT_EQ(kWatchRetryMs, ui_.startedTimers.back().second) << tick;
    }
    WatchTick(ui_);
    EXPECT_EQ(kExitBatchFailed, ui_.ExitCode());
    ASSERT_EQ(1u, ui_.messages.size());
    EXPECT_EQ("ルーターのポートを閉じられませんでした(Port=8001/UDP)", ui_.messages[0]);
    EXPECT_EQ(
        (std::vector<std::string>{"8000", "8000", "8001", "8001", "8001", "8001", "8001", "8001"}),
        Sent("DeletePortMapping", "NewExternalPort"));
}

// The shutdown handling closes every watched port with transport mode 3 when
// the system proxy is on, puts the mode back, and ends with 0; the watch does
// nothing afterwards.
TEST_F(WatchTest, EndOfSessionClosesWatchedPorts) {
    AddWatchEntry("srv-7c1d.sh", "25565", "srv-7c1d", "TCP");
    AddWatchEntry("srv-7c1d.sh", "25565", "srv-7c1d", "UDP");
    glb_SystemProxyFlag = 1;
    EndSessionHandling(ui_);
    EXPECT_TRUE(glb_WatchStop);
    EXPECT_EQ((std::vector<std::string>{"TCP", "UDP"}), Sent("DeletePortMapping", "NewProtocol"));
    for (const FakeRequest& request : Requests("DeletePortMapping")) {
        EXPECT_EQ(std::string::npos, request.body.find("dt:dt"))
            << request.body;  // plain arguments
    }
    EXPECT_EQ("1", std::string(glb_Settings.Get(kTransportModeKey)));
    EXPECT_EQ(0, ui_.ExitCode());

    ui_.exitCodes.clear();
    WatchTick(ui_);
    EXPECT_EQ(2u, Requests("DeletePortMapping").size());
    EXPECT_EQ(-1, ui_.ExitCode());
}

// A record without a window title cannot be watched: its port is opened with
// the others and closed at the first tick.
TEST_F(WatchTest, EntryWithoutTitleIsClosedAtTheFirstTick) {
    AddWatchEntry("srv-7c1d.sh", "9000", "", "TCP");
    OpenAndLaunchWatched(ui_, fields_);
    EXPECT_EQ(std::vector<std::string>{"9000"}, Sent("AddPortMapping", "NewExternalPort"));
    WatchTick(ui_);
    EXPECT_EQ(std::vector<std::string>{"9000"}, Sent("DeletePortMapping", "NewExternalPort"));
    EXPECT_EQ(0, ui_.ExitCode());
}

TEST_F(WatchTest, EndOfSessionWithoutWatchEndsAtOnce) {
    EndSessionHandling(ui_);
    EXPECT_TRUE(igd_->ActionRequests().empty());
    EXPECT_EQ(0, ui_.ExitCode());
}

}  // namespace

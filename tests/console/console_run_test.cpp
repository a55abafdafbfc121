// Whole runs without a display, in-process: the runs that need a window end
// with the usage line, and batch runs go from the command line through the
// console's timer loop to the exit code, against a fake router found by a
// fake SSDP search on loopback.
#include "app/console/console_run.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/port_commands.h"
#include "app/windows/usage.h"
#include "platform/charset.h"
#include "platform/termination.h"
#include "tests/app/app_test_base.h"
#include "tests/support/fake_ssdp_network.h"
#include "upnp/device_description.h"
#include "upnp/ssdp_searcher.h"

namespace {

constexpr char kIp[] = "urn:schemas-upnp-org:service:WANIPConnection:1";
constexpr char kLanAddress[] = "192.168.0.10";

class ConsoleRunTest : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        ResetLocal();
        SetSessionSsdpTargetForTests(network_.Target());
    }
    void TearDown() override {
        ResetLocal();
        platform::ResetTerminationForTests();
        AppTest::TearDown();
    }
    static void ResetLocal() {
        ResetDeviceDescriptionForTests();
        ResetSsdpForTests();
    }

    // A router that answers the search and tells its WAN address; unless
    // it accepts, it refuses every action after that.
    void AddRouter(bool accepts) {
        igd_ = std::make_unique<FakeIgd>();
        if (!accepts) {
            igd_->QueueAnswer(IgdScenario::kNormal, "GetExternalIPAddress",
                              {{"NewExternalIPAddress", FakeIgd::kExternalAddress}});
            igd_->AnswerActions(IgdScenario::kErrorStatus, "AddPortMapping", {});
        }
        network_.Answer(kIp, SsdpAnswer(kIp, igd_->Location(), "dev-0"));
    }

    int Run(const std::vector<std::string>& args) {
        return RunOnConsole(args, {out_, err_, in_, false});
    }

    FakeSsdpNetwork network_{26800};
    std::ostringstream out_;
    std::ostringstream err_;
    std::istringstream in_;
};

TEST_F(ConsoleRunTest, RunsThatNeedAWindowEndWithTheUsageLine) {
    const std::vector<std::vector<std::string>> runs = {{}, {"debug"}, {"/wizard"}, {"/hide"}};
    for (const std::vector<std::string>& args : runs) {
        SCOPED_TRACE(args.empty() ? "" : args[0]);
        err_.str("");
        EXPECT_EQ(2, Run(args));
        EXPECT_EQ(platform::Cp932ToUtf8(NoDisplayLine()), err_.str());
    }
    EXPECT_EQ("", out_.str());
    EXPECT_EQ(0, network_.SearchesAfterWaiting(1, 0));
}

TEST_F(ConsoleRunTest, SetupMakesTheLaunchersAndEndsWithZero) {
    EXPECT_EQ(kExitSetupDone, Run({"/setup"}));
    EXPECT_TRUE(scratch_.Exists(u8"Desktop/ポート閉鎖(ALL).desktop"));
    EXPECT_EQ(0, network_.SearchesAfterWaiting(1, 0));
}

TEST_F(ConsoleRunTest, ABadPortEndsAsFailedWithItsMessage) {
    EXPECT_EQ(kExitBatchFailed, Run({"/open", "abc", "TCP"}));
    EXPECT_EQ(platform::Cp932ToUtf8(kWanPortInvalid) + "\n", err_.str());
    EXPECT_EQ("", out_.str());
}

TEST_F(ConsoleRunTest, HiddenOpenFindsTheRouterMapsThePortsAndEndsDone) {
    AddRouter(true);
    EXPECT_EQ(kExitBatchDone, Run({"/open_hide", "8000-8001", "TCP", "8000", kLanAddress}));
    EXPECT_EQ((std::vector<std::string>{"8000", "8001"}),
              Sent("AddPortMapping", "NewExternalPort"));
    EXPECT_EQ((std::vector<std::string>(2, kLanAddress)),
              Sent("AddPortMapping", "NewInternalClient"));
    EXPECT_EQ("", err_.str());
    EXPECT_EQ("", out_.str());
}

TEST_F(ConsoleRunTest, RefusedOpenSaysSoAndEndsFailed) {
    AddRouter(false);
    EXPECT_EQ(kExitBatchFailed, Run({"/open_hide", "8000", "TCP", "8000", kLanAddress}));
    // The router was asked, and said no (once for each transport tried).
    EXPECT_FALSE(Sent("AddPortMapping", "NewExternalPort").empty());
    EXPECT_EQ(0u, err_.str().find(u8"ポート開放に失敗しました\n")) << err_.str();
}

}  // namespace

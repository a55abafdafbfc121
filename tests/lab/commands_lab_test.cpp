// The program's batch runs in-process against a real miniupnpd: start-up
// with a command line, the batch timer, the router's table afterwards (read
// independently with upnpc) and the exit code. The lab gives the client an
// unreachable default route; these tests route it through the router while
// they run, as a home LAN would.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/port_commands.h"
#include "app/settings_keys.h"
#include "app/sluice_app.h"
#include "tests/app/app_test_base.h"
#include "tests/support/lab_router.h"
#include "upnp/local_address.h"

namespace {

constexpr char kRouterDescription[] = "http://10.77.0.1:2869/rootDesc.xml";

// The router's table as upnpc lists it (UTF-8).
std::string RouterList() {
    return lab::RunInClient(std::string("upnpc -u ") + kRouterDescription + " -l").output;
}

bool RouterHas(const std::string& text) {
    return RouterList().find(text) != std::string::npos;
}

// "port->client:lanPort" as upnpc prints a mapping.
std::string Mapping(int port, const std::string& client, int lanPort) {
    return std::to_string(port) + "->" + client + ":" + std::to_string(lanPort);
}

class CommandsLabTest : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        ResetAdapterScanForTests();  // the client's real interfaces
        std::string error;
        ASSERT_TRUE(lab::Restart("v1", &error)) << error;
        lab::CommandResult route = lab::RouteClientThroughRouter();
        ASSERT_EQ(0, route.status) << route.output;
    }
    void TearDown() override {
        lab::CommandResult restored = lab::RestoreClientRoute();
        EXPECT_EQ(0, restored.status) << restored.output;
        AppTest::TearDown();
    }

    // Runs the program in-process as a batch run with args: start-up, then
    // the timer it armed. Returns the exit code it asked for.
    int RunBatch(const std::vector<std::string>& args) {
        ResetAppState();
        BuildEnvironment(scratch_.PathOf("sluice").c_str(), glb_Environment);
        ResetAdapterScanForTests();
        ui_ = FakeUi();
        SluiceApp app(ui_);
        app.Startup(args);
        if (ui_.startedTimers.size() != 1) return -1;
        app.OnTimer(ui_.startedTimers[0].first);
        return ui_.ExitCode();
    }
    void Settings(const std::string& lines) { scratch_.Write("sluice.ini", "[設定]\r\n" + lines); }
    // Adds a mapping straight through upnpc, as another program would.
    void RouterAdds(const char* client, int port) {
        std::string p = std::to_string(port);
        lab::CommandResult added = lab::RunInClient(std::string("upnpc -u ") + kRouterDescription +
                                                    " -a " + client + " " + p + " " + p + " TCP");
        ASSERT_EQ(0, added.status) << added.output;
    }
};

TEST_F(CommandsLabTest, OpenRangeCyclesLanList) {
    EXPECT_EQ(kExitBatchDone,
              RunBatch({"/open_hide", "8000-8003", "TCP", "9000-9001", "自動2", "Lab"}))
        << glb_IgdMessage << "\n"
        << lab::RouterLog();
    std::string list = RouterList();
    const int lanPorts[] = {9000, 9001, 9000, 9001};
    for (int i = 0; i < 4; ++i) {
        EXPECT_NE(std::string::npos, list.find(Mapping(8000 + i, lab::kClientAddress, lanPorts[i])))
            << list;
        EXPECT_NE(std::string::npos, list.find("'Lab" + std::to_string(8000 + i) + "T'")) << list;
    }
    EXPECT_TRUE(ui_.messages.empty());
    EXPECT_TRUE(ui_.hidden);
}

TEST_F(CommandsLabTest, OpenStopsAfterTenPorts) {
    EXPECT_EQ(kExitBatchDone, RunBatch({"/open", "8100-8120", "UDP", "", "自動2"}));
    std::string list = RouterList();
    EXPECT_NE(std::string::npos, list.find("'Sluice8100U'")) << list;
    EXPECT_NE(std::string::npos, list.find("'Sluice8109U'")) << list;
    EXPECT_EQ(std::string::npos, list.find("'Sluice8110U'")) << list;
    EXPECT_EQ(std::vector<std::string>{"Open...."}, ui_.busyCaptions);
}

TEST_F(CommandsLabTest, CloseDeletesFirstPortOfLaterItemsAfterTen) {
    ASSERT_EQ(kExitBatchDone, RunBatch({"/open_hide", "8200-8209", "TCP", "", "自動2"}));
    ASSERT_EQ(kExitBatchDone, RunBatch({"/open_hide", "8210-8211,8220-8221", "TCP", "", "自動2"}));
    EXPECT_EQ(kExitBatchDone, RunBatch({"/close_hide", "8200-8211,8220-8221", "TCP"}))
        << glb_IgdMessage;
    std::string list = RouterList();
    for (int port : {8200, 8209, 8220}) {
        EXPECT_EQ(std::string::npos, list.find(Mapping(port, lab::kClientAddress, port))) << list;
    }
    for (int port : {8210, 8211, 8221}) {
        EXPECT_NE(std::string::npos, list.find(Mapping(port, lab::kClientAddress, port))) << list;
    }
}

TEST_F(CommandsLabTest, CloseAllDeletesOnlyThisComputersMappings) {
    ASSERT_EQ(kExitBatchDone, RunBatch({"/open_hide", "8300-8302", "TCP", "", "自動2"}));
    RouterAdds("10.77.0.50", 8310);
    EXPECT_EQ(kExitBatchDone, RunBatch({"/closeall_hide"})) << glb_IgdMessage;
    std::string list = RouterList();
    EXPECT_EQ(std::string::npos, list.find(std::string("->") + lab::kClientAddress)) << list;
    EXPECT_NE(std::string::npos, list.find(Mapping(8310, "10.77.0.50", 8310))) << list;
    EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(CommandsLabTest, NoRouterFailsEveryBatchKind) {
    Settings("SIKIBETU=uuid:no-such-router\r\n");
    EXPECT_EQ(kExitBatchFailed, RunBatch({"/open_hide", "8400", "TCP", "", "自動2"}));
    EXPECT_EQ(-1, glb_IgdState);
    ASSERT_EQ(1u, ui_.messages.size());
    EXPECT_NE(std::string::npos, ui_.messages[0].find(kRouterNotFound));
    EXPECT_EQ(kExitBatchFailed, RunBatch({"/close_hide", "8400", "TCP"}));
    EXPECT_EQ(kExitBatchFailed, RunBatch({"/closeall_hide"}));
    EXPECT_FALSE(RouterHas("8400->"));
}

TEST_F(CommandsLabTest, RefusedMappingFailsWithMessageOff) {
    Settings("MessageOff=1\r\n");
    // The router's rules only allow mappings to its own LAN.
    EXPECT_EQ(kExitBatchFailed, RunBatch({"/open_hide", "8500", "TCP", "8500", "192.168.9.9"}));
    EXPECT_EQ(1, glb_IgdState);
    EXPECT_TRUE(ui_.messages.empty());
    EXPECT_FALSE(RouterHas("8500->"));
}

struct AddressCase {
    const char* argument;
    const char* mode;
};

TEST_F(CommandsLabTest, AddressModesChooseLanAddress) {
    std::string own;
    GetLocalIP(&own);
    const AddressCase cases[] = {
        {"10.77.0.2", "0"}, {"自動1", "1"}, {"自動2", "2"}, {"自動3", "3"}};
    int port = 8600;
    for (const AddressCase& c : cases) {
        SCOPED_TRACE(c.argument);
        ++port;
        std::string p = std::to_string(port);
        RunBatch({"/open_hide", p, "TCP", p, c.argument});
        EXPECT_STREQ(c.mode, glb_Settings.Get(key::kAddressMode));
        std::string expected = std::string(c.mode) == "1" ? own : lab::kClientAddress;
        EXPECT_EQ(expected, ui_.window.lanIp);
        if (expected == lab::kClientAddress) {
            EXPECT_EQ(kExitBatchDone, ui_.ExitCode()) << glb_IgdMessage;
            EXPECT_TRUE(RouterHas(Mapping(port, lab::kClientAddress, port)));
        }
    }
}

}  // namespace

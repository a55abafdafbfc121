// The built program itself, run without a display in the lab's client
// namespace, the way a desktop launcher or a script runs it: batch open and
// close-all against miniupnpd, checked with upnpc, and the exit codes. The
// program is copied into a scratch folder first, so its settings file lands
// there.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/foundation/scratch_folder.h"
#include "tests/support/lab_router.h"

namespace {

constexpr char kRouterDescription[] = "http://10.77.0.1:2869/rootDesc.xml";

std::string RouterList() {
    return lab::RunInClient(std::string("upnpc -u ") + kRouterDescription + " -l").output;
}

class BatchBinaryLabTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(lab::Restart("v1", &error)) << error;
        lab::CommandResult route = lab::RunInClient(std::string("ip route replace default via ") +
                                                    lab::kRouterAddress + " dev lan0");
        ASSERT_EQ(0, route.status) << route.output;
        std::filesystem::copy_file(SLUICE_BINARY, program_);
    }
    void TearDown() override {
        lab::CommandResult restored = lab::RunInClient("ip route replace unreachable default");
        EXPECT_EQ(0, restored.status) << restored.output;
    }
    // Runs the program with these arguments, no display and no terminal.
    lab::CommandResult Run(const std::string& arguments) {
        return lab::RunInClient("env -u DISPLAY -u WAYLAND_DISPLAY " + program_ + " " + arguments +
                                " </dev/null");
    }

    ScratchFolder scratch_;
    std::string program_ = scratch_.PathOf("sluice");
};

TEST_F(BatchBinaryLabTest, OpenThenCloseAll) {
    lab::CommandResult open = Run("/open_hide 8000-8002 TCP");
    EXPECT_EQ(1, open.status) << open.output << lab::RouterLog();
    std::string list = RouterList();
    for (const char* mapping : {"8000->10.77.0.2:8000", "8001->10.77.0.2:8001",
                                "8002->10.77.0.2:8002", "'Sluice8002T'"}) {
        EXPECT_NE(std::string::npos, list.find(mapping)) << mapping << "\n" << list;
    }

    lab::CommandResult closeAll = Run("/closeall_hide");
    EXPECT_EQ(1, closeAll.status) << closeAll.output;
    list = RouterList();
    EXPECT_EQ(std::string::npos, list.find("->10.77.0.2:")) << list;
}

TEST_F(BatchBinaryLabTest, RefusedMappingExitsWithFailure) {
    // The router only maps to its own LAN.
    lab::CommandResult refused = Run("/open_hide 8100 TCP 8100 192.168.9.9");
    EXPECT_EQ(2, refused.status) << refused.output;
    EXPECT_NE(std::string::npos, refused.output.find(u8"ポート開放に失敗しました"))
        << refused.output;
    EXPECT_EQ(std::string::npos, RouterList().find("8100->"));
}

TEST_F(BatchBinaryLabTest, PortHeldByAnotherComputerIsExplained) {
    // Another LAN address holds the port already.
    lab::CommandResult other = lab::RunInClient(std::string("upnpc -u ") + kRouterDescription +
                                                " -a 10.77.0.9 8200 8200 TCP");
    ASSERT_EQ(0, other.status) << other.output;

    lab::CommandResult refused = Run("/open_hide 8200 TCP");
    EXPECT_EQ(2, refused.status) << refused.output;
    // The error text stays first; the router's code and its meaning follow.
    EXPECT_NE(std::string::npos,
              refused.output.find(u8"AddPortMappingエラー(http://10.77.0.1:2869/ctl/IPConn) "
                                  u8"UPnPエラー718 ConflictInMappingEntry: "
                                  u8"このWANポートは別のコンピューター（別のLANアドレス）に割り当て済"
                                  u8"みです。"))
        << refused.output;
    EXPECT_NE(std::string::npos, RouterList().find("8200->10.77.0.9:8200"));
}

TEST_F(BatchBinaryLabTest, InvalidPortExitsWithFailure) {
    lab::CommandResult invalid = Run("/open abc TCP");
    EXPECT_EQ(2, invalid.status) << invalid.output;
    EXPECT_NE(std::string::npos, invalid.output.find(u8"①ポート番号を設定してください(1-65535)"))
        << invalid.output;
}

}  // namespace

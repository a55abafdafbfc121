// The built program itself, run without a display in the lab's client
// namespace, the way a desktop launcher or a script runs it: batch open and
// close-all against miniupnpd, checked with upnpc, and the exit codes; and
// which libraries the running program has mapped: a run without a display
// never loads Qt. The program is copied into a scratch folder first, so its
// settings file lands there.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/foundation/scratch_folder.h"
#include "tests/support/lab_router.h"

namespace {

constexpr char kRouterDescription[] = "http://10.77.0.1:2869/rootDesc.xml";

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string RouterList() {
    return lab::RunInClient(std::string("upnpc -u ") + kRouterDescription + " -l").output;
}

class BatchBinaryLabTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(lab::Restart("v1", &error)) << error;
        lab::CommandResult route = lab::RouteClientThroughRouter();
        ASSERT_EQ(0, route.status) << route.output;
        std::filesystem::copy_file(SLUICE_BINARY, program_);
    }
    void TearDown() override {
        lab::CommandResult restored = lab::RestoreClientRoute();
        EXPECT_EQ(0, restored.status) << restored.output;
    }
    // Runs the program with these arguments, no display and no terminal.
    lab::CommandResult Run(const std::string& arguments) {
        return lab::RunInClient("env -u DISPLAY -u WAYLAND_DISPLAY " + program_ + " " + arguments +
                                " </dev/null");
    }
    // Runs the program like Run, with DISPLAY set to display (none when
    // empty), and reads its memory map every 20 ms while it runs. Returns the
    // exit status; the maps read are in maps_.
    int RunWatchingMaps(const std::string& display, const std::string& arguments) {
        std::string displayVariable = display.empty() ? "-u DISPLAY" : "DISPLAY=" + display;
        std::string mapsFile = scratch_.PathOf("maps.txt");
        lab::CommandResult run = lab::RunInClient(
            "env -u WAYLAND_DISPLAY " + displayVariable + " " + program_ + " " + arguments +
            " </dev/null >/dev/null 2>&1 & pid=$!; "
            "while maps=$(cat /proc/$pid/maps 2>/dev/null) && [ -n \"$maps\" ]; do "
            "echo \"$maps\" >> " +
            mapsFile + "; sleep 0.02; done; wait $pid");
        maps_ = scratch_.Read("maps.txt");
        return run.status;
    }

    ScratchFolder scratch_;
    std::string program_ = scratch_.PathOf("sluice");
    std::string maps_;
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
    EXPECT_NE(
        std::string::npos,
        refused.output.find(u8"AddPortMappingエラー(http://10.77.0.1:2869/ctl/IPConn) "
                            u8"UPnPエラー718 ConflictInMappingEntry: "
                            u8"このWANポートは別のコンピューター（別のLANアドレス）に割り当て済"
                            u8"みです。"))
        << refused.output;
    EXPECT_NE(std::string::npos, RouterList().find("8200->10.77.0.9:8200"));
}

TEST_F(BatchBinaryLabTest, ListPrintsEveryMappingForScripts) {
    ASSERT_EQ(1, Run("/open_hide 8000-8002 TCP").status);
    lab::CommandResult other = lab::RunInClient(std::string("upnpc -u ") + kRouterDescription +
                                                " -e 'other host' -a 10.77.0.9 9000 9001 UDP");
    ASSERT_EQ(0, other.status) << other.output;

    lab::CommandResult list = lab::RunInClient("env -u DISPLAY -u WAYLAND_DISPLAY " + program_ +
                                               " /list_hide </dev/null 2>/dev/null");
    EXPECT_EQ(1, list.status) << list.output;
    // External port, protocol, LAN address, LAN port, enabled, description
    // and lease (the router counts it down), in the router's order.
    std::vector<std::string> lines = Lines(list.output);
    EXPECT_EQ(4u, lines.size()) << list.output;
    for (const char* mapping : {"8000\tTCP\t10.77.0.2\t8000\t1\tSluice8000T\t",
                                "8001\tTCP\t10.77.0.2\t8001\t1\tSluice8001T\t",
                                "8002\tTCP\t10.77.0.2\t8002\t1\tSluice8002T\t",
                                "9001\tUDP\t10.77.0.9\t9000\t1\tother host\t"}) {
        bool found = false;
        for (const std::string& line : lines) {
            found |=
                line.rfind(mapping, 0) == 0 &&
                line.find_first_not_of("0123456789", std::strlen(mapping)) == std::string::npos;
        }
        EXPECT_TRUE(found) << mapping << "\n" << list.output;
    }

    lab::CommandResult two = lab::RunInClient("env -u DISPLAY -u WAYLAND_DISPLAY " + program_ +
                                              " /list_hide 2 </dev/null");
    EXPECT_EQ(1, two.status) << two.output;
    EXPECT_EQ(2u, Lines(two.output).size()) << two.output;
}

TEST_F(BatchBinaryLabTest, ListWithoutRouterEndsFailed) {
    // The settings beside the program name a router that does not exist.
    scratch_.Write("sluice.ini", "[設定]\r\nSIKIBETU=uuid:no-such-router\r\n");
    lab::CommandResult list = Run("/list_hide");
    EXPECT_EQ(2, list.status) << list.output;
    EXPECT_NE(std::string::npos, list.output.find(u8"ルーターが見つかりません")) << list.output;
}

TEST_F(BatchBinaryLabTest, InvalidPortExitsWithFailure) {
    lab::CommandResult invalid = Run("/open abc TCP");
    EXPECT_EQ(2, invalid.status) << invalid.output;
    EXPECT_NE(std::string::npos, invalid.output.find(u8"①ポート番号を設定してください(1-65535)"))
        << invalid.output;
}

TEST_F(BatchBinaryLabTest, ARunWithoutADisplayOpensAPortWithoutLoadingQt) {
    EXPECT_EQ(1, RunWatchingMaps("", "/open_hide 8100 TCP"));
    EXPECT_NE(std::string::npos, RouterList().find("8100->10.77.0.2:8100"));
    // The maps were read while the program ran: its network library is there.
    EXPECT_NE(std::string::npos, maps_.find("libcurl")) << maps_;
    EXPECT_EQ(std::string::npos, maps_.find("libQt6")) << maps_;
    EXPECT_EQ(std::string::npos, maps_.find("libsluice_gui")) << maps_;
}

// A display that cannot be reached: the windows are loaded and find no
// screen, and the run goes on on the console.
TEST_F(BatchBinaryLabTest, AnUnreachableDisplayTriesTheWindowsThenOpensOnTheConsole) {
    std::filesystem::copy_file(SLUICE_GUI_LIBRARY, scratch_.PathOf("libsluice_gui.so"));
    EXPECT_EQ(1, RunWatchingMaps(":9999", "/open_hide 8101 TCP"));
    EXPECT_NE(std::string::npos, RouterList().find("8101->10.77.0.2:8101"));
    EXPECT_NE(std::string::npos, maps_.find("libsluice_gui.so")) << maps_;
    EXPECT_NE(std::string::npos, maps_.find("libQt6Widgets")) << maps_;
}

}  // namespace

// The built program itself, run without a display in the lab's client
// namespace, the way a desktop launcher or a script runs it: batch open and
// close-all against miniupnpd, checked with upnpc, and the exit codes; and
// which libraries the running program has mapped: a run without a display
// never loads Qt. The program is copied into a scratch folder first, so its
// settings file lands there.
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

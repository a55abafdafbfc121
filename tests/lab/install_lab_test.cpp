// The installed program: "cmake --install" into a temporary DESTDIR, then the
// installed sluice runs without a display in the lab's client namespace. It
// must find its data and its window library in the installed tree and write
// nothing under it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "tests/foundation/scratch_folder.h"
#include "tests/support/lab_router.h"

namespace {

namespace fs = std::filesystem;

constexpr char kRouterDescription[] = "http://10.77.0.1:2869/rootDesc.xml";

std::string Quoted(const std::string& text) {
    return "'" + text + "'";
}

// Every entry under root with its size and time of last change.
std::map<std::string, std::string> Snapshot(const std::string& root) {
    std::map<std::string, std::string> entries;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
        std::string stamp = std::to_string(entry.last_write_time().time_since_epoch().count());
        if (entry.is_regular_file()) stamp += "/" + std::to_string(entry.file_size());
        entries[fs::relative(entry.path(), root).string()] = stamp;
    }
    return entries;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class InstallLabTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(lab::Restart("v1", &error)) << error;
        lab::CommandResult route = lab::RouteClientThroughRouter();
        ASSERT_EQ(0, route.status) << route.output;
    }
    void TearDown() override { lab::RestoreClientRoute(); }

    // The installed program with its own home, config and temporary folders,
    // and no display unless one is named.
    lab::CommandResult Run(const std::string& arguments, const std::string& display = "") {
        std::string displayVariable = display.empty() ? "" : " DISPLAY=" + Quoted(display);
        return lab::RunInClient("env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_DATA_DIRS" +
                                displayVariable + " HOME=" + Quoted(scratch_.PathOf("home")) +
                                " XDG_CONFIG_HOME=" + Quoted(scratch_.PathOf("config")) +
                                " TMPDIR=" + Quoted(scratch_.PathOf("tmp")) + " " +
                                Quoted(prefix_ + "/bin/sluice") + " " + arguments + " </dev/null");
    }
    std::string RouterList() {
        return lab::RunInClient(std::string("upnpc -u ") + kRouterDescription + " -l").output;
    }

    ScratchFolder scratch_;
    std::string root_ = scratch_.PathOf("root");
    std::string prefix_ = root_ + "/usr";
};

TEST_F(InstallLabTest, InstalledProgramFindsItsDataAndWritesNothingUnderThePrefix) {
    lab::CommandResult install =
        lab::RunInClient("DESTDIR=" + Quoted(root_) + " " + Quoted(CMAKE_COMMAND) + " --install " +
                         Quoted(SLUICE_BUILD_DIR) + " --prefix /usr");
    ASSERT_EQ(0, install.status) << install.output;
    for (const char* file :
         {"bin/sluice", "share/sluice/bmp/open.bmp", "share/sluice/bmp/closeall.bmp",
          "share/applications/sluice.desktop", "share/icons/hicolor/48x48/apps/sluice.png",
          "share/icons/hicolor/scalable/apps/sluice.svg", "share/man/man1/sluice.1"}) {
        EXPECT_TRUE(fs::exists(prefix_ + "/" + file)) << file;
    }
    bool library = false;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(prefix_ + "/lib")) {
        library |= entry.path().filename() == "libsluice.so";
    }
    EXPECT_TRUE(library) << "libsluice.so under " << prefix_ << "/lib";
    fs::create_directories(scratch_.PathOf("tmp"));
    const std::map<std::string, std::string> installed = Snapshot(root_);

    lab::CommandResult help = Run("--help");
    EXPECT_EQ(0, help.status) << help.output;
    EXPECT_NE(std::string::npos, help.output.find("Usage: sluice")) << help.output;

    lab::CommandResult open = Run("/open_hide 8000 TCP");
    EXPECT_EQ(1, open.status) << open.output << lab::RouterLog();
    EXPECT_NE(std::string::npos, RouterList().find("8000->10.77.0.2:8000"));

    // A display that cannot be reached: the installed window library is
    // loaded, finds no screen, and the run goes on on the console.
    lab::CommandResult unreachable = Run("/open_hide 8001 TCP", ":9999");
    EXPECT_EQ(1, unreachable.status) << unreachable.output;
    EXPECT_EQ(std::string::npos, unreachable.output.find("cannot load the windows"))
        << unreachable.output;
    EXPECT_NE(std::string::npos, RouterList().find("8001->10.77.0.2:8001"));

    // Without "hide" the busy panel shows a picture; the trace names the one chosen.
    lab::CommandResult closeAll = Run("/closeall_debug");
    EXPECT_EQ(1, closeAll.status) << closeAll.output;
    std::string afterCloseAll = RouterList();
    EXPECT_EQ(std::string::npos, afterCloseAll.find("8000->")) << afterCloseAll;
    EXPECT_EQ(std::string::npos, afterCloseAll.find("8001->")) << afterCloseAll;
    std::string trace = ReadFile(scratch_.PathOf("tmp/Sluice_Debug.txt"));
    EXPECT_NE(std::string::npos, trace.find(prefix_ + "/share/sluice/bmp/closeall.bmp"))
        << trace.substr(0, 2000);

    EXPECT_EQ(installed, Snapshot(root_)) << "the runs changed the installed tree";
}

}  // namespace

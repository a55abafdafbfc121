// The built program watching a server program, run without a display in the
// lab's client namespace the way a systemd user unit or a terminal on a
// headless machine runs it: started in the server's folder, it opens the
// server's ports on miniupnpd, starts the server and closes the ports when
// the server ends or when it is asked to end. The program and its definition
// file are copied into a scratch folder that is also the server's folder.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>

#include "tests/foundation/scratch_folder.h"
#include "tests/support/lab_router.h"

extern char** environ;

namespace {

constexpr char kRouterDescription[] = "http://10.77.0.1:2869/rootDesc.xml";

// A server: it notes each start in started.log and runs while "running" is
// there.
const char kServerScript[] =
    "#!/bin/sh\n"
    "echo started >> started.log\n"
    "while [ -e running ]; do sleep 0.2; done\n";

std::string RouterList() {
    return lab::RunInClient(std::string("upnpc -u ") + kRouterDescription + " -l").output;
}

// upnpc lists a mapping as " 0 UDP  9200->10.77.0.2:9200  'Sluice9200U' ...".
bool Mapped(const std::string& list, const char* protocol, const char* port) {
    std::istringstream lines(list);
    std::string mapping = std::string(port) + "->10.77.0.2:" + port + " ";
    for (std::string line; std::getline(lines, line);) {
        if (line.find(std::string(" ") + protocol + " ") != std::string::npos &&
            line.find(mapping) != std::string::npos)
            return true;
    }
    return false;
}

class WatchBinaryLabTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(lab::Restart("v1", &error)) << error;
        lab::CommandResult route = lab::RouteClientThroughRouter();
        ASSERT_EQ(0, route.status) << route.output;
        std::filesystem::copy_file(SLUICE_BINARY, scratch_.PathOf("sluice"));
        scratch_.Write("srv-lab-3f9a.sh", kServerScript);
        std::filesystem::permissions(scratch_.PathOf("srv-lab-3f9a.sh"),
                                     std::filesystem::perms::owner_all);
        scratch_.Write("running", "");
    }
    void TearDown() override {
        std::filesystem::remove(scratch_.PathOf("running"));
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        lab::CommandResult restored = lab::RestoreClientRoute();
        EXPECT_EQ(0, restored.status) << restored.output;
    }

    // Starts the program in the scratch folder with no display and no
    // terminal; its output goes to output.txt.
    void StartSluice() {
        std::string command = "cd " + scratch_.Path() +
                              " && exec env -u DISPLAY -u WAYLAND_DISPLAY ./sluice </dev/null "
                              ">output.txt 2>&1";
        char* argv[] = {const_cast<char*>("sh"), const_cast<char*>("-c"), command.data(), nullptr};
        ASSERT_EQ(0, posix_spawn(&pid_, "/bin/sh", nullptr, nullptr, argv, environ));
    }
    // The program's exit code once it has ended (at most 90 s), else -1.
    int WaitForExit() {
        for (int i = 0; i < 900; ++i) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return -1;
    }
    // Waits (at most 60 s) until the router maps both ports, or the program ended.
    std::string WaitForMappings(const char* port) {
        std::string list;
        for (int i = 0; i < 120; ++i) {
            list = RouterList();
            if (Mapped(list, "TCP", port) && Mapped(list, "UDP", port)) break;
            if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
                pid_ = -1;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
        }
        return list;
    }
    std::string Output() const { return scratch_.Read("output.txt"); }

    ScratchFolder scratch_;
    pid_t pid_ = -1;
};

TEST_F(WatchBinaryLabTest, OpensBothPortsStartsOnceAndClosesWhenTheServerEnds) {
    scratch_.Write("sluice.def",
                   "# the lab's server\n"
                   "srv-lab-3f9a.sh\t\tsrv-lab-3f9a\t9100\tfix\tTCP\tLab\n"
                   "srv-lab-3f9a.sh\t\tsrv-lab-3f9a\t9100\tfix\tUDP\tLab\n");
    StartSluice();
    std::string list = WaitForMappings("9100");
    EXPECT_TRUE(Mapped(list, "TCP", "9100") && Mapped(list, "UDP", "9100"))
        << list << Output() << lab::RouterLog();
    EXPECT_EQ("started\n", scratch_.Read("started.log"));

    std::filesystem::remove(scratch_.PathOf("running"));
    EXPECT_EQ(0, WaitForExit()) << Output();
    list = RouterList();
    EXPECT_FALSE(Mapped(list, "TCP", "9100")) << list;
    EXPECT_FALSE(Mapped(list, "UDP", "9100")) << list;
    EXPECT_EQ("started\n", scratch_.Read("started.log"));
}

TEST_F(WatchBinaryLabTest, TerminationSignalDeletesTheMappingsBeforeTheEnd) {
    scratch_.Write("sluice.def",
                   "srv-lab-3f9a.sh\t\tsrv-lab-3f9a\t9200\tfix\tTCP\n"
                   "srv-lab-3f9a.sh\t\tsrv-lab-3f9a\t9200\tfix\tUDP\n");
    StartSluice();
    std::string list = WaitForMappings("9200");
    ASSERT_TRUE(Mapped(list, "TCP", "9200") && Mapped(list, "UDP", "9200")) << list << Output();

    ASSERT_EQ(0, kill(pid_, SIGTERM));
    EXPECT_EQ(0, WaitForExit()) << Output();
    list = RouterList();
    EXPECT_FALSE(Mapped(list, "TCP", "9200")) << list;
    EXPECT_FALSE(Mapped(list, "UDP", "9200")) << list;
}

// The program exists but is no executable: its port is opened, the failure to
// start is reported on standard error, and the first tick closes the port.
TEST_F(WatchBinaryLabTest, ProgramThatCannotStartHasItsPortClosedAtTheFirstTick) {
    scratch_.Write("not-executable-srv", "plain text\n");
    scratch_.Write("sluice.def", "not-executable-srv\t\tnot-executable-srv-77e1\t9300\tfix\tTCP\n");
    StartSluice();
    EXPECT_EQ(0, WaitForExit()) << Output();
    EXPECT_NE(std::string::npos, Output().find(u8"サーバーアプリケーションを起動できませんでした"))
        << Output();
    EXPECT_NE(std::string::npos, lab::RouterLog().find("9300")) << lab::RouterLog();
    EXPECT_FALSE(Mapped(RouterList(), "TCP", "9300"));
}

}  // namespace

#include "foundation/trace.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "platform/clock.h"

namespace {

uint32_t g_fakeTick = 0;
uint32_t FakeTick() {
    return g_fakeTick;
}

// Points the temporary folder at a fresh directory and the clock at g_fakeTick.
class TraceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/sluice_trace_XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        dir_ = pattern;
        const char* old = getenv("TMPDIR");
        hadTmpdir_ = old != nullptr;
        if (old) oldTmpdir_ = old;
        setenv("TMPDIR", dir_.c_str(), 1);
        platform::SetTickSourceForTests(FakeTick);
        ResetTraceForTests();
    }
    void TearDown() override {
        ResetTraceForTests();
        platform::SetTickSourceForTests(nullptr);
        unlink((dir_ + "/Sluice_Debug.txt").c_str());
        rmdir(dir_.c_str());
        if (hadTmpdir_) {
            setenv("TMPDIR", oldTmpdir_.c_str(), 1);
        } else {
            unsetenv("TMPDIR");
        }
    }
    std::string ReadTraceFile() const {
        std::ifstream in(dir_ + "/Sluice_Debug.txt", std::ios::binary);
        std::stringstream content;
        content << in.rdbuf();
        return content.str();
    }
    bool TraceFileExists() const { return access((dir_ + "/Sluice_Debug.txt").c_str(), F_OK) == 0; }

    std::string dir_;
    std::string oldTmpdir_;
    bool hadTmpdir_ = false;
};

TEST_F(TraceTest, FilePathIsInTheTemporaryFolder) {
    EXPECT_EQ(dir_ + "/Sluice_Debug.txt", TraceFilePath());
}

TEST_F(TraceTest, LinesCarryElapsedTimeStepDetailAndNumber) {
    glb_DebugFlag = 1;
    g_fakeTick = 5000;
    Trace("UPnpInit() S");
    g_fakeTick = 5042;
    Trace("CheckRooter() ControlURL() CE ControlURL=", "http://192.168.0.1:2869/ctl", -2);
    g_fakeTick = 5000 + 1234567;
    Trace("GetWANIPAdrress() E glb_WanIP=", std::string("203.0.113.5"), 200);
    EXPECT_EQ(
        "000000 UPnpInit() S■■0\n"
        "000042 CheckRooter() ControlURL() CE ControlURL=■http://192.168.0.1:2869/ctl■-2\n"
        "1234567 GetWANIPAdrress() E glb_WanIP=■203.0.113.5■200\n",
        ReadTraceFile());
}

TEST_F(TraceTest, LinesAccumulateAcrossRuns) {
    glb_DebugFlag = 1;
    g_fakeTick = 100;
    Trace("first");
    ResetTraceForTests();
    glb_DebugFlag = 1;
    g_fakeTick = 900;
    Trace("second");
    EXPECT_EQ("000000 first■■0\n000000 second■■0\n", ReadTraceFile());
}

TEST_F(TraceTest, DebugFlagOffWritesNothingButStartsTheClock) {
    g_fakeTick = 1000;
    Trace("quiet() S", "detail", 7);
    EXPECT_FALSE(TraceFileExists());

    glb_DebugFlag = 1;
    g_fakeTick = 1500;
    Trace("loud() S");
    EXPECT_EQ("000500 loud() S■■0\n", ReadTraceFile());
}

TEST_F(TraceTest, UnwritableFolderDropsTheLine) {
    setenv("TMPDIR", (dir_ + "/missing").c_str(), 1);
    glb_DebugFlag = 1;
    Trace("dropped() S", nullptr, 1);
    EXPECT_FALSE(TraceFileExists());
}

// The trace file lives in a folder every user can write to: another user may
// have put something at its path first.
TEST_F(TraceTest, FileIsPrivateAndNeverAnotherUsersOrALinkTarget) {
    std::string path = dir_ + "/Sluice_Debug.txt";
    std::string target = dir_ + "/target";
    glb_DebugFlag = 1;
    mode_t oldMask = umask(0);
    Trace("first");
    umask(oldMask);
    struct stat info;
    ASSERT_EQ(0, stat(path.c_str(), &info));
    EXPECT_EQ(0600u, info.st_mode & 0777);

    // A file of ours from an older run, readable by others, is made private.
    ASSERT_EQ(0, chmod(path.c_str(), 0644));
    Trace("second");
    ASSERT_EQ(0, stat(path.c_str(), &info));
    EXPECT_EQ(0600u, info.st_mode & 0777);
    EXPECT_EQ("000000 first■■0\n000000 second■■0\n", ReadTraceFile());
    unlink(path.c_str());

    std::ofstream(target) << "keep\n";
    ASSERT_EQ(0, symlink(target.c_str(), path.c_str()));
    Trace("through a symbolic link");
    unlink(path.c_str());
    ASSERT_EQ(0, link(target.c_str(), path.c_str()));
    Trace("through a hard link");
    unlink(path.c_str());
    std::ifstream kept(target, std::ios::binary);
    EXPECT_EQ("keep\n", std::string(std::istreambuf_iterator<char>(kept), {}));
    unlink(target.c_str());

    ASSERT_EQ(0, mkfifo(path.c_str(), 0600));
    Trace("into a FIFO that nobody reads");  // must not block
    unlink(path.c_str());
}

TEST_F(TraceTest, FileOfAnotherUserIsLeftAlone) {
    std::string path = dir_ + "/Sluice_Debug.txt";
    std::ofstream(path) << "theirs\n";
    constexpr uid_t kNobody = 65534;
    if (chown(path.c_str(), kNobody, kNobody) != 0)
        GTEST_SKIP() << "needs root to give the file away";
    glb_DebugFlag = 1;
    Trace("dropped() S");
    EXPECT_EQ("theirs\n", ReadTraceFile());
}

TEST(TraceText, BlackSquareIsCp932) {
    const char* square = "■";
    ASSERT_EQ(2u, std::char_traits<char>::length(square));
    EXPECT_EQ(0x81, static_cast<unsigned char>(square[0]));
    EXPECT_EQ(0xA1, static_cast<unsigned char>(square[1]));
}

}  // namespace

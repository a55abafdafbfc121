#include "foundation/trace.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
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

TEST(TraceText, BlackSquareIsCp932) {
    const char* square = "■";
    ASSERT_EQ(2u, std::char_traits<char>::length(square));
    EXPECT_EQ(0x81, static_cast<unsigned char>(square[0]));
    EXPECT_EQ(0xA1, static_cast<unsigned char>(square[1]));
}

}  // namespace

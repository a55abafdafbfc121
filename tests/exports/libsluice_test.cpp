// Loads the built libsluice.so the way another program would: by file name and
// symbol name, with no header.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "foundation/folder_chooser.h"
#include "platform/system.h"
#include "tests/support/fake_http_server.h"
#include "tests/support/fake_sntp_server.h"

namespace {

using SpecialFolderFunction = int (*)(char*, int);
using FolderFunction = int32_t (*)(unsigned long, const char*, char*, uint32_t, const char*);
using HttpTimeFunction = int32_t (*)(const char*, int32_t, int32_t);
using SntpFunction = int32_t (*)(const char*, int32_t);

int64_t RealNow() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

std::string HttpDate(int64_t seconds) {
    time_t stamp = static_cast<time_t>(seconds);
    tm gmt{};
    gmtime_r(&stamp, &gmt);
    char text[64];
    std::strftime(text, sizeof text, "%a, %d %b %Y %H:%M:%S GMT", &gmt);
    return text;
}

// Runs with neither display variable set, restoring them afterwards.
class WithoutDisplay {
  public:
    WithoutDisplay()
        : display_(platform::EnvironmentValue("DISPLAY")),
          wayland_(platform::EnvironmentValue("WAYLAND_DISPLAY")) {
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
    }
    ~WithoutDisplay() {
        if (!display_.empty()) setenv("DISPLAY", display_.c_str(), 1);
        if (!wayland_.empty()) setenv("WAYLAND_DISPLAY", wayland_.c_str(), 1);
    }

  private:
    std::string display_, wayland_;
};

class LibSluiceTest : public ::testing::Test {
  protected:
    void SetUp() override { handle_ = dlopen(SLUICE_LIBRARY, RTLD_NOW | RTLD_LOCAL); }
    void TearDown() override {
        if (handle_) dlclose(handle_);
    }
    template <typename Function>
    Function Find(const char* name) {
        return reinterpret_cast<Function>(dlsym(handle_, name));
    }
    void* handle_ = nullptr;
};

TEST_F(LibSluiceTest, ExportsTheSpecialFolderLookupByItsName) {
    ASSERT_NE(nullptr, handle_) << dlerror();
    auto lookup = Find<SpecialFolderFunction>("m_GetSpecialFolderLocation");
    ASSERT_NE(nullptr, lookup);
    char buffer[1024] = "stale";
    EXPECT_EQ(1, lookup(buffer, 4101));
    EXPECT_EQ(platform::ComputerName(), buffer);
    EXPECT_EQ(1, lookup(buffer, 4096));
    EXPECT_STREQ("", buffer);
}

TEST_F(LibSluiceTest, KeepsEverythingElsePrivate) {
    ASSERT_NE(nullptr, handle_) << dlerror();
    EXPECT_EQ(nullptr, dlsym(handle_, "glb_Settings"));
    EXPECT_EQ(nullptr, dlsym(handle_, "_Z11SpecialPlacei"));
    EXPECT_EQ(nullptr, dlsym(handle_, "SluiceChooseFolder"));
}

TEST_F(LibSluiceTest, ExportsTheNetworkTimeFunctionsByTheirNames) {
    ASSERT_NE(nullptr, handle_) << dlerror();
    auto sntp = Find<SntpFunction>("InetSNTP");
    auto httpTime = Find<HttpTimeFunction>("InetHttpTime");
    ASSERT_NE(nullptr, sntp);
    ASSERT_NE(nullptr, httpTime);

    // The library's clock is the real one; threshold and limits 0 never set it.
    FakeSntpServer sntpServer;
    SntpScript script;
    script.seconds = RealNow() + 90;
    sntpServer.SetScript(script);
    int32_t milliseconds = sntp(sntpServer.Address().c_str(), 0);
    EXPECT_GT(milliseconds, 88000);
    EXPECT_LE(milliseconds, 90000);

    FakeHttpServer httpServer;
    httpServer.SetDefault(
        FakeAnswer::Http(200, "ok", "Date: " + HttpDate(RealNow() + 90) + "\r\n"));
    int32_t seconds = httpTime(httpServer.Url("/").c_str(), 0, 0);
    EXPECT_GE(seconds, 89);
    EXPECT_LE(seconds, 91);
}

TEST_F(LibSluiceTest, ExportsTheFolderChooserWhichNeedsADisplay) {
    ASSERT_NE(nullptr, handle_) << dlerror();
    auto choose = Find<FolderFunction>("GetOpenFolderName");
    ASSERT_NE(nullptr, choose);
    WithoutDisplay noDisplay;
    char buffer[16] = "unchanged";
    testing::internal::CaptureStderr();
    EXPECT_EQ(2, choose(0, "/tmp", buffer, sizeof buffer, nullptr));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "")
        << "the dialog's library is found beside libsluice.so";
    EXPECT_STREQ("unchanged", buffer);
}

// This test program holds its own copy of the folder chooser, with no dialog
// library beside it.
TEST(FolderChooserTest, WithoutItsDialogLibraryChoosesNothingAndSaysWhy) {
    char buffer[16] = "unchanged";
    testing::internal::CaptureStderr();
    EXPECT_EQ(2, GetOpenFolderName(0, nullptr, buffer, sizeof buffer, nullptr));
    std::string error = testing::internal::GetCapturedStderr();
    EXPECT_NE(error.find("cannot load the folder dialog"), std::string::npos) << error;
    EXPECT_NE(error.find("libsluice-folder-dialog.so"), std::string::npos) << error;
    EXPECT_STREQ("unchanged", buffer);
}

TEST(FolderChooserTest, WithoutABufferChoosesNothing) {
    char buffer[4] = "abc";
    testing::internal::CaptureStderr();
    EXPECT_EQ(2, GetOpenFolderName(0, nullptr, nullptr, 100, nullptr));
    EXPECT_EQ(2, GetOpenFolderName(0, nullptr, buffer, 0, nullptr));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "no dialog was asked for";
    EXPECT_STREQ("abc", buffer);
}

}  // namespace

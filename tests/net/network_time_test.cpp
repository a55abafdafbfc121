// The network time functions against a loopback SNTP server and HTTP server
// of the tests' own, with the local clock fixed and its setter recorded, so
// that no test reads the real time where it compares, or ever sets the clock.
#include "net/network_time.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "net/timed_calls.h"
#include "platform/clock.h"
#include "tests/support/fake_http_server.h"
#include "tests/support/fake_sntp_server.h"

namespace {

// 2026-12-10 05:33:20.000 UTC, the local clock throughout.
constexpr int64_t kNow = 1796880800;
// A name that the resolver refuses without asking any server: its first
// label is longer than 63 bytes.
const std::string kUnknownHost = std::string(70, 'x') + ".invalid";

platform::WallTime g_now;
int g_setterError = 0;
std::vector<platform::WallTime> g_clockSettings;

platform::WallTime FixedNow() {
    return g_now;
}

int RecordSetting(const platform::WallTime& time) {
    g_clockSettings.push_back(time);
    return g_setterError;
}

std::string HttpDate(int64_t seconds) {
    time_t stamp = static_cast<time_t>(seconds);
    tm gmt{};
    gmtime_r(&stamp, &gmt);
    char text[64];
    std::strftime(text, sizeof text, "%a, %d %b %Y %H:%M:%S GMT", &gmt);
    return text;
}

class NetworkTimeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g_now = platform::WallTime{kNow, 0};
        g_setterError = 0;
        g_clockSettings.clear();
        platform::SetWallClockSourceForTests(FixedNow);
        platform::SetClockSetterForTests(RecordSetting);
        ResetTimedResolveForTests();
    }
    void TearDown() override {
        platform::SetWallClockSourceForTests(nullptr);
        platform::SetClockSetterForTests(nullptr);
        ResetTimedResolveForTests();
    }

    void ScriptSntp(int64_t offsetSeconds, uint32_t fraction = 0) {
        SntpScript script;
        script.seconds = kNow + offsetSeconds;
        script.fraction = fraction;
        sntp_.SetScript(script);
    }
    // The web server's answers carry a Date this many seconds from kNow.
    void ScriptHttp(int64_t offsetSeconds) {
        http_.SetDefault(
            FakeAnswer::Http(200, "ok", "Date: " + HttpDate(kNow + offsetSeconds) + "\r\n"));
    }

    FakeSntpServer sntp_;
    FakeHttpServer http_;
};

TEST_F(NetworkTimeTest, SntpGivesTheDifferenceInMilliseconds) {
    struct Case {
        int64_t offsetSeconds;
        uint32_t fraction;
        int localMs;
        int32_t difference;
    };
    const Case cases[] = {
        {90, 0, 0, 90000},           {90, 0x80000000u, 0, 90500},  // half a second, exactly
        {90, 0xFFFFFFFFu, 0, 90999}, {-30, 0, 250, -30250},       {0, 0x40000000u, 250, 0},
    };
    for (const Case& c : cases) {
        ScriptSntp(c.offsetSeconds, c.fraction);
        g_now.milliseconds = c.localMs;
        EXPECT_EQ(InetSNTP(sntp_.Address().c_str(), 0), c.difference) << c.offsetSeconds;
    }
    EXPECT_TRUE(g_clockSettings.empty()) << "threshold 0 leaves the clock alone";
    std::vector<std::string> requests = sntp_.Requests();
    ASSERT_EQ(requests.size(), std::size(cases));
    EXPECT_EQ(requests[0], std::string(1, '\x0B') + std::string(47, '\0'));
}

TEST_F(NetworkTimeTest, SntpSetsTheClockOnlyAboveTheThreshold) {
    ScriptSntp(90, 0x80000000u);
    struct Case {
        int32_t threshold;
        bool sets;
    };
    const Case cases[] = {{0, false}, {90500, false}, {90499, true}, {1, true}, {600000, false}};
    for (const Case& c : cases) {
        g_clockSettings.clear();
        EXPECT_EQ(InetSNTP(sntp_.Address().c_str(), c.threshold), 90500) << c.threshold;
        ASSERT_EQ(g_clockSettings.size(), c.sets ? 1u : 0u) << c.threshold;
        if (!c.sets) continue;
        EXPECT_EQ(g_clockSettings[0].seconds, kNow + 90);
        EXPECT_EQ(g_clockSettings[0].milliseconds, 500);
    }
}

TEST_F(NetworkTimeTest, SntpNamesTheServerByHostAndPort) {
    ScriptSntp(90);
    std::string byName = "localhost:" + std::to_string(sntp_.port());
    EXPECT_EQ(InetSNTP(byName.c_str(), 0), 90000);
    std::string withPath = sntp_.Address() + "/";
    EXPECT_EQ(InetSNTP(withPath.c_str(), 0), 90000);
    EXPECT_EQ(sntp_.Requests().size(), 2u);

    for (const char* port : {":0", ":70000", ":65659", ":", ":abc"}) {
        std::string server = std::string("127.0.0.1") + port;
        EXPECT_EQ(InetSNTP(server.c_str(), 0), kSntpSendFailed) << server;
    }
    EXPECT_EQ(sntp_.Requests().size(), 2u) << "nothing sent to a port that is none";
}

TEST_F(NetworkTimeTest, SntpRefusalToSetTheClockStillGivesTheDifference) {
    ScriptSntp(90);
    g_setterError = EPERM;
    testing::internal::CaptureStderr();
    EXPECT_EQ(InetSNTP(sntp_.Address().c_str(), 1000), 90000);
    std::string error = testing::internal::GetCapturedStderr();
    EXPECT_EQ(g_clockSettings.size(), 1u);
    EXPECT_EQ(
        error,
        std::string(
            u8"Error: 時刻を設定しませんでした: 時刻を変える権限 (CAP_SYS_TIME) がありません\n"));
}

TEST_F(NetworkTimeTest, SntpFailuresGiveTheirCodesAndLines) {
    struct Case {
        const char* name;
        SntpScript script;
        int32_t code;
        const char* line;
    };
    SntpScript silent;
    silent.answers = false;
    SntpScript shortPacket;
    shortPacket.seconds = kNow;
    shortPacket.length = 47;
    SntpScript strangerOnly = silent;
    strangerOnly.seconds = kNow;
    strangerOnly.strangerFirst = true;
    SntpScript clientMode;
    clientMode.seconds = kNow;
    clientMode.mode = 3;
    SntpScript noTime;
    noTime.seconds = -2208988800LL;  // 1900: a transmit time of zero
    SntpScript kissOfDeath;
    kissOfDeath.seconds = kNow;
    kissOfDeath.stratum = 0;
    SntpScript unsynchronised;
    unsynchronised.seconds = kNow;
    unsynchronised.leap = 3;
    const Case cases[] = {
        {"silent", silent, kSntpTimedOut, u8"Error: タイムアウトしました\n"},
        {"short", shortPacket, kSntpReceiveFailed, u8"Error: サーバからの受信失敗\n"},
        {"stranger", strangerOnly, kSntpReceiveFailed, u8"Error: サーバからの受信失敗\n"},
        {"client mode", clientMode, kSntpReceiveFailed, u8"Error: サーバからの受信失敗\n"},
        {"no time", noTime, kSntpNoTime, u8"Error: 時刻の取得を失敗\n"},
        {"kiss of death", kissOfDeath, kSntpNoTime, u8"Error: 時刻の取得を失敗\n"},
        {"unsynchronised", unsynchronised, kSntpNoTime, u8"Error: 時刻の取得を失敗\n"},
    };
    for (const Case& c : cases) {
        sntp_.SetScript(c.script);
        testing::internal::CaptureStderr();
        EXPECT_EQ(InetSNTP(sntp_.Address().c_str(), 1), c.code) << c.name;
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.line) << c.name;
    }
    EXPECT_TRUE(g_clockSettings.empty());
}

TEST_F(NetworkTimeTest, SntpPassesOverAStrangersDatagram) {
    SntpScript script;
    script.seconds = kNow + 90;
    script.strangerFirst = true;
    sntp_.SetScript(script);
    EXPECT_EQ(InetSNTP(sntp_.Address().c_str(), 0), 90000);
}

TEST_F(NetworkTimeTest, SntpUnknownHostGivesNoAddress) {
    std::string server = kUnknownHost + ":123";
    testing::internal::CaptureStderr();
    EXPECT_EQ(InetSNTP(server.c_str(), 0), kSntpNoAddress);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              std::string(u8"Error: ホストアドレス取得失敗\n"));
}

TEST_F(NetworkTimeTest, HttpGivesTheTrueDifferenceWithTheAddedSecondInAnyZone) {
    ScriptHttp(90);
    std::string savedZone = getenv("TZ") ? getenv("TZ") : "";
    for (const char* zone : {"UTC0", "JST-9", "EST5EDT", "NZST-12NZDT"}) {
        setenv("TZ", zone, 1);
        tzset();
        EXPECT_EQ(InetHttpTime(http_.Url("/").c_str(), 0, 0), 91) << zone;
    }
    savedZone.empty() ? unsetenv("TZ") : setenv("TZ", savedZone.c_str(), 1);
    tzset();
    EXPECT_TRUE(g_clockSettings.empty()) << "limits 0 leave the clock alone";
    EXPECT_EQ(http_.Requests().size(), 4u);
}

TEST_F(NetworkTimeTest, HttpSetsTheClockOnlyStrictlyBetweenTheLimits) {
    struct Case {
        int64_t dateOffset;  // the difference is one second more
        int32_t lower, upper;
        bool sets;
    };
    const Case cases[] = {
        {1, 2000, 600000, false},  // 2000 ms is not above 2000
        {2, 2000, 600000, true},    {90, 2000, 600000, true},
        {-101, 2000, 600000, true},  // 100 s behind
        {599, 2000, 600000, false},  // 600000 ms is not below 600000
        {90, 0, 600000, false},     {90, 2000, 0, false},
    };
    for (const Case& c : cases) {
        ScriptHttp(c.dateOffset);
        g_clockSettings.clear();
        EXPECT_EQ(InetHttpTime(http_.Url("/").c_str(), c.lower, c.upper), c.dateOffset + 1)
            << c.dateOffset;
        ASSERT_EQ(g_clockSettings.size(), c.sets ? 1u : 0u) << c.dateOffset;
        if (!c.sets) continue;
        EXPECT_EQ(g_clockSettings[0].seconds, kNow + c.dateOffset + 1);
        EXPECT_EQ(g_clockSettings[0].milliseconds, 0);
    }
}

TEST_F(NetworkTimeTest, HttpWithoutAReadableDateGivesZero) {
    const std::string answers[] = {
        "HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n",
        "HTTP/1.0 404 Not Found\r\nDate: tomorrow\r\nContent-Length: 0\r\n\r\n",
        "HTTP/1.0 200 OK\r\nDate: Sun, 06 Nov 1994 08:49:37 JST\r\nContent-Length: 0\r\n\r\n",
    };
    for (const std::string& answer : answers) {
        http_.SetDefault(FakeAnswer::Raw(answer));
        EXPECT_EQ(InetHttpTime(http_.Url("/").c_str(), 1, 600000), 0) << answer;
    }
    http_.Stop();
    EXPECT_EQ(InetHttpTime(http_.Url("/").c_str(), 1, 600000), 0) << "no server";
    EXPECT_TRUE(g_clockSettings.empty());
}

TEST_F(NetworkTimeTest, HttpTakesADateFromAnyAnswer) {
    http_.SetDefault(FakeAnswer::Raw("HTTP/1.0 301 Moved Permanently\r\nDate: " +
                                     HttpDate(kNow - 10) + "\r\nLocation: /x\r\n\r\n"));
    EXPECT_EQ(InetHttpTime(http_.Url("/").c_str(), 0, 0), -9);
}

TEST_F(NetworkTimeTest, HttpHandsAUrlOfPort123ToSntp) {
    std::string url = "http://" + kUnknownHost + ":123/";
    testing::internal::CaptureStderr();
    EXPECT_EQ(InetHttpTime(url.c_str(), 0, 0), kSntpNoAddress);
    testing::internal::GetCapturedStderr();

    struct Case {
        const char* url;
        const char* server;
    };
    const Case cases[] = {
        {"http://ntp.example:123", "ntp.example:123"},
        {"http://ntp.example:123/", "ntp.example:123"},
        {"ntp.example:123", "ntp.example:123"},
        {"HTTP://ntp.example:123?x", "ntp.example:123"},
        {"http://www.example:1234/", ""},
        {"http://www.example:8123/", ""},
        {"http://www.example/?port=:123", ""},
        {"http://www.example/", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(SntpServerInUrl(c.url), c.server) << c.url;
}

}  // namespace

// The test-server list: the scrambled file form, loading and the built-in
// records, the rotation over the records, and the weekly download with
// If-Modified-Since from a fake home page on loopback.
#include "porttest/test_server_list.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <ctime>
#include <set>
#include <string>

#include "foundation/environment.h"
#include "foundation/settings.h"
#include "net/http_date.h"
#include "porttest/list_scramble.h"
#include "tests/foundation/scratch_folder.h"
#include "tests/support/fake_http_server.h"

namespace {

constexpr char kLastUpdateKey[] = "//ini/設定/LastUpdate";

std::string LocalText(time_t seconds) {
    std::tm local;
    localtime_r(&seconds, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y/%m/%d %H:%M:%S", &local);
    return text;
}

class TestServerListTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Reset();
        BuildEnvironment(scratch_.PathOf("sluice").c_str(), glb_Environment);
        SetTestServerListSourcesForTests("", "");
    }
    void TearDown() override { Reset(); }
    static void Reset() {
        ResetTestServerListForTests();
        ResetSettingsForTests();
        ResetEnvironmentForTests();
    }

    std::string Choose(const std::string& protocol, const std::string& port = "80") {
        std::string url, message, expected;
        ChooseTestServer(protocol, port, &url, &message, &expected);
        return url;
    }
    std::string ListPath() const { return scratch_.PathOf("CgiServer.dat"); }

    ScratchFolder scratch_;
};

TEST(ListScrambleTest, RoundTripsAnyText) {
    const std::string texts[] = {
        "",
        "#",
        "TCP<>http://a/$$PORT$$<>msg<>あなたの\r\n",
        std::string(100, 'x') + "ー表ソ\r\nMES<>end",  // past the 42 bytes of key stream
        std::string("\0\xff\x80", 3),
    };
    for (const std::string& text : texts) {
        std::string scrambled = ScrambleList(text);
        std::string back;
        ASSERT_TRUE(UnscrambleList(scrambled, &back));
        EXPECT_EQ(text, back);
        EXPECT_TRUE(scrambled.empty() || scrambled[0] != '#');
        EXPECT_EQ(std::string::npos,
                  scrambled.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                              "0123456789+/="));
    }
    // The key stream hides the text: it is not plain Base64.
    EXPECT_NE("I3BsYWlu", ScrambleList("#plain"));
    std::string back;
    EXPECT_FALSE(UnscrambleList("#not base64!", &back));
}

TEST_F(TestServerListTest, PlainFileIsRewrittenScrambledAndLoadsTheSameRecords) {
    std::string plain =
        "# comment\r\nTCP<>http://t/?p=$$PORT$$<>tcp<>ok\r\nUDP<>http://u/<>udp<>\r\nMES<>bye";
    scratch_.Write("CgiServer.dat", plain);
    LoadTestServerList();
    std::string stored = scratch_.Read("CgiServer.dat");
    ASSERT_FALSE(stored.empty());
    EXPECT_NE('#', stored[0]);
    std::string back;
    ASSERT_TRUE(UnscrambleList(stored, &back));
    EXPECT_EQ(plain, back);
    EXPECT_EQ(4, TestServerRecordCount());
    EXPECT_EQ("http://t/?p=81", Choose("TCP", "81"));

    LoadTestServerList();  // now from the scrambled file
    EXPECT_EQ(4, TestServerRecordCount());
    EXPECT_EQ("http://u/", Choose("UDP"));
    EXPECT_EQ("bye", FindListMessage("MES"));
    EXPECT_EQ(stored, scratch_.Read("CgiServer.dat"));
}

TEST_F(TestServerListTest, ListWithLinuxLineEndsAndLargeSizeLoads) {
    std::string plain = "# big list\n";
    for (int i = 0; i < 2000; ++i) plain += "TCP<>http://h" + std::to_string(i) + "/<>m<>x\n";
    ASSERT_GT(plain.size() * 4 / 3, 20000u);
    scratch_.Write("CgiServer.dat", plain);
    LoadTestServerList();
    EXPECT_EQ(2002, TestServerRecordCount());  // with the empty record after the last line end
}

TEST_F(TestServerListTest, BuiltInRecordsOnlyWhenTheHostIsSet) {
    LoadTestServerList();
    EXPECT_EQ(0, TestServerRecordCount());
    std::string url = "x", message = "x", expected = "x";
    EXPECT_EQ(-1, ChooseTestServer("TCP", "80", &url, &message, &expected));
    EXPECT_EQ("", url + message + expected);

    SetTestServerListSourcesForTests("", "test.example:8080");
    LoadTestServerList();
    EXPECT_EQ(2, TestServerRecordCount());
    ASSERT_EQ(0, ChooseTestServer("TCP", "28800", &url, &message, &expected));
    EXPECT_EQ("http://test.example:8080/cgi-bin/port_scan.php?port=28800", url);
    EXPECT_EQ(0u, message.find("[SP]PHPが使える無料HP"));
    EXPECT_NE(std::string::npos, message.find("[Thanks]\r\n"));
    EXPECT_EQ("あなたの", expected);
    ASSERT_EQ(0, ChooseTestServer("UDP", "28800", &url, &message, &expected));
    EXPECT_EQ("http://test.example:8080/cgi-bin/port_scan.php?port=28800&prot=1", url);
}

TEST_F(TestServerListTest, RotationStartsOnePastTheLastSearch) {
    SetTestServerRecordsForTests({"TCP<>a", "UDP<>b", "TCPX<>c"});
    EXPECT_EQ("a", Choose("TCP"));
    EXPECT_EQ("c", Choose("TCP"));
    EXPECT_EQ("c", Choose("TCP"));
    EXPECT_EQ("a", Choose("TCP"));  // position 3: the whole list again
    EXPECT_EQ("b", Choose("UDP"));
}

TEST_F(TestServerListTest, RecordFieldsAreFilledIn) {
    SetTestServerRecordsForTests({"# TCP<>never",
                                  "TCP<>http://h/$$PORT$$/x?p=$$PORT$$<>line1<br>line2<>want",
                                  "MES<>see you<br>soon<>ignored"});
    std::string url, message, expected;
    ASSERT_EQ(0, ChooseTestServer("TCP", "8080", &url, &message, &expected));
    EXPECT_EQ("http://h/8080/x?p=8080", url);
    EXPECT_EQ("line1\r\nline2", message);
    EXPECT_EQ("want", expected);
    EXPECT_EQ("see you\r\nsoon", FindListMessage("MES"));
    EXPECT_EQ("", FindListMessage("XYZ"));
    EXPECT_EQ(-1, ChooseTestServer("UDP", "1", &url, &message, &expected));
}

// A downloaded record may hold a mebibyte of placeholders; filling them in
// takes one pass, and what is shown is still cut to its length.
TEST_F(TestServerListTest, RecordFullOfPlaceholdersIsFilledInOnePass) {
    std::string url, message, expected;
    std::string ports, breaks;
    for (int i = 0; i < 128 * 1024; ++i) ports += "$$PORT$$";
    for (int i = 0; i < 256 * 1024; ++i) breaks += "<br>";
    SetTestServerRecordsForTests({"TCP<>" + ports + "<>" + breaks + "<>x", "MES<>" + breaks});
    auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(0, ChooseTestServer("TCP", "8080", &url, &message, &expected));
    std::string closing = FindListMessage("MES");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    std::string fours, lines;
    for (int i = 0; i < 250; ++i) fours += "8080";
    for (int i = 0; i < 1500; ++i) lines += "\r\n";
    EXPECT_EQ(fours.substr(0, 999), url);
    EXPECT_EQ(lines.substr(0, 1999), message);
    EXPECT_EQ(lines.substr(0, 2999), closing);
    EXPECT_EQ("x", expected);
}

class ListUpdateTest : public TestServerListTest {
  protected:
    void SetUp() override {
        TestServerListTest::SetUp();
        SetTestServerListSourcesForTests(server_.Url("/"), "");
        SetTestServerListClockForTests(now_);
    }
    time_t now_ = 1800000000;
    FakeHttpServer server_;
};

TEST_F(ListUpdateTest, NoDownloadWithinAWeek) {
    glb_Settings.Set(kLastUpdateKey, LocalText(now_ - 6 * 86400));
    EXPECT_EQ(-1, UpdateTestServerList());
    EXPECT_EQ(0u, server_.Requests().size());
}

TEST_F(ListUpdateTest, AWeekToTheSecondAsksWithTheFileTime) {
    scratch_.Write("CgiServer.dat", ScrambleList("# old\r\nTCP<>http://old/<>m<>x"));
    struct timespec times[2] = {{1700000000, 0}, {1700000000, 0}};
    ASSERT_EQ(0, utimensat(AT_FDCWD, ListPath().c_str(), times, 0));
    server_.SetDefault(FakeAnswer::Raw("HTTP/1.0 304 Not Modified\r\n\r\n"));
    glb_Settings.Set(kLastUpdateKey, LocalText(now_ - 7 * 86400));

    EXPECT_EQ(0, UpdateTestServerList());
    ASSERT_EQ(1u, server_.Requests().size());
    FakeRequest request = server_.Requests()[0];
    EXPECT_EQ("/sluice/CgiServer.dat", request.path);
    EXPECT_EQ("Tue, 14 Nov 2023 22:13:20 GMT", request.Header("If-Modified-Since"));
    EXPECT_EQ(LocalText(now_), glb_Settings.Get(kLastUpdateKey));
    std::string back;
    ASSERT_TRUE(UnscrambleList(scratch_.Read("CgiServer.dat"), &back));
    EXPECT_EQ("# old\r\nTCP<>http://old/<>m<>x", back);

    EXPECT_EQ(-1, UpdateTestServerList());  // a failed attempt also waits a week
}

TEST_F(ListUpdateTest, NewListIsStoredAndLoaded) {
    server_.SetDefault(FakeAnswer::Http(200, "# new\r\nTCP<>http://new/$$PORT$$<>m<>x\r\n",
                                        "Last-Modified: Tue, 14 Nov 2023 22:13:20 GMT\r\n"));
    EXPECT_EQ(1, UpdateTestServerList());
    EXPECT_EQ(3, TestServerRecordCount());  // the comment, the record and the empty last line
    EXPECT_EQ("http://new/9", Choose("TCP", "9"));
    struct stat info;
    ASSERT_EQ(0, stat(ListPath().c_str(), &info));
    // The file carries the reply's Last-Modified, as the HTTP layer reads it.
    EXPECT_EQ(DateTextToFileTime("Tue, 14 Nov 2023 22:13:20 GMT"), info.st_mtime);
    EXPECT_NE('#', scratch_.Read("CgiServer.dat")[0]);  // scrambled by the load
}

TEST_F(ListUpdateTest, FailedDownloadKeepsTheList) {
    scratch_.Write("CgiServer.dat", ScrambleList("TCP<>http://kept/<>m<>x"));
    server_.SetDefault(FakeAnswer::Http(404, "gone"));
    EXPECT_EQ(0, UpdateTestServerList());
    LoadTestServerList();
    EXPECT_EQ("http://kept/", Choose("TCP"));
}

TEST_F(ListUpdateTest, NoHomePageMeansNoDownload) {
    SetTestServerListSourcesForTests("", "");
    EXPECT_EQ(-1, UpdateTestServerList());
    EXPECT_STREQ("", glb_Settings.Get(kLastUpdateKey));
}

}  // namespace

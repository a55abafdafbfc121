// The port-open test against the real miniupnpd: sluice-testserver runs in
// the "internet" namespace behind the router's WAN side, the client's list
// file points at it, the router masquerades the request, and the probe comes
// back through miniupnpd's forwarding rule. Also the built program's
// "/porttest" without a display, stopped by SIGINT half-way.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "foundation/environment.h"
#include "foundation/settings.h"
#include "platform/socket.h"
#include "porttest/list_scramble.h"
#include "porttest/port_open_test.h"
#include "porttest/test_server_list.h"
#include "tests/foundation/scratch_folder.h"
#include "tests/lab/testserver_process.h"
#include "tests/support/lab_router.h"
#include "upnp/igd_session.h"
#include "upnp/port_mapping.h"
#include "upnp/soap_request.h"

namespace {

constexpr char kRouterDescription[] = "http://10.77.0.1:2869/rootDesc.xml";
constexpr char kSetupTestKey[] = "//ini/設定/SetupTest";
constexpr char kPort[] = "28800";
constexpr char kPortMapping[] = "28800->10.77.0.2:28800";

std::string RouterList() {
    return lab::RunInClient(std::string("upnpc -u ") + kRouterDescription + " -l").output;
}

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The list file's plain text: one server record per protocol and a message.
std::string ListText(const std::string& expected) {
    std::string url =
        std::string("http://") + lab::kTestServerAddress + "/cgi-bin/port_scan.php?port=$$PORT$$";
    return "# lab list\r\nTCP<>" + url + "<>[lab]<br><>" + expected + "\r\nUDP<>" + url +
           "&prot=1<>[lab]<br><>" + expected + "\r\nMES<>lab end";
}

class RecordingOutput : public PortTestOutput {
  public:
    std::string log;
    std::vector<std::string> messages;
    void ShowLog(const std::string& whole, const std::string&) override { log = whole; }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
};

class PortTestLabTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { serverPid_ = lab::StartTestServer(); }
    static void TearDownTestSuite() { lab::StopTestServer(serverPid_); }

    void SetUp() override {
        ASSERT_GT(serverPid_, 0) << "sluice-testserver did not start";
        std::string error;
        ASSERT_TRUE(lab::Restart("v1", &error)) << error;
        Reset();
        BuildEnvironment(scratch_.PathOf("sluice").c_str(), glb_Environment);
        SetTestServerListSourcesForTests("", "");
        glb_Settings.Set(kSetupTestKey, "9");
        glb_Settings.SetInt(kTransportModeKey, 1);
        UseList("あなたの");
    }
    void TearDown() override { Reset(); }
    static void Reset() {
        ResetPortOpenTestForTests();
        ResetTestServerListForTests();
        ResetIgdSessionForTests();
        ResetPortMappingForTests();
        ResetSettingsForTests();
        ResetEnvironmentForTests();
    }

    void UseList(const std::string& expected) {
        scratch_.Write("CgiServer.dat", ListText(expected));
        LoadTestServerList();
    }

    PortTestOutcome Run(const char* protocol) {
        auto start = std::chrono::steady_clock::now();
        PortTestOutcome outcome = PortOpenTest(protocol, kPort, lab::kClientAddress, output_);
        auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now() - start)
                      .count();
        std::cout << "[ duration ] " << protocol << " port-open test: " << ms << " ms\n";
        return outcome;
    }

    static int serverPid_;
    ScratchFolder scratch_;
    RecordingOutput output_;
};

int PortTestLabTest::serverPid_ = 0;

TEST_F(PortTestLabTest, TcpAndUdpPassThroughTheRouter) {
    for (const char* protocol : {"TCP", "UDP"}) {
        SCOPED_TRACE(protocol);
        output_ = RecordingOutput();
        glb_Settings.Set(kSetupTestKey, "9");
        EXPECT_EQ(PortTestOutcome::kPassed, Run(protocol)) << output_.log << lab::RouterLog();
        EXPECT_TRUE(Has(output_.log, "→AddPortMapping 成功")) << output_.log;
        EXPECT_TRUE(Has(output_.log, "○テストに成功しました")) << output_.log;
        EXPECT_FALSE(Has(output_.log, "×テストに失敗しました")) << output_.log;
        EXPECT_EQ(1, glb_Settings.GetInt(kSetupTestKey));
        EXPECT_TRUE(output_.messages.empty());  // 28800: no hint
        EXPECT_FALSE(Has(RouterList(), kPortMapping));
    }
}

TEST_F(PortTestLabTest, ClientFirewallGivesTheFirewallVerdict) {
    // Inbound connections on the LAN interface are dropped; loopback is not,
    // so the internal check of step ② still passes.
    lab::CommandResult rule = lab::RunInClient(
        "nft add table inet sluicefw && "
        "nft add chain inet sluicefw input '{ type filter hook input priority 0; }' && "
        "nft add rule inet sluicefw input iifname lan0 tcp dport 28800 drop");
    ASSERT_EQ(0, rule.status) << rule.output;
    PortTestOutcome outcome = Run("TCP");
    lab::RunInClient("nft delete table inet sluicefw");
    EXPECT_EQ(PortTestOutcome::kFailed, outcome);
    EXPECT_TRUE(Has(output_.log, "→内部接続 OK")) << output_.log;
    EXPECT_TRUE(
        Has(output_.log,
            "→no accept timeout(外部接続に失敗しました)\r\n【可能性１】FWがブロックしている\r\n"
            "【可能性２】ルーターのFWがブロックしている\r\n"))
        << output_.log;
    EXPECT_TRUE(Has(output_.log, "×テストに失敗しました"));
    EXPECT_EQ(-1, glb_Settings.GetInt(kSetupTestKey));
    EXPECT_FALSE(Has(RouterList(), kPortMapping));
}

TEST_F(PortTestLabTest, AnotherProgramOnThePortIsABindError) {
    int bound = 0;
    platform::Socket other = platform::TcpListen("0.0.0.0", 28800, &bound);
    ASSERT_NE(platform::kNoSocket, other);
    PortTestOutcome outcome = Run("TCP");
    platform::CloseSocket(other);
    EXPECT_EQ(PortTestOutcome::kNotRun, outcome);
    EXPECT_TRUE(Has(output_.log,
                    "→bind err(指定のポートは、他のソフトがlistenしてます)\r\n"
                    "-------------------------------------------------------\r\n"
                    "×テストに失敗しました"))
        << output_.log;
    EXPECT_EQ(9, glb_Settings.GetInt(kSetupTestKey));
    EXPECT_FALSE(Has(RouterList(), "28800->"));
}

TEST_F(PortTestLabTest, PageWithoutTheExpectedTextIsAServerError) {
    UseList("この文はページにない");
    EXPECT_EQ(PortTestOutcome::kFailed, Run("TCP"));
    EXPECT_TRUE(Has(output_.log, "→ cgi server error\r\n【確認！】Sluiceが最新ですか？"))
        << output_.log;
    EXPECT_EQ(-1, glb_Settings.GetInt(kSetupTestKey));
    EXPECT_FALSE(Has(RouterList(), kPortMapping));
}

// The built program, copied beside its list file and settings.
class PortTestBinaryLabTest : public PortTestLabTest {
  protected:
    void SetUp() override {
        PortTestLabTest::SetUp();
        std::filesystem::copy_file(SLUICE_BINARY, scratch_.PathOf("sluice"));
        scratch_.Write("CgiServer.dat", ListText("あなたの"));
        scratch_.Write("sluice.ini", "[設定]\r\nIP取得=0\r\nIPADDR=10.77.0.2\r\n");
    }
    std::string Command(const std::string& arguments) const {
        return "env -u DISPLAY -u WAYLAND_DISPLAY " + scratch_.PathOf("sluice") + " " + arguments +
               " </dev/null";
    }
};

TEST_F(PortTestBinaryLabTest, PortTestWithoutAWindow) {
    lab::CommandResult run = lab::RunInClient(Command("/porttest 28800 UDP"));
    EXPECT_EQ(1, run.status) << run.output;
    EXPECT_TRUE(Has(run.output, u8"④ ポート 28800 を(UDP)listenします\n→listen OK\n"))
        << run.output;
    EXPECT_TRUE(Has(run.output, u8"○テストに成功しました")) << run.output;
    EXPECT_FALSE(Has(run.output, "\r"));
    EXPECT_TRUE(Has(scratch_.Read("sluice.ini"), "SetupTest=1"));
    EXPECT_FALSE(Has(RouterList(), "28800->"));

    lab::CommandResult refused = lab::RunInClient(Command("/porttest 0 TCP"));
    EXPECT_EQ(2, refused.status) << refused.output;
    EXPECT_TRUE(Has(refused.output, u8"ポート番号は、半角で1～65535の間で入力してください"));
}

TEST_F(PortTestBinaryLabTest, InterruptedPortTestRemovesItsMapping) {
    // The program runs in the background; the test interrupts it once the
    // mapping is on the router.
    std::string out = scratch_.PathOf("out"), pid = scratch_.PathOf("pid"),
                rc = scratch_.PathOf("rc");
    lab::CommandResult started =
        lab::RunInClient("(" + Command("/porttest 28800 TCP") + " >" + out + " 2>&1 & echo $! >" +
                         pid + "; wait $!; echo $? >" + rc + ") >/dev/null 2>&1 &");
    ASSERT_EQ(0, started.status) << started.output;
    bool mapped = false;
    for (int i = 0; i < 200 && !mapped; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        mapped = Has(scratch_.Read("out"), u8"→AddPortMapping 成功");
    }
    ASSERT_TRUE(mapped) << scratch_.Read("out");
    kill(std::atoi(scratch_.Read("pid").c_str()), SIGINT);
    for (int i = 0; i < 300 && scratch_.Read("rc").empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_EQ("2\n", scratch_.Read("rc")) << scratch_.Read("out");
    EXPECT_TRUE(Has(scratch_.Read("out"), u8"→テストを中断しました")) << scratch_.Read("out");
    EXPECT_FALSE(Has(RouterList(), "28800->"));
}

}  // namespace

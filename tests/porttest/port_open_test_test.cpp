// The port-open test on loopback: a fake router takes the mappings and
// sluice-testserver's service, run in this process, connects back to the
// listener on 127.0.0.1.
#include "porttest/port_open_test.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "foundation/environment.h"
#include "foundation/settings.h"
#include "platform/socket.h"
#include "porttest/test_listener.h"
#include "porttest/test_server_list.h"
#include "tests/foundation/scratch_folder.h"
#include "tests/support/fake_igd.h"
#include "testserver/test_server.h"
#include "upnp/igd_session.h"
#include "upnp/port_mapping.h"
#include "upnp/soap_request.h"

namespace {

constexpr char kSetupTestKey[] = "//ini/設定/SetupTest";
constexpr char kLan[] = "10.0.0.5";

class RecordingOutput : public PortTestOutput {
  public:
    std::string log;
    std::vector<std::string> messages;
    std::function<void(const std::string&)> onLog;

    void ShowLog(const std::string& whole, const std::string& added) override {
        log = whole;
        if (onLog) onLog(added);
    }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
};

// A port nothing listens on right now.
int FreePort() {
    int port = 0;
    platform::Socket probe = platform::TcpListen("0.0.0.0", 0, &port);
    platform::CloseSocket(probe);
    return port;
}

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

void ResetCore() {
    ResetPortOpenTestForTests();
    ResetTestServerListForTests();
    ResetIgdSessionForTests();
    ResetPortMappingForTests();
    ResetSettingsForTests();
    ResetEnvironmentForTests();
}

class PortOpenTestTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetCore();
        BuildEnvironment(scratch_.PathOf("sluice").c_str(), glb_Environment);
        SetTestServerListSourcesForTests("", "");
        glb_Settings.Set(kSetupTestKey, "9");
        glb_IgdState = 1;
        glb_ControlURL = igd_.ControlUrl();
        glb_ServiceType = igd_.ServiceType();
        glb_Settings.SetInt(kTransportModeKey, 1);
        TestServerOptions options;
        options.address = "127.0.0.1";
        options.port = 0;
        options.perMinute = 1000;
        options.log = [this](const std::string& line) { serverLog_.push_back(line); };
        server_ = std::make_unique<TestServer>(options);
        std::string error;
        ASSERT_TRUE(server_->Start(&error)) << error;
        UseList("あなたの");
        port_ = std::to_string(FreePort());
    }
    void TearDown() override {
        server_->Stop();
        ResetCore();
    }

    // A list whose records point at the in-process test server.
    void UseList(const std::string& expected) {
        std::string url = "http://127.0.0.1:" + std::to_string(server_->Port()) +
                          "/cgi-bin/port_scan.php?port=$$PORT$$";
        SetTestServerRecordsForTests({"TCP<>" + url + "<>[loopback]<br><>" + expected,
                                      "UDP<>" + url + "&prot=1<>[loopback]<br><>" + expected,
                                      "MES<>bye"});
    }

    PortTestOutcome Run(const std::string& protocol) {
        return PortOpenTest(protocol, port_, kLan, output_);
    }

    // The SOAP actions the router received, in order ("AddPortMapping", ...).
    std::vector<std::string> Actions() const {
        std::vector<std::string> actions;
        for (const FakeRequest& request : igd_.ActionRequests()) {
            std::string action = request.Header("SOAPAction");
            size_t hash = action.find('#');
            actions.push_back(action.substr(hash + 1, action.find('"', hash) - hash - 1));
        }
        return actions;
    }

    ScratchFolder scratch_;
    FakeIgd igd_;
    std::unique_ptr<TestServer> server_;
    std::vector<std::string> serverLog_;
    RecordingOutput output_;
    std::string port_;
};

TEST_F(PortOpenTestTest, TcpTestPassesAndRemovesItsMapping) {
    EXPECT_EQ(PortTestOutcome::kPassed, Run("TCP"));
    const std::string& log = output_.log;
    EXPECT_EQ(0u, log.find(kPortTestHeader));
    EXPECT_TRUE(Has(log, "① ポート " + port_ + " を(TCP)listenします\r\n→listen OK\r\n"));
    EXPECT_TRUE(Has(log, "②内部接続を試みます\r\n→内部接続 OK\r\n"));
    EXPECT_TRUE(Has(log, "→ルーターにポート " + port_ + " (TCP)の割り当てがあれば削除しました"));
    EXPECT_TRUE(Has(log, "→AddPortMapping 成功\r\n④ ポート " + port_));
    EXPECT_TRUE(Has(log, "⑤外部接続を試みます\r\n[loopback]\r\n→外部接続 OK\r\n"));
    EXPECT_TRUE(Has(log, "○テストに成功しました\r\n\r\n\r\nbye"));
    EXPECT_FALSE(Has(log, "×テストに失敗しました"));
    EXPECT_EQ(1, glb_Settings.GetInt(kSetupTestKey));
    EXPECT_EQ(
        (std::vector<std::string>{"DeletePortMapping", "AddPortMapping", "DeletePortMapping"}),
        Actions());
    std::string add = igd_.ActionRequests()[1].body;
    EXPECT_TRUE(Has(add, "SluiceTest" + port_ + "T"));
    EXPECT_TRUE(Has(add, kLan));
    ASSERT_EQ(1u, output_.messages.size());  // the hint to try 28800 as well
    EXPECT_EQ(port_ + "ポートで失敗する場合は、28800ポートでもチェックしてください",
              output_.messages[0]);
    ASSERT_EQ(1u, serverLog_.size());
    EXPECT_TRUE(Has(serverLog_[0], " 200 reached "));
}

TEST_F(PortOpenTestTest, UdpTestSkipsTheLocalCheck) {
    EXPECT_EQ(PortTestOutcome::kPassed, Run("UDP"));
    EXPECT_FALSE(Has(output_.log, "①"));
    EXPECT_FALSE(Has(output_.log, "②"));
    EXPECT_TRUE(Has(output_.log, "④ ポート " + port_ + " を(UDP)listenします\r\n→listen OK"));
    EXPECT_TRUE(Has(output_.log, "→外部接続 OK"));
    EXPECT_EQ(1, glb_Settings.GetInt(kSetupTestKey));
    EXPECT_EQ("DeletePortMapping", Actions().back());
    ASSERT_EQ(1u, serverLog_.size());
    EXPECT_TRUE(Has(serverLog_[0], " 200 sent "));
}

TEST_F(PortOpenTestTest, PortTakenByAnotherProgramIsABindError) {
    int port = 0;
    platform::Socket other = platform::TcpListen("0.0.0.0", std::stoi(port_), &port);
    ASSERT_NE(platform::kNoSocket, other);
    EXPECT_EQ(PortTestOutcome::kNotRun, Run("TCP"));
    platform::CloseSocket(other);
    EXPECT_TRUE(Has(output_.log, "→bind err(指定のポートは、他のソフトがlistenしてます)\r\n" +
                                     std::string(kPortTestFailed)));
    EXPECT_TRUE(Actions().empty());
    EXPECT_EQ(9, glb_Settings.GetInt(kSetupTestKey));
}

TEST_F(PortOpenTestTest, PortOutsideTheRangeStopsAtOnce) {
    for (const char* text : {"0", "65536", "abc"}) {
        SCOPED_TRACE(text);
        output_ = RecordingOutput();
        port_ = text;
        EXPECT_EQ(PortTestOutcome::kNotRun, Run("TCP"));
        EXPECT_EQ(
            std::string(kPortTestHeader) + "[既存cgiリストを利用します]\r\n" + kPortTestFailed,
            output_.log);
        EXPECT_EQ(std::vector<std::string>{"ポート番号は、半角で1～65535の間で入力してください"},
                  output_.messages);
    }
    EXPECT_TRUE(Actions().empty());
    EXPECT_TRUE(serverLog_.empty());
}

TEST_F(PortOpenTestTest, PageWithoutTheExpectedTextIsAServerError) {
    UseList("not on the page");
    EXPECT_EQ(PortTestOutcome::kFailed, Run("TCP"));
    EXPECT_TRUE(Has(output_.log, "→ cgi server error\r\n【確認！】Sluiceが最新ですか？\r\n"));
    // The server did connect back, so no failure banner follows.
    EXPECT_FALSE(Has(output_.log, "×テストに失敗しました"));
    EXPECT_EQ(-1, glb_Settings.GetInt(kSetupTestKey));
    EXPECT_EQ("DeletePortMapping", Actions().back());
}

TEST_F(PortOpenTestTest, WithoutATestServerNothingIsAsked) {
    SetTestServerRecordsForTests({});
    EXPECT_EQ(PortTestOutcome::kFailed, Run("TCP"));
    EXPECT_TRUE(Has(output_.log, kNoTestServerLine));
    EXPECT_TRUE(Has(output_.log, "→ cgi server error"));
    EXPECT_TRUE(Has(output_.log, kPortTestFailed));
    EXPECT_TRUE(serverLog_.empty());
    EXPECT_EQ(-1, glb_Settings.GetInt(kSetupTestKey));
    EXPECT_EQ("DeletePortMapping", Actions().back());
}

TEST_F(PortOpenTestTest, CancelledTestStillRemovesItsMapping) {
    output_.onLog = [](const std::string& added) {
        if (Has(added, "⑤")) CancelPortTest();
    };
    EXPECT_EQ(PortTestOutcome::kNotRun, Run("TCP"));
    EXPECT_TRUE(Has(output_.log, "→テストを中断しました\r\n" + std::string(kPortTestFailed)));
    EXPECT_EQ(
        (std::vector<std::string>{"DeletePortMapping", "AddPortMapping", "DeletePortMapping"}),
        Actions());
    EXPECT_EQ(9, glb_Settings.GetInt(kSetupTestKey));
    EXPECT_FALSE(PortTestRunning());
}

TEST_F(PortOpenTestTest, RouterRefusalIsLoggedAndTheTestGoesOn) {
    igd_.QueueAnswer(IgdScenario::kErrorStatus, "DeletePortMapping", {});
    igd_.QueueAnswer(IgdScenario::kErrorStatus, "AddPortMapping", {});
    EXPECT_EQ(PortTestOutcome::kPassed, Run("TCP"));
    EXPECT_FALSE(Has(output_.log, "の割り当てがあれば削除しました"));
    EXPECT_TRUE(Has(output_.log, "→upnp AddPortMapping error\r\n"));
    EXPECT_TRUE(Has(output_.log, "④ ポート"));
    // Nothing was added, so nothing is deleted afterwards.
    EXPECT_EQ((std::vector<std::string>{"DeletePortMapping", "AddPortMapping"}), Actions());
}

}  // namespace

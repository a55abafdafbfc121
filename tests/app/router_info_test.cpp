// ⑨ the router information command: the verdict texts, the masked
// addresses and the report; the router information window's logic; the
// first-run prompt; and the run without a window's terminal text.
#include "app/router_info.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "app/port_test_command.h"
#include "app/report_items.h"
#include "app/router_info_command.h"
#include "app/router_report.h"
#include "app/settings_keys.h"
#include "app/sluice_app.h"
#include "foundation/sysinfo.h"
#include "tests/app/app_test_base.h"
#include "upnp/device_description.h"

namespace {

class FakeRouterInfoView : public RouterInfoView {
  public:
    std::string report;
    std::string port;
    std::vector<std::string> messages;
    std::vector<int> timers;
    bool testsEnabled = true;
    bool closed = false;

    void ShowReport(const std::string& text) override { report = text; }
    std::string ReadPort() override { return port; }
    void ShowPort(const std::string& text) override { port = text; }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    void EnableTests(bool enable) override { testsEnabled = enable; }
    void StartTimer(int ms) override { timers.push_back(ms); }
    void CloseWindow() override { closed = true; }
};

class RouterInfoTest : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        RegisterSettingDefaults();
        LoadIni(SharedEnvironment().GetEnum(kSettingsFileEntry), glb_Settings, 0);
        glb_IgdState = 1;
        glb_WanIP = "203.0.113.7";
        glb_GateWy = "192.168.1.1";
        ui_.window.lanIp = "192.168.1.20";
        ui_.onRouterInfo = [this](RouterInfo& window) {
            window.OnInit(view_);
            autoTestDuringWindow_ = AutomaticPortTest();
        };
    }

    FakeRouterInfoView view_;
    MainFields fields_;
    bool autoTestDuringWindow_ = false;
};

struct VerdictCase {
    int igdState;
    const char* wanIp;
    const char* lanIp;
    const char* wanInfo;
    const char* lanInfo;
    const char* note1;
    const char* note2;
};

TEST_F(RouterInfoTest, VerdictsFollowTheAddresses) {
    const VerdictCase cases[] = {
        {1, "203.0.113.7", "192.168.1.20", "グローバル　アドレス(203.0xxx)",
         "プライベートアドレス(192.168.1.20)", "開放成功するはずです",
         "Sluice.exeでエラーの場合、掲示板まで♪"},
        {1, "192.168.0.2", "192.168.1.20", "プライベートアドレス(192.168.0.2)",
         "プライベートアドレス(192.168.1.20)",
         "二重ルーターか、グローバルアドレスが付与されていません", "⑮で改善する場合があります"},
        {-1, "", "192.168.1.20", "UPnP非対応ルーター or ルーターなし",
         "プライベートアドレス(192.168.1.20)", "確認１：XPFW／市販FW 両方無効でも同じ状況？",
         "確認２：UPnP機能が無効になっていませんか？"},
        {1, "203.0.113.7", "198.51.100.20", "グローバル　アドレス(203.0xxx)",
         "グローバル　アドレス(198.5xxx)", "ルーターが存在しないと思われます",
         "ファイアウォールの設定を確認しましょう"},
    };
    for (const VerdictCase& c : cases) {
        SCOPED_TRACE(c.wanIp);
        ClearReportItems();
        glb_IgdState = c.igdState;
        glb_WanIP = c.wanIp;
        ui_.window.lanIp = c.lanIp;
        RouterInfoCommand(ui_, fields_);
        EXPECT_EQ(c.wanInfo, ReportItem(kReportWan));
        EXPECT_EQ(c.lanInfo, ReportItem(kReportLan));
        EXPECT_EQ(c.note1, ReportItem(kReportNote1));
        EXPECT_EQ(c.note2, ReportItem(kReportNote2));
        EXPECT_EQ("プライベートアドレス(192.168.1.1)", ReportItem(kReportGateway));
        EXPECT_EQ(GetOSName(), ReportItem(kReportOs));
        if (c.igdState == -1) {
            EXPECT_EQ("？？？（調べて編集してください）", ReportItem(kReportManufacturer));
        }
    }
    EXPECT_EQ(4, ui_.routerInfoShown);
    EXPECT_EQ("？ポート開放テストが行われていません", ui_.statusLines.back());
}

TEST_F(RouterInfoTest, WindowShowsTheReportAndTheStoredPort) {
    glb_Manufacturer = "Maker";
    glb_ModelName = "RT-1";
    glb_ModelNumber = "2.0";
    glb_ModelURL = "http://maker.example/rt1";
    glb_Location = "http://192.168.1.1:2869/rootDesc.xml";
    glb_IgdMessage = "ok";
    RouterInfoCommand(ui_, fields_);
    EXPECT_EQ("203.0.113.7", ui_.window.wanIp);
    EXPECT_EQ("28800", view_.port);
    EXPECT_TRUE(view_.timers.empty());
    const std::string rule = " " + std::string(55, '-') + "\r\n";
    EXPECT_EQ(0u, view_.report.find(rule +
                                    "（成功報告用テンプレート）sluice Version 1.33\r\n"
                                    "【成　否】成功\r\n【製造元】Maker\r\n【型　番】RT-1\r\n"
                                    "【Ｖｅｒ】2.0\r\n【その他】\r\n" +
                                    rule + "（失敗報告・質問用テンプレート）"));
    EXPECT_NE(std::string::npos,
              view_.report.find("【LANINF】プライベートアドレス(192.168.1.20)\r\n"
                                "【WANINF】グローバル　アドレス(203.0xxx)\r\n"
                                "【GATEWY】プライベートアドレス(192.168.1.1)\r\n【FW_INF】\r\n"
                                "【PXYINF】\r\n【OS_VER】"));
    EXPECT_NE(std::string::npos,
              view_.report.find("【DBGINF】ok\r\n【備考１】開放成功するはずです\r\n"));
    EXPECT_NE(std::string::npos,
              view_.report.find("（その他）sluice Version 1.33\r\n【製品名】\r\n"
                                "【ＵＲＬ】ttp://maker.example/rt1\r\n"
                                "【UPnPxx】ttp://192.168.1.1:2869/rootDesc.xml\r\n"
                                "【RT設定】ttp://192.168.1.1/\r\n" +
                                rule));
    EXPECT_EQ(std::string::npos, view_.report.find("http"));
    EXPECT_EQ(view_.report.size(), view_.report.rfind(rule) + rule.size());
}

TEST(RouterReportTest, RouterPageNeedsAPortInTheLocation) {
    EXPECT_EQ("http://192.168.0.1/", RouterWebPage("http://192.168.0.1:2869/desc.xml"));
    EXPECT_EQ("", RouterWebPage("http://192.168.0.1/desc.xml"));
    EXPECT_EQ("", RouterWebPage(""));
}

TEST_F(RouterInfoTest, ClosingWithoutATestKeepsTheStoredPort) {
    RouterInfo window("192.168.1.20");
    window.OnInit(view_);
    view_.port = "8080";  // typed, but no test was run
    EXPECT_TRUE(window.OnClose());
    EXPECT_STREQ("28800", glb_Settings.Get(key::kTestPort));
}

TEST_F(RouterInfoTest, FirstRunPromptAnsweredNo) {
    ui_.answerYes = false;
    FirstRunPrompt(ui_, fields_);
    EXPECT_EQ(std::vector<int>{kTimerFirstRun}, ui_.stoppedTimers);
    ASSERT_EQ(1u, ui_.messages.size());
    EXPECT_EQ("確認", ui_.messageTitles[0]);
    EXPECT_EQ(0u, ui_.messages[0].find("初回起動です。\r\n"));
    EXPECT_EQ(0, ui_.routerInfoShown);
    EXPECT_NE(std::string::npos, scratch_.Read("sluice.ini").find("SetupTest=0"));
}

TEST_F(RouterInfoTest, FirstRunPromptAnsweredYesOpensTheWindowInAutomaticMode) {
    ui_.answerYes = true;
    FirstRunPrompt(ui_, fields_);
    EXPECT_EQ(1, ui_.routerInfoShown);
    EXPECT_TRUE(autoTestDuringWindow_);
    EXPECT_EQ(std::vector<int>{500}, view_.timers);
    EXPECT_FALSE(AutomaticPortTest());
    EXPECT_NE(std::string::npos, scratch_.Read("sluice.ini").find("SetupTest=0"));
}

TEST_F(RouterInfoTest, FirstStartOnADisplayArmsThePrompt) {
    SluiceApp app(ui_);
    EXPECT_EQ(RunKind::kFirstRun, app.Startup({"/open", "8000"}, true));
    EXPECT_EQ((std::vector<std::pair<int, int>>{{kTimerFirstRun, 1000}}), ui_.startedTimers);
    EXPECT_TRUE(ui_.statusLines.empty());
}

TEST_F(RouterInfoTest, PortTestSwitchComesBeforeTheFirstRunPrompt) {
    SluiceApp app(ui_);
    EXPECT_EQ(RunKind::kPortTest, app.Startup({"/porttest", "28800", "UDP"}, true));
    EXPECT_EQ((std::vector<std::pair<int, int>>{{kTimerPortTest, 200}}), ui_.startedTimers);
    EXPECT_EQ("28800", app.Fields().wanPort);
    EXPECT_EQ(kProtocolUdp, app.Fields().protocol);
}

TEST(PortTestCommandTest, TerminalTextDropsControlCharacters) {
    // The escape character goes, so what follows it is plain text.
    EXPECT_EQ(u8"→listen OK\no[2Jk\n", TerminalText("→listen OK\r\no\x1b[2Jk\x07\r\n"));
}

TEST_F(RouterInfoTest, PortTestWithoutAProtocolFails) {
    MainFields fields;
    fields.wanPort = "28800";
    std::ostringstream out;
    PortTestCommand(ui_, fields, out);
    EXPECT_EQ(u8"プロトコルは TCP か UDP を指定してください\n", out.str());
    EXPECT_EQ(2, ui_.ExitCode());
}

}  // namespace

// The main window's start-up: settings and field defaults, the command line,
// the LAN address and gateway guess, the status texts and report items, what
// each run kind leaves armed, and the handlers that move values.
#include "app/startup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/port_commands.h"
#include "app/report_items.h"
#include "app/settings_keys.h"
#include "app/sluice_app.h"
#include "platform/charset.h"
#include "platform/clock.h"
#include "tests/app/app_test_base.h"
#include "tests/net/env_guard.h"

namespace {

constexpr char kSettingsHead[] = "[設定]\r\n";

uint32_t g_tick = 0;
uint32_t TestTick() {
    return g_tick;
}

class StartupTest : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        env_.Set("http_proxy", nullptr);
        env_.Set("HTTP_PROXY", nullptr);
        env_.Set("TMPDIR", scratch_.Path().c_str());
    }
    void TearDown() override {
        platform::SetTickSourceForTests(nullptr);
        AppTest::TearDown();
    }
    // Settings file lines ("key=value", CR LF each) under the program's section.
    void Settings(const std::string& lines) { scratch_.Write("sluice.ini", kSettingsHead + lines); }
    RunKind Start(const std::vector<std::string>& args) { return app_.Startup(args); }

    EnvGuard env_;
    SluiceApp app_{ui_};
};

struct StatusCase {
    const char* setupTest;
    const char* status;
};

TEST_F(StartupTest, StatusLineFollowsPortTest) {
    const StatusCase cases[] = {
        {"1", "◎ポート開放テストに成功しています"},
        {"-1", "×ポート開放テストに失敗。"},
        {"0", "？ポート開放テストが行われていません"},
        {"9", "？ポート開放テストが行われていません"},
        {"5", "？？？？"},
    };
    for (const StatusCase& c : cases) {
        SCOPED_TRACE(c.setupTest);
        ResetSettingsForTests();
        ui_.statusLines.clear();
        Settings(std::string("SetupTest=") + c.setupTest + "\r\n");
        Start({"/close", "8000"});
        ASSERT_FALSE(ui_.statusLines.empty());
        EXPECT_EQ(c.status, ui_.statusLines.back());
    }
}

TEST_F(StartupTest, FieldsStartFromSettings) {
    Settings(
        "PRE_PORT=8080\r\nCOMMENT=Web\r\nSIKIBETU=uuid:1234\r\nPROT=UDP\r\nモード=2\r\n"
        "IP取得=0\r\nIPADDR=192.168.1.20\r\nSCUT=1\r\n");
    Start({"/close"});
    EXPECT_EQ("8080", ui_.window.wanPort);
    EXPECT_EQ("", ui_.window.lanPort);
    EXPECT_EQ("Web", ui_.window.comment);
    EXPECT_EQ("uuid:1234", ui_.window.device);
    EXPECT_EQ("未取得", ui_.window.wanIp);
    EXPECT_EQ(kProtocolUdp, ui_.window.protocol);
    EXPECT_EQ(2, ui_.window.transportMode);
    EXPECT_EQ(0, ui_.window.addressMode);
    EXPECT_EQ("192.168.1.20", ui_.window.lanIp);
    EXPECT_FALSE(ui_.window.makeShortcuts);  // a batch run leaves ⑦ unticked
    EXPECT_EQ(0, glb_IgdState);
}

TEST_F(StartupTest, MissingSettingsFileGivesDefaults) {
    Start({"/close"});
    EXPECT_STREQ("28800", glb_Settings.Get(key::kTestPort));
    EXPECT_STREQ("9", glb_Settings.Get(key::kSetupTest));
    EXPECT_EQ("Sluice", ui_.window.comment);
    EXPECT_EQ(kProtocolTcp, ui_.window.protocol);
}

TEST_F(StartupTest, BatchRunGuessesGatewayAndSkipsNameProbe) {
    Start({"/open", "8000", "TCP", "8000", "192.168.1.20"});
    EXPECT_EQ("192.168.1.20", ui_.window.lanIp);
    EXPECT_EQ("192.168.1.1", glb_GateWy);
    EXPECT_EQ("ルーターが存在します(192.168.1.1)", ui_.window.info);
    EXPECT_EQ("", ReportItem(kReportFirewall));
    EXPECT_EQ("ProxyEnable = False", ReportItem(kReportProxy));
}

TEST_F(StartupTest, ScannedGatewayIsKept) {
    platform::AdapterAddress adapter;
    adapter.address = "10.1.0.5";
    adapter.gateway = "10.1.0.254";
    SetAdaptersForTests({adapter}, "");
    Start({"/open", "8000", "TCP", "8000", "自動2"});
    EXPECT_EQ("10.1.0.5", ui_.window.lanIp);
    EXPECT_EQ("ルーターが存在します(10.1.0.254)", ui_.window.info);
}

TEST_F(StartupTest, GlobalAddressMeansNoRouter) {
    Start({"/open", "8000", "TCP", "8000", "203.0.113.5"});
    EXPECT_EQ("ルーターが存在しません？", ui_.window.info);
}

TEST_F(StartupTest, LoopbackAddressReportsBrokenNetwork) {
    Start({"", "8000", "TCP", "8000", "127.0.0.1"});
    EXPECT_EQ("127.0.0.1", ui_.window.lanIp);
    EXPECT_EQ("127..ネットワークが異常", ui_.window.info);
    EXPECT_EQ("127..ネットワークが異常", ReportItem(kReportFirewall));
}

TEST_F(StartupTest, ProxyFromEnvironment) {
    env_.Set("http_proxy", "http://proxy.example:3128/");
    Start({"/close"});
    EXPECT_EQ(1, glb_SystemProxyFlag);
    EXPECT_EQ("ProxyEnable = True(Proxy経由)", ReportItem(kReportProxy));
}

TEST_F(StartupTest, ReportItemsOfEarlierRunAreEmptied) {
    SetReportItem("【WANINF】", "old");
    Start({"/close"});
    EXPECT_EQ("", ReportItem("【WANINF】"));
}

// The one interactive start that runs the name probe (up to 5 s without a
// name server).
TEST_F(StartupTest, InteractiveRunEmptiesSwitchAndProbesNames) {
    Settings("IP取得=0\r\nIPADDR=192.168.1.20\r\nSCUT=1\r\nSetupTest=1\r\n");
    EXPECT_EQ(RunKind::kInteractive, Start({"DEBUG"}));
    EXPECT_EQ("", glb_SwitchText);
    EXPECT_EQ(1, glb_DebugFlag);
    EXPECT_TRUE(ui_.window.makeShortcuts);
    EXPECT_TRUE(ui_.startedTimers.empty());
    EXPECT_TRUE(ui_.exitCodes.empty());
    std::string probe = ReportItem(kReportFirewall);
    EXPECT_TRUE(probe == "DNS参照OK" || probe == "DNS参照エラー(FWがSluice.exeをブロック)")
        << probe;
    EXPECT_EQ("◎ポート開放テストに成功しています", ui_.statusLines.back());
}

TEST_F(StartupTest, BatchKindsArmTheirTimer) {
    struct {
        const char* switchText;
        RunKind kind;
        int timer;
    } cases[] = {
        {"/open", RunKind::kOpen, kTimerBatchOpen},
        {"/close_hide", RunKind::kClose, kTimerBatchClose},
        {"/CloseAll", RunKind::kCloseAll, kTimerBatchCloseAll},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.switchText);
        ui_.startedTimers.clear();
        EXPECT_EQ(c.kind, Start({c.switchText, "8000", "TCP", "8000", "192.168.1.20"}));
        EXPECT_EQ((std::vector<std::pair<int, int>>{{c.timer, 200}}), ui_.startedTimers);
        EXPECT_FALSE(glb_SwitchText.empty());
        EXPECT_TRUE(ui_.exitCodes.empty());
    }
}

TEST_F(StartupTest, FirstRunStillCarriesOutBatchSwitch) {
    Settings("SetupTest=9\r\n");
    EXPECT_EQ(RunKind::kOpen, Start({"/open_hide", "8000", "TCP", "8000", "192.168.1.20"}));
    EXPECT_EQ((std::vector<std::pair<int, int>>{{kTimerBatchOpen, 200}}), ui_.startedTimers);
}

TEST_F(StartupTest, SetupMakesStartLaunchersAndEnds) {
    EXPECT_EQ(RunKind::kSetup, Start({"/setup"}));
    EXPECT_EQ(std::vector<int>{kExitSetupDone}, ui_.exitCodes);
    EXPECT_TRUE(ui_.startedTimers.empty());
    EXPECT_TRUE(scratch_.Exists(platform::Cp932ToUtf8("Desktop/ポート閉鎖(ALL).desktop")));
}

TEST_F(StartupTest, ClosingSavesOnlyWhenTheStartFoundTheDefinitionFile) {
    platform::SetTickSourceForTests(TestTick);
    g_tick = 1000;
    Settings("PRE_PORT=8080\r\n");
    Start({});
    ui_.window.wanPort = "9999";
    ui_.window.comment = "Game";
    ui_.window.device = "uuid:5678";
    g_tick += 10000;
    app_.OnCloseWindow();
    KeyedTable saved;
    LoadIni(scratch_.PathOf("sluice.ini").c_str(), saved, 0);
    EXPECT_STREQ("8080", saved.Get(key::kPreviousPort));

    // The interactive start looks the definition file up beside the program.
    scratch_.Write("sluice.def", "# no records\n");
    g_tick += 10000;  // the check above loaded the file again
    Start({});
    EXPECT_EQ(scratch_.PathOf("sluice.def"), glb_Environment.GetEnum(kDefinitionEntry));
    ui_.window.wanPort = "9999";
    ui_.window.comment = "Game";
    ui_.window.device = "uuid:5678";
    g_tick += 10000;
    app_.OnCloseWindow();
    LoadIni(scratch_.PathOf("sluice.ini").c_str(), saved, 0);
    EXPECT_STREQ("9999", saved.Get(key::kPreviousPort));
    EXPECT_STREQ("Game", saved.Get(key::kComment));
    EXPECT_STREQ("uuid:5678", saved.Get(key::kDevice));
}

TEST_F(StartupTest, GatewayGuess) {
    EXPECT_EQ("192.168.1.1", GuessGateway("192.168.1.20"));
    EXPECT_EQ("10.0.0.1", GuessGateway("10.0.0.1"));
    EXPECT_EQ("", GuessGateway("router"));
}

class HandlerTest : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        RegisterSettingDefaults();
    }
    SluiceApp app_{ui_};
};

TEST_F(HandlerTest, FixedAddressModeStoresAddress) {
    ui_.window.addressMode = 0;
    ui_.window.lanIp = "192.168.1.30";
    app_.OnAddressMode();
    EXPECT_STREQ("0", glb_Settings.Get(key::kAddressMode));
    EXPECT_STREQ("192.168.1.30", glb_Settings.Get(key::kFixedAddress));
    EXPECT_EQ(std::vector<std::string>{"固定値を設定しました"}, ui_.messages);
    EXPECT_EQ("192.168.1.30", ui_.window.lanIp);
}

TEST_F(HandlerTest, ValuesMoveIntoSettings) {
    app_.OnRadioUdp();
    EXPECT_STREQ("UDP", glb_Settings.Get(key::kProtocol));
    app_.OnRadioTcp();
    EXPECT_STREQ("TCP", glb_Settings.Get(key::kProtocol));
    ui_.window.makeShortcuts = false;
    app_.OnShortcutCheck();
    EXPECT_STREQ("0", glb_Settings.Get(key::kShortcuts));
    ui_.window.transportMode = 3;
    app_.OnTransportMode();
    EXPECT_STREQ("3", glb_Settings.Get(key::kTransportMode));
}

TEST_F(HandlerTest, PortHelpHasItsOwnTitle) {
    app_.OnPortHelp();
    ASSERT_EQ(1u, ui_.messages.size());
    EXPECT_EQ(kPortHelpText, ui_.messages[0]);
    EXPECT_EQ("Sluice - 「開放したいポート番号(1-65535)を指定します」", ui_.messageTitles[0]);
}

}  // namespace

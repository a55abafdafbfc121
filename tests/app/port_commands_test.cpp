// The open and close commands against a fake router on loopback: validation
// and its messages, what reaches the router, the messages of success and
// failure, MessageOff, and how a batch run ends.
#include "app/port_commands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/settings_keys.h"
#include "platform/charset.h"
#include "tests/app/app_test_base.h"

namespace {

constexpr char kLanAddress[] = "192.168.0.10";
constexpr char kOpened[] = "ルーターのポートを開放しました\r\n\r\n(FWの設定は別途必要！)";
constexpr char kClosed[] = "ルーターのポート閉鎖しました";

class PortCommandsTest : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        RegisterSettingDefaults();
        AimAtFakeRouter();
        SetMainUi(&ui_);
        ui_.window.wanPort = "8000";
        ui_.window.lanIp = kLanAddress;
        ui_.window.comment = "Sluice";
    }
    void Batch(const char* switchText = "/open") { glb_SwitchText = switchText; }
    void RouterRefuses() { igd_->AnswerActions(IgdScenario::kErrorStatus, "AddPortMapping", {}); }
    CommandOutcome Open() { return OpenCommand(ui_, fields_); }
    CommandOutcome Close() { return CloseCommand(ui_, fields_); }

    MainFields fields_;
};

struct InvalidCase {
    const char* name;
    const char* wan;
    const char* lan;
    const char* lanIp;
    const char* message;
};

const InvalidCase kInvalidCases[] = {
    {"WanZero", "0", "", kLanAddress, kWanPortInvalid},
    {"WanTooHigh", "70000", "", kLanAddress, kWanPortInvalid},
    {"WanNotNumber", "abc", "", kLanAddress, kWanPortInvalid},
    {"WanEmpty", "", "", kLanAddress, kWanPortInvalid},
    {"LanNotNumber", "8000", "x9000", kLanAddress, kLanPortInvalid},
    {"LanTooHigh", "8000", "65536", kLanAddress, kLanPortInvalid},
    {"LanIpEmpty", "8000", "", "", kLanIpInvalid},
};

class OpenValidationTest : public PortCommandsTest,
                           public ::testing::WithParamInterface<InvalidCase> {};

// Validation messages are shown even with MessageOff, nothing reaches the
// router, and a batch run ends at once as a failure.
TEST_P(OpenValidationTest, ShowsMessageSendsNothingAndFailsBatch) {
    const InvalidCase& c = GetParam();
    glb_Settings.Set(key::kMessageOff, "1");
    ui_.window.wanPort = c.wan;
    ui_.window.lanPort = c.lan;
    ui_.window.lanIp = c.lanIp;
    for (bool batch : {false, true}) {
        SCOPED_TRACE(batch ? "batch" : "interactive");
        ui_.messages.clear();
        ui_.exitCodes.clear();
        glb_SwitchText = batch ? "/open_hide" : "";
        EXPECT_EQ(kCommandInvalid, Open());
        EXPECT_EQ(std::vector<std::string>{c.message}, ui_.messages);
        EXPECT_EQ(batch ? std::vector<int>{kExitBatchFailed} : std::vector<int>{}, ui_.exitCodes);
    }
    EXPECT_TRUE(igd_->ActionRequests().empty());
    EXPECT_TRUE(ui_.enabled);
}

INSTANTIATE_TEST_SUITE_P(Cases, OpenValidationTest, ::testing::ValuesIn(kInvalidCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PortCommandsTest, PortMessagesAreLeftInIgdMessage) {
    ui_.window.wanPort = "abc";
    Open();
    EXPECT_EQ(kWanPortInvalid, glb_IgdMessage);
    ui_.window.wanPort = "8000";
    ui_.window.lanPort = "0";
    Open();
    EXPECT_EQ(kLanPortInvalid, glb_IgdMessage);
}

TEST_F(PortCommandsTest, LeadingNumberDecides) {
    for (const char* valid : {"1", "65535", " 8000", "+8000", "8000-9000,abc", "80x"}) {
        EXPECT_TRUE(LeadingPortValid(valid)) << valid;
    }
    for (const char* invalid : {"", "0", "-1", "65536", "99999999999999999999", ",8000"}) {
        EXPECT_FALSE(LeadingPortValid(invalid)) << invalid;
    }
}

TEST_F(PortCommandsTest, OpenSendsRangeWithDescriptionsAndReportsSuccess) {
    ui_.window.wanPort = "8000-8002";
    ui_.window.device = "uuid:abc";
    EXPECT_EQ(kCommandDone, Open());
    EXPECT_EQ((std::vector<std::string>{"8000", "8001", "8002"}),
              Sent("AddPortMapping", "NewExternalPort"));
    EXPECT_EQ((std::vector<std::string>{"8000", "8001", "8002"}),
              Sent("AddPortMapping", "NewInternalPort"));
    EXPECT_EQ((std::vector<std::string>{"Sluice8000T", "Sluice8001T", "Sluice8002T"}),
              Sent("AddPortMapping", "NewPortMappingDescription"));
    EXPECT_EQ((std::vector<std::string>(3, kLanAddress)),
              Sent("AddPortMapping", "NewInternalClient"));
    EXPECT_EQ(std::vector<std::string>{kOpened}, ui_.messages);
    EXPECT_EQ("8000-8002", ui_.window.lanPort);  // ③ filled from ① and shown
    EXPECT_STREQ("uuid:abc", glb_Settings.Get(key::kDevice));
    EXPECT_EQ(1, ui_.disableCount);
    EXPECT_TRUE(ui_.enabled);
    EXPECT_EQ("8000-8002(TCP) Open...", ui_.statusLines.front());
    EXPECT_TRUE(ui_.exitCodes.empty());
}

TEST_F(PortCommandsTest, OpenUsesProtocolSettingAndLanList) {
    glb_Settings.Set(key::kProtocol, "UDP");
    ui_.window.wanPort = "8000-8003";
    ui_.window.lanPort = "9000-9001";
    ui_.window.comment = "Web";
    Open();
    EXPECT_EQ((std::vector<std::string>{"9000", "9001", "9000", "9001"}),
              Sent("AddPortMapping", "NewInternalPort"));
    EXPECT_EQ((std::vector<std::string>(4, "UDP")), Sent("AddPortMapping", "NewProtocol"));
    EXPECT_EQ("Web8003U", Sent("AddPortMapping", "NewPortMappingDescription").back());
}

TEST_F(PortCommandsTest, DebugCommentSwitchesTraceOn) {
    ui_.window.comment = "debug";
    Open();
    EXPECT_EQ(1, glb_DebugFlag);
    EXPECT_EQ(std::vector<std::string>{"debug8000T"},
              Sent("AddPortMapping", "NewPortMappingDescription"));
}

TEST_F(PortCommandsTest, BatchOpenEndsWithDoneAndNoMessage) {
    Batch();
    EXPECT_EQ(kCommandDone, Open());
    EXPECT_TRUE(ui_.messages.empty());
    EXPECT_EQ(std::vector<int>{kExitBatchDone}, ui_.exitCodes);
}

TEST_F(PortCommandsTest, RefusedOpenShowsHintAndFailsBatch) {
    RouterRefuses();
    Batch();
    EXPECT_EQ(kCommandFailed, Open());
    ASSERT_EQ(1u, ui_.messages.size());
    EXPECT_EQ(
        "ポート開放に失敗しました\r\n\r\n⑪閉鎖を実行してから開放すると成功する事があります\r\n" +
            glb_IgdMessage,
        ui_.messages[0]);
    EXPECT_NE(std::string::npos, glb_IgdMessage.find("AddPortMapping"));
    EXPECT_EQ(std::vector<int>{kExitBatchFailed}, ui_.exitCodes);
}

TEST_F(PortCommandsTest, OpenStopsAtFirstRefusedPort) {
    igd_->QueueAnswer(IgdScenario::kNormal, "AddPortMapping", {});
    igd_->QueueAnswer(IgdScenario::kErrorStatus, "AddPortMapping", {});
    ui_.window.wanPort = "8000-8005";
    EXPECT_EQ(kCommandFailed, Open());
    EXPECT_EQ((std::vector<std::string>{"8000", "8001"}),
              Sent("AddPortMapping", "NewExternalPort"));
}

TEST_F(PortCommandsTest, NoRouterShowsRouterChecksAndFailsBatch) {
    glb_IgdState = -1;
    glb_IgdMessage = "no answer";
    Batch();
    EXPECT_EQ(kCommandFailed, Open());
    ASSERT_EQ(1u, ui_.messages.size());
    EXPECT_EQ(std::string("ポート開放に失敗しました\r\n\r\n") + kRouterNotFound + "\r\nno answer",
              ui_.messages[0]);
    EXPECT_EQ(std::vector<int>{kExitBatchFailed}, ui_.exitCodes);
    EXPECT_TRUE(igd_->ActionRequests().empty());
}

TEST_F(PortCommandsTest, MessageOffHidesRouterFailuresButNotTheExitCode) {
    glb_Settings.Set(key::kMessageOff, "1");
    RouterRefuses();
    EXPECT_EQ(kCommandFailed, Open());
    EXPECT_TRUE(ui_.messages.empty());
    // The status line still tells what the router said.
    EXPECT_EQ(glb_IgdMessage, ui_.statusLines.back());
    EXPECT_NE(std::string::npos, glb_IgdMessage.find("UPnPエラー501 Action Failed: "));
    Batch();
    Open();
    EXPECT_TRUE(ui_.messages.empty());
    EXPECT_EQ(std::vector<int>{kExitBatchFailed}, ui_.exitCodes);
}

TEST_F(PortCommandsTest, ShortcutPairIsMadeEvenWhenRouterRefuses) {
    RouterRefuses();
    ui_.window.makeShortcuts = true;
    Open();
    EXPECT_TRUE(scratch_.Exists(platform::Cp932ToUtf8("Desktop/ポート開放(8000T).desktop")));
    EXPECT_TRUE(scratch_.Exists(platform::Cp932ToUtf8("Desktop/ポート閉鎖(8000T).desktop")));
}

TEST_F(PortCommandsTest, CloseDeletesListAndReportsSuccess) {
    ui_.window.wanPort = "1-12,20";
    ui_.window.lanIp = "";  // the close command does not look at ④
    EXPECT_EQ(kCommandDone, Close());
    EXPECT_EQ((std::vector<std::string>{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "20"}),
              Sent("DeletePortMapping", "NewExternalPort"));
    EXPECT_EQ(std::vector<std::string>{kClosed}, ui_.messages);
    EXPECT_EQ("1-12,20(TCP) Close...", ui_.statusLines.front());
}

TEST_F(PortCommandsTest, CloseFailureAndBatchEnds) {
    igd_->AnswerActions(IgdScenario::kErrorStatus, "DeletePortMapping", {});
    EXPECT_EQ(kCommandFailed, Close());
    ASSERT_EQ(1u, ui_.messages.size());
    EXPECT_EQ(
        "ポート閉鎖に失敗しました\r\nすでに閉じられている可能性があります\r\n\r\n" + glb_IgdMessage,
        ui_.messages[0]);
    EXPECT_EQ(glb_IgdMessage, ui_.statusLines.back());
    glb_Settings.Set(key::kMessageOff, "1");
    Batch("/close");
    Close();
    EXPECT_EQ(1u, ui_.messages.size());
    EXPECT_EQ(std::vector<int>{kExitBatchFailed}, ui_.exitCodes);
}

TEST_F(PortCommandsTest, BatchCloseEndsWithDone) {
    Batch("/close_hide");
    EXPECT_EQ(kCommandDone, Close());
    EXPECT_TRUE(ui_.messages.empty());
    EXPECT_EQ(std::vector<int>{kExitBatchDone}, ui_.exitCodes);
}

TEST_F(PortCommandsTest, CloseValidationShownWithMessageOffAndFailsBatch) {
    glb_Settings.Set(key::kMessageOff, "1");
    ui_.window.wanPort = "abc";
    Batch("/close");
    EXPECT_EQ(kCommandInvalid, Close());
    EXPECT_EQ(std::vector<std::string>{kWanPortInvalid}, ui_.messages);
    EXPECT_EQ(std::vector<int>{kExitBatchFailed}, ui_.exitCodes);
    EXPECT_TRUE(igd_->ActionRequests().empty());
}

}  // namespace

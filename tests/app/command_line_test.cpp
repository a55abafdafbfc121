// The command line: what each position sets, how the switch words choose the
// run, and the first-run rule.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/settings_keys.h"
#include "foundation/settings.h"
#include "foundation/trace.h"
#include "tests/app/app_test_base.h"

namespace {

struct CommandLineCase {
    const char* name;
    std::vector<std::string> args;
    RunKind kind;
    std::string switchText;
    std::string wanPort;
    std::string lanPort;
    std::string protocolSetting;
    int protocol;
    std::string lanIp;
    std::string addressMode;
    std::string fixedAddress;
    std::string comment;
    int debug;
};

// Fields and settings before the command line: as the start-up leaves them.
constexpr char kStoredPort[] = "7000";
constexpr char kStoredComment[] = "Sluice";
constexpr char kStoredAddress[] = "10.0.0.9";

const CommandLineCase kCases[] = {
    {"NoArguments",
     {},
     RunKind::kInteractive,
     "",
     kStoredPort,
     "",
     "TCP",
     kProtocolTcp,
     "",
     "2",
     kStoredAddress,
     kStoredComment,
     0},
    {"DebugAlone",
     {"debug"},
     RunKind::kInteractive,
     "debug",
     kStoredPort,
     "",
     "TCP",
     kProtocolTcp,
     "",
     "2",
     kStoredAddress,
     kStoredComment,
     1},
    {"OpenPortProtocol",
     {"/open", "8000", "TCP"},
     RunKind::kOpen,
     "/open",
     "8000",
     "8000",
     "TCP",
     kProtocolTcp,
     "",
     "2",
     kStoredAddress,
     kStoredComment,
     0},
    {"Auto2",
     {"/open", "8000", "UDP", "8000", "自動2"},
     RunKind::kOpen,
     "/open",
     "8000",
     "8000",
     "UDP",
     kProtocolUdp,
     "自動2",
     "2",
     kStoredAddress,
     kStoredComment,
     0},
    {"Auto1",
     {"/open", "8000", "UDP", "9000", "自動1"},
     RunKind::kOpen,
     "/open",
     "8000",
     "9000",
     "UDP",
     kProtocolUdp,
     "自動1",
     "1",
     kStoredAddress,
     kStoredComment,
     0},
    {"Auto3",
     {"/open", "8000", "UDP", "9000", "自動3"},
     RunKind::kOpen,
     "/open",
     "8000",
     "9000",
     "UDP",
     kProtocolUdp,
     "自動3",
     "3",
     kStoredAddress,
     kStoredComment,
     0},
    {"LocalhostIsAuto1",
     {"/open", "8000", "TCP", "8000", "localhost"},
     RunKind::kOpen,
     "/open",
     "8000",
     "8000",
     "TCP",
     kProtocolTcp,
     "localhost",
     "1",
     kStoredAddress,
     kStoredComment,
     0},
    {"FixedAddress",
     {"/open", "8000", "TCP", "8000", "192.168.0.5"},
     RunKind::kOpen,
     "/open",
     "8000",
     "8000",
     "TCP",
     kProtocolTcp,
     "192.168.0.5",
     "0",
     "192.168.0.5",
     kStoredComment,
     0},
    {"AllSix",
     {"/open_debug", "8000-8003", "TCP", "9000-9001", "192.168.0.6", "Web"},
     RunKind::kOpen,
     "/open_debug",
     "8000-8003",
     "9000-9001",
     "TCP",
     kProtocolTcp,
     "192.168.0.6",
     "0",
     "192.168.0.6",
     "Web",
     1},
    {"ProtocolIsCaseSensitive",
     {"/close", "8000", "tcp"},
     RunKind::kClose,
     "/close",
     "8000",
     "8000",
     "tcp",
     kProtocolNone,
     "",
     "2",
     kStoredAddress,
     kStoredComment,
     0},
    {"CloseAllUpperCase",
     {"/CLOSEALL"},
     RunKind::kCloseAll,
     "/closeall",
     kStoredPort,
     "",
     "TCP",
     kProtocolTcp,
     "",
     "2",
     kStoredAddress,
     kStoredComment,
     0},
    {"OpenTestedFirst",
     {"/opencloseall"},
     RunKind::kOpen,
     "/opencloseall",
     kStoredPort,
     "",
     "TCP",
     kProtocolTcp,
     "",
     "2",
     kStoredAddress,
     kStoredComment,
     0},
    {"DashClose",
     {"-Close", "8000-8005", "UDP"},
     RunKind::kClose,
     "-close",
     "8000-8005",
     "8000-8005",
     "UDP",
     kProtocolUdp,
     "",
     "2",
     kStoredAddress,
     kStoredComment,
     0},
    {"Wizard",
     {"/wizard"},
     RunKind::kWizard,
     "/wizard",
     kStoredPort,
     "",
     "TCP",
     kProtocolTcp,
     "",
     "2",
     kStoredAddress,
     kStoredComment,
     0},
    {"SetupBeforeOpen",
     {"/open_setup"},
     RunKind::kSetup,
     "/open_setup",
     kStoredPort,
     "",
     "TCP",
     kProtocolTcp,
     "",
     "2",
     kStoredAddress,
     kStoredComment,
     0},
    {"UnknownWord",
     {"/hide"},
     RunKind::kInteractive,
     "/hide",
     kStoredPort,
     "",
     "TCP",
     kProtocolTcp,
     "",
     "2",
     kStoredAddress,
     kStoredComment,
     0},
};

class CommandLineTest : public ::testing::TestWithParam<CommandLineCase> {
  protected:
    void SetUp() override {
        ResetAppState();
        RegisterSettingDefaults();
        glb_Settings.Set(key::kFixedAddress, kStoredAddress);
        glb_Settings.Set(key::kSetupTest, "1");
        fields_.wanPort = kStoredPort;
        fields_.comment = kStoredComment;
        fields_.protocol = kProtocolTcp;
    }
    void TearDown() override { ResetAppState(); }
    MainFields fields_;
};

TEST_P(CommandLineTest, AppliesPositionsAndChoosesRun) {
    const CommandLineCase& c = GetParam();
    ApplyCommandLine(c.args, fields_);
    EXPECT_EQ(c.switchText, glb_SwitchText);
    EXPECT_EQ(c.wanPort, fields_.wanPort);
    EXPECT_EQ(c.lanPort, fields_.lanPort);
    EXPECT_EQ(c.protocolSetting, glb_Settings.Get(key::kProtocol));
    EXPECT_EQ(c.protocol, fields_.protocol);
    EXPECT_EQ(c.lanIp, fields_.lanIp);
    EXPECT_EQ(c.addressMode, glb_Settings.Get(key::kAddressMode));
    EXPECT_EQ(c.fixedAddress, glb_Settings.Get(key::kFixedAddress));
    EXPECT_EQ(c.comment, fields_.comment);
    EXPECT_EQ(c.debug, glb_DebugFlag);
    EXPECT_EQ(c.kind, ChooseRun(true));
}

INSTANTIATE_TEST_SUITE_P(Cases, CommandLineTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

class FirstRunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetAppState();
        RegisterSettingDefaults();  // SetupTest 9: never tested, a first run
    }
    void TearDown() override { ResetAppState(); }
    RunKind Choose(const char* switchText, bool offerFirstRun) {
        MainFields fields;
        ApplyCommandLine({switchText}, fields);
        return ChooseRun(offerFirstRun);
    }
};

TEST_F(FirstRunTest, PromptTakesPrecedenceOverBatchWordsWhenOffered) {
    EXPECT_EQ(RunKind::kFirstRun, Choose("/open", true));
    EXPECT_EQ(RunKind::kFirstRun, Choose("/closeall_hide", true));
    EXPECT_EQ(RunKind::kSetup, Choose("/setup", true));
}

TEST_F(FirstRunTest, WithoutPromptBatchWordsAreCarriedOut) {
    EXPECT_EQ(RunKind::kOpen, Choose("/open_hide", false));
    EXPECT_EQ(RunKind::kCloseAll, Choose("/closeall", false));
    EXPECT_EQ(RunKind::kList, Choose("/LIST_hide", false));
    EXPECT_EQ(RunKind::kClose, Choose("/close_list", false)) << "the list comes after close";
    EXPECT_EQ(RunKind::kInteractive, Choose("", false));
}

}  // namespace

#include "app/sluice_app.h"

#include <iostream>

#include "app/batch_timers.h"
#include "app/diagnosis_commands.h"
#include "app/home_page.h"
#include "app/lan_address.h"
#include "app/list_command.h"
#include "app/main_ui.h"
#include "app/port_commands.h"
#include "app/port_map_command.h"
#include "app/port_test_command.h"
#include "app/port_test_status.h"
#include "app/router_command.h"
#include "app/router_info_command.h"
#include "app/settings_keys.h"
#include "app/setup_wizard.h"
#include "app/shortcuts.h"
#include "app/startup.h"
#include "app/watched_apps.h"
#include "defs/definition_file.h"
#include "foundation/build_settings.h"
#include "foundation/environment.h"
#include "foundation/settings.h"
#include "foundation/sysinfo.h"
#include "platform/xmlhttp.h"

const char kPortHelpTitle[] = "Sluice - 「開放したいポート番号(1-65535)を指定します」";
const char kPortHelpText[] =
    "【ポートの指定例／単一ポート NNNN】\r\n8000\r\n\r\n"
    "【ポートの指定例／範囲指定(ハイフン) NNNN-NNNN】\r\n8000-8005\r\n\r\n"
    "【ポートの指定例／個数指定(カンマ) NNNN,NNNN】\r\n8000,9000\r\n\r\n"
    "【ポートの指定例／その他(ハイフン、カンマ) NNNN-NNNN,NNNN,NNNN】\r\n"
    "10001-10005,20001,30001\r\n\r\n"
    "※10個以上は指定できません";

namespace {

int BatchTimer(RunKind kind) {
    switch (kind) {
        case RunKind::kOpen:
            return kTimerBatchOpen;
        case RunKind::kClose:
            return kTimerBatchClose;
        case RunKind::kCloseAll:
            return kTimerBatchCloseAll;
        case RunKind::kList:
            return kTimerBatchList;
        case RunKind::kPortTest:
            return kTimerPortTest;
        default:
            return 0;
    }
}

bool DefinitionFileKnown() {
    const char* file = SharedEnvironment().GetEnum(kDefinitionFileEntry);
    return *file != '\0' && FileExists(file);
}

}  // namespace

SluiceApp::SluiceApp(AppUi& ui) : ui_(ui) {}

SluiceApp::~SluiceApp() {
    if (glb_MainUi == &ui_) SetMainUi(nullptr);
}

RunKind SluiceApp::Startup(const std::vector<std::string>& args, bool offerFirstRun) {
    RunKind kind = PrepareMainWindow(ui_, fields_, args, offerFirstRun);
    if (kind == RunKind::kSetup) {
        CreateStartShortcuts([this](const std::string& message) { ui_.ShowMessage(message); });
        ui_.ExitProcess(kExitSetupDone);
        return kind;
    }
    if (kind == RunKind::kFirstRun) {
        ui_.StartTimer(kTimerFirstRun, kFirstRunDelayMs);
        return kind;
    }
    ui_.SetStatusLine(PortTestStatusText());
    if (kind == RunKind::kList) listCount_ = ListCount(args);
    int timer = BatchTimer(kind);
    if (timer != 0) {
        // The router is asked when the timer fires; the HTTP library loads
        // meanwhile.
        platform::WarmUpXmlHttp();
        ui_.StartTimer(timer, kBatchTimerDelayMs);
        return kind;
    }
    if (kind == RunKind::kWizard) {
        RunSetupWizard(ui_);
        ui_.ExitProcess(kExitSetupDone);
        return kind;
    }
    platform::WarmUpXmlHttp();
    glb_SwitchText.clear();
    fields_.makeShortcuts = glb_Settings.GetInt(key::kShortcuts) != 0;
    ui_.ShowFields(fields_);
    if (FindWatchedPrograms()) OpenAndLaunchWatched(ui_, fields_);
    return RunKind::kInteractive;
}

void SluiceApp::OnOpen() {
    OpenCommand(ui_, fields_);
}

void SluiceApp::OnClose() {
    CloseCommand(ui_, fields_);
}

void SluiceApp::OnPortMap() {
    PortMapCommand(ui_, fields_);
}

void SluiceApp::OnRadioTcp() {
    glb_Settings.Set(key::kProtocol, "TCP");
    fields_.protocol = kProtocolTcp;
}

void SluiceApp::OnRadioUdp() {
    glb_Settings.Set(key::kProtocol, "UDP");
    fields_.protocol = kProtocolUdp;
}

void SluiceApp::OnShortcutCheck() {
    ui_.ReadFields(fields_);
    glb_Settings.SetInt(key::kShortcuts, fields_.makeShortcuts ? 1 : 0);
}

void SluiceApp::OnTransportMode() {
    ui_.ReadFields(fields_);
    glb_Settings.SetInt(key::kTransportMode, fields_.transportMode);
}

void SluiceApp::OnAddressMode() {
    ui_.ReadFields(fields_);
    glb_Settings.SetInt(key::kAddressMode, fields_.addressMode);
    if (fields_.addressMode == 0) {
        glb_Settings.Set(key::kFixedAddress, fields_.lanIp);
        ui_.ShowMessage("固定値を設定しました");
    }
    ChooseAddress();
    fields_.addressMode = glb_Settings.GetInt(key::kAddressMode);
    ui_.ShowFields(fields_);
}

void SluiceApp::OnPortHelp() {
    ui_.ShowMessage(kPortHelpText, kPortHelpTitle);
}

void SluiceApp::OnWanIp() {
    WanIpCommand(ui_, fields_);
}

void SluiceApp::OnCopy() {
    CopyCommand(ui_, fields_);
}

void SluiceApp::OnRouterPage() {
    RouterPageCommand(ui_);
}

void SluiceApp::OnDeviceSearch() {
    DeviceSearchCommand(ui_, fields_);
}

void SluiceApp::OnHomePage() {
    HomePageCommand(ui_, SLUICE_HOME_PAGE);
}

void SluiceApp::OnWizard() {
    RunSetupWizard(ui_);
}

void SluiceApp::OnRouterInfo() {
    RouterInfoCommand(ui_, fields_);
}

void SluiceApp::OnTimer(int id) {
    if (id == kTimerWatch) {
        WatchTick(ui_);
    } else if (id == kTimerBatchList) {
        RunListTimer(ui_, listCount_);
    } else if (id == kTimerFirstRun) {
        FirstRunPrompt(ui_, fields_);
    } else if (id == kTimerPortTest) {
        ui_.StopTimer(id);
        PortTestCommand(ui_, fields_, std::cout);
    } else {
        RunBatchTimer(ui_, fields_, id);
    }
}

void SluiceApp::OnEndSession() {
    EndSessionHandling(ui_);
}

bool SluiceApp::Watching() const {
    return WatchStarted();
}

bool SluiceApp::OnCloseWindow() {
    if (RouterCommandRunning()) return false;
    ui_.ReadFields(fields_);
    if (!DefinitionFileKnown()) return true;
    glb_Settings.Set(key::kPreviousPort, fields_.wanPort);
    glb_Settings.Set(key::kComment, fields_.comment);
    glb_Settings.Set(key::kDevice, fields_.device);
    SaveIni(SharedEnvironment().GetEnum(kSettingsFileEntry), glb_Settings, 0);
    return true;
}

// Mode 3 asks the router, mode 1 looks up the computer's name.
void SluiceApp::ChooseAddress() {
    RouterCommandScope running(ui_);
    fields_.lanIp = ChooseLanAddress(fields_.lanIp);
}

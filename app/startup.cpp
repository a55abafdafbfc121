#include "app/startup.h"

#include "app/adapter_scan.h"
#include "app/app_ui.h"
#include "app/lan_address.h"
#include "app/main_ui.h"
#include "app/report_items.h"
#include "app/settings_keys.h"
#include "foundation/environment.h"
#include "foundation/mbs.h"
#include "foundation/settings.h"
#include "foundation/trace.h"
#include "net/proxy.h"
#include "upnp/igd_session.h"
#include "upnp/local_address.h"

int glb_SystemProxyFlag = 0;

namespace {

const char kBrokenNetwork[] = "127..ネットワークが異常";

void LoadSettings() {
    RegisterSettingDefaults();
    LoadIni(SharedEnvironment().GetEnum(kSettingsFileEntry), glb_Settings, 0);
}

int ReadProxyFlag() {
    std::string address;
    int enabled = 0;
    GetSystemProxy(&address, &enabled);
    return enabled;
}

void SetFieldDefaults(MainFields& fields) {
    fields.wanPort = glb_Settings.Get(key::kPreviousPort);
    fields.lanPort.clear();
    fields.lanIp.clear();
    fields.comment = glb_Settings.Get(key::kComment);
    fields.wanIp = "未取得";
    glb_WanIP.clear();
    fields.makeShortcuts = false;
    fields.device = glb_Settings.Get(key::kDevice);
}

void ChooseAddress(MainFields& fields) {
    fields.lanIp = ChooseLanAddress(fields.lanIp);
    fields.addressMode = glb_Settings.GetInt(key::kAddressMode);
    if (glb_GateWy.empty() || glb_GateWy[0] == '0') {
        std::string guess = GuessGateway(fields.lanIp);
        if (!guess.empty()) glb_GateWy = guess;
    }
}

void WriteRouterInfo(MainFields& fields) {
    if (ClassifyAddress(fields.lanIp) == kAddressPrivate) {
        fields.info = "ルーターが存在します(" + glb_GateWy + ")";
    } else {
        fields.info = "ルーターが存在しません？";
    }
}

// The name-resolution probe costs up to 5 s without a name server; a run that
// ends unattended never shows its result, so it goes without.
void WriteNameResolution(MainFields& fields, bool probe) {
    if (fields.lanIp == "127.0.0.1") {
        fields.info = kBrokenNetwork;
        SetReportItem(kReportFirewall, kBrokenNetwork);
    } else if (probe) {
        SetReportItem(kReportFirewall,
                      CheckFW() == 0 ? "DNS参照OK" : "DNS参照エラー(FWがSluice.exeをブロック)");
    }
}

void WriteProxyStatus() {
    glb_SystemProxyFlag = ReadProxyFlag();
    SetReportItem(kReportProxy, glb_SystemProxyFlag != 0 ? "ProxyEnable = True(Proxy経由)"
                                                         : "ProxyEnable = False");
}

}  // namespace

std::string GuessGateway(const std::string& lanIp) {
    int dot = MbsFindLast(lanIp.c_str(), ".");
    if (dot < 0) return std::string();
    return lanIp.substr(0, dot) + ".1";
}

bool EndsUnattended(RunKind kind) {
    return kind == RunKind::kSetup || kind == RunKind::kOpen || kind == RunKind::kClose ||
           kind == RunKind::kCloseAll || kind == RunKind::kList;
}

RunKind PrepareMainWindow(AppUi& ui, MainFields& fields, const std::vector<std::string>& args) {
    glb_DebugFlag = 0;
    SetMainUi(&ui);
    LoadSettings();
    fields.transportMode = glb_Settings.GetInt(key::kTransportMode);
    fields.addressMode = glb_Settings.GetInt(key::kAddressMode);
    SetProtocolFromText(glb_Settings.Get(key::kProtocol), fields);
    glb_IgdState = 0;
    glb_IgdMessage.clear();
    glb_SystemProxyFlag = ReadProxyFlag();
    glb_SwitchText.clear();
    ClearReportItems();
    SetFieldDefaults(fields);
    ApplyCommandLine(args, fields);
    // The first-run prompt is not part of the program yet, so a first run
    // goes on to the switch words like any other.
    RunKind kind = ChooseRun(false);
    ChooseAddress(fields);
    WriteRouterInfo(fields);
    ui.ShowFields(fields);
    WriteNameResolution(fields, !EndsUnattended(kind));
    WriteProxyStatus();
    ui.ShowFields(fields);
    return kind;
}

void ResetStartupForTests() {
    glb_SystemProxyFlag = 0;
}

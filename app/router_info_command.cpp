#include "app/router_info_command.h"

#include "app/adapter_scan.h"
#include "app/app_ui.h"
#include "app/port_test_status.h"
#include "app/report_items.h"
#include "app/router_command.h"
#include "app/router_info.h"
#include "app/settings_keys.h"
#include "app/sluice_app.h"
#include "foundation/environment.h"
#include "foundation/settings.h"
#include "foundation/sysinfo.h"
#include "upnp/device_description.h"
#include "upnp/igd_session.h"
#include "upnp/local_address.h"

namespace {

constexpr char kAutoTestEntry[] = "PORT_AUTO_TEST";
constexpr size_t kShownPrefix = 5;
const char kUnknownModel[] = "？？？（調べて編集してください）";
const char kFirstRunQuestion[] =
    "初回起動です。\r\n動作テスト（ポート開放テスト）を行いますか？\r\n(動作テスト実行を推奨！)";
const char kQuestionTitle[] = "確認";

std::string ShownAddress(const std::string& address) {
    return ClassifyAddress(address) == kAddressPrivate ? PrivateAddress(address)
                                                       : MaskedAddress(address);
}

void SetNotes(const char* first, const char* second) {
    SetReportItem(kReportNote1, first);
    SetReportItem(kReportNote2, second);
}

void DescribeWan(AppUi& ui, MainFields& fields) {
    if (glb_IgdState == -1) {
        SetReportItem(kReportWan, "UPnP非対応ルーター or ルーターなし");
        for (const char* label : {kReportManufacturer, kReportModelName, kReportModelNumber}) {
            SetReportItem(label, kUnknownModel);
        }
        SetNotes("確認１：XPFW／市販FW 両方無効でも同じ状況？",
                 "確認２：UPnP機能が無効になっていませんか？");
    } else {
        SetReportItem(kReportManufacturer, glb_Manufacturer);
        SetReportItem(kReportModelName, glb_ModelName);
        SetReportItem(kReportModelNumber, glb_ModelNumber);
        fields.wanIp = glb_WanIP;
        if (ClassifyAddress(glb_WanIP) == kAddressPrivate) {
            SetReportItem(kReportWan, PrivateAddress(glb_WanIP));
            SetNotes("二重ルーターか、グローバルアドレスが付与されていません",
                     "⑮で改善する場合があります");
        } else {
            SetReportItem(kReportWan, MaskedAddress(glb_WanIP));
        }
    }
    ui.ShowFields(fields);
}

void DescribeLan(const std::string& lanIp) {
    if (ClassifyAddress(lanIp) == kAddressPrivate) {
        SetReportItem(kReportLan, PrivateAddress(lanIp));
        if (ReportItem(kReportNote1).empty()) {
            SetNotes("開放成功するはずです", "Sluice.exeでエラーの場合、掲示板まで♪");
        }
    } else {
        SetReportItem(kReportLan, MaskedAddress(lanIp));
        SetNotes("ルーターが存在しないと思われます", "ファイアウォールの設定を確認しましょう");
    }
}

void SetAutoTest(const char* value) {
    SharedEnvironment();
    glb_Environment.Set(kAutoTestEntry, value);
}

}  // namespace

std::string MaskedAddress(const std::string& address) {
    return "グローバル　アドレス(" + address.substr(0, kShownPrefix) + "xxx)";
}

std::string PrivateAddress(const std::string& address) {
    return "プライベートアドレス(" + address + ")";
}

void RouterInfoCommand(AppUi& ui, MainFields& fields) {
    ui.ReadFields(fields);
    glb_Settings.Set(key::kDevice, fields.device);
    std::string lanAddress = fields.lanIp;
    if (glb_IgdState == 0) {
        RouterCommandScope running(ui);
        UPnpInit();
    }
    SetReportItem(kReportGateway, ShownAddress(glb_GateWy));
    DescribeWan(ui, fields);
    DescribeLan(fields.lanIp);
    SetReportItem(kReportOs, GetOSName());
    RouterInfo window(lanAddress);
    ui.ShowRouterInfoWindow(window);
    ui.SetStatusLine(PortTestStatusText());
}

void FirstRunPrompt(AppUi& ui, MainFields& fields) {
    ui.StopTimer(kTimerFirstRun);
    glb_Settings.Set(key::kSetupTest, "0");
    if (ui.AskYesNo(kFirstRunQuestion, kQuestionTitle)) {
        SetAutoTest("1");
        RouterInfoCommand(ui, fields);
        SetAutoTest("0");
    }
    SaveIni(SharedEnvironment().GetEnum(kSettingsFileEntry), glb_Settings, kIniForce);
}

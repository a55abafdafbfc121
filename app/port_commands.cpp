#include "app/port_commands.h"

#include <cstdlib>

#include "app/app_ui.h"
#include "app/command_line.h"
#include "app/router_command.h"
#include "app/settings_keys.h"
#include "app/shortcuts.h"
#include "foundation/settings.h"
#include "foundation/trace.h"
#include "upnp/igd_session.h"
#include "upnp/port_mapping.h"

const char kWanPortInvalid[] = "①ポート番号を設定してください(1-65535)";
const char kLanPortInvalid[] = "③ポート番号を設定してください(1-65535)";
const char kLanIpInvalid[] = "④LAN IPが無効です";
const char kRouterNotFound[] =
    "ルーターが見つかりません（下記を確認してください）\r\n"
    "確認１：その機械は本当にルーターですか？\r\n"
    "確認２：UPnP機能が無効になっていませんか？\r\n";

namespace {

const char kOpenFailed[] = "ポート開放に失敗しました\r\n\r\n";
const char kCloseFirstHint[] = "⑪閉鎖を実行してから開放すると成功する事があります";
const char kOpened[] = "ルーターのポートを開放しました\r\n\r\n(FWの設定は別途必要！)";
const char kCloseFailed[] =
    "ポート閉鎖に失敗しました\r\nすでに閉じられている可能性があります\r\n\r\n";
const char kClosed[] = "ルーターのポート閉鎖しました";

// AddPortMapping's answer when the router refused a port.
constexpr int kRouterRefused = -2;

bool MessagesOff() {
    return glb_Settings.GetInt(key::kMessageOff) != 0;
}

// Reads the fields, fills an empty ③ from ① and stores the device designation
// for the router session.
void ReadRequest(AppUi& ui, MainFields& fields) {
    ui.ReadFields(fields);
    if (fields.lanPort.empty()) fields.lanPort = fields.wanPort;
    ui.ShowFields(fields);
    glb_Settings.Set(key::kDevice, fields.device);
}

// A validation message, shown even when failure messages are off; a batch
// run has nothing left to do and ends.
CommandOutcome Invalid(AppUi& ui, const std::string& message) {
    ui.ShowMessage(message);
    EndBatchRun(ui, false);
    return kCommandInvalid;
}

// The open command's validation; "" when the request may go to the router.
std::string OpenInputError(const MainFields& fields) {
    if (!LeadingPortValid(fields.wanPort)) return kWanPortInvalid;
    if (!LeadingPortValid(fields.lanPort)) return kLanPortInvalid;
    if (fields.lanIp.empty()) return kLanIpInvalid;
    return std::string();
}

int AskRouterToOpen(AppUi& ui, const MainFields& fields) {
    RouterCommandScope running(ui);
    Trace("CSluiceDlg::OnButton1() AddPortMapping() C");
    int result = AddPortMapping(fields.wanPort, glb_Settings.Get(key::kProtocol), fields.lanPort,
                                fields.lanIp, fields.comment);
    Trace("CSluiceDlg::OnButton1() AddPortMapping() CE");
    return result;
}

int AskRouterToClose(AppUi& ui, const MainFields& fields) {
    RouterCommandScope running(ui);
    return DeletePortMapping(fields.wanPort, glb_Settings.Get(key::kProtocol));
}

// The router's explained error stays on the status line, also when the
// message boxes are off.
void ReportOpenFailure(AppUi& ui, int result) {
    ui.SetStatusLine(glb_IgdMessage);
    if (!MessagesOff()) {
        std::string reason = result == kRouterRefused ? kCloseFirstHint : kRouterNotFound;
        ui.ShowMessage(kOpenFailed + reason + "\r\n" + glb_IgdMessage);
    }
    Trace("CSluiceDlg::OnButton1() Error End", glb_IgdMessage);
}

}  // namespace

bool LeadingPortValid(const std::string& ports) {
    long port = std::strtol(ports.c_str(), nullptr, 10);
    return port >= 1 && port <= 65535;
}

void EndBatchRun(AppUi& ui, bool succeeded) {
    if (IsBatchRun()) ui.ExitProcess(succeeded ? kExitBatchDone : kExitBatchFailed);
}

CommandOutcome OpenCommand(AppUi& ui, MainFields& fields) {
    ReadRequest(ui, fields);
    if (fields.comment == "debug") glb_DebugFlag = 1;
    Trace("CSluiceDlg::OnButton1() S1");
    std::string error = OpenInputError(fields);
    if (!error.empty()) {
        if (error != kLanIpInvalid) glb_IgdMessage = error;
        return Invalid(ui, error);
    }
    Trace("CSluiceDlg::OnButton1() S2");
    if (fields.makeShortcuts) {
        Trace("CSluiceDlg::OnButton1() CreateShortCut() C");
        CreatePortShortcuts(fields.wanPort, fields.lanPort,
                            [&ui](const std::string& message) { ui.ShowMessage(message); });
    }
    int result = AskRouterToOpen(ui, fields);
    if (result != 0) {
        ReportOpenFailure(ui, result);
        EndBatchRun(ui, false);
        return kCommandFailed;
    }
    Trace("CSluiceDlg::OnButton1() Nomal End", glb_IgdMessage);
    if (IsBatchRun()) {
        EndBatchRun(ui, true);
    } else {
        ui.ShowMessage(kOpened);
    }
    return kCommandDone;
}

CommandOutcome CloseCommand(AppUi& ui, MainFields& fields) {
    ReadRequest(ui, fields);
    if (!LeadingPortValid(fields.wanPort)) {
        glb_IgdMessage = kWanPortInvalid;
        return Invalid(ui, kWanPortInvalid);
    }
    int result = AskRouterToClose(ui, fields);
    if (result != 0) {
        ui.SetStatusLine(glb_IgdMessage);
        if (!MessagesOff()) ui.ShowMessage(kCloseFailed + glb_IgdMessage);
        EndBatchRun(ui, false);
        return kCommandFailed;
    }
    if (IsBatchRun()) {
        EndBatchRun(ui, true);
    } else {
        ui.ShowMessage(kClosed);
    }
    return kCommandDone;
}

#include "app/diagnosis_commands.h"

#include "app/adapter_scan.h"
#include "app/app_ui.h"
#include "app/port_commands.h"
#include "app/router_command.h"
#include "app/settings_keys.h"
#include "foundation/memfile.h"
#include "foundation/settings.h"
#include "net/http_request.h"
#include "upnp/igd_session.h"
#include "upnp/local_address.h"

const char kAddressEchoUrl[] = "http://checkip.dyndns.org/";
const char kDeviceSearchNote[] =
    "複数機器が表示される場合、uuidを⑭に指定することによってポート開放できる可能性があります。";

namespace {

const char kWanIpError[] = "WANアドレス取得エラー\r\n\r\n";
const char kAskInternet[] =
    "ルーターからグローバルIPアドレスが取得できません。\r\nインターネットより取得してきますか？";
const char kAskTitle[] = "確認";
const char kSearchNotice[] =
    "機器を検索します。OKを押してから、\r\n１０秒ぐらいかかります（※固まります）";
const char kEchoMarker[] = "Current IP Address: ";
constexpr int kEchoLimitMs = 5000;
constexpr size_t kMaxAddressLength = 20;

std::string echoUrl = kAddressEchoUrl;

// The address after the marker, up to the next "<"; "" when it is missing or too long.
std::string AddressInEchoPage(const std::string& page) {
    size_t marker = page.find(kEchoMarker);
    if (marker == std::string::npos) return "";
    size_t start = marker + sizeof(kEchoMarker) - 1;
    std::string address = page.substr(start, page.find('<', start) - start);
    if (address.empty() || address.size() > kMaxAddressLength) return "";
    return address;
}

// _INI_GETIP_NET 9 asks first; the first Yes stops the asking.
bool InternetFetchAllowed(AppUi& ui) {
    if (glb_Settings.GetInt(key::kAskWanFetch) != 9) return true;
    if (!ui.AskYesNo(kAskInternet, kAskTitle)) return false;
    glb_Settings.Set(key::kAskWanFetch, "1");
    return true;
}

void ShowDevice(AppUi& ui, MainFields& fields, const std::string& device) {
    fields.device = device;
    glb_Settings.Set(key::kDevice, device);
    ui.ShowFields(fields);
}

// The router waits, each with the main window disabled.
void FindRouter(AppUi& ui) {
    RouterCommandScope running(ui);
    UPnpInit();
}

std::string AskInternetForAddress(AppUi& ui) {
    RouterCommandScope running(ui);
    return ExternalAddressFromInternet();
}

void ListDevices(AppUi& ui) {
    RouterCommandScope running(ui);
    SearchDevices();
}

}  // namespace

void WanIpCommand(AppUi& ui, MainFields& fields) {
    ui.ReadFields(fields);
    glb_Settings.Set(key::kDevice, fields.device);
    if (glb_IgdState == 0) FindRouter(ui);
    if (glb_IgdState != -1) {
        fields.wanIp = glb_WanIP;
        ui.ShowFields(fields);
    } else if (glb_Settings.GetInt(key::kMessageOff) == 0) {
        ui.ShowMessage(kWanIpError + std::string(kRouterNotFound) + "\r\n" + glb_IgdMessage);
    }
}

void CopyCommand(AppUi& ui, MainFields& fields) {
    WanIpCommand(ui, fields);
    if (ClassifyAddress(fields.wanIp) != kAddressGlobal) {
        if (!InternetFetchAllowed(ui)) return;
        glb_WanIP = AskInternetForAddress(ui);
        fields.wanIp = glb_WanIP;
        ui.ShowFields(fields);
    }
    ui.CopyToClipboard(glb_WanIP + ":" + fields.wanPort);
}

void RouterPageCommand(AppUi& ui) {
    if (!glb_GateWy.empty()) ui.OpenUrl("http://" + glb_GateWy + "/");
}

void DeviceSearchCommand(AppUi& ui, MainFields& fields) {
    ui.ReadFields(fields);
    glb_IgdState = 0;
    ShowDevice(ui, fields, "");
    glb_DeviceListText.clear();
    glb_ChosenDevice.clear();
    ui.ShowMessage(kSearchNotice);
    ListDevices(ui);
    ui.ShowDeviceSearchWindow(glb_DeviceListText);
    glb_IgdState = 0;
    if (!glb_ChosenDevice.empty()) ShowDevice(ui, fields, glb_ChosenDevice);
}

std::string ExternalAddressFromInternet() {
    MemFile* body = MemOpen("0", "mw");
    std::string address;
    if (HttpRequest(echoUrl.c_str(), body, 0, kEchoLimitMs) == 200) {
        address = AddressInEchoPage(std::string(MemData(body), MemLength(body)));
    }
    MemClose(body);
    return address;
}

void SetAddressEchoUrlForTests(const std::string& url) {
    echoUrl = url;
}

void ResetDiagnosisCommandsForTests() {
    echoUrl = kAddressEchoUrl;
}

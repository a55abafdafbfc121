#include "app/router_report.h"

#include "app/report_items.h"
#include "foundation/keyed_table.h"
#include "upnp/device_description.h"
#include "upnp/igd_session.h"

const char kReportVersion[] = "sluice Version 1.33";

namespace {

constexpr size_t kMaxReport = 9999;
const char kRule[] = " -------------------------------------------------------\r\n";
const char kOther[] = "【その他】\r\n";

std::string Line(const char* label, const std::string& text) {
    return label + text + "\r\n";
}

std::string Item(const char* label) {
    return Line(label, ReportItem(label));
}

std::string Heading(const char* title) {
    return kRule + std::string(title) + kReportVersion + "\r\n";
}

std::string RouterModel() {
    return Item(kReportManufacturer) + Item(kReportModelName) + Item(kReportModelNumber);
}

}  // namespace

std::string RouterWebPage(const std::string& location) {
    size_t first = location.find(':');
    if (first == std::string::npos) return std::string();
    size_t second = location.find(':', first + 1);
    if (second == std::string::npos) return std::string();
    return location.substr(0, second) + "/";
}

std::string RouterReport() {
    std::string report =
        Heading("（成功報告用テンプレート）") + "【成　否】成功\r\n" + RouterModel() + kOther;
    report += Heading("（失敗報告・質問用テンプレート）") + RouterModel();
    for (const char* label :
         {kReportLan, kReportWan, kReportGateway, kReportFirewall, kReportProxy, kReportOs}) {
        report += Item(label);
    }
    report += Line("【DBGINF】", glb_IgdMessage) + Item(kReportNote1) + Item(kReportNote2) + kOther;
    report += Heading("（その他）") + Line("【製品名】", glb_ModelDescription) +
              Line("【ＵＲＬ】", glb_ModelURL) + Line("【UPnPxx】", glb_Location) +
              Line("【RT設定】", RouterWebPage(glb_Location)) + kRule;
    for (size_t at = report.find("http"); at != std::string::npos; at = report.find("http", at)) {
        report.erase(at, 1);
    }
    return CutAtCharBoundary(report, kMaxReport);
}

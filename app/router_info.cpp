#include "app/router_info.h"

#include "app/router_report.h"
#include "app/settings_keys.h"
#include "foundation/environment.h"
#include "foundation/settings.h"

namespace {

constexpr char kAutoTestEntry[] = "PORT_AUTO_TEST";
constexpr int kAutoTestDelayMs = 500;

}  // namespace

bool AutomaticPortTest() {
    return SharedEnvironment().GetInt(kAutoTestEntry) == 1;
}

RouterInfo::RouterInfo(const std::string& lanAddress) : lanAddress_(lanAddress) {}

void RouterInfo::OnInit(RouterInfoView& view) {
    view_ = &view;
    portText_ = glb_Settings.Get(key::kTestPort);
    view.ShowPort(portText_);
    view.ShowReport(RouterReport());
    if (AutomaticPortTest()) view.StartTimer(kAutoTestDelayMs);
}

void RouterInfo::OnTcpTest() {
    RunTest("TCP");
}

void RouterInfo::OnUdpTest() {
    RunTest("UDP");
}

void RouterInfo::OnTimer() {
    RunTest("TCP");
}

bool RouterInfo::OnClose() {
    if (PortTestRunning()) {
        closeAsked_ = true;
        CancelPortTest();
        return false;
    }
    glb_Settings.Set(key::kTestPort, portText_);
    return true;
}

// A second test cannot start inside a running one: the buttons are off
// while it runs, and the events it dispatches cannot reach them.
void RouterInfo::RunTest(const std::string& protocol) {
    if (!view_ || PortTestRunning()) return;
    portText_ = view_->ReadPort();
    view_->EnableTests(false);
    PortOpenTest(protocol, portText_, lanAddress_, *this);
    view_->EnableTests(true);
    if (closeAsked_) {
        StorePortAndClose();
    } else if (AutomaticPortTest()) {
        view_->CloseWindow();
    }
}

void RouterInfo::StorePortAndClose() {
    glb_Settings.Set(key::kTestPort, portText_);
    view_->CloseWindow();
}

void RouterInfo::ShowLog(const std::string& whole, const std::string&) {
    view_->ShowReport(whole);
}

void RouterInfo::ShowMessage(const std::string& text) {
    view_->ShowMessage(text);
}

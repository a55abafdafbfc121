// The common ground of the program-logic tests: every process-wide value back
// at its start, a program folder of its own (so settings, pictures and
// launchers land in a scratch folder), and a fake router on loopback that the
// IGD session can be aimed at.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/adapter_scan.h"
#include "app/command_line.h"
#include "app/main_ui.h"
#include "app/report_items.h"
#include "app/startup.h"
#include "foundation/environment.h"
#include "foundation/settings.h"
#include "foundation/trace.h"
#include "tests/app/app_state.h"
#include "tests/app/fake_ui.h"
#include "tests/foundation/scratch_folder.h"
#include "tests/support/fake_igd.h"
#include "upnp/igd_session.h"
#include "upnp/port_mapping.h"
#include "upnp/soap_request.h"

// Environment entries the tests point into the scratch folder.
constexpr int kDesktopEntry = 900010;
constexpr int kDefinitionEntry = 100002;

// The text of element name in a SOAP request body ("" when it is missing).
inline std::string SoapArgument(const std::string& body, const std::string& name) {
    size_t open = body.find("<" + name);
    if (open == std::string::npos) return "";
    size_t start = body.find('>', open) + 1;
    return body.substr(start, body.find("</" + name + ">", start) - start);
}

class AppTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetAppState();
        BuildEnvironment(scratch_.PathOf("sluice").c_str(), glb_Environment);
        glb_Environment.SetEnum(kDesktopEntry, scratch_.PathOf("Desktop"));
        SetAdaptersForTests({}, "");
    }
    void TearDown() override { ResetAppState(); }

    // A fresh router on loopback, as UPnpInit would have found it; every
    // action is sent once (transport mode 1).
    void AimAtFakeRouter() {
        igd_ = std::make_unique<FakeIgd>();
        glb_IgdState = 1;
        glb_ControlURL = igd_->ControlUrl();
        glb_ServiceType = igd_->ServiceType();
        glb_Settings.SetInt(kTransportModeKey, 1);
    }

    // The requests of one action ("AddPortMapping", ...) the router received.
    std::vector<FakeRequest> Requests(const std::string& action) const {
        std::vector<FakeRequest> found;
        for (const FakeRequest& request : igd_->ActionRequests()) {
            std::string soapAction = request.Header("SOAPAction");
            if (!soapAction.empty() && soapAction.back() == '"') soapAction.pop_back();
            if (soapAction.size() > action.size() &&
                soapAction.compare(soapAction.size() - action.size() - 1, std::string::npos,
                                   "#" + action) == 0) {
                found.push_back(request);
            }
        }
        return found;
    }
    // One argument of each of those requests, in the order received.
    std::vector<std::string> Sent(const std::string& action, const std::string& argument) const {
        std::vector<std::string> values;
        for (const FakeRequest& request : Requests(action)) {
            values.push_back(SoapArgument(request.body, argument));
        }
        return values;
    }

    ScratchFolder scratch_;
    FakeUi ui_;
    std::unique_ptr<FakeIgd> igd_;
};

#include "upnp/wan_address.h"

#include <gtest/gtest.h>

#include <tuple>

#include "foundation/settings.h"
#include "tests/support/fake_igd.h"
#include "tests/upnp/trace_capture.h"
#include "upnp/igd_session.h"
#include "upnp/soap_request.h"

namespace {

const char kEarlierAddress[] = "192.0.2.1";

class WanAddressTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetIgdSessionForTests();
        ResetSettingsForTests();
    }
    void TearDown() override {
        ResetIgdSessionForTests();
        ResetSettingsForTests();
    }
    void UseRouter(const FakeIgd& igd, int mode) {
        glb_Settings.SetInt(kTransportModeKey, mode);
        glb_ControlURL = igd.ControlUrl();
        glb_ServiceType = igd.ServiceType();
        glb_WanIP = kEarlierAddress;
    }
};

class WanAddressByScenario : public WanAddressTest,
                             public ::testing::WithParamInterface<std::tuple<int, IgdScenario>> {};

TEST_P(WanAddressByScenario, ReadsTheAddressOrKeepsTheEarlierOne) {
    int mode = std::get<0>(GetParam());
    IgdScenario scenario = std::get<1>(GetParam());
    FakeIgd igd;
    igd.AnswerActions(scenario, "GetExternalIPAddress",
                      {{"NewExternalIPAddress", FakeIgd::kExternalAddress}});
    UseRouter(igd, mode);
    bool found = GetWANIPAdrress();
    if (ScenarioDelivers(scenario)) {
        EXPECT_TRUE(found);
        EXPECT_EQ(FakeIgd::kExternalAddress, glb_WanIP);
    } else if (scenario == IgdScenario::kMissingElements) {
        EXPECT_FALSE(found);
        EXPECT_EQ("", glb_WanIP);
    } else {
        EXPECT_FALSE(found);
        EXPECT_EQ(kEarlierAddress, glb_WanIP);
    }
    // Automatic mode goes on to the other transports only after a failed status.
    bool statusFailed = scenario == IgdScenario::kErrorStatus || scenario == IgdScenario::kSilent;
    std::vector<FakeRequest> sent = igd.ActionRequests();
    EXPECT_EQ(mode == 0 && statusFailed ? 3u : 1u, sent.size());
    for (const FakeRequest& request : sent) {
        EXPECT_NE(std::string::npos,
                  request.Header("SOAPAction").find(igd.ServiceType() + "#GetExternalIPAddress"));
    }
}

std::string CaseName(const ::testing::TestParamInfo<std::tuple<int, IgdScenario>>& info) {
    return "Mode" + std::to_string(std::get<0>(info.param)) + "_" +
           ScenarioName(std::get<1>(info.param));
}

INSTANTIATE_TEST_SUITE_P(
    AllModes, WanAddressByScenario,
    ::testing::Combine(::testing::Values(0, 1, 2, 3),
                       ::testing::Values(IgdScenario::kNormal, IgdScenario::kErrorStatus,
                                         IgdScenario::kMissingElements, IgdScenario::kLfOnlyHeads,
                                         IgdScenario::kNoContentLength, IgdScenario::kSplitHead,
                                         IgdScenario::kSlow, IgdScenario::kSilent,
                                         IgdScenario::kChunked)),
    CaseName);

// Some routers write the output with a namespace prefix; it is read all the
// same, as is a name in another letter case.
TEST_F(WanAddressTest, ElementNameWithPrefixOrInAnotherCaseIsRead) {
    for (const char* name : {"NEWEXTERNALIPADDRESS", "u:NewExternalIPAddress"}) {
        SCOPED_TRACE(name);
        glb_WanIP.clear();
        FakeIgd igd;
        igd.AnswerActions(IgdScenario::kNormal, "GetExternalIPAddress", {{name, "7.7.7.7"}});
        UseRouter(igd, 1);
        EXPECT_TRUE(GetWANIPAdrress());
        EXPECT_EQ("7.7.7.7", glb_WanIP);
    }
}

TEST_F(WanAddressTest, TracesTheAnswerItCouldNotRead) {
    FakeIgd igd;
    igd.AnswerActions(IgdScenario::kMissingElements, "GetExternalIPAddress", {});
    UseRouter(igd, 3);
    TraceCapture trace;
    EXPECT_FALSE(GetWANIPAdrress());
    EXPECT_TRUE(trace.Has("GetWANIPAdrress() NewExternalIPAddress解析失敗", "", 0));
    EXPECT_NE(std::string::npos, trace.Text().find("<u:GetExternalIPAddressResponse"));
}

TEST_F(WanAddressTest, ErrorStatusIsTracedWithTheControlUrl) {
    FakeIgd igd;
    igd.AnswerActions(IgdScenario::kErrorStatus, "GetExternalIPAddress", {});
    UseRouter(igd, 2);
    TraceCapture trace;
    EXPECT_FALSE(GetWANIPAdrress());
    EXPECT_TRUE(trace.Has("GetWANIPAdrress() Invoke error", igd.ControlUrl(), 0));
}

}  // namespace

// The device description, control URL and WAN address query against a real
// miniupnpd in the lab, for an IGDv1 and an IGDv2 router, in every transport
// mode.
#include <gtest/gtest.h>

#include <string>

#include "foundation/settings.h"
#include "tests/support/lab_router.h"
#include "upnp/device_description.h"
#include "upnp/igd_session.h"
#include "upnp/soap_request.h"
#include "upnp/wan_address.h"

namespace {

constexpr char kIp1[] = "urn:schemas-upnp-org:service:WANIPConnection:1";

class IgdControlLabTest : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(lab::UseVariant(GetParam(), &error)) << error;
        Reset();
    }
    void TearDown() override { Reset(); }
    static void Reset() {
        ResetDeviceDescriptionForTests();
        ResetIgdSessionForTests();
        ResetSettingsForTests();
    }
};

TEST_P(IgdControlLabTest, ControlUrlAndWanAddressInEveryMode) {
    std::string location = std::string("http://") + lab::kRouterAddress + ":" +
                           std::to_string(lab::kUpnpPort) + "/rootDesc.xml";
    bool v2 = GetParam() == "v2";
    std::string controlUrl = GetControlURL(location.c_str(), v2 ? kWanIpConnectionV2 : kIp1);
    ASSERT_EQ(0u, controlUrl.find(location.substr(0, location.rfind('/') + 1)))
        << controlUrl << "\nrouter log:\n"
        << lab::RouterLog();
    EXPECT_EQ(lab::kRouterAddress, glb_RouterHost);
    EXPECT_EQ(location, glb_Location);
    EXPECT_FALSE(glb_ModelName.empty());
    if (v2) {
        // The IGDv2 description names no version 1 service.
        EXPECT_EQ("", GetControlURL(location.c_str(), kIp1));
    }

    glb_ControlURL = controlUrl;
    // The router's SSDP answer names version 1 in both variants.
    glb_ServiceType = kIp1;
    for (int mode = 0; mode <= 3; ++mode) {
        SCOPED_TRACE("mode " + std::to_string(mode));
        glb_Settings.SetInt(kTransportModeKey, mode);
        glb_WanIP.clear();
        EXPECT_TRUE(GetWANIPAdrress()) << lab::RouterLog();
        EXPECT_EQ(lab::kExternalAddress, glb_WanIP);
    }
}

INSTANTIATE_TEST_SUITE_P(Variants, IgdControlLabTest, ::testing::Values("v1", "v2"),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             return info.param;
                         });

}  // namespace

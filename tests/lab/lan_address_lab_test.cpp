// The adapter scan and the LAN address choice in the lab's client namespace,
// over the system's real interface list and a real router. The lab gives the
// client an unreachable default route; these tests put a default route via a
// router address in its place while they run and restore it afterwards.
#include <gtest/gtest.h>

#include <string>

#include "app/adapter_scan.h"
#include "app/lan_address.h"
#include "app/settings_keys.h"
#include "foundation/settings.h"
#include "tests/support/lab_router.h"
#include "upnp/device_description.h"
#include "upnp/igd_session.h"
#include "upnp/local_address.h"

namespace {

class LanAddressLabTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Reset();
        UseDefaultRoute(lab::kRouterAddress);
    }
    void TearDown() override {
        lab::RunInClient("ip link set c-r up");
        lab::CommandResult restored = lab::RestoreClientRoute();
        EXPECT_EQ(0, restored.status) << restored.output;
        Reset();
    }
    static void Reset() {
        ResetSettingsForTests();
        ResetIgdSessionForTests();
        ResetDeviceDescriptionForTests();
        ResetAdapterScanForTests();
    }
    static void UseDefaultRoute(const std::string& gateway) {
        lab::CommandResult result =
            lab::RunInClient("ip route replace default via " + gateway + " dev lan0");
        ASSERT_EQ(0, result.status) << result.output;
    }
    static void UseMode(const char* mode) { glb_Settings.Set(key::kAddressMode, mode); }
    static std::string Mode() { return glb_Settings.Get(key::kAddressMode); }
    static std::string OwnAddress() {
        std::string address;
        GetLocalIP(&address);
        return address;
    }
};

TEST_F(LanAddressLabTest, SystemScanFindsClientAdapterAndRouterGateway) {
    std::vector<platform::AdapterAddress> adapters;
    ASSERT_EQ(0, platform::ListAdapterAddresses(&adapters));
    bool found = false;
    for (const platform::AdapterAddress& adapter : adapters) {
        if (adapter.address != lab::kClientAddress) continue;
        found = true;
        EXPECT_EQ("lan0", adapter.interfaceName);
        EXPECT_EQ(lab::kRouterAddress, adapter.gateway);
        EXPECT_GT(adapter.obtainedTime, 0u);
    }
    EXPECT_TRUE(found);
    Get_glb_GateWy();
    EXPECT_EQ(lab::kClientAddress, glb_LocalAdapterIP);
    EXPECT_EQ(lab::kRouterAddress, glb_GateWy);
}

TEST_F(LanAddressLabTest, Mode2TakesClientAdapter) {
    UseMode("2");
    EXPECT_EQ(lab::kClientAddress, ChooseLanAddress(""));
    EXPECT_EQ("2", Mode());
}

TEST_F(LanAddressLabTest, Mode3FindsRouterAndTakesItsAdapter) {
    UseMode("3");
    EXPECT_EQ(lab::kClientAddress, ChooseLanAddress("")) << lab::RouterLog();
    EXPECT_EQ(1, glb_IgdState);
    EXPECT_EQ(lab::kRouterAddress, glb_RouterHost);
    EXPECT_EQ(lab::kRouterAddress, glb_GateWy);
    EXPECT_EQ("3", Mode());
}

// The router answers, but the client's default route leads elsewhere.
TEST_F(LanAddressLabTest, Mode3FallsBackWhenRouterIsNotTheGateway) {
    UseDefaultRoute(lab::kSecondRouterAddress);
    UseMode("3");
    std::string own = OwnAddress();
    EXPECT_EQ(own, ChooseLanAddress(""));
    EXPECT_EQ(1, glb_IgdState);
    EXPECT_EQ("1", Mode());
    EXPECT_EQ(lab::kSecondRouterAddress, glb_GateWy);
}

TEST_F(LanAddressLabTest, Mode3FallsBackWhenRouterIsUnreachable) {
    lab::CommandResult unplugged = lab::RunInClient("ip link set c-r down");
    ASSERT_EQ(0, unplugged.status) << unplugged.output;
    UseMode("3");
    std::string own = OwnAddress();
    EXPECT_EQ(own, ChooseLanAddress(""));
    EXPECT_EQ(-1, glb_IgdState);
    EXPECT_EQ("1", Mode());
}

}  // namespace

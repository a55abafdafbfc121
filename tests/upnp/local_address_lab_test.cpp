// Name lookups in the lab's client namespace, which has no name server: the
// queries die at the router, and nothing leaves the lab.
#include <gtest/gtest.h>

#include <string>

#include "net/timed_calls.h"
#include "platform/system.h"
#include "tests/support/lab_router.h"
#include "upnp/local_address.h"

namespace {

class LocalAddressLabTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetLocalAddressForTests();
        ResetTimedResolveForTests();
    }
    // The lab's own client route: none that leads anywhere.
    void TearDown() override {
        lab::CommandResult restored = lab::RestoreClientRoute();
        EXPECT_EQ(0, restored.status) << restored.output;
    }
};

TEST_F(LocalAddressLabTest, UnresolvableNameGivesLoopbackAndMinusOne) {
    std::string address = "untouched";
    EXPECT_EQ(-1, GetLocalIP(&address, "sluice-lab-no-such-host"));
    EXPECT_EQ("127.0.0.1", address);
    EXPECT_EQ("sluice-lab-no-such-host", glb_LookedUpName);
}

TEST_F(LocalAddressLabTest, ComputerNameIsLookedUpWhenNoNameIsGiven) {
    std::string address;
    int result = GetLocalIP(&address, "");
    EXPECT_EQ(platform::ComputerName(), glb_LookedUpName);
    if (result == -1) {
        EXPECT_EQ("127.0.0.1", address);
    } else {
        EXPECT_EQ(ClassifyAddress(address), result);
    }
}

TEST_F(LocalAddressLabTest, NamesWithOnlyLoopbackAddressesGiveNothingWithoutADefaultRoute) {
    std::string address = "untouched";
    EXPECT_EQ(-1, GetLocalIP(&address, "localhost"));
    EXPECT_EQ("127.0.0.1", address);
}

// While the client's default route leads through the lab router, its adapter
// address stands in for names that resolve only to loopback (Debian maps the
// computer's name to 127.0.1.1). Names with another address keep it.
TEST_F(LocalAddressLabTest, DefaultRouteInterfaceStandsInForLoopback) {
    lab::CommandResult route = lab::RouteClientThroughRouter();
    ASSERT_EQ(0, route.status) << route.output;
    std::string address, viaName, named;
    int result = GetLocalIP(&address, "localhost");
    int resultViaName = GetLocalIP(&viaName);
    int resultNamed = GetLocalIP(&named, "10.77.0.9");

    EXPECT_EQ(1, result);
    EXPECT_EQ(lab::kClientAddress, address);
    EXPECT_EQ(ClassifyAddress(viaName), resultViaName);
    EXPECT_NE(0, viaName.compare(0, 4, "127.")) << viaName;
    EXPECT_EQ(1, resultNamed);
    EXPECT_EQ("10.77.0.9", named);
}

TEST_F(LocalAddressLabTest, ProbeFailsWithoutNameService) {
    EXPECT_EQ(-1, CheckFW());
}

}  // namespace

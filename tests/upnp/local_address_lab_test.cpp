// Name lookups in the lab's client namespace, which has no name server: the
// queries die at the router, and nothing leaves the lab.
#include <gtest/gtest.h>

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

TEST_F(LocalAddressLabTest, ProbeFailsWithoutNameService) {
    EXPECT_EQ(-1, CheckFW());
}

}  // namespace

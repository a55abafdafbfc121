#include "upnp/local_address.h"

#include <gtest/gtest.h>

#include "net/timed_calls.h"
#include "platform/adapters.h"

namespace {

TEST(ClassifyAddress, SortsAddressTexts) {
    struct Case {
        const char* address;
        int expected;
    };
    const Case cases[] = {
        {"192.168.0.10", 1},
        {"10.1.2.3", 1},
        {"172.20.0.1", 1},
        {"172.16.0.1", 1},
        {"172.31.255.255", 1},
        {"169.254.1.1", 1},
        {"127.0.0.1", 1},
        {"0.0.0.0", 1},
        {"localhost", 1},
        {"172.32.0.1", 3},
        {"172.15.0.1", 3},
        {"192.169.0.1", 3},
        {"169.253.1.1", 3},
        {"8.8.8.8", 3},
        {"255.255.255.255", 3},
        {"010.1.1.1", 1},
        {"256.1.1.1", 2},
        {"1.2.3.256", 2},
        {"1.2.3", 2},
        {"1.2.3.4.5", 2},
        {"router.local", 2},
        {"", 2},
        {"LOCALHOST", 2},
        {" 8.8.8.8", 2},
        {"1..2.3", 2},
        {"1.2.3.", 2},
        {"99999999999999999999.1.1.1", 2},
    };
    for (const Case& c : cases) EXPECT_EQ(c.expected, ClassifyAddress(c.address)) << c.address;
}

class GetLocalIPTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetLocalAddressForTests();
        ResetTimedResolveForTests();
    }
};

// Only names the hosts file answers, or address texts, are looked up here: a
// real lookup would leave the machine. The lab tests cover names that do not
// resolve and a client with and without a default route.
TEST_F(GetLocalIPTest, TakesTheNamesAddressUnlessItIsLoopback) {
    std::string address = "untouched";
    EXPECT_EQ(1, GetLocalIP(&address, "192.168.5.5"));
    EXPECT_EQ("192.168.5.5", address);
    EXPECT_EQ("192.168.5.5", glb_LookedUpName);
    EXPECT_EQ(1, GetLocalIP(nullptr, "192.168.5.5")) << "the address output is optional";

    // localhost has only loopback addresses: the default route's interface
    // stands in, or nothing when this machine has no default route.
    int result = GetLocalIP(&address, "localhost");
    EXPECT_EQ("localhost", glb_LookedUpName);
    std::string routed = platform::DefaultRouteAddress();
    if (routed.empty()) {
        EXPECT_EQ(-1, result);
        EXPECT_EQ("127.0.0.1", address);
    } else {
        EXPECT_EQ(routed, address);
        EXPECT_EQ(ClassifyAddress(routed), result);
    }
}
}  // namespace

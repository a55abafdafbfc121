// The LAN address choice over given adapter lists: modes 0-3, their
// fallbacks to mode 1, and the router session that mode 3 starts.
#include "app/lan_address.h"

#include <gtest/gtest.h>

#include "app/adapter_scan.h"
#include "app/settings_keys.h"
#include "foundation/settings.h"
#include "tests/app/test_adapters.h"
#include "upnp/device_description.h"
#include "upnp/igd_session.h"
#include "upnp/local_address.h"

namespace {

using platform::AdapterAddress;

// An older adapter on the router's LAN and a newer one elsewhere.
const std::vector<AdapterAddress> kTwoAdapters = {
    Adapter("192.168.1.10", "192.168.1.1", 0x60000000),
    Adapter("10.0.0.5", "10.0.0.1", 0x60000100),
};

class LanAddressTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetSettingsForTests();
        ResetIgdSessionForTests();
        ResetAdapterScanForTests();
        GetLocalIP(&ownAddress_);
    }
    void TearDown() override {
        ResetSettingsForTests();
        ResetIgdSessionForTests();
        ResetAdapterScanForTests();
        glb_RouterHost.clear();
    }
    void UseMode(const char* mode, const char* fixedAddress = "") {
        glb_Settings.Set(key::kAddressMode, mode);
        glb_Settings.Set(key::kFixedAddress, fixedAddress);
    }
    std::string Mode() const { return glb_Settings.Get(key::kAddressMode); }
    // What the computer's own name resolves to ("127.0.0.1" at worst).
    std::string ownAddress_;
};

TEST_F(LanAddressTest, Mode2TakesNewestLease) {
    SetAdaptersForTests(kTwoAdapters, "");
    UseMode("2");
    EXPECT_EQ("10.0.0.5", ChooseLanAddress("192.168.1.99"));
    EXPECT_EQ("2", Mode());
    EXPECT_EQ("10.0.0.1", glb_GateWy);
}

TEST_F(LanAddressTest, Mode2WithoutAdapterFallsBackToMode1ForGood) {
    SetAdaptersForTests({Adapter("172.16.0.9", "", 0x70000000)}, "192.168.0.1");
    UseMode("2");
    EXPECT_EQ(ownAddress_, ChooseLanAddress("192.168.1.99"));
    EXPECT_EQ("1", Mode());
    EXPECT_EQ("", glb_LocalAdapterIP);
    EXPECT_EQ("192.168.0.1", glb_GateWy);
}

TEST_F(LanAddressTest, Mode3TakesRouterAdapterWhateverItsLease) {
    SetAdaptersForTests(kTwoAdapters, "");
    UseMode("3");
    glb_IgdState = 1;
    glb_RouterHost = "192.168.1.1";
    EXPECT_EQ("192.168.1.10", ChooseLanAddress(""));
    EXPECT_EQ("3", Mode());
    EXPECT_EQ("192.168.1.1", glb_GateWy);
}

TEST_F(LanAddressTest, Mode3FallsBackToMode1) {
    struct {
        const char* name;
        int igdState;
        const char* routerHost;
    } cases[] = {
        {"router session failed", -1, "192.168.1.1"},
        {"router on no adapter's gateway", 1, "192.168.7.1"},
    };
    for (const auto& one : cases) {
        SCOPED_TRACE(one.name);
        SetAdaptersForTests(kTwoAdapters, "");
        UseMode("3");
        glb_IgdState = one.igdState;
        glb_RouterHost = one.routerHost;
        EXPECT_EQ(ownAddress_, ChooseLanAddress("192.168.1.99"));
        EXPECT_EQ("1", Mode());
        // The scan without router host has the last word.
        EXPECT_EQ("10.0.0.5", glb_LocalAdapterIP);
    }
}

// Nothing answers the search on loopback: the session is tried once, fails,
// and the mode falls back.
TEST_F(LanAddressTest, Mode3StartsRouterSessionWhenNotTried) {
    SsdpTarget silent;
    silent.address = "127.0.0.1";
    silent.port = 9;
    silent.listInterfaces = [](std::vector<std::string>* interfaces) {
        *interfaces = {"127.0.0.1"};
        return 0;
    };
    SetSessionSsdpTargetForTests(silent);
    SetAdaptersForTests(kTwoAdapters, "");
    UseMode("3");
    EXPECT_EQ(ownAddress_, ChooseLanAddress(""));
    EXPECT_EQ(-1, glb_IgdState);
    EXPECT_EQ("1", Mode());
}

TEST_F(LanAddressTest, Mode1IsTheComputersOwnAddress) {
    SetAdaptersForTests(kTwoAdapters, "");
    UseMode("1", "192.168.1.50");
    EXPECT_EQ(ownAddress_, ChooseLanAddress("192.168.1.99"));
    EXPECT_EQ("1", Mode());
    EXPECT_EQ("10.0.0.5", glb_LocalAdapterIP);
}

TEST_F(LanAddressTest, FixedAndGivenAddresses) {
    struct {
        const char* mode;
        const char* fixed;
        const char* given;
        const char* expected;  // nullptr: the computer's own address
    } cases[] = {
        {"0", "192.168.1.10", "10.9.9.9", "192.168.1.10"},
        {"0", "203.0.113.5", "", "203.0.113.5"},
        {"0", "localhost", "10.9.9.9", nullptr},
        {"0", "myserver", "10.9.9.9", nullptr},
        {"0", "192.168.1.300", "10.9.9.9", nullptr},
        {"0", "", "10.9.9.9", nullptr},
        // Modes outside 0-3 use the caller's address.
        {"7", "192.168.1.10", "10.9.9.9", "10.9.9.9"},
        {"7", "192.168.1.10", "localhost", nullptr},
        {"-1", "192.168.1.10", "", nullptr},
    };
    SetAdaptersForTests(kTwoAdapters, "");
    for (const auto& one : cases) {
        SCOPED_TRACE(std::string(one.mode) + " " + one.fixed + " " + one.given);
        UseMode(one.mode, one.fixed);
        EXPECT_EQ(one.expected ? one.expected : ownAddress_, ChooseLanAddress(one.given));
        EXPECT_EQ(one.mode, Mode());
    }
}

}  // namespace

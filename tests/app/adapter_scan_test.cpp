// The adapter scan over given adapter lists, the parsers of the system files
// it reads, and one pass over this machine's real adapters.
#include "app/adapter_scan.h"

#include <gtest/gtest.h>

#include <ctime>

#include "tests/app/test_adapters.h"
#include "upnp/local_address.h"

namespace {

using platform::AdapterAddress;

struct ScanCase {
    const char* name;
    std::vector<AdapterAddress> adapters;
    const char* nameServer;
    const char* routerHost;  // nullptr: none
    const char* address;     // expected glb_LocalAdapterIP
    const char* gateway;     // expected glb_GateWy
};

void PrintTo(const ScanCase& scan, std::ostream* out) {
    *out << scan.name;
}

class AdapterScanTest : public ::testing::TestWithParam<ScanCase> {
  protected:
    void TearDown() override { ResetAdapterScanForTests(); }
};

TEST_P(AdapterScanTest, ChoosesAdapterAndGateway) {
    const ScanCase& scan = GetParam();
    glb_LocalAdapterIP = "left over";
    glb_GateWy = "left over";
    SetAdaptersForTests(scan.adapters, scan.nameServer);
    Get_glb_GateWy(scan.routerHost);
    EXPECT_EQ(scan.address, glb_LocalAdapterIP);
    EXPECT_EQ(scan.gateway, glb_GateWy);
}

const ScanCase kScanCases[] = {
    {"LaterLeaseWins",
     {Adapter("192.168.1.10", "192.168.1.1", 0x60000000),
      Adapter("10.0.0.5", "10.0.0.1", 0x60000100)},
     "",
     nullptr,
     "10.0.0.5",
     "10.0.0.1"},
    {"LaterLeaseWinsWhateverTheListOrder",
     {Adapter("10.0.0.5", "10.0.0.1", 0x60000100),
      Adapter("192.168.1.10", "192.168.1.1", 0x60000000)},
     "",
     nullptr,
     "10.0.0.5",
     "10.0.0.1"},
    // Fixed-width hexadecimal: 0x10 sorts after 0x9 although "1" < "9".
    {"HexadecimalTimesOrderByValue",
     {Adapter("192.168.1.10", "192.168.1.1", 0x10), Adapter("10.0.0.5", "10.0.0.1", 0x9)},
     "",
     nullptr,
     "192.168.1.10",
     "192.168.1.1"},
    {"RouterHostPicksItsAdapterWhateverTheLease",
     {Adapter("192.168.1.10", "192.168.1.1", 0x60000000),
      Adapter("10.0.0.5", "10.0.0.1", 0x60000100)},
     "",
     "192.168.1.1",
     "192.168.1.10",
     "192.168.1.1"},
    {"RouterHostShared_NewestOfItsAdapters",
     {Adapter("192.168.1.10", "192.168.1.1", 0x60000000),
      Adapter("192.168.1.11", "192.168.1.1", 0x60000200),
      Adapter("10.0.0.5", "10.0.0.1", 0x60000300)},
     "",
     "192.168.1.1",
     "192.168.1.11",
     "192.168.1.1"},
    {"RouterHostMatchesNoGateway_NameServerStandsIn",
     {Adapter("10.0.0.5", "10.0.0.1", 0x60000100)},
     "192.168.0.1",
     "192.168.1.1",
     "",
     "192.168.0.1"},
    {"EmptyRouterHostMatchesNothing",
     {Adapter("10.0.0.5", "10.0.0.1", 0x60000100)},
     "",
     "",
     "",
     ""},
    {"AdapterWithoutGatewayNeverChosen",
     {Adapter("192.168.1.10", "192.168.1.1", 0x60000000), Adapter("172.16.0.9", "", 0x70000000)},
     "",
     nullptr,
     "192.168.1.10",
     "192.168.1.1"},
    {"GatewayBeginningWithZeroNeverChosen",
     {Adapter("192.168.1.10", "192.168.1.1", 0x60000000),
      Adapter("172.16.0.9", "0.0.0.0", 0x70000000)},
     "",
     nullptr,
     "192.168.1.10",
     "192.168.1.1"},
    {"NoAdapter_GatewayFromNameServer", {}, "192.168.0.1", nullptr, "", "192.168.0.1"},
    {"OnlyUnusableAdapters_GatewayFromNameServer",
     {Adapter("172.16.0.9", "", 0x70000000), Adapter("10.1.0.2", "0.0.0.0", 0x70000001)},
     "192.168.0.1",
     nullptr,
     "",
     "192.168.0.1"},
    {"NothingAtAll", {}, "", nullptr, "", ""},
};

INSTANTIATE_TEST_SUITE_P(Cases, AdapterScanTest, ::testing::ValuesIn(kScanCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RouteTableTest, DefaultGatewaysWithLowestMetricPerInterface) {
    const char table[] =
        "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n"
        "eth0\t00000000\t0101A8C0\t0003\t0\t0\t100\t00000000\t0\t0\t0\n"
        "eth0\t0001A8C0\t00000000\t0001\t0\t0\t100\t00FFFFFF\t0\t0\t0\n"
        "wlan0\t00000000\t0100000A\t0003\t0\t0\t600\t00000000\t0\t0\t0\n"
        "wlan0\t00000000\t FE00000A\t0003\t0\t0\t50\t00000000\t0\t0\t0\n"
        "wlan0\t00000000\t0200000A\t0003\t0\t0\t700\t00000000\t0\t0\t0\n"
        // A default route without gateway (unreachable) and a host route.
        "*\t00000000\t00000000\t0201\t0\t0\t0\t00000000\t0\t0\t0\n"
        "tun0\t00000000\t0100A8C0\t0001\t0\t0\t0\t00000000\t0\t0\t0\n"
        "eth1\t0A0A0A0A\t0101A8C0\t0007\t0\t0\t0\tFFFFFFFF\t0\t0\t0\n"
        "broken line\n";
    std::map<std::string, std::string> expected = {{"eth0", "192.168.1.1"},
                                                   {"wlan0", "10.0.0.254"}};
    EXPECT_EQ(expected, platform::DefaultGatewaysIn(table));
}

TEST(RouteTableTest, DefaultRouteInterfaceHasTheLowestMetric) {
    const std::string head =
        "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n";
    const std::string eth0 = "eth0\t00000000\t0101A8C0\t0003\t0\t0\t100\t00000000\t0\t0\t0\n";
    const std::string wlan0 = "wlan0\t00000000\t0100000A\t0003\t0\t0\t50\t00000000\t0\t0\t0\n";
    const std::string ppp0 = "ppp0\t00000000\t00000000\t0001\t0\t0\t10\t00000000\t0\t0\t0\n";
    const std::string unreachable = "*\t00000000\t00000000\t0201\t0\t0\t0\t00000000\t0\t0\t0\n";
    const std::string down = "eth1\t00000000\t0101A8C0\t0002\t0\t0\t0\t00000000\t0\t0\t0\n";
    const std::string subnet = "eth0\t0001A8C0\t00000000\t0001\t0\t0\t0\t00FFFFFF\t0\t0\t0\n";
    struct {
        std::string table;
        const char* expected;
    } cases[] = {
        {head + eth0 + wlan0, "wlan0"},
        {head + wlan0 + eth0, "wlan0"},
        {head + eth0 + ppp0, "ppp0"},  // a point-to-point default needs no gateway
        {head + unreachable + eth0, "eth0"},
        {head + unreachable + down + subnet, ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, platform::DefaultRouteInterfaceIn(c.table)) << c.table;
    }
}

TEST(ResolvConfTest, FirstIpv4NameServer) {
    struct {
        const char* text;
        const char* expected;
    } cases[] = {
        {"nameserver 192.168.0.1\nnameserver 8.8.8.8\n", "192.168.0.1"},
        {"# nameserver 1.1.1.1\n; nameserver 1.0.0.1\nsearch lan\n  nameserver\t10.0.0.1 # dhcp\n",
         "10.0.0.1"},
        {"nameserver fe80::1%eth0\nnameserver 127.0.0.53\n", "127.0.0.53"},
        {"nameserverx 1.2.3.4\nnameserver host.example\n", ""},
        {"", ""},
    };
    for (const auto& one : cases) {
        EXPECT_EQ(one.expected, platform::FirstNameServerIn(one.text)) << one.text;
    }
}

// This machine's own adapters: whatever they are, every entry is a real
// IPv4 address with a plausible time, and a gateway when it has one.
TEST(SystemAdaptersTest, ListsDottedAddressesWithPlausibleTimes) {
    std::vector<AdapterAddress> adapters;
    ASSERT_EQ(0, platform::ListAdapterAddresses(&adapters));
    uint32_t now = static_cast<uint32_t>(std::time(nullptr));
    for (const AdapterAddress& adapter : adapters) {
        SCOPED_TRACE(adapter.interfaceName + " " + adapter.address);
        EXPECT_NE(kAddressNotIpv4, ClassifyAddress(adapter.address));
        EXPECT_NE(0, adapter.address.compare(0, 4, "127."));
        EXPECT_TRUE(adapter.gateway.empty() || ClassifyAddress(adapter.gateway) != kAddressNotIpv4);
        EXPECT_GT(adapter.obtainedTime, 0u);
        EXPECT_LE(adapter.obtainedTime, now + 1);
    }
}

}  // namespace

// The IGD session against devices on loopback: a fake SSDP network answers
// the session's searches the way the devices of a home network answer
// M-SEARCH, and each answering device is a fake router (or a device that is
// no router) serving its description and SOAP actions.
#include "upnp/igd_session.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <ostream>
#include <utility>
#include <vector>

#include "foundation/pump.h"
#include "foundation/settings.h"
#include "platform/clock.h"
#include "tests/support/fake_http_server.h"
#include "tests/support/fake_igd.h"
#include "tests/support/fake_ssdp_network.h"
#include "upnp/device_description.h"
#include "upnp/device_list.h"
#include "upnp/port_mapping.h"
#include "upnp/soap_fault.h"
#include "upnp/ssdp_searcher.h"

namespace {

constexpr char kPpp[] = "urn:schemas-upnp-org:service:WANPPPConnection:1";
constexpr char kIp[] = "urn:schemas-upnp-org:service:WANIPConnection:1";
constexpr char kLoopback[] = "127.0.0.1";
constexpr char kPrivateWan[] = "192.168.1.2";

enum class Device {
    kRouter,               // describes WANIPConnection:1, reports a global WAN address
    kPrivateWanRouter,     // the same behind another router: a private WAN address
    kRouterAnsweringBoth,  // a router that answers the PPP search too
    kPppAnswerIpService,   // answers the PPP search, describes only the IP service
    kV2Only,               // an IGDv2 router: describes only WANIPConnection:2
    kDeadLocation,         // answers, but nothing serves its description
    kNoService,            // a description without a WAN connection service (a TV, a NAS)
    kNoWan,                // a router that cannot tell its WAN address
    kBadStatus,            // answers with status 404
    kHugeDatagram,         // answers with a datagram over 2048 bytes
};

// One device on the fake network; its uuid is "dev-<index>".
struct FakeDevice {
    std::unique_ptr<FakeIgd> igd;
    std::string location;
    std::string uuid;
};

class IgdSessionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Reset();
        SetSessionSsdpTargetForTests(network_.Target());
    }
    void TearDown() override {
        platform::SetTickSourceForTests(nullptr);
        SetPumpHook(nullptr);
        Reset();
    }
    static void Reset() {
        ResetIgdSessionForTests();
        ResetDeviceDescriptionForTests();
        ResetSettingsForTests();
        ResetSsdpForTests();
    }

    void AddDevices(const std::vector<Device>& kinds) {
        for (Device kind : kinds) AddDevice(kind);
    }

    void AddDevice(Device kind) {
        FakeDevice device;
        device.uuid = "dev-" + std::to_string(devices_.size());
        std::string serviceType = kind == Device::kV2Only ? kWanIpConnectionV2 : kIp;
        IgdScenario scenario =
            kind == Device::kNoService ? IgdScenario::kMissingElements : IgdScenario::kNormal;
        device.igd = std::make_unique<FakeIgd>(serviceType, scenario);
        device.location = device.igd->Location();
        if (kind == Device::kPrivateWanRouter) {
            device.igd->AnswerActions(IgdScenario::kNormal, "GetExternalIPAddress",
                                      {{"NewExternalIPAddress", kPrivateWan}});
        }
        if (kind == Device::kNoWan) {
            device.igd->AnswerActions(IgdScenario::kErrorStatus, "GetExternalIPAddress", {});
        }
        if (kind == Device::kDeadLocation) {
            device.igd->Server().Stop();
        }
        if (kind == Device::kBadStatus) {
            network_.Answer(kIp, "HTTP/1.1 404 Not Found\r\nST: " + std::string(kIp) + "\r\n\r\n");
        } else if (kind == Device::kHugeDatagram) {
            std::string answer = SsdpAnswer(kIp, device.location, device.uuid);
            network_.Answer(
                kIp, answer.insert(answer.size() - 2, "X-Pad: " + std::string(2048, 'p') + "\r\n"));
        } else if (kind == Device::kPppAnswerIpService) {
            network_.Answer(kPpp, SsdpAnswer(kPpp, device.location, device.uuid));
        } else {
            if (kind == Device::kRouterAnsweringBoth) {
                network_.Answer(kPpp, SsdpAnswer(kPpp, device.location, device.uuid));
            }
            network_.Answer(kIp, SsdpAnswer(kIp, device.location, device.uuid));
        }
        devices_.push_back(std::move(device));
    }

    FakeSsdpNetwork network_;
    std::vector<FakeDevice> devices_;
};

// What glb_IgdMessage holds after UPnpInit; the detail is filled in by the
// test from the device named in the case.
enum class Message { kDetected, kNoResponse, kReceiveError, kControlUrlError, kWanError };

struct SessionCase {
    const char* name;
    std::vector<Device> devices;  // answering in this order
    const char* designation;
    int chosen;  // index of the device that becomes the router, -1 for none
    Message message;
    const char* serviceType;  // of the chosen router, or in the WAN error text
};

void PrintTo(const SessionCase& c, std::ostream* os) {
    *os << c.name;
}

const SessionCase kSessionCases[] = {
    {"NoAnswer", {}, "", -1, Message::kNoResponse, ""},
    // Any device on the LAN can send these; they do not end the search.
    {"AnswerWithErrorStatusIsPassedOver",
     {Device::kBadStatus, Device::kRouter},
     "",
     1,
     Message::kDetected,
     kIp},
    {"HugeDatagramIsPassedOver",
     {Device::kHugeDatagram, Device::kRouter},
     "",
     1,
     Message::kDetected,
     kIp},
    {"DeadLocationIsPassedOver",
     {Device::kDeadLocation, Device::kRouter},
     "",
     1,
     Message::kDetected,
     kIp},
    {"DeviceWithoutServiceIsPassedOver",
     {Device::kNoService, Device::kRouter},
     "",
     1,
     Message::kDetected,
     kIp},
    {"OnlyDeviceWithoutControlUrl", {Device::kNoService}, "", -1, Message::kControlUrlError, ""},
    {"DeviceWithoutWanAddressIsPassedOver",
     {Device::kNoWan, Device::kRouter},
     "",
     1,
     Message::kDetected,
     kIp},
    {"OnlyDeviceWithoutWanAddress", {Device::kNoWan}, "", -1, Message::kWanError, kIp},
    {"PppAnswerWithIpService", {Device::kPppAnswerIpService}, "", 0, Message::kDetected, kPpp},
    {"Igd2RouterDescribingOnlyVersion2", {Device::kV2Only}, "", 0, Message::kDetected, kIp},
    {"DesignationSelectsTheSecond",
     {Device::kRouter, Device::kRouter},
     "dev-1",
     1,
     Message::kDetected,
     kIp},
    {"DesignationMatchingNone",
     {Device::kRouter, Device::kRouter},
     "dev-9",
     -1,
     Message::kNoResponse,
     ""},
};

class UPnpInitCase : public IgdSessionTest, public ::testing::WithParamInterface<SessionCase> {
  protected:
    std::string ExpectedMessage(const SessionCase& c) const {
        switch (c.message) {
            case Message::kDetected:
                return "IGD検出OK";
            case Message::kNoResponse:
                return "IGDエラー3(ルーター反応なし)";
            case Message::kReceiveError:
                return "IGDエラー4(受信エラー)";
            case Message::kControlUrlError:
                return "ControlUrl取得エラー(" + devices_.back().location + ")";
            case Message::kWanError:
                // The router's refusal (a UPnP error 501) explained after it.
                return "WAN側IPアドレス取得エラー(" + std::string(c.serviceType) + ")" +
                       FaultExplanation(SoapFaultBody(501, "ActionFailed"));
        }
        return "";
    }
};

TEST_P(UPnpInitCase, ChoosesTheRouterOrSaysWhyNot) {
    const SessionCase& c = GetParam();
    AddDevices(c.devices);
    glb_Settings.Set(kDeviceDesignationKey, c.designation);

    UPnpInit();

    EXPECT_EQ(ExpectedMessage(c), glb_IgdMessage);
    EXPECT_EQ(0, SessionSearcher().Port()) << "the searcher is closed again";
    if (c.chosen < 0) {
        EXPECT_EQ(-1, glb_IgdState);
        return;
    }
    EXPECT_EQ(1, glb_IgdState);
    EXPECT_EQ(devices_[c.chosen].igd->ControlUrl(), glb_ControlURL);
    EXPECT_EQ(c.serviceType, glb_ServiceType);
    EXPECT_EQ(FakeIgd::kExternalAddress, glb_WanIP);
    EXPECT_EQ(devices_[c.chosen].location, glb_Location);
}

INSTANTIATE_TEST_SUITE_P(Devices, UPnpInitCase, ::testing::ValuesIn(kSessionCases),
                         [](const ::testing::TestParamInfo<SessionCase>& info) {
                             return std::string(info.param.name);
                         });

// A router that takes the GetExternalIPAddress request and never answers,
// and answers both searches again after every repeated search pair: its one
// LOCATION is examined once, so the query goes out once per transport.
TEST_F(IgdSessionTest, HangingRouterCostsOneExamination) {
    AddDevice(Device::kRouterAnsweringBoth);
    devices_[0].igd->AnswerActions(IgdScenario::kSilent, "GetExternalIPAddress", {});

    auto start = std::chrono::steady_clock::now();
    UPnpInit();
    auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start)
            .count();

    RecordProperty("UPnpInitSeconds", static_cast<int>(seconds));
    EXPECT_EQ(-1, glb_IgdState);
    EXPECT_EQ("WAN側IPアドレス取得エラー(" + std::string(kPpp) + ")", glb_IgdMessage);
    EXPECT_EQ(3u, devices_[0].igd->ActionRequests().size()) << "one request per transport";
    EXPECT_LE(seconds, 25) << "the 20 s cap, with room for a loaded machine";
}

// An IGDv2 router needs all three service types tried: its description is
// still fetched once.
TEST_F(IgdSessionTest, DescriptionIsFetchedOncePerAnswer) {
    AddDevice(Device::kV2Only);
    UPnpInit();
    EXPECT_EQ(1, glb_IgdState);
    size_t fetches = 0;
    for (const FakeRequest& request : devices_[0].igd->Server().Requests()) {
        if (request.method == "GET") ++fetches;
    }
    EXPECT_EQ(1u, fetches);
}

// What a router command started by a handler during the session start's
// pauses met: the state it saw, its result, and whether a nested session
// start came back at once.
struct NestedCommand {
    bool ran = false;
    int stateSeen = 0;
    int result = 0;
    std::string message;
};
NestedCommand g_nested;

int RunNestedCommands(int) {
    if (g_nested.ran) return 0;
    g_nested.ran = true;
    g_nested.stateSeen = glb_IgdState;
    g_nested.result = _AddPortMapping("8000", "TCP", "8000", "192.168.0.10", "Sluice8000T");
    UPnpInit();
    SearchDevices();
    g_nested.message = glb_IgdMessage;
    return 0;
}

TEST_F(IgdSessionTest, RouterCommandsCannotRunInsideTheSessionStart) {
    AddDevice(Device::kRouter);
    g_nested = NestedCommand();
    SetPumpHook(RunNestedCommands);

    UPnpInit();

    ASSERT_TRUE(g_nested.ran);
    EXPECT_EQ(-1, g_nested.stateSeen);
    EXPECT_EQ(-1, g_nested.result);
    EXPECT_EQ("IGDエラー3(ルーター反応なし)", g_nested.message) << "as with no router";
    // The outer start went on with its searcher and found the router; nothing
    // but its own query reached the router.
    EXPECT_EQ(1, glb_IgdState);
    EXPECT_EQ("IGD検出OK", glb_IgdMessage);
    EXPECT_EQ(devices_[0].igd->ControlUrl(), glb_ControlURL);
    ASSERT_EQ(1u, devices_[0].igd->ActionRequests().size());
    EXPECT_NE(std::string::npos,
              devices_[0].igd->ActionRequests()[0].body.find("GetExternalIPAddress"));
    EXPECT_EQ("", glb_DeviceListText);

    SetPumpHook(nullptr);
    EXPECT_EQ(0, _AddPortMapping("8000", "TCP", "8000", "192.168.0.10", "Sluice8000T"))
        << "afterwards commands run again";
}

// Ten times the real clock, so that the 20 s cap passes after 2 s.
uint32_t FastTick() {
    auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count() * 10);
}

// 200 interfaces would take 80 s for one search pair; the cap ends the
// session start all the same, and the searcher is closed again.
TEST_F(IgdSessionTest, WallClockCapHoldsWhateverTheNumberOfInterfaces) {
    AddDevice(Device::kRouter);
    SsdpTarget target = network_.Target();
    auto one = target.listInterfaces;
    target.listInterfaces = [one](std::vector<std::string>* addresses) {
        int error = one(addresses);
        addresses->resize(200, addresses->empty() ? "127.0.0.1" : addresses->front());
        return error;
    };
    SetSessionSsdpTargetForTests(target);
    platform::SetTickSourceForTests(FastTick);

    auto start = std::chrono::steady_clock::now();
    UPnpInit();
    auto elapsed = std::chrono::steady_clock::now() - start;

    EXPECT_LT(elapsed, std::chrono::seconds(15));
    EXPECT_EQ(-1, glb_IgdState);
    EXPECT_EQ(0, SessionSearcher().Port());
    EXPECT_LT(network_.SearchesAfterWaiting(400, 0), 400);
}

uint32_t g_fakeTick = 0;
uint32_t FakeTick() {
    return g_fakeTick;
}

TEST_F(IgdSessionTest, CheckRooterRepeatsTheSearchPairAfter1600Ms) {
    platform::SetTickSourceForTests(FakeTick);
    ASSERT_TRUE(SessionSearcher().Open());

    struct Step {
        uint32_t lastSearch;
        uint32_t now;
        bool repeats;
    };
    const Step steps[] = {
        {0, 10000, false},            // the first call only notes the time
        {10000, 11600, false},        // exactly 1600 ms is not more
        {10000, 11601, true},         // one more is
        {0xFFFFFF00u, 0x100, false},  // 512 ms across the wrap of the tick count
        {0xFFFFF000u, 0x700, true},   // 5888 ms across the wrap
    };
    int searches = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE(std::to_string(step.lastSearch) + " -> " + std::to_string(step.now));
        glb_LastSearchTick = step.lastSearch;
        g_fakeTick = step.now;
        EXPECT_EQ(kNothingToActOn, CheckRooter());
        if (step.repeats) searches += 2;
        EXPECT_EQ(searches, network_.SearchesAfterWaiting(searches + 1, 200));
        EXPECT_EQ(step.repeats || step.lastSearch == 0 ? step.now : step.lastSearch,
                  glb_LastSearchTick);
    }
}

TEST_F(IgdSessionTest, CheckRooterWithoutOpenSearcherIsAReceiveError) {
    EXPECT_EQ(kReceiveError, CheckRooter());
    EXPECT_EQ("IGDエラー4(受信エラー)", glb_IgdMessage);
}

std::string Block(int number, const std::string& model, const std::string& uuid,
                  const std::string& location, const std::string& host, const std::string& wan) {
    return "■■■【機器" + std::to_string(number) + "】■■■\r\n型番:" + model + "\r\nuuid:" + uuid +
           "\r\nUPnP:" + location + "\r\nﾙｰﾀｰ:http://" + host + "/\r\nWAN :" + wan + "\r\n";
}

constexpr char kFakeModel[] = "Loopback test router";

TEST_F(IgdSessionTest, SearchDevicesListsEachDeviceOnceAndProposesTheGlobalOne) {
    // The global router answers both searches (and again after the repeated
    // search pair): one record all the same. Its PPP answer comes first.
    AddDevices({Device::kPrivateWanRouter, Device::kRouterAnsweringBoth});

    SearchDevices();

    std::string expected =
        Block(1, kFakeModel, "dev-1", devices_[1].location, kLoopback, FakeIgd::kExternalAddress) +
        Block(2, kFakeModel, "dev-0", devices_[0].location, kLoopback, kPrivateWan) +
        "\r\n\r\n------------------------\r\n複数の機器があり、WAN側にグローバルIPアドレス\r\n"
        "を持つ機器が確認されました\r\n⑭にdev-1\r\nを設定しました";
    EXPECT_EQ(expected, glb_DeviceListText);
    EXPECT_EQ("dev-1", glb_ChosenDevice);
    EXPECT_EQ(1, glb_IgdState);
    EXPECT_EQ("IGD検出OK", glb_IgdMessage);
    EXPECT_EQ(0, SessionSearcher().Port());
}

TEST_F(IgdSessionTest, SearchDevicesListsDevicesThatAreNoRouterAndPassesOverBadAnswers) {
    AddDevices({Device::kDeadLocation, Device::kNoWan, Device::kBadStatus, Device::kHugeDatagram,
                Device::kRouter});

    SearchDevices();

    std::string expected =
        Block(1, "ctrlUrl取得不能", "dev-0", "", kLoopback, "") +
        Block(2, kFakeModel, "dev-1", devices_[1].location, kLoopback, "") +
        Block(3, kFakeModel, "dev-4", devices_[4].location, kLoopback, FakeIgd::kExternalAddress) +
        "\r\n\r\n------------------------\r\n複数の機器があり、WAN側にグローバルIPアドレス\r\n"
        "を持つ機器が確認されました\r\n⑭にdev-4\r\nを設定しました";
    EXPECT_EQ(expected, glb_DeviceListText);
    EXPECT_EQ("dev-4", glb_ChosenDevice);
    EXPECT_EQ(1, glb_IgdState);
    EXPECT_EQ("IGD検出OK", glb_IgdMessage);
}

TEST(UuidFromAnswer, TakesTheTextBetweenTheColonsAfterUuid) {
    const std::pair<std::string, std::string> cases[] = {
        {"HTTP/1.1 200 OK\rST: x\rUSN: uuid:abc::urn:schemas-upnp-org:device:IGD:1\r", "abc"},
        {"HTTP/1.1 200 OK\rEXT:\rUSN: uuid:abc\r", ""},            // no colon after abc
        {"HTTP/1.1 200 OK\rUSN: abc::x\r", ""},                    // no uuid at all
        {"USN: uuid", ""},                                         // no colon after uuid
        {"Location: http://h/uuid/a\rUSN: uuid:abc::x", " uuid"},  // the first "uuid" counts
        {"USN: uuid:" + std::string(1200, 'a') + "::x", std::string(998, 'a')},
    };
    for (const auto& c : cases) EXPECT_EQ(c.second, UuidFromAnswer(c.first)) << c.first;
}

struct ListingCase {
    const char* name;
    std::vector<const char*> wanAddresses;  // one record per address
    const char* chosen;
    const char* remark;
};

TEST(ListDevices, ClosingRemarkAndProposal) {
    const ListingCase cases[] = {
        {"none", {}, "", "ポート開放できそうな機器は見つかりませんでした\r\n"},
        {"one global", {"7.7.7.7"}, "", "⑭の変更は特に必要ありません\r\n"},
        {"one private", {"10.0.0.2"}, "", "ポート開放できそうな機器は見つかりませんでした\r\n"},
        {"two, one global",
         {"10.0.0.2", "7.7.7.7"},
         "u1",
         "複数の機器があり、WAN側にグローバルIPアドレス\r\nを持つ機器が確認されました\r\n⑭にu1\r\n"
         "を設定しました"},
        {"two global, the last wins",
         {"7.7.7.7", "8.8.8.8"},
         "u1",
         "複数の機器があり、WAN側にグローバルIPアドレス\r\nを持つ機器が確認されました\r\n⑭にu1\r\n"
         "を設定しました"},
        {"two private", {"", "10.0.0.2"}, "", "ポート開放できそうな機器は見つかりませんでした\r\n"},
    };
    for (const ListingCase& c : cases) {
        SCOPED_TRACE(c.name);
        StrList records;
        std::string blocks;
        for (size_t i = 0; i < c.wanAddresses.size(); ++i) {
            std::string uuid = "u" + std::to_string(i);
            records.Add(DeviceRecord("m", uuid, "http://l/", "h", c.wanAddresses[i]).c_str());
            blocks += Block(i + 1, "m", uuid, "http://l/", "h", c.wanAddresses[i]);
        }
        std::string text = "earlier\r\n";
        std::string chosen = "stale";
        ListDevices(records, &text, &chosen);
        EXPECT_EQ("earlier\r\n" + blocks + "\r\n\r\n------------------------\r\n" + c.remark, text);
        EXPECT_EQ(c.chosen, chosen);
    }
}

}  // namespace

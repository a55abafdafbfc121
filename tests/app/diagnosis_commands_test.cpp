// The diagnosis buttons against routers on loopback: ⑥ asks the router (or a
// fake SSDP network of routers) for its WAN address, Copy falls back to a fake
// address-echo page, ⑫ opens the gateway's page and ⑮ lists the devices of
// the fake network and proposes the global one for ⑭.
#include "app/diagnosis_commands.h"

#include <memory>
#include <string>

#include "app/home_page.h"
#include "app/port_commands.h"
#include "app/settings_keys.h"
#include "app/sluice_app.h"
#include "tests/app/app_test_base.h"
#include "tests/support/fake_http_server.h"
#include "tests/support/fake_ssdp_network.h"
#include "upnp/device_description.h"
#include "upnp/ssdp_searcher.h"

namespace {

constexpr char kIp[] = "urn:schemas-upnp-org:service:WANIPConnection:1";
constexpr char kPrivateWan[] = "192.168.1.2";

class DiagnosisTest : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        ResetLocal();
        RegisterSettingDefaults();
        SetSessionSsdpTargetForTests(network_.Target());
        SetAddressEchoUrlForTests(echo_.Url("/"));
        ui_.window.wanPort = "8000";
    }
    void TearDown() override {
        ResetLocal();
        AppTest::TearDown();
    }
    static void ResetLocal() {
        ResetDiagnosisCommandsForTests();
        ResetDeviceDescriptionForTests();
        ResetSsdpForTests();
    }

    // A router on the fake network with uuid "dev-<n>"; wan is its WAN address.
    void AddRouter(const std::string& wan) {
        routers_.push_back(std::make_unique<FakeIgd>());
        routers_.back()->AnswerActions(IgdScenario::kNormal, "GetExternalIPAddress",
                                       {{"NewExternalIPAddress", wan}});
        network_.Answer(kIp, SsdpAnswer(kIp, routers_.back()->Location(),
                                        "dev-" + std::to_string(routers_.size() - 1)));
    }

    // The session as UPnpInit leaves it with a router whose WAN address is wan.
    static void RouterReady(const std::string& wan) {
        glb_IgdState = 1;
        glb_WanIP = wan;
    }

    FakeSsdpNetwork network_{26600};
    std::vector<std::unique_ptr<FakeIgd>> routers_;
    FakeHttpServer echo_;
    SluiceApp app_{ui_};
};

TEST_F(DiagnosisTest, WanIpFindsTheRouterAndShowsItsAddress) {
    AddRouter(FakeIgd::kExternalAddress);
    ui_.window.device = "dev-0";

    app_.OnWanIp();

    EXPECT_EQ(1, glb_IgdState);
    EXPECT_EQ(FakeIgd::kExternalAddress, ui_.window.wanIp);
    EXPECT_EQ("dev-0", std::string(glb_Settings.Get(key::kDevice)));
    EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(DiagnosisTest, WanIpOfAReadySessionAsksNoRouter) {
    RouterReady("198.51.100.4");

    app_.OnWanIp();

    EXPECT_EQ("198.51.100.4", ui_.window.wanIp);
}

TEST_F(DiagnosisTest, WanIpWithoutRouterExplainsUnlessMessagesAreOff) {
    app_.OnWanIp();

    EXPECT_EQ(-1, glb_IgdState);
    ASSERT_EQ(1u, ui_.messages.size());
    EXPECT_EQ(
        "WANアドレス取得エラー\r\n\r\n" + std::string(kRouterNotFound) + "\r\n" + glb_IgdMessage,
        ui_.messages[0]);
    EXPECT_FALSE(glb_IgdMessage.empty());

    glb_Settings.SetInt(key::kMessageOff, 1);
    app_.OnWanIp();
    EXPECT_EQ(1u, ui_.messages.size());
}

const char kAskInternet[] =
    "ルーターからグローバルIPアドレスが取得できません。\r\nインターネットより取得してきますか？";

std::string EchoPage(const std::string& address) {
    return "<html><head><title>Current IP Check</title></head><body>Current IP Address: " +
           address + "</body></html>\r\n";
}

TEST_F(DiagnosisTest, CopyWithAGlobalRouterAddressAsksNothingAndFetchesNothing) {
    RouterReady("203.0.113.7");

    app_.OnCopy();

    EXPECT_EQ(std::vector<std::string>{"203.0.113.7:8000"}, ui_.clipboard);
    EXPECT_TRUE(ui_.messages.empty());
    EXPECT_TRUE(echo_.Requests().empty());
}

TEST_F(DiagnosisTest, CopyAsksBeforeTheInternetAndNoCopiesNothingAndAsksAgain) {
    RouterReady(kPrivateWan);

    app_.OnCopy();
    app_.OnCopy();

    EXPECT_EQ((std::vector<std::string>{kAskInternet, kAskInternet}), ui_.messages);
    EXPECT_EQ((std::vector<std::string>{"確認", "確認"}), ui_.messageTitles);
    EXPECT_TRUE(ui_.clipboard.empty());
    EXPECT_TRUE(echo_.Requests().empty());
    EXPECT_EQ(9, glb_Settings.GetInt(key::kAskWanFetch));
}

TEST_F(DiagnosisTest, CopyYesFetchesTheEchoPageAndStopsAsking) {
    RouterReady(kPrivateWan);
    ui_.answerYes = true;
    echo_.SetDefault(FakeAnswer::Http(200, EchoPage("198.51.100.23")));

    app_.OnCopy();
    RouterReady(kPrivateWan);
    app_.OnCopy();

    EXPECT_EQ(std::vector<std::string>{kAskInternet}, ui_.messages);
    EXPECT_EQ(1, glb_Settings.GetInt(key::kAskWanFetch));
    EXPECT_EQ((std::vector<std::string>{"198.51.100.23:8000", "198.51.100.23:8000"}),
              ui_.clipboard);
    EXPECT_EQ("198.51.100.23", ui_.window.wanIp);
    EXPECT_EQ("198.51.100.23", glb_WanIP);
    ASSERT_EQ(2u, echo_.Requests().size());
    EXPECT_EQ("GET", echo_.Requests()[0].method);
}

struct EchoCase {
    const char* name;
    int status;
    std::string body;
    const char* copied;
};

const EchoCase kEchoCases[] = {
    {"AddressBeforeTheTag", 200, EchoPage("192.0.2.200"), "192.0.2.200:8000"},
    {"AddressToTheEnd", 200, "Current IP Address: 192.0.2.1", "192.0.2.1:8000"},
    {"TwentyCharacters", 200, EchoPage("12345678901234567890"), "12345678901234567890:8000"},
    {"TwentyOneCharacters", 200, EchoPage("123456789012345678901"), ":8000"},
    {"NothingAfterTheMarker", 200, EchoPage(""), ":8000"},
    {"NoMarker", 200, "<html><body>192.0.2.1</body></html>", ":8000"},
    {"NotFound", 404, EchoPage("192.0.2.1"), ":8000"},
};

class EchoPageCase : public DiagnosisTest, public ::testing::WithParamInterface<EchoCase> {};

TEST_P(EchoPageCase, CopyTakesTheEchoedAddressOrNothing) {
    const EchoCase& c = GetParam();
    glb_Settings.Set(key::kAskWanFetch, "1");
    RouterReady(kPrivateWan);
    echo_.SetDefault(FakeAnswer::Http(c.status, c.body));

    app_.OnCopy();

    EXPECT_TRUE(ui_.messages.empty());
    EXPECT_EQ(std::vector<std::string>{c.copied}, ui_.clipboard);
}

INSTANTIATE_TEST_SUITE_P(Pages, EchoPageCase, ::testing::ValuesIn(kEchoCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DiagnosisTest, CopyWithoutRouterFallsBackToTheEchoPage) {
    glb_Settings.Set(key::kAskWanFetch, "1");
    glb_Settings.SetInt(key::kMessageOff, 1);
    glb_IgdState = -1;
    echo_.SetDefault(FakeAnswer::Http(200, EchoPage("192.0.2.9")));

    app_.OnCopy();

    EXPECT_EQ(std::vector<std::string>{"192.0.2.9:8000"}, ui_.clipboard);
}

TEST_F(DiagnosisTest, RouterPageOpensTheGatewayOnlyWhenOneIsKnown) {
    app_.OnRouterPage();
    EXPECT_TRUE(ui_.openedUrls.empty());

    glb_GateWy = "192.168.0.1";
    app_.OnRouterPage();
    EXPECT_EQ(std::vector<std::string>{"http://192.168.0.1/"}, ui_.openedUrls);
}

// The home page is a build setting; these pages are only handed to the fake
// window, never fetched.
TEST(HomePageCommand, OpensTheHomePageOrSaysThereIsNone) {
    FakeUi ui;
    HomePageCommand(ui, "http://sluice.example/");
    EXPECT_EQ(std::vector<std::string>{"http://sluice.example/"}, ui.openedUrls);
    EXPECT_TRUE(ui.messages.empty());

    ui.openedUrls.clear();
    HomePageCommand(ui, "");
    EXPECT_TRUE(ui.openedUrls.empty());
    EXPECT_EQ(std::vector<std::string>{kNoHomePage}, ui.messages);
}

TEST_F(DiagnosisTest, DeviceSearchListsTheDevicesAndProposesTheGlobalOne) {
    AddRouter(kPrivateWan);
    AddRouter(FakeIgd::kExternalAddress);
    ui_.window.device = "old";
    glb_Settings.Set(key::kDevice, "old");
    glb_IgdState = 1;

    app_.OnDeviceSearch();

    EXPECT_EQ(std::vector<std::string>{"機器を検索します。OKを押してから、\r\n"
                                       "１０秒ぐらいかかります（※固まります）"},
              ui_.messages);
    EXPECT_EQ(1, ui_.disableCount);
    EXPECT_TRUE(ui_.enabledDuringListing);
    ASSERT_EQ(1u, ui_.deviceListings.size());
    const std::string& listing = ui_.deviceListings[0];
    EXPECT_NE(std::string::npos, listing.find("uuid:dev-0\r\n"));
    EXPECT_NE(std::string::npos, listing.find("uuid:dev-1\r\n"));
    EXPECT_NE(std::string::npos, listing.find("⑭にdev-1\r\nを設定しました"));
    EXPECT_EQ("dev-1", ui_.window.device);
    EXPECT_EQ("dev-1", std::string(glb_Settings.Get(key::kDevice)));
    EXPECT_EQ(0, glb_IgdState);
}

TEST_F(DiagnosisTest, DeviceSearchWithoutProposalLeavesTheDesignationEmpty) {
    AddRouter(kPrivateWan);
    ui_.window.device = "old";
    glb_Settings.Set(key::kDevice, "old");

    app_.OnDeviceSearch();

    ASSERT_EQ(1u, ui_.deviceListings.size());
    EXPECT_NE(std::string::npos, ui_.deviceListings[0].find("uuid:dev-0\r\n"));
    EXPECT_EQ("", ui_.window.device);
    EXPECT_EQ("", std::string(glb_Settings.Get(key::kDevice)));
    EXPECT_EQ(0, glb_IgdState);
}

}  // namespace

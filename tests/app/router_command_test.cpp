// Every router command keeps the main window disabled for as long as it waits
// for the router or the Internet: the waits dispatch window events, and a
// click or a close that got through would start a second command inside the
// first or end the run in the middle of it.
#include "app/router_command.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "app/diagnosis_commands.h"
#include "app/settings_keys.h"
#include "app/sluice_app.h"
#include "foundation/pump.h"
#include "tests/app/app_test_base.h"
#include "tests/support/fake_http_server.h"
#include "tests/support/fake_ssdp_network.h"
#include "upnp/device_description.h"
#include "upnp/ssdp_searcher.h"

namespace {

constexpr char kIp[] = "urn:schemas-upnp-org:service:WANIPConnection:1";

// What the waits of one command saw.
struct PumpWatch {
    FakeUi* ui = nullptr;
    SluiceApp* app = nullptr;
    int pumps = 0;
    int pumpsWhileEnabled = 0;
    int closesAccepted = 0;
};
PumpWatch g_watch;

int WatchingPump(int) {
    ++g_watch.pumps;
    if (g_watch.ui->enabled) ++g_watch.pumpsWhileEnabled;
    if (g_watch.app->OnCloseWindow()) ++g_watch.closesAccepted;
    return 0;
}

class RouterCommandTest : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        ResetLocal();
        RegisterSettingDefaults();
        SetSessionSsdpTargetForTests(network_.Target());
        SetAddressEchoUrlForTests(echo_.Url("/"));
        echo_.SetDefault(FakeAnswer::Http(200, "Current IP Address: 198.51.100.9</body>"));
        router_.AnswerActions(IgdScenario::kNormal, "GetExternalIPAddress",
                              {{"NewExternalIPAddress", "192.168.1.2"}});
        network_.Answer(kIp, SsdpAnswer(kIp, router_.Location(), "dev-0"));
        ui_.window.wanPort = "8000";
        ui_.window.lanIp = "192.168.0.5";
        ui_.window.protocol = kProtocolTcp;
        ui_.answerYes = true;
        g_watch = PumpWatch{&ui_, &app_};
        SetPumpHook(WatchingPump);
    }
    void TearDown() override {
        SetPumpHook(nullptr);
        ResetLocal();
        AppTest::TearDown();
    }
    static void ResetLocal() {
        ResetDiagnosisCommandsForTests();
        ResetDeviceDescriptionForTests();
        ResetSsdpForTests();
    }

    FakeSsdpNetwork network_{26640};
    FakeIgd router_;
    FakeHttpServer echo_;
    SluiceApp app_{ui_};
};

TEST_F(RouterCommandTest, WindowIsDisabledAndCannotCloseWhileACommandWaits) {
    struct Case {
        const char* name;
        std::function<void()> run;
    };
    const Case cases[] = {
        {"WAN IP", [this] { app_.OnWanIp(); }},
        {"Copy, asking the Internet", [this] { app_.OnCopy(); }},
        {"PortMap", [this] { app_.OnPortMap(); }},
        {"open", [this] { app_.OnOpen(); }},
        {"close", [this] { app_.OnClose(); }},
        {"device search", [this] { app_.OnDeviceSearch(); }},
        {"address mode 3",
         [this] {
             ui_.window.addressMode = 3;
             app_.OnAddressMode();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        glb_IgdState = 0;
        g_watch.pumps = g_watch.pumpsWhileEnabled = g_watch.closesAccepted = 0;
        c.run();
        EXPECT_GT(g_watch.pumps, 0);
        EXPECT_EQ(0, g_watch.pumpsWhileEnabled);
        EXPECT_EQ(0, g_watch.closesAccepted);
        EXPECT_TRUE(ui_.enabled);
        EXPECT_FALSE(RouterCommandRunning());
    }
    EXPECT_EQ(std::vector<std::string>{"198.51.100.9:8000"}, ui_.clipboard);
    EXPECT_TRUE(app_.OnCloseWindow());
}

TEST_F(RouterCommandTest, NestedCommandsLeaveTheWindowDisabledUntilTheOuterEnds) {
    {
        RouterCommandScope outer(ui_);
        {
            RouterCommandScope inner(ui_);
            EXPECT_FALSE(ui_.enabled);
        }
        EXPECT_FALSE(ui_.enabled);
        EXPECT_TRUE(RouterCommandRunning());
        EXPECT_FALSE(app_.OnCloseWindow());
    }
    EXPECT_TRUE(ui_.enabled);
    EXPECT_FALSE(RouterCommandRunning());
}

}  // namespace

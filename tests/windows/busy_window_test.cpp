// The main window while a router command waits for a router that never
// answers (a silent socket on loopback): it is disabled, so a second click
// starts nothing and a close is ignored; the command's own end decides how
// the run ends.
#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "app/port_commands.h"
#include "app/settings_keys.h"
#include "app/windows/main_controls.h"
#include "app/windows/main_dialog.h"
#include "app/windows/qt_pump.h"
#include "tests/upnp/trace_capture.h"
#include "tests/windows/silent_router.h"
#include "tests/windows/window_test_base.h"

namespace {

// The router buttons a user might press again while one command runs.
const int kRouterButtons[] = {kIdWanIpButton, kIdCopy, kIdOpen, kIdClose, kIdPortMap};

// What the pump does at its first call from inside the command under test.
struct FirstPump {
    CSluiceDlg* window = nullptr;
    bool done = false;
    bool enabled = true;  // the window's state at that moment
    enum class Act { kClick, kClose } act = Act::kClick;
};
FirstPump g_first;

int ActingPump(int n) {
    if (!g_first.done && g_first.window && g_first.window->isVisible()) {
        g_first.done = true;
        g_first.enabled = g_first.window->isEnabled();
        if (g_first.act == FirstPump::Act::kClose) {
            g_first.window->close();
        } else {
            for (int id : kRouterButtons) {
                QTest::mouseClick(ButtonControl(g_first.window, id), Qt::LeftButton);
            }
        }
    }
    return PumpQtEvents(n);
}

int Count(const std::string& text, const std::string& part) {
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

class BusyWindowTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        RegisterSettingDefaults();
        ASSERT_TRUE(router_.Start(26720));
        window_ = std::make_unique<CSluiceDlg>(&console_);
        g_first = FirstPump{window_.get()};
    }
    void TearDown() override {
        SetPumpHook(nullptr);
        g_first = FirstPump{};
        window_.reset();
        WindowTest::TearDown();
    }

    QAbstractButton* Button(int id) const { return ButtonControl(window_.get(), id); }

    void FillRequest() {
        EditControl(window_.get(), kIdWanPort)->setText(QStringLiteral("8000"));
        EditControl(window_.get(), kIdLanIp)->setText(QStringLiteral("192.168.0.5"));
        Button(kIdTcp)->click();
    }

    SilentRouter router_;
    std::unique_ptr<CSluiceDlg> window_;
};

TEST_F(BusyWindowTest, SecondClickDuringACommandStartsNothing) {
    for (int first : {kIdWanIpButton, kIdCopy, kIdPortMap, kIdOpen}) {
        SCOPED_TRACE(first);
        glb_IgdState = 0;
        window_->show();
        FillRequest();
        g_first = FirstPump{window_.get()};
        SetPumpHook(ActingPump);
        TraceCapture trace;

        QTest::mouseClick(Button(first), Qt::LeftButton);

        SetPumpHook(nullptr);
        EXPECT_TRUE(g_first.done);
        EXPECT_FALSE(g_first.enabled);
        EXPECT_EQ(1, Count(trace.Text(), " UPnpInit() S■")) << "one router search, not nested";
        EXPECT_TRUE(window_->isEnabled());
        EXPECT_EQ(-1, glb_IgdState);
    }
}

TEST_F(BusyWindowTest, CloseDuringABatchRunLeavesItsExitCodeToTheCommand) {
    window_->Start({"/open", "8000", "TCP"});
    window_->show();
    g_first.act = FirstPump::Act::kClose;
    SetPumpHook(ActingPump);

    EXPECT_EQ(kExitBatchFailed, QApplication::exec());
    EXPECT_TRUE(g_first.done);
    EXPECT_FALSE(g_first.enabled);
    EXPECT_EQ(kExitBatchFailed, window_->Ui().ExitCode());
}

TEST_F(BusyWindowTest, CloseDuringAnInteractiveCommandIsIgnored) {
    window_->show();
    FillRequest();
    g_first.act = FirstPump::Act::kClose;
    SetPumpHook(ActingPump);

    Button(kIdOpen)->click();

    EXPECT_TRUE(g_first.done);
    EXPECT_TRUE(window_->isVisible());
    EXPECT_FALSE(window_->Ui().ExitRequested());
    window_->close();
    EXPECT_FALSE(window_->isVisible());
    EXPECT_TRUE(window_->Ui().ExitRequested());
    EXPECT_EQ(0, window_->Ui().ExitCode());
}

}  // namespace

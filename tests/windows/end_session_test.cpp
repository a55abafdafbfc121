// A request to end the process (a signal or the session's end) reaches the
// shutdown handling on the main loop, and waits while a router command's
// wait dispatches events.
#include "app/windows/end_session.h"

#include <QTest>
#include <memory>

#include "app/windows/main_dialog.h"
#include "app/windows/qt_pump.h"
#include "platform/termination.h"
#include "tests/windows/window_test_base.h"

namespace {

class EndSessionTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        window_ = std::make_unique<CSluiceDlg>(&console_);
        watch_ = std::make_unique<EndSessionWatch>(*window_);
    }
    void TearDown() override {
        watch_.reset();
        window_.reset();
        WindowTest::TearDown();
    }

    std::unique_ptr<CSluiceDlg> window_;
    std::unique_ptr<EndSessionWatch> watch_;
};

TEST_F(EndSessionTest, RequestEndsTheProcessFromTheMainLoop) {
    platform::RequestTermination();
    QTest::qWait(600);
    EXPECT_TRUE(window_->Ui().ExitRequested());
    EXPECT_EQ(0, window_->Ui().ExitCode());
}

TEST_F(EndSessionTest, RequestWaitsWhileACommandWaits) {
    SetPumpHook(PumpQtEvents);
    platform::RequestTermination();
    PumpSleep(600);
    EXPECT_FALSE(window_->Ui().ExitRequested());
    QTest::qWait(600);
    EXPECT_TRUE(window_->Ui().ExitRequested());
}

}  // namespace

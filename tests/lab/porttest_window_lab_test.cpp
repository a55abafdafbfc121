// The router information window against the real miniupnpd, with
// sluice-testserver in the internet namespace: ⑨ opens it, ⑲ runs the TCP
// test to success, and closing it while a test runs waits for the test to
// remove its mapping. Messages go to the console output, so no message box
// waits for a click.
#include <gtest/gtest.h>
#include <signal.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>
#include <memory>
#include <string>

#include "app/settings_keys.h"
#include "app/windows/main_controls.h"
#include "app/windows/main_dialog.h"
#include "app/windows/qt_pump.h"
#include "porttest/test_server_list.h"
#include "tests/lab/testserver_process.h"
#include "tests/support/lab_router.h"
#include "tests/windows/modal_watch.h"
#include "tests/windows/window_test_base.h"

namespace {

constexpr char kRouterDescription[] = "http://10.77.0.1:2869/rootDesc.xml";

bool RouterHasTestPort() {
    std::string list =
        lab::RunInClient(std::string("upnpc -u ") + kRouterDescription + " -l").output;
    return list.find("28800->") != std::string::npos;
}

QString Utf8(const char* text) {
    return QString::fromUtf8(text);
}

class PortTestWindowLabTest : public WindowTest {
  protected:
    static void SetUpTestSuite() {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "porttest_window_lab_tests";
        static char* argv[] = {name, nullptr};
        static QApplication application(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false);
        serverPid_ = lab::StartTestServer();
    }
    static void TearDownTestSuite() { lab::StopTestServer(serverPid_); }

    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_GT(serverPid_, 0) << "sluice-testserver did not start";
        SetPumpHook(PumpQtEvents);
        SetTestServerListSourcesForTests("", "");
        std::string error;
        ASSERT_TRUE(lab::Restart("v1", &error)) << error;
        std::string url = std::string("http://") + lab::kTestServerAddress +
                          "/cgi-bin/port_scan.php?port=$$PORT$$";
        scratch_.Write("CgiServer.dat", "# lab\r\nTCP<>" + url + "<>[lab]<br><>あなたの\r\n");
        scratch_.Write("sluice.ini", "[設定]\r\nIP取得=0\r\nIPADDR=10.77.0.2\r\nSetupTest=0\r\n");
        window_ = std::make_unique<CSluiceDlg>(&console_);
        window_->Start({});
        window_->show();
    }
    void TearDown() override {
        window_.reset();
        ResetTestServerListForTests();
        WindowTest::TearDown();
    }

    QAbstractButton* Button(int id) const { return ButtonControl(window_.get(), id); }

    static int serverPid_;
    std::unique_ptr<CSluiceDlg> window_;
};

int PortTestWindowLabTest::serverPid_ = 0;

TEST_F(PortTestWindowLabTest, TcpTestFromTheWindowSucceeds) {
    QString log;
    bool enabledDuringTest = true;
    OnNextModal([&](QWidget* modal) {
        auto* report = modal->findChild<QPlainTextEdit*>(ControlName(1000));
        auto* tcp = modal->findChild<QAbstractButton*>(ControlName(1005));
        QObject::connect(report, &QPlainTextEdit::textChanged,
                         [&] { enabledDuringTest = enabledDuringTest && !tcp->isEnabled(); });
        tcp->click();
        log = report->toPlainText();
        modal->close();
    });
    Button(kIdRouterInfo)->click();

    EXPECT_TRUE(log.contains(Utf8(u8"→外部接続 OK\n"))) << log.toStdString() << Messages();
    EXPECT_TRUE(log.contains(Utf8(u8"○テストに成功しました"))) << log.toStdString();
    EXPECT_TRUE(enabledDuringTest);
    EXPECT_EQ(EditControl(window_.get(), kIdStatusLine)->text(),
              Utf8(u8"◎ポート開放テストに成功しています"));
    EXPECT_FALSE(RouterHasTestPort());
}

TEST_F(PortTestWindowLabTest, ClosingDuringATestWaitsForItsCleanUp) {
    bool mappedWhenClosed = false;
    bool stillOpenAfterClose = false;
    QString log;
    OnNextModal([&](QWidget* modal) {
        auto* report = modal->findChild<QPlainTextEdit*>(ControlName(1000));
        auto* poll = new QTimer(modal);
        QObject::connect(poll, &QTimer::timeout, [&, poll, modal, report] {
            if (!report->toPlainText().contains(Utf8(u8"AddPortMapping 成功"))) return;
            poll->stop();
            mappedWhenClosed = RouterHasTestPort();
            modal->close();
            stillOpenAfterClose = modal->isVisible();
        });
        poll->start(20);
        modal->findChild<QAbstractButton*>(ControlName(1005))->click();
        log = report->toPlainText();
    });
    Button(kIdRouterInfo)->click();

    EXPECT_TRUE(mappedWhenClosed);
    EXPECT_TRUE(stillOpenAfterClose);
    EXPECT_TRUE(log.contains(Utf8(u8"→テストを中断しました"))) << log.toStdString();
    EXPECT_FALSE(RouterHasTestPort());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

}  // namespace

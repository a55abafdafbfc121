// The diagnosis buttons of the main window on the offscreen platform: each
// reaches its command, ⑮ shows its listing window, ⑨ its router information
// window, and Copy without a display prints on standard output.
#include <QAbstractButton>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QUrl>
#include <memory>

#include "app/settings_keys.h"
#include "app/windows/main_controls.h"
#include "app/windows/main_dialog.h"
#include "app/windows/qt_text.h"
#include "foundation/build_settings.h"
#include "tests/windows/modal_watch.h"
#include "tests/windows/silent_router.h"
#include "tests/windows/window_test_base.h"

// Takes the URLs the desktop would open in a browser.
class UrlCatcher : public QObject {
    Q_OBJECT
  public:
    QList<QUrl> urls;

  public slots:
    void Open(const QUrl& url) { urls.append(url); }
};

namespace {

class DiagnosisButtonsTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        RegisterSettingDefaults();
        ASSERT_TRUE(router_.Start(26700));
        QDesktopServices::setUrlHandler(QStringLiteral("http"), &catcher_, "Open");
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher_, "Open");
        window_ = std::make_unique<CSluiceDlg>(&console_);
        window_->show();
    }
    void TearDown() override {
        window_.reset();
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        WindowTest::TearDown();
    }

    QAbstractButton* Button(int id) const { return ButtonControl(window_.get(), id); }
    QLineEdit* Edit(int id) const { return EditControl(window_.get(), id); }

    SilentRouter router_;
    UrlCatcher catcher_;
    std::unique_ptr<CSluiceDlg> window_;
};

TEST_F(DiagnosisButtonsTest, RouterInformationShowsTheReportWindow) {
    glb_IgdState = -1;  // no router: the window shows the no-router verdicts
    Edit(kIdLanIp)->setText(QStringLiteral("192.168.1.20"));
    QString title, report, port, tcp, udp;
    OnNextModal([&](QWidget* modal) {
        title = modal->windowTitle();
        report = modal->findChild<QPlainTextEdit*>(ControlName(1000))->toPlainText();
        port = modal->findChild<QLineEdit*>(ControlName(1001))->text();
        tcp = modal->findChild<QAbstractButton*>(ControlName(1005))->text();
        udp = modal->findChild<QAbstractButton*>(ControlName(1006))->text();
        modal->findChild<QLineEdit*>(ControlName(1001))->setText(QStringLiteral("8080"));
        modal->close();
    });

    Button(kIdRouterInfo)->click();

    EXPECT_EQ(title, QString::fromUtf8(u8"ルーター情報"));
    EXPECT_TRUE(report.startsWith(QString::fromUtf8(u8" ---")));
    EXPECT_TRUE(
        report.contains(QString::fromUtf8(u8"【WANINF】UPnP非対応ルーター or ルーターなし\n")));
    EXPECT_TRUE(
        report.contains(QString::fromUtf8(u8"【LANINF】プライベートアドレス(192.168.1.20)\n")));
    EXPECT_EQ(port, QStringLiteral("28800"));
    EXPECT_EQ(tcp, QString::fromUtf8(u8"⑲ポート開放テスト(外部からの接続チェック) [&c]"));
    EXPECT_EQ(udp, QString::fromUtf8(u8"⑳ポート開放テスト(UDPの場合)"));
    // A port typed without a test is not stored.
    EXPECT_STREQ("28800", glb_Settings.Get(key::kTestPort));
    EXPECT_EQ(Edit(kIdStatusLine)->text(),
              QString::fromUtf8(u8"？ポート開放テストが行われていません"));
}

TEST_F(DiagnosisButtonsTest, WanIpAndCopyShowAndPrintTheRouterAddress) {
    glb_IgdState = 1;
    glb_WanIP = "203.0.113.7";
    Edit(kIdWanPort)->setText(QStringLiteral("8000"));

    Button(kIdWanIpButton)->click();
    EXPECT_EQ(Edit(kIdWanIp)->text(), QStringLiteral("203.0.113.7"));

    testing::internal::CaptureStdout();
    Button(kIdCopy)->click();
    EXPECT_EQ("203.0.113.7:8000\n", testing::internal::GetCapturedStdout());
}

TEST_F(DiagnosisButtonsTest, RouterPageOpensTheGatewayInTheBrowser) {
    Button(kIdRouterPage)->click();
    EXPECT_TRUE(catcher_.urls.isEmpty());

    glb_GateWy = "192.168.0.1";
    Button(kIdRouterPage)->click();
    EXPECT_EQ(catcher_.urls, QList<QUrl>{QUrl(QStringLiteral("http://192.168.0.1/"))});
}

// The build's own home page goes to the browser catcher, never to the web.
TEST_F(DiagnosisButtonsTest, HomePageButtonOpensTheBuildsHomePage) {
    Button(kIdHomePage)->click();
    if (std::string(SLUICE_HOME_PAGE).empty()) {
        EXPECT_TRUE(catcher_.urls.isEmpty());
        EXPECT_NE(Messages().find(u8"このSluiceにはホームページが設定されていません\n"),
                  std::string::npos);
    } else {
        EXPECT_EQ(catcher_.urls, QList<QUrl>{QUrl(QString::fromUtf8(SLUICE_HOME_PAGE))});
    }
}

TEST_F(DiagnosisButtonsTest, DeviceSearchShowsItsListingWindow) {
    Edit(kIdDevice)->setText(QStringLiteral("old"));
    QString title, listing, note;
    bool mainEnabled = false;
    OnNextModal([&](QWidget* modal) {
        title = modal->windowTitle();
        listing = modal->findChild<QPlainTextEdit*>(ControlName(1025))->toPlainText();
        note = modal->findChild<QLabel*>()->text();
        mainEnabled = window_->isEnabled();
        modal->close();
    });

    Button(kIdDeviceSearch)->click();

    EXPECT_NE(Messages().find(u8"機器を検索します。OKを押してから、\n"), std::string::npos);
    EXPECT_EQ(title, QString::fromUtf8(u8"機器検索"));
    EXPECT_EQ(listing, ToDisplayText(glb_DeviceListText));
    EXPECT_TRUE(
        listing.contains(QString::fromUtf8(u8"ポート開放できそうな機器は見つかりませんでした")));
    EXPECT_EQ(note, QString::fromUtf8(u8"複数機器が表示される場合、uuidを⑭に指定することによって"
                                      u8"ポート開放できる可能性があります。"));
    EXPECT_TRUE(mainEnabled);
    EXPECT_TRUE(Edit(kIdDevice)->text().isEmpty());
    EXPECT_EQ(0, glb_IgdState);
}

}  // namespace

#include "diagnosis_buttons_test.moc"

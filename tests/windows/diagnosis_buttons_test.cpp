// The diagnosis buttons of the main window on the offscreen platform: each
// reaches its command, ⑮ shows its listing window, Copy without a display
// prints on standard output, and ⑨ stays disabled.
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
#include "platform/udp.h"
#include "tests/windows/modal_watch.h"
#include "tests/windows/window_test_base.h"
#include "upnp/ssdp_searcher.h"

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
        // Searches go to a silent socket on loopback, never to the network.
        ASSERT_EQ(0, platform::UdpOpen(&silent_));
        ASSERT_EQ(0, platform::UdpBindFrom(silent_, 26700, &silentPort_));
        SsdpTarget target;
        target.address = "127.0.0.1";
        target.port = silentPort_;
        target.listInterfaces = [](std::vector<std::string>* interfaces) {
            *interfaces = {"127.0.0.1"};
            return 0;
        };
        SetSessionSsdpTargetForTests(target);
        QDesktopServices::setUrlHandler(QStringLiteral("http"), &catcher_, "Open");
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher_, "Open");
        window_ = std::make_unique<CSluiceDlg>(&console_);
        window_->show();
    }
    void TearDown() override {
        window_.reset();
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        platform::UdpClose(silent_);
        WindowTest::TearDown();
    }

    QAbstractButton* Button(int id) const { return ButtonControl(window_.get(), id); }
    QLineEdit* Edit(int id) const { return EditControl(window_.get(), id); }

    platform::UdpSocket silent_ = platform::kNoUdpSocket;
    int silentPort_ = 0;
    UrlCatcher catcher_;
    std::unique_ptr<CSluiceDlg> window_;
};

TEST_F(DiagnosisButtonsTest, RouterInformationButtonIsDisabled) {
    EXPECT_FALSE(Button(kIdRouterInfo)->isEnabled());
    EXPECT_TRUE(Button(kIdWanIpButton)->isEnabled());
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

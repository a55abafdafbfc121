// The real main window and PortMap window against a real miniupnpd: ports
// opened from the main window, then listed and deleted from the PortMap
// window, with the router's table read independently with upnpc. Messages go
// to the console output, so no message box waits for a click.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <memory>
#include <string>

#include "app/port_map_list.h"
#include "app/windows/main_controls.h"
#include "app/windows/main_dialog.h"
#include "app/windows/qt_pump.h"
#include "tests/support/lab_router.h"
#include "tests/windows/modal_watch.h"
#include "tests/windows/window_test_base.h"

namespace {

constexpr char kRouterDescription[] = "http://10.77.0.1:2869/rootDesc.xml";

// The router's table as upnpc lists it (UTF-8).
std::string RouterList() {
    return lab::RunInClient(std::string("upnpc -u ") + kRouterDescription + " -l").output;
}

bool RouterHasPort(int port) {
    std::string mapping = std::to_string(port) + "->" + lab::kClientAddress + ":";
    return RouterList().find(mapping) != std::string::npos;
}

// The external ports of the client's mappings in the router's index order.
QStringList RouterPorts() {
    QStringList ports;
    std::string list = RouterList();
    std::string arrow = std::string("->") + lab::kClientAddress + ":";
    for (size_t at = list.find(arrow); at != std::string::npos; at = list.find(arrow, at + 1)) {
        size_t start = list.find_last_not_of("0123456789", at - 1) + 1;
        ports << QString::fromStdString(list.substr(start, at - start));
    }
    return ports;
}

// The hidden port column of the PortMap window's rows, top to bottom.
QStringList Ports(QTreeWidget* view) {
    QStringList ports;
    for (int i = 0; i < view->topLevelItemCount(); ++i) {
        ports << view->topLevelItem(i)->text(kColumnPort);
    }
    return ports;
}

QStringList Texts(std::initializer_list<const char*> texts) {
    QStringList list;
    for (const char* text : texts) list << QString::fromLatin1(text);
    return list;
}

class WindowsLabTest : public WindowTest {
  protected:
    // The lab main has entered the client namespace; the Qt threads start
    // only now, inside it.
    static void SetUpTestSuite() {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "windows_lab_tests";
        static char* argv[] = {name, nullptr};
        static QApplication application(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false);
    }

    void SetUp() override {
        WindowTest::SetUp();
        ResetAdapterScanForTests();  // the client's real interfaces
        SetPumpHook(PumpQtEvents);
        std::string error;
        ASSERT_TRUE(lab::Restart("v1", &error)) << error;
        lab::CommandResult route = lab::RouteClientThroughRouter();
        ASSERT_EQ(0, route.status) << route.output;
        // The adapter whose gateway is the router names the mappings.
        scratch_.Write("sluice.ini", "[設定]\r\nIP取得=3\r\n");
        window_ = std::make_unique<CSluiceDlg>(&console_);
        window_->Start({});
        window_->show();
    }
    void TearDown() override {
        window_.reset();
        lab::CommandResult restored = lab::RestoreClientRoute();
        EXPECT_EQ(0, restored.status) << restored.output;
        WindowTest::TearDown();
    }

    QLineEdit* Edit(int id) const { return EditControl(window_.get(), id); }
    QAbstractButton* Button(int id) const { return ButtonControl(window_.get(), id); }

    void OpenFromWindow(const char* ports) {
        Edit(kIdWanPort)->setText(QString::fromLatin1(ports));
        Edit(kIdLanPort)->clear();
        Button(kIdTcp)->click();
        Button(kIdOpen)->click();
    }

    std::unique_ptr<CSluiceDlg> window_;
};

TEST_F(WindowsLabTest, OpenAndCloseFromTheMainWindow) {
    OpenFromWindow("8000-8001");
    EXPECT_TRUE(RouterHasPort(8000)) << Messages() << lab::RouterLog();
    EXPECT_TRUE(RouterHasPort(8001)) << Messages();
    EXPECT_EQ(Edit(kIdLanIp)->text(), QString::fromLatin1(lab::kClientAddress));

    Button(kIdClose)->click();
    EXPECT_FALSE(RouterHasPort(8000)) << Messages();
    EXPECT_FALSE(RouterHasPort(8001)) << Messages();
}

TEST_F(WindowsLabTest, PortMapWindowDeletesSelectedRowsThenTheRest) {
    OpenFromWindow("8000-8001");
    ASSERT_TRUE(RouterHasPort(8001)) << Messages() << lab::RouterLog();
    OpenFromWindow("8005");
    ASSERT_TRUE(RouterHasPort(8005)) << Messages();

    QStringList routerOrder = RouterPorts();
    ASSERT_EQ(routerOrder.size(), 3) << RouterList();
    QStringList shown, afterDelete, afterCloseAll;
    bool deletedOnlyTheSelected = false;
    OnNextModal([&](QWidget* modal) {
        auto* view = modal->findChild<QTreeWidget*>(ControlName(1014));
        shown = Ports(view);
        view->clearSelection();
        view->topLevelItem(1)->setSelected(true);
        modal->findChild<QPushButton*>(ControlName(1005))->click();
        afterDelete = Ports(view);
        deletedOnlyTheSelected = !RouterHasPort(8001) && RouterHasPort(8000);
        modal->findChild<QPushButton*>(ControlName(1006))->click();
        afterCloseAll = Ports(view);
        modal->close();
    });
    Button(kIdPortMap)->click();

    // The window shows the router's entries last index first (this
    // miniupnpd puts the newest mapping at index 0).
    QStringList reversed(routerOrder.rbegin(), routerOrder.rend());
    EXPECT_EQ(shown, reversed) << Messages();
    EXPECT_EQ(shown, Texts({"8000", "8001", "8005"}));
    EXPECT_EQ(afterDelete, Texts({"8000", "8005"}));
    EXPECT_TRUE(deletedOnlyTheSelected);
    EXPECT_TRUE(afterCloseAll.isEmpty());
    std::string list = RouterList();
    EXPECT_EQ(std::string::npos, list.find(std::string("->") + lab::kClientAddress)) << list;
}

}  // namespace

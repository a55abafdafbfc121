#include "app/windows/port_map_dialog.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <memory>

#include "app/port_map_list.h"
#include "app/windows/main_controls.h"
#include "app/windows/main_dialog.h"
#include "app/windows/qt_pump.h"
#include "tests/support/fake_igd.h"
#include "tests/windows/modal_watch.h"
#include "tests/windows/window_test_base.h"
#include "upnp/soap_request.h"

namespace {

// Mapping records as GetMappingEntries keeps them: remote host, external
// port, protocol, internal port, internal client, enabled, description,
// lease duration.
std::string Record(const std::string& port, const std::string& protocol,
                   const std::string& enabled = "1") {
    return "\t" + port + "\t" + protocol + "\t" + port + "\t192.168.0.5\t" + enabled + "\tSluice" +
           port + "\t0";
}

QStringList Texts(std::initializer_list<const char*> texts) {
    QStringList list;
    for (const char* text : texts) list << QString::fromLatin1(text);
    return list;
}

// The text of element name in a SOAP request body ("" when it is missing).
std::string SoapArgument(const std::string& body, const std::string& name) {
    size_t open = body.find("<" + name);
    if (open == std::string::npos) return "";
    size_t start = body.find('>', open) + 1;
    return body.substr(start, body.find("</" + name + ">", start) - start);
}

class PortMapDialogTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        SetPumpHook(PumpQtEvents);
        main_ = std::make_unique<CSluiceDlg>(&console_);
        list_ = std::make_unique<PortMapList>(main_->Ui());
    }
    void TearDown() override {
        dialog_.reset();
        list_.reset();
        main_.reset();
        igd_.reset();
        WindowTest::TearDown();
    }

    // A router on loopback, as UPnpInit would have found it; every action is
    // sent once.
    void AimAtFakeRouter() {
        igd_ = std::make_unique<FakeIgd>();
        glb_IgdState = 1;
        glb_ControlURL = igd_->ControlUrl();
        glb_ServiceType = igd_->ServiceType();
        glb_Settings.SetInt(kTransportModeKey, 1);
        igd_->AnswerActions(IgdScenario::kNormal, "DeletePortMapping", {});
    }

    // Opens the window over these records (the newest ends up at the top).
    void Open(const std::vector<std::string>& records) {
        StrList list;
        for (const std::string& record : records) list.Add(record.c_str());
        list_->Load(list, "192.168.0.5", false);
        dialog_ = std::make_unique<CPortMapDlg>(*list_, main_.get());
        dialog_->show();
    }

    QTreeWidget* View() const { return dialog_->findChild<QTreeWidget*>(ControlName(1014)); }
    QPushButton* Button(int id) const { return dialog_->findChild<QPushButton*>(ControlName(id)); }

    // The hidden port column of every row, top to bottom.
    QStringList Ports() const {
        QStringList ports;
        for (int i = 0; i < View()->topLevelItemCount(); ++i) {
            ports << View()->topLevelItem(i)->text(kColumnPort);
        }
        return ports;
    }

    std::vector<std::string> DeletedPorts() const {
        std::vector<std::string> ports;
        for (const FakeRequest& request : igd_->ActionRequests()) {
            ports.push_back(SoapArgument(request.body, "NewExternalPort"));
        }
        return ports;
    }

    void Select(std::initializer_list<int> rows) {
        View()->clearSelection();
        for (int row : rows) View()->topLevelItem(row)->setSelected(true);
    }

    std::unique_ptr<FakeIgd> igd_;
    std::unique_ptr<CSluiceDlg> main_;
    std::unique_ptr<PortMapList> list_;
    std::unique_ptr<CPortMapDlg> dialog_;
};

TEST_F(PortMapDialogTest, ReportListWithFiveColumnsTwoOfThemHidden) {
    Open({Record("8000", "TCP"), Record("9000", "UDP", "0")});
    EXPECT_EQ(dialog_->windowTitle(), QStringLiteral("PortMap(GenericPortMappingEntry)"));
    EXPECT_EQ(Button(1005)->text(), QString::fromUtf8(u8"選択ポートを閉鎖（削除）"));
    EXPECT_EQ(Button(1006)->text(), QString::fromUtf8(u8"すべて閉鎖"));
    QTreeWidget* view = View();
    EXPECT_EQ(view->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_FALSE(view->rootIsDecorated());

    const char* headings[] = {u8"ポートマップ【有効／無効】", u8"説明", u8"リース期間", "PORT",
                              "PROT"};
    const int widths[] = {220, 100, 75};
    ASSERT_EQ(view->columnCount(), 5);
    for (int column = 0; column < 5; ++column) {
        SCOPED_TRACE(column);
        EXPECT_EQ(view->headerItem()->text(column), QString::fromUtf8(headings[column]));
        EXPECT_EQ(view->isColumnHidden(column), column >= 3);
        if (column < 3) {
            EXPECT_EQ(view->columnWidth(column), widths[column]);
        }
        Qt::Alignment horizontal =
            Qt::Alignment(view->headerItem()->textAlignment(column)) & Qt::AlignHorizontal_Mask;
        EXPECT_EQ(horizontal, column == 2 ? Qt::AlignRight : Qt::AlignLeft);
    }

    ASSERT_EQ(view->topLevelItemCount(), 2);
    QTreeWidgetItem* top = view->topLevelItem(0);
    EXPECT_EQ(top->text(0), QString::fromUtf8(u8"9000(UDP)→192.168.0.5:9000【×】"));
    EXPECT_EQ(top->text(1), QStringLiteral("Sluice9000"));
    EXPECT_EQ(top->text(2), QStringLiteral("0"));
    EXPECT_EQ(Qt::Alignment(top->textAlignment(2)) & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_EQ(top->text(3), QStringLiteral("9000"));
    EXPECT_EQ(top->text(4), QStringLiteral("UDP"));
    EXPECT_EQ(view->topLevelItem(1)->text(0),
              QString::fromUtf8(u8"8000(TCP)→192.168.0.5:8000【○】"));
}

TEST_F(PortMapDialogTest, DeleteSelectedRemovesExactlyTheRowsTheRouterDeleted) {
    AimAtFakeRouter();
    Open({Record("8000", "TCP"), Record("8001", "TCP"), Record("8002", "UDP"),
          Record("8003", "TCP")});
    ASSERT_EQ(Ports(), Texts({"8003", "8002", "8001", "8000"}));
    // Rows are deleted from the bottom up: 8000, then 8002 (refused), then 8003.
    igd_->QueueAnswer(IgdScenario::kNormal, "DeletePortMapping", {});
    igd_->QueueAnswer(IgdScenario::kErrorStatus, "DeletePortMapping", {});
    Select({0, 1, 3});

    Button(1005)->click();

    EXPECT_EQ(DeletedPorts(), (std::vector<std::string>{"8000", "8002", "8003"}));
    EXPECT_EQ(Ports(), Texts({"8002", "8001"}));
    EXPECT_EQ(Messages(), u8"ポートマッピング削除に失敗しました\n");
    EXPECT_TRUE(dialog_->isEnabled());
}

TEST_F(PortMapDialogTest, CloseAllDeletesEveryRowWithoutAMessageInAnInteractiveRun) {
    AimAtFakeRouter();
    Open({Record("8000", "TCP"), Record("8001", "UDP"), Record("8002", "TCP")});
    igd_->QueueAnswer(IgdScenario::kErrorStatus, "DeletePortMapping", {});
    Select({});

    Button(1006)->click();

    EXPECT_EQ(DeletedPorts(), (std::vector<std::string>{"8000", "8001", "8002"}));
    EXPECT_EQ(Ports(), Texts({"8000"}));
    EXPECT_EQ(Messages(), "");
}

TEST_F(PortMapDialogTest, AClickWhileADeleteWaitsForTheRouterStartsNothing) {
    AimAtFakeRouter();
    Open({Record("8000", "TCP"), Record("8001", "TCP")});
    Select({0});
    bool enabledDuringDelete = true;
    // Runs inside the delete, while it dispatches events between router calls.
    QTimer::singleShot(0, [this, &enabledDuringDelete] {
        enabledDuringDelete = dialog_->isEnabled();
        QTest::mouseClick(Button(1006), Qt::LeftButton);
    });

    Button(1005)->click();

    EXPECT_FALSE(enabledDuringDelete);
    EXPECT_EQ(DeletedPorts(), (std::vector<std::string>{"8001"}));
    EXPECT_EQ(Ports(), Texts({"8000"}));
}

TEST_F(PortMapDialogTest, ShownFromTheMainWindowAsAModalWindow) {
    Open({Record("8000", "TCP")});
    dialog_.reset();
    bool sawRows = false;
    OnNextModal([&sawRows](QWidget* modal) {
        auto* view = modal->findChild<QTreeWidget*>(ControlName(1014));
        sawRows = view && view->topLevelItemCount() == 1;
        modal->close();
    });
    main_->Ui().ShowPortMapWindow(*list_);
    EXPECT_TRUE(sawRows);
}

}  // namespace

#include "app/windows/main_dialog.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <memory>

#include "app/settings_keys.h"
#include "app/windows/main_controls.h"
#include "tests/windows/modal_watch.h"
#include "tests/windows/window_test_base.h"

namespace {

struct ExpectedControl {
    int id;
    const char* className;
    const char* caption;  // UTF-8; "" for edits and combo boxes
};

// The main window's controls with an id, top to bottom.
const ExpectedControl kExpectedControls[] = {
    {1014, "QPushButton", u8"■■■■設定ウィザード■■■■[&w]"},
    {1017, "QPushButton", u8"HPへ"},
    {1023, "QLabel", u8"①WAN_PORT(必須) [&1]"},
    {1000, "QLineEdit", ""},
    {1016, "QPushButton", "&?"},
    {1020, "QRadioButton", "TCP"},
    {1021, "QRadioButton", "UDP"},
    {1002, "QLineEdit", ""},
    {1019, "QComboBox", ""},
    {1003, "QLineEdit", ""},
    {1004, "QLineEdit", ""},
    {1009, "QPushButton", u8"⑥WAN_IP [&6]→ "},
    {1026, "QPushButton", "Copy"},
    {1010, "QLineEdit", ""},
    {1007, "QCheckBox", u8"⑦ｼｮｰﾄｶｯﾄ作 [&7]"},
    {1018, "QComboBox", ""},
    {1008, "QLineEdit", ""},
    {1025, "QLabel", u8"⑨↓↓↓ポート開放テストもこちら⑨"},
    {1011, "QPushButton", u8"⑨ﾙｰﾀｰ情報[&9]"},
    {1005, "QPushButton", u8"⑩Port開放[&a]"},
    {1006, "QPushButton", u8"⑪Port閉鎖[&b]"},
    {1013, "QPushButton", u8"⑫ルーターをExplorerで開く[&c]"},
    {1015, "QPushButton", u8"⑬PortMap[&d]"},
    {1001, "QLineEdit", ""},
    {1024, "QPushButton", u8"⑮機器検索"},
    {1028, "QPushButton", u8"処理中です"},
    {1029, "QLineEdit", ""},
};

// The labels without an id, in order, and the control each leads to.
const std::pair<const char*, int> kExpectedLabels[] = {
    {u8"②PROT(TCP or UDP) [&2]", 1020},
    {u8"③LAN_PORT(省略可) [&3]", 1002},
    {u8"④LAN_IP [&4]", 1019},
    {u8"⑤COMMENT  [&5]", 1004},
    {"&Mode", 1018},
    {u8"⑧情報 [&8]", 1008},
    {u8"⑭機器指定(uuidやip等)", 0},
};

const std::pair<int, const char*> kExpectedTooltips[] = {
    {1000, u8"開放したいポート番号(1～65535)を入力します"},
    {1016, u8"ポート番号の説明表示"},
    {1014, u8"設定ウィザードを実行"},
    {1017, u8"Sluiceホームページへ"},
    {1020, u8"プロトコルを選択(TCP or UDP)※大抵はTCP"},
    {1021, u8"プロトコルを選択(TCP or UDP)"},
    {1002, u8"LAN側ポート番号を指定(通常は①と同じもの)"},
    {1019, u8"LAN_IPの取得方法を選択"},
    {1003, u8"変換先(自端末)のIPを指定"},
    {1004, u8"ポートマッピングで情報される識別文字列を指定"},
    {1009, u8"WAN側IPをルーターから取得"},
    {1010, u8"現在のWAN側IPアドレス"},
    {1007, u8"ポート開放用ショートカットを作成"},
    {1018, u8"取得モード(0以外を推奨)"},
    {1008, u8"各種情報"},
    {1011, u8"UPnP経由でルーターの情報を取得"},
    {1005, u8"ポート開放を実行"},
    {1006, u8"ポート閉鎖を実行"},
    {1013, u8"ルーターの画面(web)を開く"},
    {1015, u8"現在登録されているポートマップ情報を表示"},
};

QString Utf8(const char* text) {
    return QString::fromUtf8(text);
}

QString Caption(QWidget* control) {
    if (auto* button = qobject_cast<QAbstractButton*>(control)) return button->text();
    if (auto* label = qobject_cast<QLabel*>(control)) return label->text();
    return QString();
}

class MainDialogTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        window_ = std::make_unique<CSluiceDlg>(&console_);
        window_->show();
    }
    void TearDown() override {
        window_.reset();
        WindowTest::TearDown();
    }

    QWidget* Control(int id) const { return window_->findChild<QWidget*>(ControlName(id)); }
    QLineEdit* Edit(int id) const { return EditControl(window_.get(), id); }
    QComboBox* Combo(int id) const { return ComboControl(window_.get(), id); }
    QAbstractButton* Button(int id) const { return ButtonControl(window_.get(), id); }

    std::vector<int> TooltipIds() const {
        std::vector<int> ids;
        for (const ExpectedControl& control : kExpectedControls) {
            if (!Control(control.id)->toolTip().isEmpty()) ids.push_back(control.id);
        }
        return ids;
    }

    std::unique_ptr<CSluiceDlg> window_;
};

TEST_F(MainDialogTest, EveryControlHasItsIdKindAndCaptionInWindowOrder) {
    EXPECT_EQ(window_->windowTitle(), QStringLiteral("Sluice"));
    std::vector<QWidget*> named;
    std::vector<QLabel*> unnamed;
    for (QObject* child : window_->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (!widget || widget->isWindow()) continue;
        if (widget->objectName().isEmpty()) {
            if (auto* label = qobject_cast<QLabel*>(widget)) unnamed.push_back(label);
        } else {
            named.push_back(widget);
        }
    }
    ASSERT_EQ(named.size(), std::size(kExpectedControls));
    for (size_t i = 0; i < named.size(); ++i) {
        const ExpectedControl& expected = kExpectedControls[i];
        SCOPED_TRACE(expected.id);
        EXPECT_EQ(named[i]->objectName(), ControlName(expected.id));
        EXPECT_STREQ(named[i]->metaObject()->className(), expected.className);
        EXPECT_EQ(Caption(named[i]), Utf8(expected.caption));
    }
    ASSERT_EQ(unnamed.size(), std::size(kExpectedLabels));
    for (size_t i = 0; i < unnamed.size(); ++i) {
        EXPECT_EQ(unnamed[i]->text(), Utf8(kExpectedLabels[i].first));
        EXPECT_EQ(unnamed[i]->buddy(),
                  kExpectedLabels[i].second ? Control(kExpectedLabels[i].second) : nullptr);
    }
}

TEST_F(MainDialogTest, ControlsSitTopToBottomInTableOrderWithTheStatusLineLast) {
    int previous = -1;
    for (const ExpectedControl& expected : kExpectedControls) {
        if (expected.id == kIdBusyPanel) continue;
        QWidget* control = Control(expected.id);
        SCOPED_TRACE(expected.id);
        EXPECT_TRUE(control->isVisible());
        EXPECT_GE(control->geometry().center().y(), previous - 2);
        previous = control->geometry().center().y();
        EXPECT_LE(control->geometry().right(), window_->width());
    }
    EXPECT_GT(Control(kIdStatusLine)->y(), Control(kIdDevice)->geometry().bottom());
}

TEST_F(MainDialogTest, EditKindsDefaultButtonAndBlueLabels) {
    for (int id : {1000, 1001, 1002, 1003, 1004}) EXPECT_FALSE(Edit(id)->isReadOnly()) << id;
    for (int id : {1008, 1010, 1029}) EXPECT_TRUE(Edit(id)->isReadOnly()) << id;
    EXPECT_TRUE(qobject_cast<QPushButton*>(Button(kIdOpen))->isDefault());
    for (int id : {1023, 1025}) {
        EXPECT_EQ(Control(id)->palette().color(QPalette::WindowText), QColor(0, 0, 255)) << id;
    }
    EXPECT_NE(Control(1000)->palette().color(QPalette::WindowText), QColor(0, 0, 255));
}

TEST_F(MainDialogTest, ComboBoxesHoldTheirItems) {
    const std::pair<int, std::vector<const char*>> combos[] = {
        {1019, {u8"0.固定", u8"1.自動1", u8"2.自動2", u8"3.自動3"}},
        {1018, {u8"0.自動(1,2,3すべて)", u8"1.MSNモード", u8"2.通常モード1", u8"3.通常モード2"}},
    };
    for (const auto& [id, items] : combos) {
        QStringList shown;
        for (int i = 0; i < Combo(id)->count(); ++i) shown << Combo(id)->itemText(i);
        QStringList expected;
        for (const char* item : items) expected << Utf8(item);
        EXPECT_EQ(shown, expected) << id;
        EXPECT_FALSE(Combo(id)->isEditable());
    }
}

TEST_F(MainDialogTest, FieldsShownAreReadBackUnchanged) {
    MainFields full;
    full.wanPort = "8000-8002,9000";
    full.protocol = kProtocolUdp;
    full.lanPort = "18000";
    full.addressMode = 3;
    full.lanIp = "192.168.1.20";
    full.comment = "テスト①";
    full.wanIp = "未取得";
    full.makeShortcuts = true;
    full.transportMode = 2;
    full.info = "ルーターが存在します(192.168.1.1)";
    full.device = "uuid:機器";
    MainFields tcp;
    tcp.protocol = kProtocolTcp;
    tcp.addressMode = 0;
    MainFields none;  // protocol none, empty texts
    for (const MainFields& fields : {full, tcp, none, full}) {
        window_->Ui().ShowFields(fields);
        MainFields read;
        read.protocol = 99;
        window_->Ui().ReadFields(read);
        EXPECT_EQ(read.wanPort, fields.wanPort);
        EXPECT_EQ(read.protocol, fields.protocol);
        EXPECT_EQ(read.lanPort, fields.lanPort);
        EXPECT_EQ(read.addressMode, fields.addressMode);
        EXPECT_EQ(read.lanIp, fields.lanIp);
        EXPECT_EQ(read.comment, fields.comment);
        EXPECT_EQ(read.wanIp, fields.wanIp);
        EXPECT_EQ(read.makeShortcuts, fields.makeShortcuts);
        EXPECT_EQ(read.transportMode, fields.transportMode);
        EXPECT_EQ(read.info, fields.info);
        EXPECT_EQ(read.device, fields.device);
    }
    // The controls show the Japanese texts themselves, not their CP932 bytes.
    window_->Ui().ShowFields(full);
    EXPECT_EQ(Edit(1004)->text(), Utf8(u8"テスト①"));
    EXPECT_EQ(Edit(1008)->text(), Utf8(u8"ルーターが存在します(192.168.1.1)"));
    EXPECT_TRUE(Button(1021)->isChecked());
    EXPECT_FALSE(Button(1020)->isChecked());
}

TEST_F(MainDialogTest, ComboIndexOutsideTheListLeavesNoSelection) {
    MainFields fields;
    fields.addressMode = 7;
    fields.transportMode = -1;
    window_->Ui().ShowFields(fields);
    MainFields read;
    window_->Ui().ReadFields(read);
    EXPECT_EQ(read.addressMode, -1);
    EXPECT_EQ(read.transportMode, -1);
}

TEST_F(MainDialogTest, BusyPanelIsHiddenUntilShownThenCoversTheWindowAboveTheStatusLine) {
    QPushButton* panel = BusyPanel(window_.get());
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(panel->text(), Utf8(u8"処理中です"));

    window_->Ui().EnableMainWindow(false);
    window_->Ui().ShowBusyPanel("Close....", "");
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->text(), QStringLiteral("Close...."));
    EXPECT_EQ(panel->geometry(), QRect(0, 0, window_->width(), Edit(kIdStatusLine)->y()));
    EXPECT_TRUE(window_->childAt(Edit(kIdWanPort)->geometry().center()) == panel);
    EXPECT_TRUE(window_->childAt(Edit(kIdStatusLine)->geometry().center()) == Edit(kIdStatusLine));
    EXPECT_FALSE(window_->isEnabled());
    // The panel stays in place when the window changes size.
    window_->resize(window_->width() + 40, window_->height() + 40);
    EXPECT_EQ(panel->geometry(), QRect(0, 0, window_->width(), Edit(kIdStatusLine)->y()));
}

TEST_F(MainDialogTest, BusyPanelShowsAPictureInPlaceOfItsCaption) {
    QImage image(24, 16, QImage::Format_RGB32);
    image.fill(Qt::red);
    std::string picture = scratch_.PathOf("bmp/01open.bmp");
    scratch_.Write("bmp/01open.bmp", "");
    ASSERT_TRUE(image.save(QString::fromStdString(picture), "BMP"));
    QPushButton* panel = BusyPanel(window_.get());

    window_->Ui().ShowBusyPanel("Open....", picture);
    EXPECT_TRUE(panel->text().isEmpty());
    EXPECT_FALSE(panel->icon().isNull());
    EXPECT_EQ(panel->iconSize(), QSize(24, 16));

    window_->Ui().ShowBusyPanel("Open....", scratch_.PathOf("bmp/missing.bmp"));
    EXPECT_EQ(panel->text(), QStringLiteral("Open...."));
    EXPECT_TRUE(panel->icon().isNull());
}

TEST_F(MainDialogTest, StatusLineShowsTheTextItIsGiven) {
    window_->Ui().SetStatusLine("◎ポート開放テストに成功しています");
    EXPECT_EQ(Edit(kIdStatusLine)->text(), Utf8(u8"◎ポート開放テストに成功しています"));
}

TEST_F(MainDialogTest, TooltipsOnlyOnAnInteractiveWindow) {
    EXPECT_TRUE(TooltipIds().empty());

    EXPECT_EQ(window_->Start({"/open", "8000", "TCP"}), RunKind::kOpen);
    window_->Ui().StopTimer(kTimerBatchOpen);
    EXPECT_TRUE(TooltipIds().empty());

    CSluiceDlg interactive(&console_);
    EXPECT_EQ(interactive.Start({}), RunKind::kInteractive);
    for (const auto& [id, tip] : kExpectedTooltips) {
        EXPECT_EQ(interactive.findChild<QWidget*>(ControlName(id))->toolTip(), Utf8(tip)) << id;
    }
    int withTips = 0;
    for (QWidget* child : interactive.findChildren<QWidget*>())
        withTips += !child->toolTip().isEmpty();
    EXPECT_EQ(withTips, static_cast<int>(std::size(kExpectedTooltips)));
}

TEST_F(MainDialogTest, ButtonsAndSelectionsReachTheProgram) {
    window_->Start({});
    Button(kIdUdp)->click();
    EXPECT_STREQ(glb_Settings.Get(key::kProtocol), "UDP");
    Button(kIdTcp)->click();
    EXPECT_STREQ(glb_Settings.Get(key::kProtocol), "TCP");

    Combo(kIdTransportMode)->setFocus();
    QTest::keyClick(Combo(kIdTransportMode), Qt::Key_Down);
    EXPECT_EQ(glb_Settings.GetInt(key::kTransportMode), Combo(kIdTransportMode)->currentIndex());
    EXPECT_NE(Combo(kIdTransportMode)->currentIndex(), 0);

    Button(kIdShortcut)->click();
    EXPECT_EQ(glb_Settings.GetInt(key::kShortcuts), Button(kIdShortcut)->isChecked() ? 1 : 0);

    Button(kIdPortHelp)->click();
    EXPECT_NE(Messages().find(u8"【ポートの指定例／単一ポート NNNN】\n8000\n"), std::string::npos);

    // Open with an empty ① is refused with a message, before any router call.
    Edit(kIdWanPort)->clear();
    Button(kIdOpen)->click();
    EXPECT_NE(Messages().find(u8"①ポート番号を設定してください(1-65535)\n"), std::string::npos);
}

TEST_F(MainDialogTest, TimersFireOnceEachWithTheirIdUnlessStopped) {
    std::vector<int> fired;
    window_->Ui().SetTimerHandler([&fired](int id) { fired.push_back(id); });
    window_->Ui().StartTimer(1, 30);
    window_->Ui().StartTimer(4, 10);
    window_->Ui().StartTimer(2, 10);
    window_->Ui().StopTimer(2);
    QTest::qWait(150);
    EXPECT_EQ(fired, (std::vector<int>{4, 1}));
}

TEST_F(MainDialogTest, ExitEndsTheEventLoopWithItsCodeEvenFromAModalWindow) {
    QTimer::singleShot(0, [this] {
        QDialog modal(window_.get());
        QTimer::singleShot(0, [this] { window_->Ui().ExitProcess(1); });
        modal.exec();
    });
    EXPECT_EQ(QApplication::exec(), 1);
    EXPECT_TRUE(window_->Ui().ExitRequested());
    EXPECT_EQ(window_->Ui().ExitCode(), 1);

    // From now on no timer fires, and a later exit keeps the first code.
    std::vector<int> fired;
    window_->Ui().SetTimerHandler([&fired](int id) { fired.push_back(id); });
    window_->Ui().StartTimer(3, 10);
    window_->Ui().ExitProcess(2);
    QTest::qWait(50);
    EXPECT_TRUE(fired.empty());
    EXPECT_EQ(window_->Ui().ExitCode(), 1);
}

TEST_F(MainDialogTest, TimerArmedBeforeAnExitNeverFires) {
    std::vector<int> fired;
    window_->Ui().SetTimerHandler([&fired](int id) { fired.push_back(id); });
    window_->Ui().StartTimer(3, 10);
    window_->Ui().ExitProcess(0);
    QTest::qWait(50);
    EXPECT_TRUE(fired.empty());
}

uint32_t g_tick = 0;
uint32_t TestTick() {
    return g_tick;
}

TEST_F(MainDialogTest, ClosingTheWindowSavesThroughTheProgramAndEndsWithZero) {
    scratch_.Write("sluice.def", "");
    glb_Environment.SetEnum(100002, scratch_.PathOf("sluice.def"));
    // Settings are saved only once they have been loaded for a while.
    platform::SetTickSourceForTests(TestTick);
    g_tick = 1000;
    window_->Start({});
    g_tick += 10000;
    Edit(kIdWanPort)->setText(QStringLiteral("8123"));
    QTest::keyClick(window_.get(), Qt::Key_Escape);
    EXPECT_FALSE(window_->isVisible());
    EXPECT_TRUE(window_->Ui().ExitRequested());
    EXPECT_EQ(window_->Ui().ExitCode(), 0);
    EXPECT_NE(scratch_.Read("sluice.ini").find("PRE_PORT=8123"), std::string::npos);
}

TEST_F(MainDialogTest, ContextMenuOpensTheAboutBox) {
    QAction* about = nullptr;
    for (QAction* action : window_->actions()) {
        if (action->text() == Utf8(u8"Sluice のﾊﾞｰｼﾞｮﾝ情報(&A)...")) about = action;
    }
    ASSERT_TRUE(about);
    EXPECT_EQ(window_->contextMenuPolicy(), Qt::ActionsContextMenu);
    QString title;
    QString version;
    OnNextModal([&title, &version](QWidget* modal) {
        title = modal->windowTitle();
        version = modal->findChild<QLabel*>(ControlName(1012))->text();
        modal->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    about->trigger();
    EXPECT_EQ(title, Utf8(u8"Sluiceのﾊﾞｰｼﾞｮﾝ情報"));
    EXPECT_EQ(version, QStringLiteral("sluice Version 1.33"));
}

}  // namespace

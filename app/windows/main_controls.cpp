#include "app/windows/main_controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/windows/qt_text.h"

namespace {

enum class Kind {
    kButton,
    kDefaultButton,
    kLabel,
    kBlueLabel,
    kEdit,
    kReadOnlyEdit,
    kRadio,
    kCheck,
    kCombo
};

constexpr int kNoId = -1;

struct ControlEntry {
    int row;  // controls of one row sit side by side
    int id;
    Kind kind;
    const char* caption;
};

// The controls in the order of the window, top to bottom. The busy panel and
// the status line follow them.
const ControlEntry kControls[] = {
    {0, kIdWizard, Kind::kButton, "■■■■設定ウィザード■■■■[&w]"},
    {0, kIdHomePage, Kind::kButton, "HPへ"},
    {1, kIdWanPortLabel, Kind::kBlueLabel, "①WAN_PORT(必須) [&1]"},
    {2, kIdWanPort, Kind::kEdit, ""},
    {2, kIdPortHelp, Kind::kButton, "&?"},
    {3, kNoId, Kind::kLabel, "②PROT(TCP or UDP) [&2]"},
    {3, kIdTcp, Kind::kRadio, "TCP"},
    {3, kIdUdp, Kind::kRadio, "UDP"},
    {4, kNoId, Kind::kLabel, "③LAN_PORT(省略可) [&3]"},
    {4, kIdLanPort, Kind::kEdit, ""},
    {5, kNoId, Kind::kLabel, "④LAN_IP [&4]"},
    {6, kIdAddressMode, Kind::kCombo, ""},
    {6, kIdLanIp, Kind::kEdit, ""},
    {7, kNoId, Kind::kLabel, "⑤COMMENT  [&5]"},
    {7, kIdComment, Kind::kEdit, ""},
    {8, kIdWanIpButton, Kind::kButton, "⑥WAN_IP [&6]→ "},
    {8, kIdCopy, Kind::kButton, "Copy"},
    {8, kIdWanIp, Kind::kReadOnlyEdit, ""},
    {9, kIdShortcut, Kind::kCheck, "⑦ｼｮｰﾄｶｯﾄ作 [&7]"},
    {9, kNoId, Kind::kLabel, "&Mode"},
    {9, kIdTransportMode, Kind::kCombo, ""},
    {10, kNoId, Kind::kLabel, "⑧情報 [&8]"},
    {10, kIdInfo, Kind::kReadOnlyEdit, ""},
    {11, kIdTestLabel, Kind::kBlueLabel, "⑨↓↓↓ポート開放テストもこちら⑨"},
    {12, kIdRouterInfo, Kind::kButton, "⑨ﾙｰﾀｰ情報[&9]"},
    {13, kIdOpen, Kind::kDefaultButton, "⑩Port開放[&a]"},
    {13, kIdClose, Kind::kButton, "⑪Port閉鎖[&b]"},
    {14, kIdRouterPage, Kind::kButton, "⑫ルーターをExplorerで開く[&c]"},
    {15, kIdPortMap, Kind::kButton, "⑬PortMap[&d]"},
    {16, kNoId, Kind::kLabel, "⑭機器指定(uuidやip等)"},
    {17, kIdDevice, Kind::kEdit, ""},
    {17, kIdDeviceSearch, Kind::kButton, "⑮機器検索"},
};

struct ComboItems {
    int id;
    const char* items[4];
};

const ComboItems kComboItems[] = {
    {kIdAddressMode, {"0.固定", "1.自動1", "2.自動2", "3.自動3"}},
    {kIdTransportMode, {"0.自動(1,2,3すべて)", "1.MSNモード", "2.通常モード1", "3.通常モード2"}},
};

struct Tooltip {
    int id;
    const char* text;
};

const Tooltip kTooltips[] = {
    {kIdWanPort, "開放したいポート番号(1～65535)を入力します"},
    {kIdPortHelp, "ポート番号の説明表示"},
    {kIdWizard, "設定ウィザードを実行"},
    {kIdHomePage, "Sluiceホームページへ"},
    {kIdTcp, "プロトコルを選択(TCP or UDP)※大抵はTCP"},
    {kIdUdp, "プロトコルを選択(TCP or UDP)"},
    {kIdLanPort, "LAN側ポート番号を指定(通常は①と同じもの)"},
    {kIdAddressMode, "LAN_IPの取得方法を選択"},
    {kIdLanIp, "変換先(自端末)のIPを指定"},
    {kIdComment, "ポートマッピングで情報される識別文字列を指定"},
    {kIdWanIpButton, "WAN側IPをルーターから取得"},
    {kIdWanIp, "現在のWAN側IPアドレス"},
    {kIdShortcut, "ポート開放用ショートカットを作成"},
    {kIdTransportMode, "取得モード(0以外を推奨)"},
    {kIdInfo, "各種情報"},
    {kIdRouterInfo, "UPnP経由でルーターの情報を取得"},
    {kIdOpen, "ポート開放を実行"},
    {kIdClose, "ポート閉鎖を実行"},
    {kIdRouterPage, "ルーターの画面(web)を開く"},
    {kIdPortMap, "現在登録されているポートマップ情報を表示"},
};

const char kBusyCaption[] = "処理中です";

constexpr int kComboMinimumChars = 8;
constexpr int kButtonPadding = 16;
constexpr int kMargin = 6;
constexpr int kSpacing = 3;

QLabel* MakeLabel(const QString& caption, bool blue, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    if (blue) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, QColor(0, 0, 255));
        label->setPalette(palette);
    }
    return label;
}

QComboBox* MakeCombo(int id, QWidget* parent) {
    auto* combo = new QComboBox(parent);
    // The window is narrow: the address box may be narrower than its longest
    // item, whose whole text the open list still shows. The transport box shows
    // its whole choice, since "0.自動(1,2,3すべて)" cut short reads as another mode.
    if (id == kIdTransportMode) {
        combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    } else {
        combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        combo->setMinimumContentsLength(kComboMinimumChars);
    }
    for (const ComboItems& list : kComboItems) {
        if (list.id != id) continue;
        for (const char* item : list.items) combo->addItem(ToQString(item));
    }
    return combo;
}

QLineEdit* MakeEdit(bool readOnly, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setReadOnly(readOnly);
    return edit;
}

QPushButton* MakeButton(const QString& caption, bool isDefault, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setDefault(isDefault);
    // Qt gives a text button at least 80 pixels; the small ones ("&?", "Copy")
    // only need their caption's width.
    QString shown = caption;
    shown.remove(QLatin1Char('&'));
    button->setMinimumWidth(button->fontMetrics().horizontalAdvance(shown) + kButtonPadding);
    return button;
}

QWidget* MakeControl(const ControlEntry& control, QWidget* parent) {
    QString caption = ToQString(control.caption);
    switch (control.kind) {
        case Kind::kButton:
        case Kind::kDefaultButton:
            return MakeButton(caption, control.kind == Kind::kDefaultButton, parent);
        case Kind::kLabel:
        case Kind::kBlueLabel:
            return MakeLabel(caption, control.kind == Kind::kBlueLabel, parent);
        case Kind::kEdit:
        case Kind::kReadOnlyEdit:
            return MakeEdit(control.kind == Kind::kReadOnlyEdit, parent);
        case Kind::kRadio:
            return new QRadioButton(caption, parent);
        case Kind::kCheck:
            return new QCheckBox(caption, parent);
        case Kind::kCombo:
            return MakeCombo(control.id, parent);
    }
    return nullptr;
}

// A label whose caption has a mnemonic moves the focus to the control after it.
void SetBuddy(QWidget* previous, QWidget* control) {
    auto* label = qobject_cast<QLabel*>(previous);
    if (label && label->text().contains(QLatin1Char('&'))) label->setBuddy(control);
}

QPushButton* MakeBusyPanel(QWidget* parent) {
    auto* panel = new QPushButton(ToQString(kBusyCaption), parent);
    panel->setObjectName(ControlName(kIdBusyPanel));
    panel->setFocusPolicy(Qt::NoFocus);
    // The window is disabled while the panel is up; the panel still reads
    // as it would on an enabled window.
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Disabled, QPalette::ButtonText,
                     palette.color(QPalette::Active, QPalette::ButtonText));
    panel->setPalette(palette);
    panel->hide();
    return panel;
}

}  // namespace

QString ControlName(int id) {
    return QStringLiteral("c%1").arg(id);
}

QPushButton* MakeChildButton(int id, const char* caption, QWidget* parent) {
    auto* button = new QPushButton(ToQString(caption), parent);
    button->setObjectName(ControlName(id));
    button->setAutoDefault(false);
    return button;
}

void BuildMainControls(QDialog* dialog) {
    auto* rows = new QVBoxLayout(dialog);
    rows->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    rows->setSpacing(kSpacing);
    QHBoxLayout* row = nullptr;
    int rowNumber = -1;
    QWidget* previous = nullptr;
    for (const ControlEntry& control : kControls) {
        if (control.row != rowNumber) {
            row = new QHBoxLayout;
            row->setSpacing(kSpacing);
            rows->addLayout(row);
            rowNumber = control.row;
        }
        QWidget* widget = MakeControl(control, dialog);
        if (control.id != kNoId) widget->setObjectName(ControlName(control.id));
        if (previous) SetBuddy(previous, widget);
        row->addWidget(widget);
        previous = widget;
    }
    rows->addStretch();
    MakeBusyPanel(dialog);
    QLineEdit* status = MakeEdit(true, dialog);
    status->setObjectName(ControlName(kIdStatusLine));
    rows->addWidget(status);
}

void AttachMainTooltips(QDialog* dialog) {
    for (const Tooltip& tip : kTooltips) {
        auto* control = dialog->findChild<QWidget*>(ControlName(tip.id));
        if (control) control->setToolTip(ToQString(tip.text));
    }
}

void PlaceBusyPanel(QDialog* dialog) {
    QLineEdit* status = EditControl(dialog, kIdStatusLine);
    QPushButton* panel = BusyPanel(dialog);
    if (!status || !panel) return;
    panel->setGeometry(0, 0, dialog->width(), status->y());
}

QLineEdit* EditControl(const QWidget* dialog, int id) {
    return dialog->findChild<QLineEdit*>(ControlName(id));
}

QComboBox* ComboControl(const QWidget* dialog, int id) {
    return dialog->findChild<QComboBox*>(ControlName(id));
}

QAbstractButton* ButtonControl(const QWidget* dialog, int id) {
    return dialog->findChild<QAbstractButton*>(ControlName(id));
}

QPushButton* BusyPanel(const QWidget* dialog) {
    return dialog->findChild<QPushButton*>(ControlName(kIdBusyPanel));
}

#include "app/windows/main_dialog.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>

#include "app/windows/about_dialog.h"
#include "app/windows/dialog_units.h"
#include "app/windows/main_controls.h"
#include "app/windows/qt_text.h"

namespace {

const char kAboutEntry[] = "Sluice のﾊﾞｰｼﾞｮﾝ情報(&A)...";
constexpr int kIdAboutEntry = 16;
constexpr int kWidthUnits = 151;
constexpr int kHeightUnits = 255;
constexpr int kExitWindowClosed = 0;

}  // namespace

CSluiceDlg::CSluiceDlg(MessageOutput* messages)
    : boxes_(this), ui_(*this, messages ? *messages : boxes_), app_(ui_) {
    setWindowTitle(QStringLiteral("Sluice"));
    setWindowIcon(ProgramIcon());
    setFont(DialogFont());
    BuildMainControls(this);
    ConnectControls();
    AddAboutEntry();
    ui_.SetTimerHandler([this](int id) { app_.OnTimer(id); });
    resize(DialogUnitsToPixels(font(), kWidthUnits, kHeightUnits));
}

RunKind CSluiceDlg::Start(const std::vector<std::string>& args) {
    RunKind kind = app_.Startup(args);
    if (kind == RunKind::kInteractive) AttachMainTooltips(this);
    return kind;
}

void CSluiceDlg::reject() {
    if (!app_.OnCloseWindow()) return;
    if (!ui_.ExitRequested()) ui_.ExitProcess(kExitWindowClosed);
    QDialog::reject();
}

void CSluiceDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    PlaceBusyPanel(this);
}

void CSluiceDlg::ConnectControls() {
    struct Click {
        int id;
        void (SluiceApp::*handler)();
    };
    const Click clicks[] = {
        {kIdOpen, &SluiceApp::OnOpen},
        {kIdClose, &SluiceApp::OnClose},
        {kIdPortMap, &SluiceApp::OnPortMap},
        {kIdTcp, &SluiceApp::OnRadioTcp},
        {kIdUdp, &SluiceApp::OnRadioUdp},
        {kIdShortcut, &SluiceApp::OnShortcutCheck},
        {kIdPortHelp, &SluiceApp::OnPortHelp},
        {kIdWanIpButton, &SluiceApp::OnWanIp},
        {kIdCopy, &SluiceApp::OnCopy},
        {kIdRouterPage, &SluiceApp::OnRouterPage},
        {kIdDeviceSearch, &SluiceApp::OnDeviceSearch},
        {kIdHomePage, &SluiceApp::OnHomePage},
        {kIdWizard, &SluiceApp::OnWizard},
    };
    for (const Click& click : clicks) {
        connect(ButtonControl(this, click.id), &QAbstractButton::clicked, this,
                [this, handler = click.handler] { (app_.*handler)(); });
    }
    // The router information command is not built yet.
    ButtonControl(this, kIdRouterInfo)->setEnabled(false);
    connect(ComboControl(this, kIdTransportMode), &QComboBox::activated, this,
            [this] { app_.OnTransportMode(); });
    connect(ComboControl(this, kIdAddressMode), &QComboBox::activated, this,
            [this] { app_.OnAddressMode(); });
}

void CSluiceDlg::AddAboutEntry() {
    auto* about = new QAction(ToQString(kAboutEntry), this);
    about->setObjectName(ControlName(kIdAboutEntry));
    connect(about, &QAction::triggered, this, [this] { CAboutDlg(this).exec(); });
    addAction(about);
    setContextMenuPolicy(Qt::ActionsContextMenu);
}

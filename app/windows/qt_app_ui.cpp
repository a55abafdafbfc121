#include "app/windows/qt_app_ui.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QThread>
#include <QUrl>
#include <cstdio>

#include "app/windows/device_search_dialog.h"
#include "app/windows/main_controls.h"
#include "app/windows/port_map_dialog.h"
#include "app/windows/qt_text.h"
#include "app/windows/wizard_dialogs.h"
#include "platform/charset.h"

namespace {

const char kTitle[] = "Sluice";

struct TextField {
    int id;
    std::string MainFields::*value;
};

const TextField kTextFields[] = {
    {kIdWanPort, &MainFields::wanPort}, {kIdLanPort, &MainFields::lanPort},
    {kIdLanIp, &MainFields::lanIp},     {kIdComment, &MainFields::comment},
    {kIdWanIp, &MainFields::wanIp},     {kIdInfo, &MainFields::info},
    {kIdDevice, &MainFields::device},
};

int ReadProtocol(const QWidget& window) {
    if (ButtonControl(&window, kIdTcp)->isChecked()) return kProtocolTcp;
    if (ButtonControl(&window, kIdUdp)->isChecked()) return kProtocolUdp;
    return kProtocolNone;
}

// Radio buttons that exclude each other cannot be unchecked one by one, so
// exclusion is lifted while they are set.
void ShowProtocol(const QWidget& window, int protocol) {
    QAbstractButton* tcp = ButtonControl(&window, kIdTcp);
    QAbstractButton* udp = ButtonControl(&window, kIdUdp);
    tcp->setAutoExclusive(false);
    udp->setAutoExclusive(false);
    tcp->setChecked(protocol == kProtocolTcp);
    udp->setChecked(protocol == kProtocolUdp);
    tcp->setAutoExclusive(true);
    udp->setAutoExclusive(true);
}

// An index the list does not hold leaves the combo box without a selection.
void ShowComboIndex(QComboBox* combo, int index) {
    combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
}

}  // namespace

QtAppUi::QtAppUi(QDialog& window, MessageOutput& messages) : window_(window), messages_(messages) {}

void QtAppUi::ReadFields(MainFields& fields) {
    for (const TextField& field : kTextFields) {
        fields.*field.value = FromQString(EditControl(&window_, field.id)->text());
    }
    fields.protocol = ReadProtocol(window_);
    fields.addressMode = ComboControl(&window_, kIdAddressMode)->currentIndex();
    fields.transportMode = ComboControl(&window_, kIdTransportMode)->currentIndex();
    fields.makeShortcuts = ButtonControl(&window_, kIdShortcut)->isChecked();
}

void QtAppUi::ShowFields(const MainFields& fields) {
    for (const TextField& field : kTextFields) {
        EditControl(&window_, field.id)->setText(ToQString(fields.*field.value));
    }
    ShowProtocol(window_, fields.protocol);
    ShowComboIndex(ComboControl(&window_, kIdAddressMode), fields.addressMode);
    ShowComboIndex(ComboControl(&window_, kIdTransportMode), fields.transportMode);
    ButtonControl(&window_, kIdShortcut)->setChecked(fields.makeShortcuts);
}

void QtAppUi::ShowMessage(const std::string& text) {
    messages_.Show(text, kTitle);
}

void QtAppUi::ShowMessage(const std::string& text, const std::string& title) {
    messages_.Show(text, title);
}

bool QtAppUi::AskYesNo(const std::string& text) {
    return messages_.Ask(text, kTitle);
}

bool QtAppUi::AskYesNo(const std::string& text, const std::string& title) {
    return messages_.Ask(text, title);
}

bool QtAppUi::AskOkCancel(const std::string& text, const std::string& title) {
    return AskOkCancelBox(&window_, text, title);
}

std::string QtAppUi::ChooseExistingFile() {
    return ChooseServerProgram(&window_);
}

void QtAppUi::SetStatusLine(const std::string& text) {
    EditControl(&window_, kIdStatusLine)->setText(ToQString(text));
}

void QtAppUi::EnableMainWindow(bool enable) {
    window_.setEnabled(enable);
}

void QtAppUi::HideMainWindow() {
    window_.hide();
}

void QtAppUi::ShowBusyPanel(const std::string& caption, const std::string& picturePath) {
    QPushButton* panel = BusyPanel(&window_);
    QPixmap picture;
    if (!picturePath.empty()) picture.load(ToQString(picturePath));
    panel->setIcon(QIcon(picture));
    panel->setIconSize(picture.size());
    // A picture replaces the caption, as on a bitmap button.
    panel->setText(picture.isNull() ? ToQString(caption) : QString());
    PlaceBusyPanel(&window_);
    panel->show();
    panel->raise();
}

void QtAppUi::ShowPortMapWindow(PortMapList& list) {
    CPortMapDlg dialog(list, &window_);
    dialog.exec();
}

void QtAppUi::ShowDeviceSearchWindow(const std::string& listing) {
    CDeviceSearchDlg dialog(listing, &window_);
    dialog.exec();
}

// Without a display (the offscreen platform) there is no clipboard to share:
// the text goes to standard output.
void QtAppUi::WriteOutput(const std::string& text) {
    std::string utf8 = platform::Cp932ToUtf8(text);
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
    std::fflush(stdout);
}

void QtAppUi::CopyToClipboard(const std::string& text) {
    if (QGuiApplication::platformName() == QStringLiteral("offscreen")) {
        std::printf("%s\n", ToQString(text).toUtf8().constData());
        std::fflush(stdout);
        return;
    }
    QGuiApplication::clipboard()->setText(ToQString(text));
}

void QtAppUi::OpenUrl(const std::string& url) {
    QDesktopServices::openUrl(QUrl(ToQString(url)));
}

void QtAppUi::StartTimer(int id, int ms) {
    if (exitRequested_) return;
    QTimer*& timer = timers_[id];
    if (!timer) {
        timer = new QTimer(&window_);
        timer->setSingleShot(true);
        QObject::connect(timer, &QTimer::timeout, &window_, [this, id] { OnTimeout(id); });
    }
    timer->start(ms);
}

void QtAppUi::StopTimer(int id) {
    auto found = timers_.find(id);
    if (found != timers_.end()) found->second->stop();
}

void QtAppUi::ExitProcess(int code) {
    if (!exitRequested_) {
        exitRequested_ = true;
        exitCode_ = code;
    }
    for (auto& [id, timer] : timers_) timer->stop();
    // Before the event loop runs, the caller of the start-up sees the request
    // and ends; asking Qt to quit then would only make later loops return at once.
    if (QThread::currentThread()->loopLevel() > 0) QCoreApplication::exit(exitCode_);
}

bool QtAppUi::CtrlHeld() {
    return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ControlModifier);
}

void QtAppUi::OnTimeout(int id) {
    if (!exitRequested_ && onTimer_) onTimer_(id);
}

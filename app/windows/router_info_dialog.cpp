#include "app/windows/router_info_dialog.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "app/windows/dialog_units.h"
#include "app/windows/main_controls.h"
#include "app/windows/message_output.h"
#include "app/windows/qt_text.h"

namespace {

const char kTitle[] = "ルーター情報";
const char kTcpCaption[] = "⑲ポート開放テスト(外部からの接続チェック) [&c]";
const char kUdpCaption[] = "⑳ポート開放テスト(UDPの場合)";
const char kMessageTitle[] = "Sluice";
constexpr int kFontPoints = 9;
constexpr int kIdReport = 1000;
constexpr int kIdPort = 1001;
constexpr int kIdTcpTest = 1005;
constexpr int kIdUdpTest = 1006;
constexpr int kWidthUnits = 229;
constexpr int kHeightUnits = 273;
constexpr int kPortChars = 6;

}  // namespace

CRouterInfoDlg::CRouterInfoDlg(RouterInfo& logic, MessageOutput& messages, QWidget* parent)
    : QDialog(parent),
      logic_(logic),
      messages_(messages),
      report_(new QPlainTextEdit(this)),
      port_(new QLineEdit(this)),
      tcp_(MakeChildButton(kIdTcpTest, kTcpCaption, this)),
      udp_(MakeChildButton(kIdUdpTest, kUdpCaption, this)),
      timer_(new QTimer(this)) {
    setWindowTitle(ToQString(kTitle));
    setFont(FixedPitchFont(kFontPoints));
    report_->setObjectName(ControlName(kIdReport));
    report_->setReadOnly(true);
    port_->setObjectName(ControlName(kIdPort));
    port_->setMaximumWidth(port_->fontMetrics().horizontalAdvance(QLatin1Char('0')) * kPortChars *
                           2);
    auto* tcpRow = new QHBoxLayout;
    tcpRow->addWidget(tcp_, 1);
    tcpRow->addWidget(port_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(report_, 1);
    layout->addLayout(tcpRow);
    layout->addWidget(udp_);
    resize(DialogUnitsToPixels(font(), kWidthUnits, kHeightUnits));
    timer_->setSingleShot(true);
    connect(timer_, &QTimer::timeout, this, [this] { logic_.OnTimer(); });
    connect(tcp_, &QPushButton::clicked, this, [this] { logic_.OnTcpTest(); });
    connect(udp_, &QPushButton::clicked, this, [this] { logic_.OnUdpTest(); });
    logic_.OnInit(*this);
}

void CRouterInfoDlg::reject() {
    if (logic_.OnClose()) QDialog::reject();
}

void CRouterInfoDlg::ShowReport(const std::string& text) {
    report_->setPlainText(ToDisplayText(text));
    report_->moveCursor(QTextCursor::End);
}

std::string CRouterInfoDlg::ReadPort() {
    return FromQString(port_->text());
}

void CRouterInfoDlg::ShowPort(const std::string& text) {
    port_->setText(ToQString(text));
}

void CRouterInfoDlg::ShowMessage(const std::string& text) {
    messages_.Show(text, kMessageTitle);
}

void CRouterInfoDlg::EnableTests(bool enable) {
    tcp_->setEnabled(enable);
    udp_->setEnabled(enable);
}

void CRouterInfoDlg::StartTimer(int ms) {
    timer_->start(ms);
}

void CRouterInfoDlg::CloseWindow() {
    timer_->stop();
    accept();
}

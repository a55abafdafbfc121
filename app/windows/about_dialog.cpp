#include "app/windows/about_dialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>

#include "app/windows/dialog_units.h"
#include "app/windows/main_controls.h"
#include "app/windows/qt_text.h"

namespace {

const char kAboutTitle[] = "Sluiceのﾊﾞｰｼﾞｮﾝ情報";
const char kVersionText[] = "sluice Version 1.33";
constexpr int kIdVersion = 1012;
constexpr int kIconSize = 32;

}  // namespace

QIcon ProgramIcon() {
    return QApplication::style()->standardIcon(QStyle::SP_DriveNetIcon);
}

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(ToQString(kAboutTitle));
    setFont(DialogFont());
    auto* icon = new QLabel(this);
    icon->setPixmap(ProgramIcon().pixmap(kIconSize, kIconSize));
    auto* version = new QLabel(ToQString(kVersionText), this);
    version->setObjectName(ControlName(kIdVersion));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addWidget(version, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
}

#include "app/windows/wizard_dialogs.h"

#include <QFileDialog>
#include <QMessageBox>

#include "app/windows/qt_text.h"

const char kWizardFileFilter[] = "サーバーアプリケーション (*)";

bool AskOkCancelBox(QWidget* parent, const std::string& text, const std::string& title) {
    QMessageBox box(QMessageBox::NoIcon, ToQString(title), ToDisplayText(text),
                    QMessageBox::Ok | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok;
}

std::string ChooseServerProgram(QWidget* parent) {
    QFileDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("wizardFileDialog"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilter(ToQString(kWizardFileFilter));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::string();
    return FromQString(dialog.selectedFiles().constFirst());
}

#include "app/windows/qt_message_boxes.h"

#include <QMessageBox>

#include "app/windows/qt_text.h"

void QtMessageBoxes::Show(const std::string& text, const std::string& title) {
    QMessageBox box(QMessageBox::NoIcon, ToQString(title), ToDisplayText(text), QMessageBox::Ok,
                    parent_);
    box.exec();
}

bool QtMessageBoxes::Ask(const std::string& text, const std::string& title) {
    QMessageBox box(QMessageBox::Question, ToQString(title), ToDisplayText(text),
                    QMessageBox::Yes | QMessageBox::No, parent_);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

// The about box (dialog 100): the program icon, the version and OK.
#pragma once

#include <QDialog>

class CAboutDlg final : public QDialog {
  public:
    explicit CAboutDlg(QWidget* parent);
};

// The program's icon, shown by its windows.
QIcon ProgramIcon();

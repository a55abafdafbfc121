// The main window (dialog 102): builds the controls and hands every click and
// selection to the program's logic, which speaks back through QtAppUi.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "app/sluice_app.h"
#include "app/windows/qt_app_ui.h"
#include "app/windows/qt_message_boxes.h"

class CSluiceDlg final : public QDialog {
  public:
    // Messages go to messages, or to message boxes over this window when it
    // is null.
    explicit CSluiceDlg(MessageOutput* messages = nullptr);

    // The window's start-up with the program's arguments (CP932, without the
    // program path). Tooltips are attached only to an interactive window.
    RunKind Start(const std::vector<std::string>& args);

    QtAppUi& Ui() { return ui_; }
    SluiceApp& App() { return app_; }

  protected:
    // The user closes the window (close button or Esc); ignored while a
    // router command runs.
    void reject() override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void ConnectControls();
    void AddAboutEntry();

    QtMessageBoxes boxes_;
    QtAppUi ui_;
    SluiceApp app_;
};

// The window operations the program's logic asks for, carried out on the Qt
// main window: its fields, status line, busy panel, timers, message boxes
// and the port-mapping list window.
#pragma once

#include <QDialog>
#include <QTimer>
#include <functional>
#include <map>

#include "app/app_ui.h"
#include "app/windows/message_output.h"

class QtAppUi final : public AppUi {
  public:
    // window holds the main window's controls (BuildMainControls).
    QtAppUi(QDialog& window, MessageOutput& messages);

    // Called with the id when a timer fires.
    void SetTimerHandler(std::function<void(int)> handler) { onTimer_ = std::move(handler); }

    // True once ExitProcess was asked for, with its code. From then on no
    // timer starts or fires: the process is on its way out.
    bool ExitRequested() const { return exitRequested_; }
    int ExitCode() const { return exitCode_; }

    void ReadFields(MainFields& fields) override;
    void ShowFields(const MainFields& fields) override;
    void ShowMessage(const std::string& text) override;
    void ShowMessage(const std::string& text, const std::string& title) override;
    bool AskYesNo(const std::string& text) override;
    bool AskYesNo(const std::string& text, const std::string& title) override;
    bool AskOkCancel(const std::string& text, const std::string& title) override;
    std::string ChooseExistingFile() override;
    void SetStatusLine(const std::string& text) override;
    void EnableMainWindow(bool enable) override;
    void HideMainWindow() override;
    void ShowBusyPanel(const std::string& caption, const std::string& picturePath) override;
    void ShowPortMapWindow(PortMapList& list) override;
    void ShowDeviceSearchWindow(const std::string& listing) override;
    void WriteOutput(const std::string& text) override;
    void CopyToClipboard(const std::string& text) override;
    void OpenUrl(const std::string& url) override;
    void StartTimer(int id, int ms) override;
    void StopTimer(int id) override;
    void ExitProcess(int code) override;
    bool CtrlHeld() override;

  private:
    void OnTimeout(int id);

    QDialog& window_;
    MessageOutput& messages_;
    std::function<void(int)> onTimer_;
    std::map<int, QTimer*> timers_;
    bool exitRequested_ = false;
    int exitCode_ = 0;
};

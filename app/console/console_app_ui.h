// The window operations for a run without a display, on the console and
// without Qt. There is no window: the fields live in memory, the status
// line, the busy panel and hiding do nothing, messages go to standard error
// and questions to the terminal (MessageOutput), no file can be chosen, and
// what a window would hand to the user (a copied text, a listing, a web
// address) is printed on standard output. The one-shot timers run on a small
// loop of their own (Run), and the core's waits fire the timers that fall
// due meanwhile.
#pragma once

#include <functional>
#include <iosfwd>

#include "app/app_ui.h"
#include "app/console/console_timers.h"
#include "app/windows/message_output.h"

class ConsoleAppUi final : public AppUi {
  public:
    // How the loop waits for the next timer: platform::WaitMs unless given;
    // tests pass one that moves a fake clock instead of sleeping.
    using Sleep = void (*)(int ms);

    ConsoleAppUi(MessageOutput& messages, std::ostream& out, Sleep sleep = nullptr);
    // Removes the waits' route to this UI if it was installed.
    ~ConsoleAppUi() override;
    ConsoleAppUi(const ConsoleAppUi&) = delete;
    ConsoleAppUi& operator=(const ConsoleAppUi&) = delete;

    // The longest the loop waits between two calls of its check.
    static constexpr int kLoopCheckMs = 200;

    // Called with the id when a timer fires.
    void SetTimerHandler(std::function<void(int)> handler) { onTimer_ = std::move(handler); }
    // Called by the loop at least every kLoopCheckMs, before it fires a due
    // timer, and never from inside the core's waits: work that must not cut
    // into a router command that waits (the end-of-session handling).
    void SetLoopCheck(std::function<void()> check) { onLoopCheck_ = std::move(check); }
    // From now on the core's waits (PumpMessages, PumpSleep) fire this UI's
    // due timers, as the window's event loop would.
    void InstallPump();

    // Waits for the timers and fires them until the exit is asked for, and
    // returns its code. A run with no timer left that has not asked to end
    // could never end: it ends at once as failed (kExitBatchFailed).
    int Run();
    // Fires up to n timers that are due now; returns how many it fired.
    int FireDue(int n);

    // True once ExitProcess was asked for, with its code. From then on no
    // timer starts or fires: the process is on its way out.
    bool ExitRequested() const { return exitRequested_; }
    int ExitCode() const { return exitCode_; }

    void ReadFields(MainFields& fields) override { fields = fields_; }
    void ShowFields(const MainFields& fields) override { fields_ = fields; }
    void ShowMessage(const std::string& text) override;
    void ShowMessage(const std::string& text, const std::string& title) override;
    bool AskYesNo(const std::string& text) override;
    bool AskYesNo(const std::string& text, const std::string& title) override;
    // Asked as a Yes/No question: Yes is OK; Cancel without a terminal.
    bool AskOkCancel(const std::string& text, const std::string& title) override;
    std::string ChooseExistingFile() override { return std::string(); }
    void SetStatusLine(const std::string&) override {}
    void EnableMainWindow(bool) override {}
    void HideMainWindow() override {}
    void ShowBusyPanel(const std::string&, const std::string&) override {}
    void ShowPortMapWindow(PortMapList& list) override;
    void ShowRouterInfoWindow(RouterInfo& window) override;
    void ShowDeviceSearchWindow(const std::string& listing) override;
    void WriteOutput(const std::string& text) override;
    void CopyToClipboard(const std::string& text) override;
    void OpenUrl(const std::string& url) override;
    void StartTimer(int id, int ms) override;
    void StopTimer(int id) override { timers_.Stop(id); }
    void ExitProcess(int code) override;
    bool CtrlHeld() override { return false; }

  private:
    void Print(const std::string& text);

    MessageOutput& messages_;
    std::ostream& out_;
    Sleep sleep_;
    MainFields fields_;
    ConsoleTimers timers_;
    std::function<void(int)> onTimer_;
    std::function<void()> onLoopCheck_;
    bool exitRequested_ = false;
    int exitCode_ = 0;
};

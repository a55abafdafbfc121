#include "app/console/console_app_ui.h"

#include <algorithm>
#include <ostream>

#include "app/port_commands.h"
#include "app/port_map_list.h"
#include "app/windows/console_messages.h"
#include "foundation/pump.h"
#include "platform/charset.h"
#include "platform/wait.h"

namespace {

const char kTitle[] = "Sluice";

// The UI whose timers the core's waits fire; owned by this file, cleared
// when that UI goes.
ConsoleAppUi* g_pumpedUi = nullptr;

int PumpConsole(int n) {
    return g_pumpedUi ? g_pumpedUi->FireDue(n) : 0;
}

}  // namespace

ConsoleAppUi::ConsoleAppUi(MessageOutput& messages, std::ostream& out, Sleep sleep)
    : messages_(messages), out_(out), sleep_(sleep ? sleep : platform::WaitMs) {}

ConsoleAppUi::~ConsoleAppUi() {
    if (g_pumpedUi != this) return;
    g_pumpedUi = nullptr;
    SetPumpHook(nullptr);
}

void ConsoleAppUi::InstallPump() {
    g_pumpedUi = this;
    SetPumpHook(PumpConsole);
}

// A signal cuts the wait short; the loop then runs its check and looks at
// its timers again. The wait is capped so that the check runs even while
// the next timer is far away.
int ConsoleAppUi::Run() {
    while (!exitRequested_) {
        int wait = timers_.MsUntilNext();
        if (wait < 0) return kExitBatchFailed;
        sleep_(std::min(wait, kLoopCheckMs));
        if (onLoopCheck_) onLoopCheck_();
        FireDue(1);
    }
    return exitCode_;
}

int ConsoleAppUi::FireDue(int n) {
    int fired = 0;
    int id = 0;
    while (fired < n && !exitRequested_ && timers_.TakeDue(&id)) {
        ++fired;
        if (onTimer_) onTimer_(id);
    }
    return fired;
}

void ConsoleAppUi::ShowMessage(const std::string& text) {
    messages_.Show(text, kTitle);
}

void ConsoleAppUi::ShowMessage(const std::string& text, const std::string& title) {
    messages_.Show(text, title);
}

bool ConsoleAppUi::AskYesNo(const std::string& text) {
    return messages_.Ask(text, kTitle);
}

bool ConsoleAppUi::AskYesNo(const std::string& text, const std::string& title) {
    return messages_.Ask(text, title);
}

bool ConsoleAppUi::AskOkCancel(const std::string& text, const std::string& title) {
    return messages_.Ask(text, title);
}

// The rows as the list window shows them, one line each; nothing is deleted.
void ConsoleAppUi::ShowPortMapWindow(PortMapList& list) {
    for (const PortMapRow& row : list.Rows()) {
        Print(row.columns[kColumnMapping] + "\t" + row.columns[kColumnDescription] + "\t" +
              row.columns[kColumnLease]);
    }
}

// The router information window is a button's window; without a display
// the port-open test runs as "/porttest" instead.
void ConsoleAppUi::ShowRouterInfoWindow(RouterInfo&) {}

void ConsoleAppUi::ShowDeviceSearchWindow(const std::string& listing) {
    Print(listing);
}

// Written as it is, for scripts: the text carries its own line ends.
void ConsoleAppUi::WriteOutput(const std::string& text) {
    out_ << platform::Cp932ToUtf8(text) << std::flush;
}

void ConsoleAppUi::CopyToClipboard(const std::string& text) {
    Print(text);
}

// Without a display no browser can show the page: the address is printed.
void ConsoleAppUi::OpenUrl(const std::string& url) {
    Print(url);
}

void ConsoleAppUi::StartTimer(int id, int ms) {
    if (!exitRequested_) timers_.Start(id, ms);
}

void ConsoleAppUi::ExitProcess(int code) {
    if (!exitRequested_) {
        exitRequested_ = true;
        exitCode_ = code;
    }
    timers_.StopAll();
}

void ConsoleAppUi::Print(const std::string& text) {
    out_ << ConsoleText(text) << std::flush;
}

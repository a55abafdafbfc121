// The open and close commands behind buttons ⑩ and ⑪ and batch timers 1 and
// 2: validate the fields, ask the router, report the result. In a batch run
// they end the process.
#pragma once

#include <string>

#include "app/main_fields.h"

class AppUi;

// Exit codes of the runs that end by themselves.
enum ExitCode {
    kExitSetupDone = 0,    // "setup" (and "wizard") finished
    kExitBatchDone = 1,    // a batch open, close or close-all did what was asked
    kExitBatchFailed = 2,  // it did not: no router, the router refused, or bad input
};

// How a command ended.
enum CommandOutcome { kCommandDone = 0, kCommandInvalid, kCommandFailed };

extern const char kWanPortInvalid[];  // "①ポート番号を設定してください(1-65535)"
extern const char kLanPortInvalid[];  // "③ポート番号を設定してください(1-65535)"
extern const char kLanIpInvalid[];    // "④LAN IPが無効です"
// The explanation that follows a failure when no router answered.
extern const char kRouterNotFound[];

// The number at the start of a port list, read as atol reads it, lies in 1..65535.
bool LeadingPortValid(const std::string& ports);

// The open command (⑩): fields are read from and shown back to the window.
CommandOutcome OpenCommand(AppUi& ui, MainFields& fields);
// The close command (⑪).
CommandOutcome CloseCommand(AppUi& ui, MainFields& fields);

// In a batch run, ends the process with the exit code for outcome.
void EndBatchRun(AppUi& ui, bool succeeded);

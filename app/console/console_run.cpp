#include "app/console/console_run.h"

#include <ostream>

#include "app/console/console_app_ui.h"
#include "app/sluice_app.h"
#include "app/windows/console_messages.h"
#include "app/windows/run_policy.h"
#include "app/windows/usage.h"
#include "platform/charset.h"
#include "platform/termination.h"

namespace {

constexpr int kExitNeedsDisplay = 2;

int NeedsDisplayEnd(std::ostream& err) {
    err << platform::Cp932ToUtf8(NoDisplayLine()) << std::flush;
    return kExitNeedsDisplay;
}

// SIGTERM, SIGHUP and SIGINT only set a flag from now on; the loop reads it
// between timers, never while a router command waits, and the shutdown
// handling closes the watched ports before the process ends.
void EndOnTerminationRequest(ConsoleAppUi& ui, SluiceApp& app) {
    platform::CatchTerminationSignals();
    ui.SetLoopCheck([&app] {
        if (platform::TakeTerminationRequest()) app.OnEndSession();
    });
}

}  // namespace

int RunOnConsole(const std::vector<std::string>& args, const ConsoleStreams& streams) {
    if (!RunsWithoutDisplay(args)) return NeedsDisplayEnd(streams.err);
    ConsoleMessages messages(streams.err, streams.in, streams.inIsTerminal);
    ConsoleAppUi ui(messages, streams.out);
    SluiceApp app(ui);
    ui.SetTimerHandler([&app](int id) { app.OnTimer(id); });
    EndOnTerminationRequest(ui, app);
    ui.InstallPump();
    RunKind kind = app.Startup(args);
    if (ui.ExitRequested()) return ui.ExitCode();
    // While server programs are watched the watch ends the process.
    if (kind == RunKind::kInteractive && !app.Watching()) return NeedsDisplayEnd(streams.err);
    return ui.Run();
}

#include "app/console/console_run.h"

#include <ostream>

#include "app/console/console_app_ui.h"
#include "app/sluice_app.h"
#include "app/windows/console_messages.h"
#include "app/windows/run_policy.h"
#include "app/windows/usage.h"
#include "platform/charset.h"

namespace {

constexpr int kExitNeedsDisplay = 2;

int NeedsDisplayEnd(std::ostream& err) {
    err << platform::Cp932ToUtf8(NoDisplayLine()) << std::flush;
    return kExitNeedsDisplay;
}

}  // namespace

int RunOnConsole(const std::vector<std::string>& args, const ConsoleStreams& streams) {
    if (NeedsDisplay(args)) return NeedsDisplayEnd(streams.err);
    ConsoleMessages messages(streams.err, streams.in, streams.inIsTerminal);
    ConsoleAppUi ui(messages, streams.out);
    SluiceApp app(ui);
    // After the first-run question there is nothing the window could be used
    // for: the command itself is not carried out.
    ui.SetTimerHandler([&](int id) {
        app.OnTimer(id);
        if (id != kTimerFirstRun) return;
        streams.err << platform::Cp932ToUtf8(FirstRunDoneLine()) << std::flush;
        ui.ExitProcess(kExitNeedsDisplay);
    });
    ui.InstallPump();
    RunKind kind = app.Startup(args);
    if (ui.ExitRequested()) return ui.ExitCode();
    if (kind == RunKind::kInteractive) return NeedsDisplayEnd(streams.err);
    return ui.Run();
}

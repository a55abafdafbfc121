// The program's entry: the command line, the display decision, the Qt
// application and the main window's event loop.
#include <unistd.h>

#include <QApplication>
#include <QIcon>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/watched_apps.h"
#include "app/windows/console_messages.h"
#include "app/windows/end_session.h"
#include "app/windows/main_dialog.h"
#include "app/windows/qt_pump.h"
#include "app/windows/run_policy.h"
#include "app/windows/usage.h"
#include "foundation/pump.h"
#include "platform/charset.h"
#include "platform/system.h"

namespace {

constexpr int kExitHelp = 0;
constexpr int kExitNeedsDisplay = 2;

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(platform::Utf8ToCp932(argv[i]));
    return args;
}

void WriteText(std::ostream& out, const std::string& cp932) {
    out << platform::Cp932ToUtf8(cp932) << std::flush;
}

// Without a display Qt runs on its offscreen platform, whose remarks would
// only clutter the messages on standard error.
void KeepQtQuiet(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) std::cerr << message.toStdString() << "\n";
}

// Unless the user chose a Qt platform, the display's own platform is tried
// first and the offscreen platform after it.
void ChooseQtPlatform() {
    if (!platform::EnvironmentValue("QT_QPA_PLATFORM").empty()) return;
    std::string platforms = QtPlatforms(platform::EnvironmentValue("DISPLAY"),
                                        platform::EnvironmentValue("WAYLAND_DISPLAY"));
    setenv("QT_QPA_PLATFORM", platforms.c_str(), 1);
}

// Without a display, an interactive start still has work when the server
// programs of the current folder are to be watched.
bool RunsWithoutDisplay(const std::vector<std::string>& args) {
    return !NeedsDisplay(args) || (!IsWizardRun(args) && FindWatchedPrograms());
}

// The first-run prompt is offered only on a display: without one, a batch
// run on a first start is carried out at once.
int RunWindow(CSluiceDlg& window, const std::vector<std::string>& args, bool display) {
    RunKind kind = window.Start(args, display);
    if (window.Ui().ExitRequested()) return window.Ui().ExitCode();
    bool watching = window.App().Watching();
    if (!display && kind == RunKind::kInteractive && !watching) {
        WriteText(std::cerr, NoDisplayLine());
        return kExitNeedsDisplay;
    }
    bool shown = !watching && (kind == RunKind::kInteractive || kind == RunKind::kFirstRun ||
                               (kind != RunKind::kPortTest && !SwitchHas("hide")));
    if (shown) window.show();
    return QApplication::exec();
}

int RunApplication(int argc, char** argv, const std::vector<std::string>& args) {
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/sluice.png")));
    bool display = ShowsWindows(QGuiApplication::platformName().toStdString());
    if (!display) qInstallMessageHandler(KeepQtQuiet);
    if (!display && !RunsWithoutDisplay(args)) {
        WriteText(std::cerr, NoDisplayLine());
        return kExitNeedsDisplay;
    }
    ConsoleMessages console(std::cerr, std::cin, isatty(STDIN_FILENO));
    CSluiceDlg window(display ? nullptr : &console);
    EndSessionWatch endSession(window);
    SetPumpHook(PumpQtEvents);
    int code = RunWindow(window, args, display);
    SetPumpHook(nullptr);
    return code;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args = ProgramArguments(argc, argv);
    if (IsHelpRequest(args)) {
        WriteText(std::cout, UsageText());
        return kExitHelp;
    }
    if (!HasDisplay()) {
        if (!RunsWithoutDisplay(args)) {
            WriteText(std::cerr, NoDisplayLine());
            return kExitNeedsDisplay;
        }
        qInstallMessageHandler(KeepQtQuiet);
    }
    ChooseQtPlatform();
    return RunApplication(argc, argv, args);
}

// The window library's entry: the Qt application, the main window and its
// event loop, for a run with a display.
#include <QApplication>
#include <QIcon>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/windows/end_session.h"
#include "app/windows/main_dialog.h"
#include "app/windows/qt_pump.h"
#include "app/windows/run_policy.h"
#include "app/windows/window_library.h"
#include "foundation/pump.h"
#include "platform/system.h"

namespace {

// Unless the user chose a Qt platform, the display's own platform is tried
// first and the offscreen platform after it.
void ChooseQtPlatform() {
    if (!platform::EnvironmentValue("QT_QPA_PLATFORM").empty()) return;
    std::string platforms = QtPlatforms(platform::EnvironmentValue("DISPLAY"),
                                        platform::EnvironmentValue("WAYLAND_DISPLAY"));
    setenv("QT_QPA_PLATFORM", platforms.c_str(), 1);
}

// While server programs are watched the window stays hidden: the watch
// ends the process once the programs are gone. A first start on a display
// offers the first-run prompt; the port-open test never shows the window.
int RunWindow(CSluiceDlg& window, const std::vector<std::string>& args) {
    RunKind kind = window.Start(args, true);
    if (window.Ui().ExitRequested()) return window.Ui().ExitCode();
    bool watching = window.App().Watching();
    bool shown = !watching && (kind == RunKind::kInteractive || kind == RunKind::kFirstRun ||
                               (kind != RunKind::kPortTest && !SwitchHas("hide")));
    if (shown) window.show();
    return QApplication::exec();
}

}  // namespace

int SluiceWindowsMain(int argc, char** argv) {
    ChooseQtPlatform();
    QApplication application(argc, argv);
    if (!ShowsWindows(QGuiApplication::platformName().toStdString())) return kNoScreen;
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/sluice.png")));
    CSluiceDlg window;
    EndSessionWatch endSession(window);
    SetPumpHook(PumpQtEvents);
    int code = RunWindow(window, ProgramArguments(argc, argv));
    SetPumpHook(nullptr);
    return code;
}

#include "app/watched_apps.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "app/app_ui.h"
#include "app/port_commands.h"
#include "app/settings_keys.h"
#include "app/sluice_app.h"
#include "app/startup.h"
#include "defs/definition_file.h"
#include "defs/watch_table.h"
#include "foundation/mbs.h"
#include "foundation/pump.h"
#include "foundation/settings.h"
#include "foundation/sysinfo.h"
#include "foundation/trace.h"
#include "platform/programs.h"
#include "platform/system.h"
#include "platform/window_list.h"
#include "upnp/igd_session.h"
#include "upnp/port_mapping.h"
#include "upnp/soap_request.h"

bool glb_WatchStop = false;

namespace {

constexpr int kWaitAfterLaunchMs = 3000;
constexpr int kPauseBetweenTriesMs = 1000;
constexpr int kExitWatchDone = 0;
constexpr long kLastOpenedPort = 65534;
constexpr long kLastPort = 65535;

// Where a watched port stands once its program is gone.
enum class Closing { kNone, kPending, kClosed, kLeftOpen };

struct SlotProgress {
    Closing closing = Closing::kNone;
    int tries = 0;
};

SlotProgress g_progress[kWatchSlots];
bool g_started = false;

bool MessagesOff() {
    return glb_Settings.GetInt(key::kMessageOff) != 0;
}

long PortNumber(const std::string& port) {
    return std::atol(port.c_str());
}

// The router answered that it has no such mapping (UPnP error 714), or took
// the deletion now: either way the port is closed.
bool RouterHasNoMapping(const WatchEntry& entry) {
    if (glb_IgdState != 1) return false;
    SoapRequest request(glb_ServiceType, "DeletePortMapping");
    request.AddArgument("NewRemoteHost", "", "string");
    request.AddArgument("NewExternalPort", entry.port, "ui2");
    request.AddArgument("NewProtocol", entry.protocol, "string");
    if (request.Invoke(glb_ControlURL) == 200) return true;
    return MbsFind(request.ResponseText().c_str(), "errorCode>714<") != nullptr;
}

// One try at closing the slot's port; a port text that names no port has
// nothing to close.
void TryClose(int slot) {
    const WatchEntry& entry = glb_WatchTable.entries[slot];
    SlotProgress& progress = g_progress[slot];
    long number = PortNumber(entry.port);
    if (number < 1 || number > kLastPort || DeletePortMapping(entry.port, entry.protocol) == 0 ||
        RouterHasNoMapping(entry)) {
        progress.closing = Closing::kClosed;
        return;
    }
    ++progress.tries;
    Trace("WatchClose() failed", entry.port + "/" + entry.protocol, progress.tries);
    if (progress.tries >= kCloseTries) progress.closing = Closing::kLeftOpen;
}

bool AnyPending() {
    for (const SlotProgress& progress : g_progress) {
        if (progress.closing == Closing::kPending) return true;
    }
    return false;
}

// "25565/TCP,25565/UDP" for the ports left open; "" when there are none.
std::string PortsLeftOpen() {
    std::string ports;
    for (int i = 0; i < kWatchSlots; ++i) {
        if (g_progress[i].closing != Closing::kLeftOpen) continue;
        const WatchEntry& entry = glb_WatchTable.entries[i];
        if (!ports.empty()) ports += ",";
        ports += entry.port + "/" + entry.protocol;
    }
    return ports;
}

// Ends the process: 0 when every watched port is closed; otherwise the ports
// left open are named (even with MessageOff: they are what the user must see
// to) and the code is 2.
void EndWatch(AppUi& ui) {
    std::string leftOpen = PortsLeftOpen();
    if (leftOpen.empty()) {
        ui.ExitProcess(kExitWatchDone);
        return;
    }
    ui.ShowMessage("ルーターのポートを閉じられませんでした(Port=" + leftOpen + ")");
    ui.ExitProcess(kExitBatchFailed);
}

void Launch(const std::string& program, const std::string& startFolder, AppUi& ui) {
    std::string command = program[0] == '/' ? program : startFolder + "/" + program;
    std::string folder = command;
    MbsCutLast(folder, "/");
    if (folder.empty()) folder = "/";
    platform::ChangeFolder(folder);
    if (platform::StartProgram(command, folder)) return;
    Trace("StartProgram() failed", command);
    if (!MessagesOff())
        ui.ShowMessage("サーバーアプリケーションを起動できませんでした(" + command + ")");
}

// The gone programs' titles are emptied and their ports set to close; the
// ones still running are counted.
int CountAlive() {
    platform::ReapPrograms();
    std::vector<platform::WindowInfo> windows = platform::ListWindows();
    int alive = 0;
    for (int i = 0; i < kWatchSlots; ++i) {
        WatchEntry& entry = glb_WatchTable.entries[i];
        if (entry.title.empty()) continue;
        if (WindowPresentIn(entry.title.c_str(), windows)) {
            ++alive;
            continue;
        }
        entry.title.clear();
        g_progress[i].closing = Closing::kPending;
    }
    return alive;
}

}  // namespace

bool FindWatchedPrograms() {
    return CheckDef() == 0 && glb_WatchTable.count > 0;
}

void OpenAndLaunchWatched(AppUi& ui, MainFields& fields) {
    g_started = true;
    std::string previous;
    std::string startFolder = platform::CurrentFolder();
    MbsCutSuffix(startFolder, "/");
    for (int i = 0; i < kWatchSlots; ++i) {
        const WatchEntry& entry = glb_WatchTable.entries[i];
        if (entry.program.empty()) continue;
        // A record without a title could never be found running: its port is
        // closed at the first tick instead of staying open for good.
        if (entry.title.empty()) g_progress[i].closing = Closing::kPending;
        fields.wanPort = entry.port;
        fields.lanPort = entry.port;
        long number = PortNumber(entry.port);
        if (number > 0 && number <= kLastOpenedPort &&
            AddPortMapping(entry.port, entry.protocol, entry.port, fields.lanIp, fields.comment) !=
                0 &&
            !MessagesOff()) {
            ui.ShowMessage("ルーターのポート開放に失敗しました(Port=" + entry.port + "/" +
                           entry.protocol + ")");
        }
        if (entry.program == previous) continue;
        Launch(entry.program, startFolder, ui);
        previous = entry.program;
    }
    ui.ShowFields(fields);
    ui.HideMainWindow();
    PumpSleep(kWaitAfterLaunchMs);
    ui.StartTimer(kTimerWatch, kWatchFirstTickMs);
}

bool WatchStarted() {
    return g_started;
}

void WatchTick(AppUi& ui) {
    ui.HideMainWindow();
    ui.StopTimer(kTimerWatch);
    if (glb_WatchStop) return;
    int alive = CountAlive();
    for (int i = 0; i < kWatchSlots && !glb_WatchStop; ++i) {
        if (g_progress[i].closing == Closing::kPending) TryClose(i);
    }
    if (glb_WatchStop) return;
    if (alive > 0) {
        ui.StartTimer(kTimerWatch, kWatchTickMs);
    } else if (AnyPending()) {
        ui.StartTimer(kTimerWatch, kWatchRetryMs);
    } else {
        EndWatch(ui);
    }
}

void EndSessionHandling(AppUi& ui) {
    Trace("OnQueryEndSession() S");
    if (glb_WatchTable.count > 0 && !glb_WatchStop) {
        glb_WatchStop = true;
        std::string savedMode = glb_Settings.Get(key::kTransportMode);
        if (glb_SystemProxyFlag != 0) glb_Settings.Set(key::kTransportMode, "3");
        for (int i = 0; i < kWatchSlots; ++i) {
            WatchEntry& entry = glb_WatchTable.entries[i];
            if (!entry.title.empty()) g_progress[i].closing = Closing::kPending;
            entry.title.clear();
            while (g_progress[i].closing == Closing::kPending) {
                TryClose(i);
                if (g_progress[i].closing == Closing::kPending) PumpSleep(kPauseBetweenTriesMs);
            }
        }
        if (glb_SystemProxyFlag != 0) glb_Settings.Set(key::kTransportMode, savedMode);
    }
    Trace("OnQueryEndSession() Exit");
    EndWatch(ui);
}

void ResetWatchForTests() {
    glb_WatchStop = false;
    g_started = false;
    for (SlotProgress& progress : g_progress) progress = SlotProgress();
    platform::ResetProgramsForTests();
}

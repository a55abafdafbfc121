// Watched applications: at an interactive start the ports of the server
// programs that the definition lookup found are opened and the programs
// started; timer 3 then checks every 10 s whether each program still runs
// and closes its port once it has gone, and the process ends when none is
// left. The shutdown handling closes the watched ports when the session ends
// or the process is asked to end.
#pragma once

#include "app/main_fields.h"

class AppUi;

// Set when the shutdown handling begins; from then on the watch does nothing.
// Owned by watched_apps.cpp.
extern bool glb_WatchStop;

// The first watch tick after the start, and the ticks while programs run.
constexpr int kWatchFirstTickMs = 100;
constexpr int kWatchTickMs = 10000;
// The tick while only failed deletions wait for another try.
constexpr int kWatchRetryMs = 2000;
// Deletions tried per port before it counts as left open.
constexpr int kCloseTries = 3;

// Runs the definition lookup; true when it found programs to watch.
bool FindWatchedPrograms();

// Opens each watch table entry's port (1-65534) to this computer, starts each
// program once, hides the main window, waits 3 s and arms timer 3.
void OpenAndLaunchWatched(AppUi& ui, MainFields& fields);
// True once OpenAndLaunchWatched has run.
bool WatchStarted();

// Timer 3: programs gone get their ports closed (a failed deletion is tried
// again at later ticks, up to three times; "no such mapping" counts as
// closed). When no program is left and no deletion waits, the process ends:
// with 0, or with 2 after naming the ports that could not be closed.
void WatchTick(AppUi& ui);

// The session ends or a signal asked the process to end: every watched port
// still open is closed (up to three tries each), then the process ends with
// 0, or with 2 after naming the ports left open.
void EndSessionHandling(AppUi& ui);

void ResetWatchForTests();

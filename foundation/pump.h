// Waits that keep the user interface alive: every pause on the main thread
// dispatches pending events in between.
#pragma once

#include <functional>

// Dispatches up to n pending events and returns how many it dispatched. The
// windows install Qt's, a run on the console its timers'; without a hook
// nothing is dispatched.
using PumpHook = int (*)(int n);
// nullptr removes the hook (tests use this to reset).
void SetPumpHook(PumpHook hook);

// Dispatches up to n pending events; nothing for n below 1.
void PumpMessages(int n);

// True while PumpMessages dispatches events: the event being handled has
// interrupted a wait, such as a router command's, that goes on afterwards.
bool InsidePump();

// (ms + 99) / 100 steps of PumpMessages(50) followed by a 100 ms sleep;
// nothing for ms below 1.
void PumpSleep(int ms);

// Blocks up to ms milliseconds; true when the awaited event is there.
using EventWait = std::function<bool(int ms)>;

// Like PumpSleep(ms), but each step's 100 ms sleep is wait(100), and the whole
// wait ends as soon as wait reports the event. Returns true when the event
// came. Each step counts as a full 100 ms of the budget, so the number of
// steps is the same as for PumpSleep.
bool PumpSleepFor(int ms, const EventWait& wait);

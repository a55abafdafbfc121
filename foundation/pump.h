// Waits that keep the user interface alive: every pause on the main thread
// dispatches pending events in between.
#pragma once

// Dispatches up to n pending events and returns how many it dispatched. The
// Qt program installs one; without a hook nothing is dispatched.
using PumpHook = int (*)(int n);
void SetPumpHook(PumpHook hook);

// Dispatches up to n pending events; nothing for n below 1.
void PumpMessages(int n);

// (ms + 99) / 100 steps of PumpMessages(50) followed by a 100 ms sleep;
// nothing for ms below 1.
void PumpSleep(int ms);

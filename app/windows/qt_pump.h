// The event pump behind the core's waits (SetPumpHook): it keeps the windows
// painting and answering while the core waits for the router.
#pragma once

// Dispatches up to n pending Qt events; returns how many it dispatched.
int PumpQtEvents(int n);

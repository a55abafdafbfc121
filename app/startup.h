// The main window's start-up up to the choice of the run: settings, the
// command line, the LAN address, the router and network status texts.
#pragma once

#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/main_fields.h"

class AppUi;

// The system's proxy switch (1 when a proxy is set), read at start-up.
// Owned by startup.cpp.
extern int glb_SystemProxyFlag;

// Loads the settings, applies args (CP932, without the program path), fills
// and shows the fields and writes the network status texts. Returns the run
// the command line asks for; acting on it is the caller's.
// offerFirstRun: a first start (SetupTest 9) is a first run; the program
// offers it only where a display can show the prompt.
RunKind PrepareMainWindow(AppUi& ui, MainFields& fields, const std::vector<std::string>& args,
                          bool offerFirstRun = false);

// The default gateway guessed from a LAN address: "192.168.1.20" gives
// "192.168.1.1"; "" for an address without ".".
std::string GuessGateway(const std::string& lanIp);

// The run ends by itself and never shows the main window's reports.
bool EndsUnattended(RunKind kind);

void ResetStartupForTests();

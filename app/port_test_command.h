// The port-open test without a window: "/porttest [port] [TCP|UDP]". The log
// goes to standard output as UTF-8 lines, SetupTest is stored, and the run
// ends with 1 when the outside connection succeeded, 2 otherwise.
#pragma once

#include <ostream>
#include <string>

#include "app/main_fields.h"

class AppUi;

// Log text made fit for a terminal: CP932 to UTF-8, line ends as "\n", every
// other control character removed (a router's or server's text may hold any).
std::string TerminalText(const std::string& cp932);

// Runs the test for ① (or the stored test port) and the protocol of the
// command line, to the LAN address ④ the start-up chose; writes to out and
// asks ui to end the process. SIGINT and SIGTERM stop the test, which then
// removes its mapping before the run ends.
void PortTestCommand(AppUi& ui, const MainFields& fields, std::ostream& out);

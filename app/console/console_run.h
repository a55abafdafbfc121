// A run without a display: the program's logic on the console, over
// ConsoleAppUi, without Qt.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

struct ConsoleStreams {
    std::ostream& out;  // what a window would hand to the user
    std::ostream& err;  // messages, questions and the program's own lines
    std::istream& in;   // answers to questions
    bool inIsTerminal;  // questions are asked only on a terminal
};

// Runs the program with args (CP932, without the program path) and returns
// the exit code. A run that needs a window ends at once with the usage line
// and 2, unless it is an interactive start that watches the server programs
// of the current folder; a first start asks its first-run question and ends
// with 2. SIGTERM, SIGHUP and SIGINT end the run through the shutdown
// handling, which closes the watched ports first.
int RunOnConsole(const std::vector<std::string>& args, const ConsoleStreams& streams);

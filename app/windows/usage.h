// The command-line usage texts (CP932).
#pragma once

#include <string>

// The text that "--help" prints: the grammar, the switch words and the exit
// codes, in short; the manual page sluice.1 says the same at length.
std::string UsageText();

// The single line written to standard error when a run that needs a
// window is started without a display.
std::string NoDisplayLine();

// The line written when a first start without a display has answered its
// first-run question: the command itself was not carried out.
std::string FirstRunDoneLine();

// The command line: switch, WAN ports, protocol, LAN ports, LAN IP or address
// mode, comment. The switch text decides the kind of run; an empty switch
// text means an interactive run.
#pragma once

#include <string>
#include <vector>

#include "app/main_fields.h"

// The kinds of run the command line selects.
enum class RunKind { kSetup, kFirstRun, kOpen, kCloseAll, kClose, kList, kWizard, kInteractive };

// The first argument in lower case; emptied once an interactive run is
// decided. Owned by command_line.cpp.
extern std::string glb_SwitchText;

// The switch text contains word (the words are found anywhere in it, so
// "/open_hide" holds both "open" and "hide").
bool SwitchHas(const char* word);
// A batch run: the switch text is not empty.
bool IsBatchRun();

// PROT := text; the radio pair becomes TCP for exactly "TCP", UDP for exactly
// "UDP", neither otherwise.
void SetProtocolFromText(const std::string& text, MainFields& fields);

// Applies the arguments (CP932, without the program path) to the switch
// text, the debug flag, the fields and the settings they name.
void ApplyCommandLine(const std::vector<std::string>& args, MainFields& fields);

// The run the switch text and SetupTest ask for. offerFirstRun: a first run
// (SetupTest 9) is answered with the first-run prompt and no switch word is
// acted on; the caller offers it only when a display exists to show it on,
// so a batch switch without a display is always carried out.
RunKind ChooseRun(bool offerFirstRun);

// Empties the switch text.
void ResetCommandLineForTests();

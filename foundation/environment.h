// The environment table: the program's own paths and the special folders under
// numbered entries, and the path macros built on them.
#pragma once

#include <string>

#include "foundation/keyed_table.h"

// Owned by environment.cpp.
extern KeyedTable glb_Environment;

// Fills table with entries 900001-900027 for the program path argv0 (CP932).
// On Linux the program path comes from /proc/self/exe; see ProgramPath().
void BuildEnvironment(const char* argv0, KeyedTable& table);

// Replaces "$ARGV0$", "$M_ARGV0_DIR", "$DESKTOP$", "$TEMPDIR$", "$WINDIR$",
// "$WINDRIVE$" and "$PROGRAM$" by the entries of env.
std::string ExpandMacros(const std::string& text, const KeyedTable& env);
// The reverse: known folders become macros.
std::string CollapseMacros(const std::string& text, const KeyedTable& env);

void ResetEnvironmentForTests();

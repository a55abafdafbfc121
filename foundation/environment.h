// The environment table: the program's own paths and the special folders under
// numbered entries, and the path macros built on them.
#pragma once

#include <string>

#include "foundation/keyed_table.h"

// Owned by environment.cpp.
extern KeyedTable glb_Environment;

// Fills table with entries 900001-900030 for the program path argv0 (CP932).
// A relative path is taken from the current folder. The program passes
// platform::ProgramPath() (/proc/self/exe). Entries kDataFolderEntry and
// kWritableFolderEntry (data_folders.h) name the read-only data folder and
// the folder the program writes in; the settings file (900003) is
// <writable folder><name>.ini.
void BuildEnvironment(const char* argv0, KeyedTable& table);

// glb_Environment, built from platform::ProgramPath() first if nothing has
// built it yet. The settings store expands and collapses its values with it.
const KeyedTable& SharedEnvironment();

// Replaces "$ARGV0$", "$M_ARGV0_DIR", "$DESKTOP$", "$TEMPDIR$", "$WINDIR$",
// "$WINDRIVE$", "$PROGRAM$" and "$HOME$" (the user's home folder, entry
// 900028) by the entries of env.
std::string ExpandMacros(const std::string& text, const KeyedTable& env);
// The reverse: known folders become macros; the home folder stays as it is.
std::string CollapseMacros(const std::string& text, const KeyedTable& env);

void ResetEnvironmentForTests();

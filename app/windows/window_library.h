// The window library, libsluice_gui.so: the Qt main window and its dialogs.
// The program loads it only for a run with a display, so that a run without
// one never loads Qt. Both sides share these names.
#pragma once

#include <iosfwd>
#include <string>

// The library's file name.
extern const char kWindowLibraryName[];
// Where an installed program's library lies, relative to the program's own
// folder and ending in "/": "../lib/sluice/" for the usual layout, as the
// install rules place it.
extern const char kInstalledWindowLibraryFolder[];

// What the library's entry returns when Qt found no screen after all (a
// display variable names a display that cannot be reached): nothing has
// been done yet, and the program goes on without windows.
constexpr int kNoScreen = -1;

// The library's entry: runs the whole program with its windows and returns
// the exit code, or kNoScreen. The arguments are main's.
extern "C" int SluiceWindowsMain(int argc, char** argv);

// Where the library lies for the program at programPath (its real, absolute
// path, CP932): beside the program, as in the build folder, or in
// kInstalledWindowLibraryFolder once installed. The first of the two that
// exists; "" when neither does, or when programPath is not absolute.
std::string WindowLibraryPath(const std::string& programPath);

// Loads the library and runs its entry. When it cannot be loaded, writes one
// line saying why to err and returns kNoScreen.
int RunWindowLibrary(int argc, char** argv, std::ostream& err);

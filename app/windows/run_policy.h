// Decisions taken before the main window exists: is there a display to show
// windows on, and can this command line run without one.
#pragma once

#include <string>
#include <vector>

// True when either display variable names a display (X11 or Wayland).
bool HasDisplay(const std::string& display, const std::string& waylandDisplay);
// The same, from the process environment.
bool HasDisplay();

// The Qt platforms to try, in order, for these display variables: Wayland
// and X11 where their variables are set, and always the offscreen platform
// last, so that a display that cannot be reached ends up with no display
// instead of no program.
std::string QtPlatforms(const std::string& display, const std::string& waylandDisplay);

// True when windows on this Qt platform appear on a screen.
bool ShowsWindows(const std::string& qtPlatformName);

// True when the arguments (CP932, without the program path) ask for a run
// that only makes sense on a screen: no switch word that works unattended
// (setup, open, close, closeall, list, porttest), so an interactive run or
// the wizard.
bool NeedsDisplay(const std::vector<std::string>& args);

// True when the first argument's switch text asks for the setup wizard.
bool IsWizardRun(const std::vector<std::string>& args);

// True when the arguments have work to do without a display: a run that
// does not need one, or an interactive start (never the wizard) that finds
// server programs to watch in the current folder's definition file.
bool RunsWithoutDisplay(const std::vector<std::string>& args);

// True when the first argument asks for the usage text ("--help" or "-h").
bool IsHelpRequest(const std::vector<std::string>& args);

// main's arguments without the program path, converted to CP932.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// The mapping list without a window ("/list", "/list_hide"): every mapping
// the router holds, whoever it points to, printed one per line on standard
// output for scripts, read with the same GetMappingEntries as the list window.
#pragma once

#include <string>
#include <vector>

class AppUi;

// How many mappings a list asks for when no count is given, and at most.
constexpr int kListDefaultCount = 100;
constexpr int kListMaxCount = 1000;

// The count of a list run from its arguments (CP932, without the program
// path): the second argument, a decimal number; none gives the default, a
// larger one the cap. 0 when the argument is no count of at least 1.
int ListCount(const std::vector<std::string>& args);

// One output line for a mapping record (eight tab-separated fields, see
// GetMappingEntries): external port, protocol, LAN address, LAN port,
// enabled, description, lease, separated by tabs, ending in "\n". The
// router's texts lose their control characters, tabs included, so each
// field stays in its place.
std::string ListLine(const std::string& record);

// The list timer: hides the window ("hide") or shows the busy panel, then
// runs the list command.
void RunListTimer(AppUi& ui, int count);

// Prints at most count mappings (0: the count was bad, says so) and ends the
// process with 1, or with 2 when there is no router or the count was bad.
void ListCommand(AppUi& ui, int count);

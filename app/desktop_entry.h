// Desktop entry files (freedesktop.org Desktop Entry format, Type=Application):
// the launchers the program puts on the desktop. All texts here are UTF-8.
#pragma once

#include <string>
#include <vector>

struct DesktopEntry {
    std::string name;
    std::string target;  // the program to run
    std::vector<std::string> arguments;
    std::string icon;           // "" = none
    std::string workingFolder;  // "" = none
};

// One word of an Exec line: in double quotes when it holds a reserved
// character or is empty (with " ` $ \ escaped inside), and "%" doubled.
std::string QuoteExecArgument(const std::string& argument);

// The value of the Exec key: the target and every argument quoted and joined
// by spaces, with the escapes of a string value on top.
std::string ExecValue(const std::string& target, const std::vector<std::string>& arguments);

// The whole file.
std::string DesktopEntryText(const DesktopEntry& entry);

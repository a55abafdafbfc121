// Names and paths the system knows about this machine, user and process.
// All texts are CP932; an unknown value is an empty text.
#pragma once

#include <string>

namespace platform {

// The host name (gethostname).
std::string ComputerName();
// The name of the user the process runs as.
std::string LoginName();
// The kernel release, as "uname -r" prints it.
std::string KernelRelease();
// The running executable's absolute path (/proc/self/exe).
std::string ProgramPath();
// The current working folder.
std::string CurrentFolder();
// Makes folder the current working folder; false when it cannot be entered.
bool ChangeFolder(const std::string& folder);
// The value of an environment variable; empty when it is unset.
std::string EnvironmentValue(const char* name);

}  // namespace platform

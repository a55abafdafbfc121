// The desktop's top-level windows and the running processes, as the window
// finder sees them: a title and a class for each.
#pragma once

#include <string>
#include <vector>

namespace platform {

struct WindowInfo {
    std::string title;      // CP932
    std::string className;  // CP932
};

// The X11 top-level windows (when a display is reachable: their names and
// WM_CLASS), then every running process (its command line as the title, its
// command name as the class), so that a server without a window is found too.
// This process and zombie processes are not listed.
std::vector<WindowInfo> ListWindows();

}  // namespace platform

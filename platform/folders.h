// Folders and names the system keeps for the user. All texts are CP932.
#pragma once

#include <string>

namespace platform {

// $TMPDIR or /tmp, with a trailing "/".
std::string TempFolder();

// $HOME, else the home folder of the password database; no trailing "/".
std::string HomeFolder();
// $XDG_CONFIG_HOME when it is an absolute path, else ~/.config; no trailing "/".
std::string ConfigFolder();

// The user's desktop and documents folders: XDG_DESKTOP_DIR and
// XDG_DOCUMENTS_DIR of the config folder's user-dirs.dirs, else ~/Desktop and
// ~/Documents. No trailing "/".
std::string DesktopFolder();
std::string DocumentsFolder();
// ~/.local/share/applications: where desktop menu entries live.
std::string ApplicationsFolder();
// ~/.config/autostart: entries started at login.
std::string AutostartFolder();

}  // namespace platform

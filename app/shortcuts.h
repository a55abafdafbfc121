// Desktop launchers that start the program again with a batch command line:
// the start set, made once by the switch "setup", and the open/close pair of
// an open command. A launcher is a desktop entry file named like the
// program's shortcuts with ".desktop" at the end.
#pragma once

#include <functional>
#include <string>
#include <vector>

// Shows a message to the user.
using ShortcutMessage = std::function<void(const std::string&)>;

// Writes a launcher at linkPath (mode 0755, replacing an existing file; its
// folder is made when missing) that runs target with each of arguments as one
// argument. iconFile and workingFolder may be empty; a desktop entry has no
// icon index, so iconIndex is not used. All texts are CP932. Returns 1, or
// shows "ショートカット作成失敗" and returns 0.
int CreateShortCut(const std::string& linkPath, const std::string& target,
                   const std::vector<std::string>& arguments, const std::string& iconFile,
                   int iconIndex, const std::string& workingFolder,
                   const ShortcutMessage& showMessage);

// "Sluice (手動開放)", "Sluice (ウィザード)" (/wizard) and "ポート閉鎖(ALL)"
// (/closeall) in the desktop folder, unless "ポート閉鎖(ALL).desktop" is
// there already.
void CreateStartShortcuts(const ShortcutMessage& showMessage);

// "ポート開放(<wanPorts><P>)" running /open wanPorts PROT lanPorts <address>
// and "ポート閉鎖(<wanPorts><P>)" running /close wanPorts PROT, in the desktop
// folder; P is the first character of the setting PROT. A "/" in wanPorts
// becomes "_" in the file names, which cannot hold it; the arguments keep it.
void CreatePortShortcuts(const std::string& wanPorts, const std::string& lanPorts,
                         const ShortcutMessage& showMessage);

// The LAN address argument of the open launcher, by the address mode IP取得:
// IPADDR for 0, "自動1", "自動2" for 1 and 2, "自動3" for any other value.
std::string AddressArgument();

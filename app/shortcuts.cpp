#include "app/shortcuts.h"

#include "app/desktop_entry.h"
#include "app/settings_keys.h"
#include "foundation/data_folders.h"
#include "foundation/environment.h"
#include "foundation/mbs.h"
#include "foundation/settings.h"
#include "foundation/trace.h"
#include "platform/charset.h"
#include "platform/files.h"

namespace {

constexpr int kProgramPathEntry = 900002;
constexpr int kDesktopEntry = 900010;
constexpr char kExtension[] = ".desktop";

// "" when the desktop folder is unknown, so that nothing lands in "/".
std::string DesktopFile(const std::string& baseName) {
    std::string desktop = SharedEnvironment().GetEnum(kDesktopEntry);
    return desktop.empty() ? desktop : desktop + "/" + baseName + kExtension;
}

std::string ProgramPath() {
    return SharedEnvironment().GetEnum(kProgramPathEntry);
}

// The icon of the launchers: the icon theme's "sluice" for an installed
// program, else the picture beside the program.
std::string LauncherIcon() {
    return RunsInstalled() ? "sluice" : DataFile("sluice.png");
}

// The file name without its folder and without ".desktop" (UTF-8).
std::string BaseName(const std::string& utf8Path) {
    std::string name = utf8Path.substr(utf8Path.rfind('/') + 1);
    std::string extension = kExtension;
    if (name.size() >= extension.size() &&
        name.compare(name.size() - extension.size(), std::string::npos, extension) == 0)
        name.erase(name.size() - extension.size());
    return name;
}

std::vector<std::string> ToUtf8(const std::vector<std::string>& texts) {
    std::vector<std::string> converted;
    for (const std::string& text : texts) converted.push_back(platform::Cp932ToUtf8(text));
    return converted;
}

void MakeParentFolder(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos || slash == 0) return;
    std::string folder = path.substr(0, slash);
    if (!platform::PathExists(folder)) platform::MakeFolders(folder);
}

// The first character of text, a double-byte one whole.
std::string FirstCharacter(const std::string& text) {
    if (text.empty()) return text;
    bool wide = IsLeadByte(static_cast<unsigned char>(text[0])) && text.size() > 1;
    return text.substr(0, wide ? 2 : 1);
}

// A file name cannot hold "/".
std::string FileNamePart(std::string text) {
    for (char& c : text) {
        if (c == '/') c = '_';
    }
    return text;
}

}  // namespace

int CreateShortCut(const std::string& linkPath, const std::string& target,
                   const std::vector<std::string>& arguments, const std::string& iconFile,
                   [[maybe_unused]] int iconIndex, const std::string& workingFolder,
                   const ShortcutMessage& showMessage) {
    DesktopEntry entry;
    std::string utf8Path = platform::Cp932ToUtf8(linkPath);
    entry.name = BaseName(utf8Path);
    entry.target = platform::Cp932ToUtf8(target);
    entry.arguments = ToUtf8(arguments);
    entry.icon = platform::Cp932ToUtf8(iconFile);
    entry.workingFolder = platform::Cp932ToUtf8(workingFolder);
    MakeParentFolder(linkPath);
    if (!entry.name.empty() && platform::WriteWholeFile(linkPath, DesktopEntryText(entry), true))
        return 1;
    Trace("CreateShortCut() error", linkPath);
    showMessage("ショートカット作成失敗");
    return 0;
}

void CreateStartShortcuts(const ShortcutMessage& showMessage) {
    std::string closeAll = DesktopFile("ポート閉鎖(ALL)");
    if (platform::PathExists(closeAll)) return;
    CreateShortCut(DesktopFile("Sluice (手動開放)"), ProgramPath(), {}, LauncherIcon(), 0, "",
                   showMessage);
    CreateShortCut(DesktopFile("Sluice (ウィザード)"), ProgramPath(), {"/wizard"}, LauncherIcon(),
                   0, "", showMessage);
    CreateShortCut(closeAll, ProgramPath(), {"/closeall"}, LauncherIcon(), 0, "", showMessage);
}

void CreatePortShortcuts(const std::string& wanPorts, const std::string& lanPorts,
                         const ShortcutMessage& showMessage) {
    std::string protocol = glb_Settings.Get(key::kProtocol);
    std::string address = AddressArgument();
    std::string suffix = "(" + FileNamePart(wanPorts) + FirstCharacter(protocol) + ")";
    CreateShortCut(DesktopFile("ポート開放" + suffix), ProgramPath(),
                   {"/open", wanPorts, protocol, lanPorts, address}, LauncherIcon(), 0, "",
                   showMessage);
    CreateShortCut(DesktopFile("ポート閉鎖" + suffix), ProgramPath(),
                   {"/close", wanPorts, protocol}, LauncherIcon(), 0, "", showMessage);
}

std::string AddressArgument() {
    switch (glb_Settings.GetInt(key::kAddressMode)) {
        case 0:
            return glb_Settings.Get(key::kFixedAddress);
        case 1:
            return "自動1";
        case 2:
            return "自動2";
        default:
            return "自動3";
    }
}

#include "foundation/environment.h"

#include "foundation/data_folders.h"
#include "foundation/mbs.h"
#include "foundation/sysinfo.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/system.h"

KeyedTable glb_Environment;

namespace {

struct Macro {
    const char* name;
    int entry;
};

// Expansion order; "$M_ARGV0_DIR" is a second name that is never written.
const Macro kExpansions[] = {
    {"$ARGV0$", 900008},  {"$M_ARGV0_DIR", 900008}, {"$DESKTOP$", 900010}, {"$TEMPDIR$", 900019},
    {"$WINDIR$", 900021}, {"$WINDRIVE$", 900026},   {"$PROGRAM$", 900025}, {"$HOME$", 900028},
};
// Collapse order (the home folder is never collapsed, so settings files keep
// their paths as before): the Windows drive goes before the Program Files folder.
const Macro kCollapses[] = {
    {"$ARGV0$", 900008},  {"$DESKTOP$", 900010},  {"$TEMPDIR$", 900019},
    {"$WINDIR$", 900021}, {"$WINDRIVE$", 900026}, {"$PROGRAM$", 900025},
};

// Special places stored in 900010-900021, in this order.
const int kFolderPlaces[] = {
    0, 2, 5, 6, 7, 8, 9, 11, 16, kPlaceTemp, kPlaceQuickTemp, kPlaceWindows};

// Every occurrence of search, found left to right at character boundaries,
// becomes replacement. An empty search text replaces nothing.
std::string ReplaceAll(const std::string& text, const std::string& search,
                       const std::string& replacement) {
    if (search.empty()) return text;
    std::string result;
    size_t i = 0;
    while (i < text.size()) {
        if (text.compare(i, search.size(), search) == 0) {
            result += replacement;
            i += search.size();
            continue;
        }
        size_t size =
            IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
        result.append(text, i, size);
        i += size;
    }
    return result;
}

std::string AbsoluteProgramPath(const char* argv0) {
    std::string path = argv0 ? argv0 : "";
    if (!path.empty() && path[0] == '/') return path;
    std::string folder = platform::CurrentFolder();
    MbsCutSuffix(folder, "/");
    return folder + "/" + path;
}

}  // namespace

void BuildEnvironment(const char* argv0, KeyedTable& table) {
    std::string path = AbsoluteProgramPath(argv0);
    PathParts parts = SplitPath(path.c_str());
    std::string folder = path;
    MbsCutLast(folder, "/");

    table.SetEnum(900001, "■■■環境変数1 __argv[0]より■■■");
    table.SetEnum(900006, parts.folder);
    table.SetEnum(900004, parts.name);
    table.SetEnum(900005, parts.nameExt);
    table.SetEnum(900007, parts.withoutExt);
    table.SetEnum(900002, path);
    ProgramFolders folders = FindProgramFolders(parts.folder);
    table.SetEnum(900003, folders.writable + parts.name + ".ini");
    table.SetEnum(900008, folder);

    table.SetEnum(900009, "■■■環境変数2 各種フォルダ■■■");
    int entry = 900010;
    for (int place : kFolderPlaces) table.SetEnum(entry++, SpecialPlace(place));
    std::string windows = table.GetEnum(900021);
    table.SetEnum(900025, windows.empty() ? windows : windows.substr(0, 3) + "Program Files");
    table.SetEnum(900026, windows.substr(0, 2));
    table.SetEnum(900022, SpecialPlace(kPlaceSystem));
    table.SetEnum(900023, SpecialPlace(kPlaceComputerName));
    table.SetEnum(900024, SpecialPlace(kPlaceUserName));
    table.SetEnum(900027, "■■■環境変数定義終了■■■");
    table.SetEnum(900028, platform::HomeFolder());
    table.SetEnum(kDataFolderEntry, folders.data);
    table.SetEnum(kWritableFolderEntry, folders.writable);
}

const KeyedTable& SharedEnvironment() {
    if (*glb_Environment.GetEnum(900001) == '\0') {
        BuildEnvironment(platform::ProgramPath().c_str(), glb_Environment);
    }
    return glb_Environment;
}

std::string ExpandMacros(const std::string& text, const KeyedTable& env) {
    std::string result = text;
    for (const Macro& macro : kExpansions) {
        result = ReplaceAll(result, macro.name, env.GetEnum(macro.entry));
    }
    return result;
}

std::string CollapseMacros(const std::string& text, const KeyedTable& env) {
    std::string result = text;
    for (const Macro& macro : kCollapses) {
        result = ReplaceAll(result, env.GetEnum(macro.entry), macro.name);
    }
    return result;
}

void ResetEnvironmentForTests() {
    glb_Environment.Clear();
}

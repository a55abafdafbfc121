#include "foundation/sysinfo.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "foundation/keyed_table.h"
#include "foundation/mbs.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/system.h"

namespace {

constexpr size_t kPlaceBufferSize = 1024;

size_t MbsCharSize(const char* text) {
    return IsLeadByte(static_cast<unsigned char>(text[0])) && text[1] != '\0' ? 2 : 1;
}

bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// "t" and the tick count modulo 10000000 in seven digits, in folder.
std::string TempFileName(std::string folder) {
    if (!folder.empty() && folder.back() != '/') folder.push_back('/');
    char name[32];
    std::snprintf(name, sizeof name, "t%07u.txt",
                  static_cast<unsigned>(platform::TickCount() % 10000000u));
    return folder + name;
}

std::string ShellFolder(int place) {
    switch (place) {
        case kPlaceDesktop:
        case kPlaceDesktopFolder:
            return platform::DesktopFolder();
        case kPlacePrograms:
        case kPlaceStartMenu:
            return platform::ApplicationsFolder();
        case kPlaceDocuments:
            return platform::DocumentsFolder();
        case kPlaceStartup:
            return platform::AutostartFolder();
        default:
            return std::string();
    }
}

// * matches any run of characters, ? one character (a double-byte one whole).
bool WildcardMatch(const char* name, const char* pattern) {
    if (*pattern == '\0') return *name == '\0';
    if (*pattern == '*') {
        for (const char* rest = name;; rest += MbsCharSize(rest)) {
            if (WildcardMatch(rest, pattern + 1)) return true;
            if (*rest == '\0') return false;
        }
    }
    if (*name == '\0') return false;
    size_t size = MbsCharSize(name);
    if (*pattern == '?') return WildcardMatch(name + size, pattern + 1);
    return MbsCharSize(pattern) == size && std::strncmp(name, pattern, size) == 0 &&
           WildcardMatch(name + size, pattern + size);
}

bool AnyEntryMatches(const PathParts& parts) {
    std::vector<platform::FolderEntry> entries;
    platform::ListFolder(parts.folder.empty() ? "." : parts.folder, &entries);
    for (const platform::FolderEntry& entry : entries) {
        if (WildcardMatch(entry.name.c_str(), parts.nameExt.c_str())) return true;
    }
    return false;
}

bool NameMatches(const std::string& name, const StrList& alternatives) {
    if (alternatives.Count() == 0) return true;
    for (int i = 0; i < alternatives.Count(); ++i) {
        if (PatternFind(name.c_str(), alternatives.GetAt(i),
                        kPatternFoldText | kPatternFoldPattern) >= 0)
            return true;
    }
    return false;
}

void WalkFolder(const std::string& folder, const StrList& alternatives, StrList& result, int flags,
                int depthLeft) {
    std::vector<platform::FolderEntry> entries;
    platform::ListFolder(folder.empty() ? "/" : folder, &entries);  // "" is the root
    for (const platform::FolderEntry& entry : entries) {
        std::string path = folder + "/" + entry.name;
        if (entry.isFolder && depthLeft != 0) {
            WalkFolder(path, alternatives, result, flags, depthLeft - 1);
        } else if (entry.isFile && (flags & kFindFiles) && NameMatches(entry.name, alternatives)) {
            result.Add(path.c_str());
        }
    }
}

}  // namespace

int m_GetSpecialFolderLocation(char* buffer, int place) {
    if (!buffer) return 1;
    std::string text = CutAtCharBoundary(SpecialPlace(place), kPlaceBufferSize - 1);
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return 1;
}

std::string SpecialPlace(int place) {
    std::string quick = platform::EnvironmentValue("TEMP_QUICK");
    switch (place) {
        case kPlaceTemp:
            return platform::TempFolder();
        case kPlaceTempFile:
            return TempFileName(platform::TempFolder());
        case kPlaceComputerName:
            return platform::ComputerName();
        case kPlaceUserName:
            return platform::LoginName();
        case kPlaceQuickTemp:
            return quick.empty() ? platform::TempFolder() : quick;
        case kPlaceQuickTempFile:
            return TempFileName(quick.empty() ? platform::TempFolder() : quick);
        default:
            return place >= 0 && place < 0x1000 ? ShellFolder(place) : std::string();
    }
}

std::string GetOSName() {
    return "Linux " + platform::KernelRelease();
}

int WindowPresent(const char* title) {
    return WindowPresentIn(title, platform::ListWindows());
}

int WindowPresentIn(const char* title, const std::vector<platform::WindowInfo>& windows) {
    if (!title) return 0;
    for (const platform::WindowInfo& window : windows) {
        if (window.title == title) return 1;
    }
    std::string search = MbsLower(std::string(title));
    for (const platform::WindowInfo& window : windows) {
        if (MbsFind(MbsLower(window.title).c_str(), search.c_str()) ||
            MbsFind(MbsLower(window.className).c_str(), search.c_str()))
            return 1;
    }
    return 0;
}

int FileExists(const char* path) {
    if (!path || !*path) return 0;
    if (platform::PathExists(path)) return 1;
    PathParts parts = SplitPath(path);
    if (parts.nameExt.find_first_of("*?") == std::string::npos) return 0;
    return AnyEntryMatches(parts) ? 1 : 0;
}

int GetFileTimes(const char* path, FileTimes* times) {
    platform::FileStamps stamps;
    if (!path || !platform::ReadFileStamps(path, &stamps)) return -1;
    if (times) {
        times->creation = stamps.creation;
        times->lastWrite = stamps.lastWrite;
        times->lastAccess = stamps.lastAccess;
    }
    return 0;
}

PathParts SplitPath(const char* path) {
    PathParts parts;
    std::string text = path ? path : "";
    if (text.size() == 1 && IsAsciiLetter(text[0])) {
        parts.drive = text + ":\\";
    } else if (text.size() == 2 && text[1] == ':') {
        parts.drive = text + "\\";
    } else if (!text.empty()) {
        StrList pieces(text.c_str(), "\\\\;//;\\;/", StrList::kKeepDelimiter);
        int last = pieces.Count() - 1;
        if (last > 0) parts.drive = pieces.GetAt(0);
        for (int i = 1; i < last; ++i) parts.directory += pieces.GetAt(i);
        parts.name = pieces.GetAt(last);
        int dot = MbsFindLast(parts.name.c_str(), ".");
        if (dot >= 0) {
            parts.extension = parts.name.substr(dot);
            parts.name.erase(dot);
        }
    }
    parts.folder = parts.drive + parts.directory;
    parts.withoutExt = parts.folder + parts.name;
    parts.nameExt = parts.name + parts.extension;
    return parts;
}

StrList& FindFiles(const char* folder, const char* pattern, StrList& result, int flags,
                   int depthLimit) {
    std::string root = folder ? folder : "";
    if (root.empty()) return result;
    MbsCutSuffix(root, "/");
    MbsCutSuffix(root, "\\");
    std::string alternatives = pattern ? pattern : "";
    alternatives.erase(std::remove(alternatives.begin(), alternatives.end(), '*'),
                       alternatives.end());
    WalkFolder(root, StrList(alternatives.c_str(), ";"), result, flags, depthLimit);
    return result;
}

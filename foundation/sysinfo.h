// What the program asks of the operating system: special folders, the OS name,
// top-level windows, files and paths.
#pragma once

#include <ctime>
#include <string>

#include "foundation/strlist.h"

enum SpecialPlace {
    kPlaceDesktop = 0,
    kPlacePrograms = 2,
    kPlaceDocuments = 5,
    kPlaceStartup = 7,
    kPlaceStartMenu = 11,
    kPlaceDesktopFolder = 16,
    kPlaceTemp = 4097,
    kPlaceTempFile = 4098,
    kPlaceWindows = 4099,
    kPlaceSystem = 4100,
    kPlaceComputerName = 4101,
    kPlaceUserName = 4102,
    kPlaceQuickTemp = 4103,
    kPlaceQuickTempFile = 4104,
};

// Writes the place's text (CP932, at most 1023 bytes) into buffer, which holds
// at least 1024 bytes; empty when unknown. Always returns 1.
int m_GetSpecialFolderLocation(char* buffer, int place);
std::string SpecialPlace(int place);

// "Linux " followed by the kernel release.
std::string GetOSName();

// 1 when a top-level window or a running process has this title, or when the
// lower-cased title is contained in a window's title or class.
int WindowPresent(const char* title);

int FileExists(const char* path);
struct FileTimes {
    time_t creation = 0;
    time_t lastWrite = 0;
    time_t lastAccess = 0;
};
// 0, or -1 when the file cannot be found.
int GetFileTimes(const char* path, FileTimes* times);

struct PathParts {
    std::string drive, directory, name, extension;
    std::string folder;        // drive + directory
    std::string withoutExt;    // drive + directory + name
    std::string nameExt;       // name + extension
};
PathParts SplitPath(const char* path);

enum FindFlags { kFindFiles = 8 };
// Adds the full paths of files under folder whose names contain one of the
// ";"-separated alternatives of pattern ("*" removed, letter case ignored).
StrList& FindFiles(const char* folder, const char* pattern, StrList& result, int flags,
                   int depthLimit);

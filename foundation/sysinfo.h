// What the program asks of the operating system: special folders, the OS name,
// top-level windows, files and paths.
#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "foundation/strlist.h"
#include "platform/window_list.h"

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
// at least 1024 bytes; empty when unknown. Always returns 1. Folders have no
// trailing "/" except the temporary folder (4097); 4098 and 4104 are file names
// "t<tick count modulo 10000000, 7 digits>.txt" in the temporary and the quick
// temporary folder. C linkage: libsluice.so exports it by this name.
extern "C" int m_GetSpecialFolderLocation(char* buffer, int place);
std::string SpecialPlace(int place);

// "Linux " followed by the kernel release.
std::string GetOSName();

// 1 when a top-level window or a running process has this title, or when the
// lower-cased title is contained in a window's title or class.
int WindowPresent(const char* title);
// The same decision over a given list of windows.
int WindowPresentIn(const char* title, const std::vector<platform::WindowInfo>& windows);

// 1 when a file or folder exists at path; with "*" or "?" in its last part,
// when any entry of that folder matches.
int FileExists(const char* path);
struct FileTimes {
    time_t creation = 0;
    time_t lastWrite = 0;
    time_t lastAccess = 0;
};
// 0, or -1 when the file cannot be found.
int GetFileTimes(const char* path, FileTimes* times);

// Splits at "\\", "//", "\" or "/" (each kept at the end of its piece): the
// first piece is the drive, the last the name and extension, the pieces
// between the directory. A lone letter or a letter and ":" is a drive; a path
// without separator is a name.
struct PathParts {
    std::string drive, directory, name, extension;
    std::string folder;      // drive + directory
    std::string withoutExt;  // drive + directory + name
    std::string nameExt;     // name + extension
};
PathParts SplitPath(const char* path);

enum FindFlags { kFindFiles = 8 };
// Adds the full paths of files under folder whose names contain one of the
// ";"-separated alternatives of pattern ("*" removed, letter case ignored).
// Sub-folders are entered down to depthLimit levels (negative: no limit);
// links to folders are not entered.
StrList& FindFiles(const char* folder, const char* pattern, StrList& result, int flags,
                   int depthLimit);

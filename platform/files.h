// Files and folders: existence, time stamps, write access and listings.
// Paths are CP932 texts; they are converted for the system here.
#pragma once

#include <ctime>
#include <string>
#include <vector>

namespace platform {

// True when a file, folder or other entry exists at path (links followed).
bool PathExists(const std::string& path);

struct FileStamps {
    time_t creation = 0;  // birth time when the file system keeps one, else status change
    time_t lastWrite = 0;
    time_t lastAccess = 0;
};
// False when the path cannot be found.
bool ReadFileStamps(const std::string& path, FileStamps* stamps);

// True when the process may create files in the folder.
bool IsWritableFolder(const std::string& folder);
// Creates the folder and any missing parents; true when it exists afterwards.
bool MakeFolders(const std::string& folder);

struct FolderEntry {
    std::string name;
    bool isFolder = false;  // a real folder, not a link to one (so walks cannot loop)
    bool isFile = false;    // a regular file, or a link to one
};
// The entries of folder without "." and "..", in byte order of their names.
// False when the folder cannot be read.
bool ListFolder(const std::string& folder, std::vector<FolderEntry>* entries);

// Replaces the file at path with bytes. The bytes go to a temporary file
// beside it that is then renamed over it, so a failed write leaves any old
// file as it was and no partial file behind. Mode 0755 when executable, else
// 0644. False on failure.
bool WriteWholeFile(const std::string& path, const std::string& bytes, bool executable);

// Appends bytes to the file at path in one write, creating it with mode 0600.
// Meant for a log in a folder other users can write to (/tmp): a symbolic
// link at path is not followed, and a file that another user owns, that is
// not a regular file or that has a second name (a hard link) is left alone.
// A file of ours that others could read is made private first. False when
// nothing was written.
bool AppendToOwnFile(const std::string& path, const std::string& bytes);

}  // namespace platform

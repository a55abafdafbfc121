#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "platform/charset.h"
#include "platform/files.h"

namespace platform {

bool PathExists(const std::string& path) {
    struct stat info;
    return !path.empty() && stat(Cp932ToUtf8(path).c_str(), &info) == 0;
}

// ext4 and most modern file systems keep a birth time that statx reports;
// where it is missing the last status change stands in for it.
bool ReadFileStamps(const std::string& path, FileStamps* stamps) {
    struct statx info;
    if (path.empty() ||
        statx(AT_FDCWD, Cp932ToUtf8(path).c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &info) != 0)
        return false;
    stamps->creation =
        (info.stx_mask & STATX_BTIME) ? info.stx_btime.tv_sec : info.stx_ctime.tv_sec;
    stamps->lastWrite = info.stx_mtime.tv_sec;
    stamps->lastAccess = info.stx_atime.tv_sec;
    return true;
}

bool IsWritableFolder(const std::string& folder) {
    std::string path = Cp932ToUtf8(folder);
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           access(path.c_str(), W_OK | X_OK) == 0;
}

bool MakeFolders(const std::string& folder) {
    std::string path = Cp932ToUtf8(folder);
    for (size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        mkdir(path.substr(0, slash).c_str(), 0755);
    }
    if (mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) return false;
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool ListFolder(const std::string& folder, std::vector<FolderEntry>* entries) {
    std::string path = Cp932ToUtf8(folder);
    DIR* dir = opendir(path.c_str());
    if (!dir) return false;
    while (const dirent* item = readdir(dir)) {
        std::string name = item->d_name;
        if (name == "." || name == "..") continue;
        std::string full = path + "/" + name;
        struct stat info;
        FolderEntry entry;
        entry.name = Utf8ToCp932(name);
        entry.isFolder = lstat(full.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
        entry.isFile = stat(full.c_str(), &info) == 0 && S_ISREG(info.st_mode);
        entries->push_back(entry);
    }
    closedir(dir);
    std::sort(entries->begin(), entries->end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    return true;
}

namespace {

bool WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t written = write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        done += static_cast<size_t>(written);
    }
    return true;
}

}  // namespace

bool WriteWholeFile(const std::string& path, const std::string& bytes, bool executable) {
    if (path.empty()) return false;
    std::string target = Cp932ToUtf8(path);
    std::string temporary = target + ".XXXXXX";
    int fd = mkstemp(temporary.data());
    if (fd < 0) return false;
    bool written = WriteAll(fd, bytes) && fchmod(fd, executable ? 0755 : 0644) == 0;
    written = close(fd) == 0 && written;
    if (written && rename(temporary.c_str(), target.c_str()) == 0) return true;
    unlink(temporary.c_str());
    return false;
}

namespace {

// The file behind fd is a plain file of this user with no other name.
bool IsOwnPlainFile(int fd) {
    struct stat info;
    return fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == geteuid() &&
           info.st_nlink == 1 && ((info.st_mode & 077) == 0 || fchmod(fd, 0600) == 0);
}

}  // namespace

// O_NONBLOCK keeps a FIFO planted at path from holding the open forever.
bool AppendToOwnFile(const std::string& path, const std::string& bytes) {
    if (path.empty()) return false;
    int fd = open(Cp932ToUtf8(path).c_str(),
                  O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    bool written = IsOwnPlainFile(fd) && WriteAll(fd, bytes);
    close(fd);
    return written;
}

}  // namespace platform

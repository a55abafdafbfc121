#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "platform/charset.h"
#include "platform/folders.h"

namespace platform {
namespace {

// The folders below are worked out in the system's UTF-8 and converted once.
std::string EnvUtf8(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

void DropTrailingSlashes(std::string& path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
}

std::string HomeUtf8() {
    std::string home = EnvUtf8("HOME");
    if (home.empty()) {
        const passwd* entry = getpwuid(getuid());
        if (entry && entry->pw_dir) home = entry->pw_dir;
    }
    DropTrailingSlashes(home);
    return home;
}

// An XDG base folder: the variable when it holds an absolute path, else the
// fallback below the home folder.
std::string XdgBaseUtf8(const char* variable, const char* fallback) {
    std::string folder = EnvUtf8(variable);
    if (folder.empty() || folder[0] != '/') return HomeUtf8() + fallback;
    DropTrailingSlashes(folder);
    return folder;
}

// The value of a user-dirs.dirs line such as XDG_DESKTOP_DIR="$HOME/Desktop":
// quotes removed, backslash escapes resolved, "$HOME" replaced. Only the two
// forms the format allows ("$HOME/..." and an absolute path) are accepted.
std::string UserDirValue(const std::string& quoted) {
    if (quoted.size() < 2 || quoted.front() != '"') return std::string();
    std::string value;
    for (size_t i = 1; i < quoted.size() && quoted[i] != '"'; ++i) {
        if (quoted[i] == '\\' && i + 1 < quoted.size()) ++i;
        value.push_back(quoted[i]);
    }
    const std::string home = "$HOME";
    if (value.compare(0, home.size(), home) == 0 &&
        (value.size() == home.size() || value[home.size()] == '/')) {
        value = HomeUtf8() + value.substr(home.size());
    }
    if (value.empty() || value[0] != '/') return std::string();
    DropTrailingSlashes(value);
    return value;
}

std::string UserDirUtf8(const char* key, const char* fallback) {
    std::ifstream file(XdgBaseUtf8("XDG_CONFIG_HOME", "/.config") + "/user-dirs.dirs");
    const std::string prefix = std::string(key) + "=";
    std::string found;
    std::string line;
    while (std::getline(file, line)) {
        size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line.compare(start, prefix.size(), prefix) != 0) continue;
        std::string value = UserDirValue(line.substr(start + prefix.size()));
        if (!value.empty()) found = value;
    }
    return found.empty() ? HomeUtf8() + fallback : found;
}

}  // namespace

std::string TempFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string folder = (tmp && *tmp) ? Utf8ToCp932(tmp) : std::string("/tmp");
    if (folder.back() != '/') folder.push_back('/');
    return folder;
}

std::string HomeFolder() {
    return Utf8ToCp932(HomeUtf8());
}

std::string ConfigFolder() {
    return Utf8ToCp932(XdgBaseUtf8("XDG_CONFIG_HOME", "/.config"));
}

std::string DesktopFolder() {
    return Utf8ToCp932(UserDirUtf8("XDG_DESKTOP_DIR", "/Desktop"));
}

std::string DocumentsFolder() {
    return Utf8ToCp932(UserDirUtf8("XDG_DOCUMENTS_DIR", "/Documents"));
}

std::string ApplicationsFolder() {
    return Utf8ToCp932(XdgBaseUtf8("XDG_DATA_HOME", "/.local/share") + "/applications");
}

std::string AutostartFolder() {
    return Utf8ToCp932(XdgBaseUtf8("XDG_CONFIG_HOME", "/.config") + "/autostart");
}

}  // namespace platform

#include <pwd.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <vector>

#include "platform/charset.h"
#include "platform/system.h"

namespace platform {

std::string ComputerName() {
    char name[HOST_NAME_MAX + 1] = {};
    if (gethostname(name, sizeof name - 1) != 0) return std::string();
    return Utf8ToCp932(name);
}

// The user of the process's effective id, as the password database names it;
// $USER or $LOGNAME when the database has no entry (as in some containers).
std::string LoginName() {
    const passwd* entry = getpwuid(geteuid());
    if (entry && entry->pw_name && *entry->pw_name) return Utf8ToCp932(entry->pw_name);
    std::string name = EnvironmentValue("USER");
    return name.empty() ? EnvironmentValue("LOGNAME") : name;
}

std::string KernelRelease() {
    utsname info;
    if (uname(&info) != 0) return std::string();
    return Utf8ToCp932(info.release);
}

std::string ProgramPath() {
    std::vector<char> path(PATH_MAX + 1);
    ssize_t length = readlink("/proc/self/exe", path.data(), path.size() - 1);
    if (length <= 0) return std::string();
    return Utf8ToCp932(std::string(path.data(), static_cast<size_t>(length)));
}

std::string CurrentFolder() {
    std::vector<char> path(PATH_MAX + 1);
    if (!getcwd(path.data(), path.size())) return std::string();
    return Utf8ToCp932(path.data());
}

bool ChangeFolder(const std::string& folder) {
    return chdir(Cp932ToUtf8(folder).c_str()) == 0;
}

std::string EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value ? Utf8ToCp932(value) : std::string();
}

}  // namespace platform

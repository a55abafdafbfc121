#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

#include "platform/charset.h"
#include "platform/programs.h"

extern char** environ;

namespace platform {
namespace {

std::vector<pid_t> g_started;

}  // namespace

bool StartProgram(const std::string& path, const std::string& folder) {
    std::string file = Cp932ToUtf8(path);
    std::string workingFolder = Cp932ToUtf8(folder);
    // posix_spawn reports a failed exec only through the child's exit, so the
    // cases a user can mend are found here first.
    if (access(file.c_str(), X_OK) != 0) return false;
    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0) return false;
    int result = posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str());
    pid_t pid = -1;
    char* argv[] = {file.data(), nullptr};
    if (result == 0) result = posix_spawn(&pid, file.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (result != 0) return false;
    g_started.push_back(pid);
    return true;
}

void ReapPrograms() {
    std::vector<pid_t> running;
    for (pid_t pid : g_started) {
        if (waitpid(pid, nullptr, WNOHANG) == 0) running.push_back(pid);
    }
    g_started = running;
}

void ResetProgramsForTests() {
    ReapPrograms();
    g_started.clear();
}

}  // namespace platform

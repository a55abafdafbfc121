#include "tests/support/lab_router.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <thread>

namespace lab {

namespace {

constexpr char kScript[] = SLUICE_LAB_SCRIPT;
constexpr char kLabFolder[] = "/tmp/sluice-lab";
constexpr char kLockFile[] = "/tmp/sluice-lab.lock";
constexpr int kLockWaitSeconds = 300;
constexpr int kCommandLimitSeconds = 60;

int g_originalNamespace = -1;
int g_lockFd = -1;
std::string g_variant;

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

CommandResult Run(const std::string& command) {
    CommandResult result;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) {
        result.output = "cannot run: " + command;
        return result;
    }
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
    int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

CommandResult RunScript(const std::string& arguments) {
    return Run("timeout " + std::to_string(kCommandLimitSeconds) + " bash " + Quoted(kScript) +
               " " + arguments);
}

bool Succeeded(const CommandResult& result, std::string* error) {
    if (result.status == 0) return true;
    if (error) *error = result.output;
    return false;
}

bool TakeLabLock(std::string* error) {
    g_lockFd = open(kLockFile, O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (g_lockFd < 0) {
        *error = std::string("cannot open ") + kLockFile;
        return false;
    }
    for (int waited = 0; waited < kLockWaitSeconds * 5; ++waited) {
        if (flock(g_lockFd, LOCK_EX | LOCK_NB) == 0) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    *error = "the lab is still in use by another test program after " +
             std::to_string(kLockWaitSeconds) + " s (" + kLockFile + ")";
    close(g_lockFd);
    g_lockFd = -1;
    return false;
}

void ReleaseLabLock() {
    if (g_lockFd < 0) return;
    close(g_lockFd);
    g_lockFd = -1;
}

}  // namespace

CommandResult RunInNamespace(const std::string& ns, const std::string& command) {
    return Run("timeout " + std::to_string(kCommandLimitSeconds) + " ip netns exec " + ns +
               " sh -c " + Quoted(command));
}

CommandResult RunInClient(const std::string& command) {
    return RunInNamespace(kClientNamespace, command);
}

CommandResult RunInRouter(const std::string& command) {
    return RunInNamespace(kRouterNamespace, command);
}

bool Up(const std::string& arguments, std::string* error) {
    g_variant.clear();
    if (!Succeeded(RunScript("up " + arguments), error)) return false;
    g_variant = arguments.substr(0, 2);
    return true;
}

bool Down(std::string* error) {
    g_variant.clear();
    return Succeeded(RunScript("down"), error);
}

bool Restart(const std::string& variant, std::string* error) {
    if (!Succeeded(RunScript("restart " + variant), error)) return false;
    g_variant = variant;
    return true;
}

bool UseVariant(const std::string& variant, std::string* error) {
    return variant == g_variant || Restart(variant, error);
}

std::string CurrentVariant() {
    return g_variant;
}

std::string RouterLog(bool secondRouter) {
    std::ifstream log(std::string(kLabFolder) + (secondRouter ? "/r2.log" : "/r.log"));
    std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
    constexpr size_t kTail = 3000;
    return text.size() > kTail ? text.substr(text.size() - kTail) : text;
}

bool EnterClientNamespace(std::string* error) {
    if (g_originalNamespace < 0)
        g_originalNamespace = open("/proc/self/ns/net", O_RDONLY | O_CLOEXEC);
    int target =
        open((std::string("/var/run/netns/") + kClientNamespace).c_str(), O_RDONLY | O_CLOEXEC);
    bool entered = g_originalNamespace >= 0 && target >= 0 && setns(target, CLONE_NEWNET) == 0;
    if (target >= 0) close(target);
    if (!entered) *error = std::string("cannot enter the network namespace ") + kClientNamespace;
    return entered;
}

void LeaveClientNamespace() {
    if (g_originalNamespace < 0) return;
    setns(g_originalNamespace, CLONE_NEWNET);
    close(g_originalNamespace);
    g_originalNamespace = -1;
}

bool StartLab(std::string* error) {
    if (geteuid() != 0) {
        *error = "lab tests need root: they build network namespaces with a real IGD daemon";
        return false;
    }
    if (!TakeLabLock(error)) return false;
    if (!Up("v1", error)) {
        *error = "cannot bring the lab router up:\n" + *error;
        return false;
    }
    return EnterClientNamespace(error);
}

bool StopLab(std::string* error) {
    LeaveClientNamespace();
    bool removed = g_lockFd < 0 || Down(error);
    ReleaseLabLock();
    return removed;
}

CommandResult RouteClientThroughRouter() {
    return RunInClient(std::string("ip route replace default via ") + kRouterAddress + " dev lan0");
}

CommandResult RestoreClientRoute() {
    return RunInClient("ip route replace unreachable default");
}

}  // namespace lab

// Runs one command and prints what it cost, for the benchmarks: wall time
// from the fork to the end of the child, the child's CPU time (user and
// system) and its peak resident memory, as the kernel counted them
// (wait4). The child's standard input, output and error are /dev/null.
//
//   child_usage program [arguments...]
//   -> "<wall ms> <cpu ms> <peak KiB> <exit code>"
//
// The exit code is 128 + the signal number when the child was killed, and
// 127 when it could not be started.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>

namespace {

double NowMs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}

double Ms(const timeval& tv) {
    return tv.tv_sec * 1000.0 + tv.tv_usec / 1000.0;
}

[[noreturn]] void RunChild(char** argv) {
    int null = open("/dev/null", O_RDWR);
    if (null >= 0) {
        for (int fd = 0; fd < 3; ++fd) dup2(null, fd);
        if (null > 2) close(null);
    }
    execvp(argv[0], argv);
    _exit(127);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: child_usage program [arguments...]\n");
        return 2;
    }
    double start = NowMs();
    pid_t child = fork();
    if (child < 0) {
        std::perror("child_usage: fork");
        return 2;
    }
    if (child == 0) RunChild(argv + 1);
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child) {
        std::perror("child_usage: wait4");
        return 2;
    }
    double wall = NowMs() - start;
    int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    std::printf("%.0f %.0f %ld %d\n", wall, Ms(usage.ru_utime) + Ms(usage.ru_stime),
                usage.ru_maxrss, code);
    return 0;
}

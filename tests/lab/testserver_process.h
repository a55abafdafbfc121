// sluice-testserver run in the lab's "internet" namespace for the port-open
// test's lab programs: started in the background, stopped by its process id.
#pragma once

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "tests/support/lab_router.h"

namespace lab {

// Where the lab's test server listens, behind router 1's WAN side.
constexpr char kTestServerAddress[] = "198.51.100.2:8080";

// Starts the server with a rate cap high enough for many tests a minute and
// waits until it answers; returns its process id, or 0.
inline int StartTestServer() {
    CommandResult started = RunInNamespace(
        kInternetNamespace, std::string(SLUICE_TESTSERVER) + " --listen " + kTestServerAddress +
                                " --per-minute 1000 >/dev/null 2>&1 & echo $!");
    int pid = std::atoi(started.output.c_str());
    for (int i = 0; i < 50 && pid > 0; ++i) {
        CommandResult listening = RunInNamespace(kInternetNamespace, "ss -Hltn 'sport = :8080'");
        if (listening.output.find("8080") != std::string::npos) return pid;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return 0;
}

// Stops the server and waits until it is gone, so the next one can bind.
inline void StopTestServer(int pid) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    std::string proc = "/proc/" + std::to_string(pid);
    for (int i = 0; i < 100 && access(proc.c_str(), F_OK) == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

}  // namespace lab

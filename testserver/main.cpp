// sluice-testserver: the outside end of Sluice's port-open test. It answers
// GET /cgi-bin/port_scan.php?port=N[&prot=1] by probing the requester's own
// address at that port and runs in the foreground until SIGINT or SIGTERM.
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <string>

#include "testserver/test_server.h"

namespace {

const char kUsage[] =
    "Usage: sluice-testserver [--listen ADDR:PORT] [--per-minute N] [--max-concurrent N]\n"
    "  --listen ADDR:PORT   IPv4 address and port to serve on (default 0.0.0.0:8080)\n"
    "  --per-minute N       requests allowed per client address per minute (default 10)\n"
    "  --max-concurrent N   requests served at once; more are refused with 503 (default 32)\n";

bool ParseNumber(const std::string& text, int low, int high, int* value) {
    char* end = nullptr;
    long number = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || number < low || number > high) return false;
    *value = static_cast<int>(number);
    return true;
}

bool ParseListen(const std::string& text, TestServerOptions* options) {
    size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0) return false;
    options->address = text.substr(0, colon);
    return ParseNumber(text.substr(colon + 1), 1, 65535, &options->port);
}

bool ParseArguments(int argc, char** argv, TestServerOptions* options) {
    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        if (i + 1 >= argc) return false;
        std::string value = argv[++i];
        bool ok = false;
        if (name == "--listen") ok = ParseListen(value, options);
        if (name == "--per-minute") ok = ParseNumber(value, 1, 100000, &options->perMinute);
        if (name == "--max-concurrent") ok = ParseNumber(value, 1, 10000, &options->maxConcurrent);
        if (!ok) return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    TestServerOptions options;
    if (argc > 1 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
        std::cout << kUsage;
        return 0;
    }
    if (!ParseArguments(argc, argv, &options)) {
        std::cerr << kUsage;
        return 2;
    }
    // The serving threads inherit the blocked signals; only sigwait takes them.
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stop, nullptr);
    TestServer server(options);
    std::string error;
    if (!server.Start(&error)) {
        std::cerr << "sluice-testserver: " << error << "\n";
        return 1;
    }
    std::cout << "sluice-testserver: serving on " << options.address << ":" << server.Port()
              << std::endl;
    int received = 0;
    sigwait(&stop, &received);
    server.Stop();
    return 0;
}

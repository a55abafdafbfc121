// A request head as sluice-testserver reads it from anyone on the Internet:
// the probe it asks for and its request line as the log shows it. A probe is
// only accepted with a port the test can connect to, and the log line holds
// printable ASCII only, at most 200 characters.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "testserver/probe_request.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string head(reinterpret_cast<const char*>(data), size);
    Probe probe;
    int status = ParseProbeRequest(head, &probe);
    if (status != 200 && status != 400 && status != 404 && status != 405) std::abort();
    if (status == 200 && (probe.port < 1 || probe.port > 65535)) std::abort();
    std::string line = LoggableRequestLine(head);
    if (line.size() > 200) std::abort();
    for (char c : line) {
        if (c < 0x20 || c >= 0x7F) std::abort();
    }
    return 0;
}

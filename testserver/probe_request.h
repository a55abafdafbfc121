// The request sluice-testserver answers: GET .../cgi-bin/port_scan.php?port=N
// for TCP, with "&prot=1" for UDP. Anything else is refused; nothing in the
// request can name the host that is probed.
#pragma once

#include <string>

struct Probe {
    int port = 0;
    bool udp = false;
};

// HTTP status for a request head: 200 with probe filled, 400 for a request
// without a valid port, 404 for another path, 405 for another method.
int ParseProbeRequest(const std::string& head, Probe* probe);

// The request line made safe for a log line: printable ASCII only, at most
// 200 characters.
std::string LoggableRequestLine(const std::string& head);

// The probes sluice-testserver sends back to a requester: a TCP connection
// with a short request line, or one small UDP datagram.
#pragma once

#include <cstdint>

struct ProbeLimits {
    int connectMs = 3000;  // the connection must be made within this
    int readMs = 1500;     // the listener's reply is read for at most this
    int totalMs = 4000;    // the whole probe, reply included
};

// The request line sent at once on a probe connection.
extern const char kProbeRequestLine[];
// The payload of a UDP probe.
extern const char kProbeDatagram[];

// Connects to address (IPv4, network byte order) at port, sends the request
// line and reads the reply until the peer closes or a limit passes. True when
// the connection was made.
bool ProbeTcp(uint32_t address, int port, const ProbeLimits& limits);

// Sends one datagram to address at port; true when the system took it.
bool ProbeUdp(uint32_t address, int port);

// Socket operations that have no time limit of their own, bounded here while
// pending events keep being dispatched.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/socket.h"

// Connects socket to address (network byte order) and port. 0 when connected,
// -1 when the connect failed or limitMs passed (checked in 200 ms steps after
// a first 100 ms).
int TimedConnect(platform::Socket socket, uint32_t address, int port, int limitMs);

// First IPv4 address of name (network byte order), or 0 when it has none or
// limitMs passed. official (optional) receives the canonical name, "" on
// failure. The last successful answer is kept: asking again for the same name
// returns it at once; failures are not kept.
uint32_t TimedResolve(const char* name, std::string* official, int limitMs);
// Every IPv4 address of name in the resolver's order, under the same limit
// and with the same kept answer; empty when it has none or limitMs passed.
std::vector<uint32_t> TimedResolveAll(const char* name, int limitMs);

// Forgets the kept answer and abandons any lookup still running.
void ResetTimedResolveForTests();

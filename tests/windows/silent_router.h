// Sends the program's router searches to a socket on loopback that never
// answers: every search waits its full time and nothing reaches the network.
#pragma once

#include <string>
#include <vector>

#include "platform/udp.h"
#include "upnp/igd_session.h"
#include "upnp/ssdp_searcher.h"

class SilentRouter {
  public:
    SilentRouter() = default;
    SilentRouter(const SilentRouter&) = delete;
    SilentRouter& operator=(const SilentRouter&) = delete;
    ~SilentRouter() { platform::UdpClose(socket_); }

    // Binds the first free port from firstPort up and points the searches at
    // it; false when no socket could be bound.
    bool Start(int firstPort) {
        int port = 0;
        if (platform::UdpOpen(&socket_) != 0) return false;
        if (platform::UdpBindFrom(socket_, firstPort, &port) != 0) return false;
        SsdpTarget target;
        target.address = "127.0.0.1";
        target.port = port;
        target.listInterfaces = [](std::vector<std::string>* interfaces) {
            *interfaces = {"127.0.0.1"};
            return 0;
        };
        SetSessionSsdpTargetForTests(target);
        return true;
    }

  private:
    platform::UdpSocket socket_ = platform::kNoUdpSocket;
};

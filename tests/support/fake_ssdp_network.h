// The devices' side of an SSDP search, on a loopback socket: every search for
// a type is answered by each datagram scripted for that type, in the order
// scripted, sent to the port of the IGD session's searcher. Aim the session at
// it with SetSessionSsdpTargetForTests(network.Target()).
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/udp.h"
#include "upnp/ssdp_searcher.h"

// A device's answer to a search for type, with its uuid and description URL.
std::string SsdpAnswer(const std::string& type, const std::string& location,
                       const std::string& uuid);

class FakeSsdpNetwork {
  public:
    // Listens on firstPort or the next free port above it.
    explicit FakeSsdpNetwork(int firstPort = 26500);
    ~FakeSsdpNetwork();
    FakeSsdpNetwork(const FakeSsdpNetwork&) = delete;
    FakeSsdpNetwork& operator=(const FakeSsdpNetwork&) = delete;

    void Answer(const std::string& type, const std::string& datagram);
    // Searches go to this network, sent "from" the loopback interface.
    SsdpTarget Target();
    // The searches received, after waiting up to ms for count of them.
    int SearchesAfterWaiting(int count, int ms);

  private:
    void Serve();
    void AnswerSearch(const std::string& type);

    platform::UdpSocket socket_ = platform::kNoUdpSocket;
    int port_ = 0;
    std::atomic<int> searcherPort_{0};
    std::atomic<int> searches_{0};
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<std::pair<std::string, std::string>> answers_;
    std::thread thread_;
};

// A scripted SNTP server on the loopback interface for tests. It records every
// request and answers it as its script says: a server packet of the given
// time, fields and length, or nothing; optionally a stranger's datagram (from
// another port of the same address) comes first.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct SntpScript {
    int64_t seconds = 0;    // transmit time, seconds since 1970
    uint32_t fraction = 0;  // its fraction of a second, in 2^-32 s
    int leap = 0;
    int mode = 4;  // 4: server
    int stratum = 2;
    size_t length = 48;   // bytes sent
    bool answers = true;  // false: the server keeps silent
    bool strangerFirst = false;
};

class FakeSntpServer {
  public:
    // Listens on 127.0.0.1 at a free port.
    FakeSntpServer();
    ~FakeSntpServer();
    FakeSntpServer(const FakeSntpServer&) = delete;
    FakeSntpServer& operator=(const FakeSntpServer&) = delete;

    int port() const { return port_; }
    // "127.0.0.1:<port>"
    std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }

    void SetScript(const SntpScript& script);
    // The datagrams received, in order.
    std::vector<std::string> Requests() const;

  private:
    void Serve();
    void Answer(const std::string& request, const void* client, unsigned clientLength);

    int port_ = 0;
    int socket_ = -1;
    int stranger_ = -1;
    mutable std::mutex mutex_;
    SntpScript script_;
    std::vector<std::string> requests_;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

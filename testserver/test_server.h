// sluice-testserver's service: an HTTP listener that answers the port-open
// test's requests by probing the requester's own address at the asked port.
// Each connection runs on a thread of its own, up to a fixed number at once.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "testserver/connect_back.h"
#include "testserver/rate_limit.h"

struct TestServerOptions {
    std::string address = "0.0.0.0";
    int port = 8080;          // 0: any free port
    int perMinute = 10;       // requests per client address per minute
    int maxConcurrent = 32;   // connections served at once; more get 503
    int maxHeadBytes = 2048;  // a longer request head gets 413
    int headMs = 3000;        // the request head must arrive within this
    ProbeLimits probe;
    // Receives one line per request; standard output when empty.
    std::function<void(const std::string&)> log;
};

class TestServer {
  public:
    explicit TestServer(const TestServerOptions& options);
    ~TestServer();
    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;

    // Binds and starts serving; false (with the reason in error) when the
    // address cannot be bound.
    bool Start(std::string* error);
    // The port in use once started.
    int Port() const { return port_; }
    // Stops accepting and waits for the connections being served.
    void Stop();

  private:
    struct Shared;
    void AcceptLoop();
    void Serve(int fd, uint32_t peer);

    TestServerOptions options_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread acceptor_;
    std::shared_ptr<Shared> shared_;
    RateLimit rate_;
};

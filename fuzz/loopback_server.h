// A server on the loopback interface that answers each connection with the
// bytes it was given: it reads the request's head, sends the answer, ends its
// side of the connection and waits for the client to leave. Every wait is
// bounded, so a client that misbehaves cannot hold it.
#pragma once

#include <mutex>
#include <string>
#include <thread>

#include "platform/socket.h"

class LoopbackServer {
  public:
    // Listens on 127.0.0.1 at a free port; aborts when it cannot.
    LoopbackServer();
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    std::string PortText() const { return std::to_string(port_); }
    // The bytes the next connections get.
    void SetAnswer(const std::string& answer);

  private:
    void Serve();
    void Answer(platform::Socket client);

    platform::Socket listener_ = platform::kNoSocket;
    int port_ = 0;
    bool stopping_ = false;
    std::mutex mutex_;
    std::string answer_;
    std::thread thread_;
};

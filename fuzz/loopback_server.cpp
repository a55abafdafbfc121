#include "fuzz/loopback_server.h"

#include <sys/socket.h>

#include <cstdlib>
#include <vector>

namespace {

using platform::Socket;
using platform::SocketEvent;

constexpr int kAcceptStepMs = 50;
constexpr int kWaitMs = 3000;
constexpr size_t kMaxRequestBytes = 65536;

// Receives until the request's head is complete, the client stops sending
// or the wait runs out.
void ReadRequestHead(Socket client) {
    std::string request;
    std::vector<char> buffer(4096);
    while (request.size() < kMaxRequestBytes && request.find("\r\n\r\n") == std::string::npos) {
        if (!platform::SocketReady(client, SocketEvent::kReadable, kWaitMs)) return;
        int n = platform::SocketRecv(client, buffer.data(), static_cast<int>(buffer.size()));
        if (n == platform::kRecvLater) continue;
        if (n <= 0) return;
        request.append(buffer.data(), n);
    }
}

// Sends what the client takes within the waits; false when it is gone.
bool SendAll(Socket client, const std::string& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        if (!platform::SocketReady(client, SocketEvent::kWritable, kWaitMs)) return false;
        int n = platform::SocketSend(client, bytes.data() + sent,
                                     static_cast<int>(bytes.size() - sent));
        if (n < 0) return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

// Reads and drops whatever still comes until the client closes.
void AwaitClose(Socket client) {
    char buffer[4096];
    while (platform::SocketReady(client, SocketEvent::kReadable, kWaitMs)) {
        int n = platform::SocketRecv(client, buffer, sizeof buffer);
        if (n != platform::kRecvLater && n <= 0) return;
    }
}

}  // namespace

LoopbackServer::LoopbackServer() {
    listener_ = platform::TcpListen("127.0.0.1", 0, &port_);
    if (listener_ == platform::kNoSocket) std::abort();
    thread_ = std::thread([this] { Serve(); });
}

LoopbackServer::~LoopbackServer() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    thread_.join();
    platform::CloseSocket(listener_);
}

void LoopbackServer::SetAnswer(const std::string& answer) {
    std::lock_guard<std::mutex> lock(mutex_);
    answer_ = answer;
}

void LoopbackServer::Serve() {
    while (true) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (stopping_) return;
        }
        if (!platform::SocketReady(listener_, SocketEvent::kReadable, kAcceptStepMs)) continue;
        Socket client = platform::TcpAccept(listener_);
        if (client != platform::kNoSocket) Answer(client);
    }
}

void LoopbackServer::Answer(Socket client) {
    std::string answer;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        answer = answer_;
    }
    ReadRequestHead(client);
    if (SendAll(client, answer)) {
        shutdown(client, SHUT_WR);
        AwaitClose(client);
    }
    platform::CloseSocket(client);
}

#include "testserver/test_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <iostream>

#include "testserver/probe_request.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kAcceptPollMs = 200;
constexpr int kSendMs = 2000;
constexpr int kLingerMs = 500;

// The client compares raw bytes: the expected reply text must stay in Shift_JIS.
const char kPageStart[] = "<html><head><meta charset=\"Shift_JIS\"></head><body>あなたの";

int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch())
        .count();
}

std::string Dotted(uint32_t address) {
    char text[INET_ADDRSTRLEN] = {};
    in_addr in{address};
    inet_ntop(AF_INET, &in, text, sizeof text);
    return text;
}

std::string UtcNow() {
    std::time_t now = std::time(nullptr);
    std::tm utc;
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

const char* Reason(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 400:
            return "Bad Request";
        case 404:
            return "Not Found";
        case 405:
            return "Method Not Allowed";
        case 408:
            return "Request Timeout";
        case 413:
            return "Payload Too Large";
        case 429:
            return "Too Many Requests";
    }
    return "Service Unavailable";
}

void SendAll(int fd, const std::string& bytes) {
    size_t sent = 0;
    Clock::time_point end = Clock::now() + std::chrono::milliseconds(kSendMs);
    while (sent < bytes.size() && Clock::now() < end) {
        pollfd entry{fd, POLLOUT, 0};
        if (poll(&entry, 1, kAcceptPollMs) <= 0) continue;
        ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno != EAGAIN && errno != EINTR) return;
        if (n > 0) sent += static_cast<size_t>(n);
    }
}

// Ends the connection after the answer: what the client still sends is read
// and dropped for a moment, so that closing does not reset the connection
// before the client has read the answer.
void Finish(int fd) {
    shutdown(fd, SHUT_WR);
    Clock::time_point end = Clock::now() + std::chrono::milliseconds(kLingerMs);
    char buffer[512];
    while (Clock::now() < end) {
        pollfd entry{fd, POLLIN, 0};
        if (poll(&entry, 1, kAcceptPollMs) <= 0) continue;
        if (recv(fd, buffer, sizeof buffer, 0) <= 0) break;
    }
    close(fd);
}

void Answer(int fd, int status, const std::string& body) {
    std::string head = "HTTP/1.0 " + std::to_string(status) + " " + Reason(status) +
                       "\r\nContent-Type: text/html; charset=Shift_JIS\r\nContent-Length: " +
                       std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n";
    SendAll(fd, head + body);
}

// Reads the request head; 0 when it came whole, else the status to refuse with.
int ReadHead(int fd, const TestServerOptions& options, std::string* head) {
    Clock::time_point end = Clock::now() + std::chrono::milliseconds(options.headMs);
    char buffer[512];
    while (head->find("\r\n\r\n") == std::string::npos && head->find("\n\n") == std::string::npos) {
        if (static_cast<int>(head->size()) > options.maxHeadBytes) return 413;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
        if (left.count() <= 0) return 408;
        pollfd entry{fd, POLLIN, 0};
        int ready = poll(&entry, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return 408;
        ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) return n == 0 ? 400 : 408;
        head->append(buffer, static_cast<size_t>(n));
    }
    return static_cast<int>(head->size()) > options.maxHeadBytes ? 413 : 0;
}

}  // namespace

struct TestServer::Shared {
    std::mutex mutex;
    std::condition_variable idle;
    int active = 0;
};

TestServer::TestServer(const TestServerOptions& options)
    : options_(options), shared_(std::make_shared<Shared>()), rate_(options.perMinute) {}

TestServer::~TestServer() {
    Stop();
}

bool TestServer::Start(std::string* error) {
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(static_cast<uint16_t>(options_.port));
    if (inet_pton(AF_INET, options_.address.c_str(), &local.sin_addr) != 1) {
        *error = "not an IPv4 address: " + options_.address;
        return false;
    }
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    int on = 1;
    setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    socklen_t length = sizeof local;
    if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        listen(listener_, 64) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&local), &length) != 0) {
        *error = std::string("cannot listen on ") + options_.address + ":" +
                 std::to_string(options_.port) + ": " + std::strerror(errno);
        if (listener_ >= 0) close(listener_);
        listener_ = -1;
        return false;
    }
    port_ = ntohs(local.sin_port);
    acceptor_ = std::thread([this] { AcceptLoop(); });
    return true;
}

void TestServer::Stop() {
    stopping_ = true;
    if (acceptor_.joinable()) acceptor_.join();
    if (listener_ >= 0) close(listener_);
    listener_ = -1;
    std::unique_lock<std::mutex> lock(shared_->mutex);
    shared_->idle.wait(lock, [this] { return shared_->active == 0; });
}

void TestServer::AcceptLoop() {
    while (!stopping_) {
        pollfd entry{listener_, POLLIN, 0};
        if (poll(&entry, 1, kAcceptPollMs) <= 0) continue;
        sockaddr_in peer{};
        socklen_t length = sizeof peer;
        int fd = accept4(listener_, reinterpret_cast<sockaddr*>(&peer), &length,
                         SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) continue;
        {
            std::lock_guard<std::mutex> lock(shared_->mutex);
            if (shared_->active >= options_.maxConcurrent) {
                Answer(fd, 503, "busy\n");
                close(fd);
                continue;
            }
            ++shared_->active;
        }
        std::thread([this, fd, address = peer.sin_addr.s_addr, shared = shared_] {
            Serve(fd, address);
            std::lock_guard<std::mutex> lock(shared->mutex);
            --shared->active;
            shared->idle.notify_all();
        }).detach();
    }
}

// One request: the probe goes to the address the connection came from and
// nowhere else.
void TestServer::Serve(int fd, uint32_t peer) {
    int64_t started = NowMs();
    std::string head;
    int status = ReadHead(fd, options_, &head);
    Probe probe;
    if (status == 0 && !rate_.Allow(Dotted(peer), started)) status = 429;
    if (status == 0) status = ParseProbeRequest(head, &probe);
    std::string verdict = "-";
    if (status == 200) {
        bool ok =
            probe.udp ? ProbeUdp(peer, probe.port) : ProbeTcp(peer, probe.port, options_.probe);
        verdict = probe.udp ? "sent" : (ok ? "reached" : "not reached");
        Answer(fd, 200,
               kPageStart + std::string("ポート ") + std::to_string(probe.port) +
                   (probe.udp ? "/UDP" : "/TCP") + ": " + verdict + "</body></html>\r\n");
    } else {
        Answer(fd, status, std::string(Reason(status)) + "\n");
    }
    Finish(fd);
    std::string line = UtcNow() + " " + Dotted(peer) + " \"" + LoggableRequestLine(head) + "\" " +
                       std::to_string(status) + " " + verdict + " " +
                       std::to_string(NowMs() - started) + "ms";
    if (options_.log) {
        options_.log(line);
    } else {
        std::cout << line << std::endl;
    }
}

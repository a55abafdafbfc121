#include "tests/support/fake_sntp_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kPollMs = 20;
constexpr uint32_t kSeconds1970To1900 = 2208988800u;

int LoopbackSocket(int* port) {
    int s = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    if (port) *port = ntohs(address.sin_port);
    return s;
}

void PutBigEndian32(std::string& packet, size_t at, uint32_t value) {
    for (int i = 3; i >= 0; --i) {
        packet[at + i] = static_cast<char>(value & 0xFF);
        value >>= 8;
    }
}

std::string Packet(const SntpScript& script) {
    std::string packet(48, '\0');
    packet[0] = static_cast<char>(script.leap << 6 | 1 << 3 | script.mode);
    packet[1] = static_cast<char>(script.stratum);
    PutBigEndian32(packet, 40, static_cast<uint32_t>(script.seconds + kSeconds1970To1900));
    PutBigEndian32(packet, 44, script.fraction);
    packet.resize(script.length);
    return packet;
}

}  // namespace

FakeSntpServer::FakeSntpServer()
    : socket_(LoopbackSocket(&port_)), stranger_(LoopbackSocket(nullptr)) {
    thread_ = std::thread([this] { Serve(); });
}

FakeSntpServer::~FakeSntpServer() {
    stopping_ = true;
    thread_.join();
    close(socket_);
    close(stranger_);
}

void FakeSntpServer::SetScript(const SntpScript& script) {
    std::lock_guard<std::mutex> lock(mutex_);
    script_ = script;
}

std::vector<std::string> FakeSntpServer::Requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

void FakeSntpServer::Serve() {
    while (!stopping_) {
        pollfd fd{socket_, POLLIN, 0};
        if (poll(&fd, 1, kPollMs) <= 0) continue;
        char buffer[1024];
        sockaddr_in client{};
        socklen_t clientLength = sizeof client;
        ssize_t n = recvfrom(socket_, buffer, sizeof buffer, 0,
                             reinterpret_cast<sockaddr*>(&client), &clientLength);
        if (n >= 0) Answer(std::string(buffer, n), &client, clientLength);
    }
}

void FakeSntpServer::Answer(const std::string& request, const void* client, unsigned clientLength) {
    SntpScript script;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(request);
        script = script_;
    }
    std::string packet = Packet(script);
    const sockaddr* to = static_cast<const sockaddr*>(client);
    if (script.strangerFirst) sendto(stranger_, packet.data(), packet.size(), 0, to, clientLength);
    if (script.answers) sendto(socket_, packet.data(), packet.size(), 0, to, clientLength);
}

#include "testserver/connect_back.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

const char kProbeRequestLine[] = "GET /sluice-porttest HTTP/1.0\r\n\r\n";
const char kProbeDatagram[] = "sluice-porttest\n";

namespace {

using Clock = std::chrono::steady_clock;

sockaddr_in Target(uint32_t address, int port) {
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(static_cast<uint16_t>(port));
    target.sin_addr.s_addr = address;
    return target;
}

int MsLeft(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Waits for events on fd until deadline; true when they came.
bool WaitUntil(int fd, short events, Clock::time_point deadline) {
    while (true) {
        pollfd entry{fd, events, 0};
        int n = poll(&entry, 1, MsLeft(deadline));
        if (n > 0) return true;
        if (n == 0 || errno != EINTR) return false;
    }
}

bool Connect(int fd, uint32_t address, int port, Clock::time_point deadline) {
    sockaddr_in target = Target(address, port);
    if (connect(fd, reinterpret_cast<sockaddr*>(&target), sizeof target) == 0) return true;
    if (errno != EINPROGRESS) return false;
    if (!WaitUntil(fd, POLLOUT, deadline)) return false;
    int error = 0;
    socklen_t length = sizeof error;
    return getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
}

// Reads and drops the reply until the peer closes or the deadline.
void DrainReply(int fd, Clock::time_point deadline) {
    char buffer[1024];
    while (WaitUntil(fd, POLLIN, deadline)) {
        ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN)) return;
    }
}

}  // namespace

bool ProbeTcp(uint32_t address, int port, const ProbeLimits& limits) {
    Clock::time_point start = Clock::now();
    Clock::time_point end = start + std::chrono::milliseconds(limits.totalMs);
    Clock::time_point connectBy = start + std::chrono::milliseconds(limits.connectMs);
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    bool reached = Connect(fd, address, port, connectBy < end ? connectBy : end);
    if (reached) {
        send(fd, kProbeRequestLine, sizeof kProbeRequestLine - 1, MSG_NOSIGNAL);
        Clock::time_point readBy = Clock::now() + std::chrono::milliseconds(limits.readMs);
        DrainReply(fd, readBy < end ? readBy : end);
    }
    close(fd);
    return reached;
}

bool ProbeUdp(uint32_t address, int port) {
    int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    sockaddr_in target = Target(address, port);
    ssize_t sent = sendto(fd, kProbeDatagram, sizeof kProbeDatagram - 1, MSG_NOSIGNAL,
                          reinterpret_cast<sockaddr*>(&target), sizeof target);
    close(fd);
    return sent == static_cast<ssize_t>(sizeof kProbeDatagram - 1);
}

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/udp.h"

namespace platform {

namespace {

constexpr int kLastPort = 65535;

int ErrorOf(int result) {
    return result < 0 ? errno : 0;
}

// 0 with address filled, or EINVAL for a text that is no dotted IPv4 address.
int ParseAddress(const std::string& text, int port, sockaddr_in* address) {
    *address = sockaddr_in{};
    address->sin_family = AF_INET;
    address->sin_port = htons(static_cast<uint16_t>(port));
    return inet_pton(AF_INET, text.c_str(), &address->sin_addr) == 1 ? 0 : EINVAL;
}

int BindPort(UdpSocket socket, int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    return ErrorOf(bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address));
}

int PendingError(UdpSocket socket) {
    int error = 0;
    socklen_t length = sizeof error;
    if (getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length) != 0) return errno;
    return error != 0 ? error : EIO;
}

}  // namespace

int UdpOpen(UdpSocket* socket) {
    *socket = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (*socket >= 0) return 0;
    *socket = kNoUdpSocket;
    return errno;
}

int UdpClose(UdpSocket socket) {
    return ErrorOf(close(socket));
}

int UdpBindFrom(UdpSocket socket, int firstPort, int* port) {
    for (*port = firstPort; *port <= kLastPort; ++*port) {
        int error = BindPort(socket, *port);
        if (error != EADDRINUSE) return error;
    }
    *port = 0;
    return EADDRINUSE;
}

int UdpSetMulticastTtl(UdpSocket socket, int ttl) {
    unsigned char value = static_cast<unsigned char>(ttl);
    return ErrorOf(setsockopt(socket, IPPROTO_IP, IP_MULTICAST_TTL, &value, sizeof value));
}

int UdpSetNonBlocking(UdpSocket socket) {
    int flags = fcntl(socket, F_GETFL, 0);
    if (flags < 0) return errno;
    return ErrorOf(fcntl(socket, F_SETFL, flags | O_NONBLOCK));
}

int UdpSetMulticastInterface(UdpSocket socket, const std::string& address) {
    sockaddr_in local;
    if (int error = ParseAddress(address, 0, &local)) return error;
    return ErrorOf(
        setsockopt(socket, IPPROTO_IP, IP_MULTICAST_IF, &local.sin_addr, sizeof local.sin_addr));
}

int UdpSendTo(UdpSocket socket, const std::string& data, const std::string& address, int port,
              int* sent) {
    *sent = 0;
    sockaddr_in target;
    if (int error = ParseAddress(address, port, &target)) return error;
    ssize_t n = sendto(socket, data.data(), data.size(), MSG_NOSIGNAL,
                       reinterpret_cast<sockaddr*>(&target), sizeof target);
    if (n < 0) return errno;
    *sent = static_cast<int>(n);
    return 0;
}

int UdpWaitReadable(UdpSocket socket, int ms, bool* readable) {
    *readable = false;
    pollfd fd{socket, POLLIN, 0};
    int n;
    do {
        n = poll(&fd, 1, ms < 0 ? 0 : ms);
    } while (n < 0 && errno == EINTR);
    if (n < 0) return errno;
    if (n == 0) return 0;
    if (!(fd.revents & POLLIN)) return PendingError(socket);
    *readable = true;
    return 0;
}

int UdpRecvFrom(UdpSocket socket, int maxBytes, std::string* data, std::string* sender) {
    int senderPort = 0;
    return UdpRecvFrom(socket, maxBytes, data, sender, &senderPort);
}

int UdpRecvFrom(UdpSocket socket, int maxBytes, std::string* data, std::string* sender,
                int* senderPort) {
    std::vector<char> buffer(maxBytes);
    sockaddr_in from{};
    socklen_t fromLength = sizeof from;
    ssize_t n = recvfrom(socket, buffer.data(), buffer.size(), MSG_TRUNC,
                         reinterpret_cast<sockaddr*>(&from), &fromLength);
    int error = n < 0 ? errno : 0;
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &from.sin_addr, text, sizeof text);
    *sender = text;
    *senderPort = ntohs(from.sin_port);
    if (error != 0) {
        data->clear();
        return error;
    }
    data->assign(buffer.data(), n < maxBytes ? n : maxBytes);
    return n > maxBytes ? EMSGSIZE : 0;
}

}  // namespace platform

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "platform/charset.h"
#include "platform/socket.h"

namespace platform {

namespace {

thread_local int t_lastError = 0;

int Fail() {
    t_lastError = errno;
    return -1;
}

bool SetNonBlocking(Socket socket) {
    int flags = fcntl(socket, F_GETFL, 0);
    return flags >= 0 && fcntl(socket, F_SETFL, flags | O_NONBLOCK) == 0;
}

sockaddr_in Ipv4Address(uint32_t address, int port) {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(static_cast<uint16_t>(port));
    sa.sin_addr.s_addr = address;
    return sa;
}

bool TryAgain() {
    return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
}

}  // namespace

bool WinsockStartup() {
    return true;
}

Socket TcpSocket() {
    Socket s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (s < 0) Fail();
    return s < 0 ? kNoSocket : s;
}

void CloseSocket(Socket socket) {
    if (socket != kNoSocket) close(socket);
}

int LastSocketError() {
    return t_lastError;
}

int ConnectStart(Socket socket, uint32_t address, int port) {
    if (!SetNonBlocking(socket)) return Fail();
    sockaddr_in sa = Ipv4Address(address, port);
    if (connect(socket, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0) return 0;
    if (errno == EINPROGRESS || errno == EINTR) return 1;
    return Fail();
}

int ConnectResult(Socket socket) {
    int error = 0;
    socklen_t length = sizeof error;
    if (getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length) != 0) return Fail();
    if (error == 0) return 0;
    t_lastError = error;
    return -1;
}

bool SocketReady(Socket socket, SocketEvent event, int ms) {
    pollfd fd{};
    fd.fd = socket;
    fd.events = event == SocketEvent::kReadable ? POLLIN : POLLOUT;
    int n = poll(&fd, 1, ms < 0 ? 0 : ms);
    return n > 0 && fd.revents != 0;
}

int SocketSend(Socket socket, const char* data, int length) {
    ssize_t n = send(socket, data, static_cast<size_t>(length), MSG_NOSIGNAL);
    if (n >= 0) return static_cast<int>(n);
    if (TryAgain()) return 0;
    return Fail();
}

int SocketRecv(Socket socket, char* buffer, int length) {
    ssize_t n = recv(socket, buffer, static_cast<size_t>(length), 0);
    if (n >= 0) return static_cast<int>(n);
    if (TryAgain()) return kRecvLater;
    return Fail();
}

Socket TcpListen(const char* address, int port, int* boundPort) {
    in_addr ip{};
    if (inet_pton(AF_INET, address, &ip) != 1) return kNoSocket;
    Socket s = TcpSocket();
    if (s == kNoSocket) return kNoSocket;
    int on = 1;
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in sa = Ipv4Address(ip.s_addr, port);
    socklen_t length = sizeof sa;
    if (bind(s, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 || listen(s, 16) != 0 ||
        !SetNonBlocking(s) || getsockname(s, reinterpret_cast<sockaddr*>(&sa), &length) != 0) {
        Fail();
        close(s);
        return kNoSocket;
    }
    if (boundPort) *boundPort = ntohs(sa.sin_port);
    return s;
}

Socket TcpAccept(Socket listener) {
    Socket s = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (s < 0) Fail();
    return s < 0 ? kNoSocket : s;
}

std::vector<uint32_t> ResolveIpv4(const std::string& name, std::string* official) {
    std::vector<uint32_t> addresses;
    if (official) official->clear();
    if (name.empty()) return addresses;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_CANONNAME;
    addrinfo* list = nullptr;
    if (getaddrinfo(Cp932ToUtf8(name).c_str(), nullptr, &hints, &list) != 0 || !list) {
        return addresses;
    }
    for (const addrinfo* entry = list; entry; entry = entry->ai_next) {
        addresses.push_back(reinterpret_cast<sockaddr_in*>(entry->ai_addr)->sin_addr.s_addr);
    }
    if (official && list->ai_canonname) *official = Utf8ToCp932(list->ai_canonname);
    freeaddrinfo(list);
    return addresses;
}

}  // namespace platform

#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/test_listen.h"

namespace platform {

int OpenTestListener(ListenKind kind, int port, Socket* socket) {
    int type = (kind == ListenKind::kTcp ? SOCK_STREAM : SOCK_DGRAM) | SOCK_CLOEXEC | SOCK_NONBLOCK;
    Socket s = ::socket(AF_INET, type, 0);
    *socket = kNoSocket;
    if (s < 0) return kListenNoSocket;
    // A TCP port the last test left in TIME_WAIT may be bound again; a port
    // another program listens on still fails.
    int on = 1;
    if (kind == ListenKind::kTcp) setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        (kind == ListenKind::kTcp && listen(s, 1) != 0)) {
        close(s);
        return kListenNoBind;
    }
    *socket = s;
    return kListenOk;
}

void ShutdownSocket(Socket socket) {
    if (socket != kNoSocket) shutdown(socket, SHUT_RDWR);
}

}  // namespace platform

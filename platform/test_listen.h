// The listening sockets of the port-open test: a TCP or UDP socket bound to
// every local address at one port. The other socket calls are those of
// platform/socket.h, which work on either kind.
#pragma once

#include "platform/socket.h"

namespace platform {

enum class ListenKind { kTcp, kUdp };

// Results of OpenTestListener.
enum TestListenResult { kListenOk = 0, kListenNoSocket = -1, kListenNoBind = -2 };

// Creates the socket and binds it to 0.0.0.0:port; a TCP socket then listens
// with a backlog of 1. The socket is non-blocking. On failure socket is
// kNoSocket and the result tells which step failed.
int OpenTestListener(ListenKind kind, int port, Socket* socket);

// Ends both directions of a connection before it is closed.
void ShutdownSocket(Socket socket);

}  // namespace platform

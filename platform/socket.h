// TCP sockets and IPv4 name lookup. Sockets are non-blocking once connected or
// accepted, so a send or receive never stalls the caller; waits go through
// SocketReady with a time limit. Host names and official names are CP932.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

using Socket = int;
constexpr Socket kNoSocket = -1;

// The socket library needs no start-up here; kept for the callers' sequence.
bool WinsockStartup();

// A fresh TCP socket, or kNoSocket.
Socket TcpSocket();
void CloseSocket(Socket socket);
// errno of the last failed call on this thread.
int LastSocketError();

// Starts a non-blocking connect to address (network byte order) and port.
// 0 connected at once, 1 under way (wait for writability), -1 failed.
int ConnectStart(Socket socket, uint32_t address, int port);
// After a started connect turned writable: 0 connected, -1 failed.
int ConnectResult(Socket socket);

enum class SocketEvent { kReadable, kWritable };
// Waits up to ms (0 = just test) for the event; an error or hang-up on the
// socket also counts as ready, so that the next call reports it.
bool SocketReady(Socket socket, SocketEvent event, int ms);

// Bytes sent; 0 when the socket takes nothing right now; -1 on failure.
int SocketSend(Socket socket, const char* data, int length);
// Bytes received; 0 when the peer closed; -1 on failure; kRecvLater when
// nothing is there yet.
constexpr int kRecvLater = -2;
int SocketRecv(Socket socket, char* buffer, int length);

// Listening TCP socket on the dotted IPv4 address and port (0 = any free
// port); boundPort receives the port in use. kNoSocket on failure.
Socket TcpListen(const char* address, int port, int* boundPort);
// The next pending connection (non-blocking), or kNoSocket when none waits.
Socket TcpAccept(Socket listener);

// Blocking lookup of the IPv4 addresses (network byte order) of name, in the
// resolver's order; empty when it has none. official receives the canonical
// name, or "" on failure.
std::vector<uint32_t> ResolveIpv4(const std::string& name, std::string* official);

}  // namespace platform

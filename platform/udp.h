// IPv4 datagram sockets for the SSDP search. Each call returns 0 on success or
// the system's error number, which the caller keeps as its last error.
#pragma once

#include <string>

namespace platform {

using UdpSocket = int;
constexpr UdpSocket kNoUdpSocket = -1;

int UdpOpen(UdpSocket* socket);
// Closes the socket; 0 or the error of the close.
int UdpClose(UdpSocket socket);

// Binds to any local address at firstPort, moving one port up while the port
// is in use (up to 65535). port receives the port bound.
int UdpBindFrom(UdpSocket socket, int firstPort, int* port);

int UdpSetMulticastTtl(UdpSocket socket, int ttl);
int UdpSetNonBlocking(UdpSocket socket);
// Multicast datagrams leave through the interface with this dotted address.
int UdpSetMulticastInterface(UdpSocket socket, const std::string& address);

// sent receives the number of bytes that went out.
int UdpSendTo(UdpSocket socket, const std::string& data, const std::string& address, int port,
              int* sent);

// Waits up to ms (0 = just look) for a datagram; readable tells whether one
// is there. A pending socket error is returned as the error.
int UdpWaitReadable(UdpSocket socket, int ms, bool* readable);

// Takes one datagram of at most maxBytes; sender receives the sender's dotted
// address. A longer datagram is cut to maxBytes and reported as EMSGSIZE.
int UdpRecvFrom(UdpSocket socket, int maxBytes, std::string* data, std::string* sender);
// The same; senderPort receives the sender's port, so that an answer can be
// matched to the address and port it was asked from.
int UdpRecvFrom(UdpSocket socket, int maxBytes, std::string* data, std::string* sender,
                int* senderPort);

}  // namespace platform

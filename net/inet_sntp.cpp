#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "net/clock_change.h"
#include "net/network_time.h"
#include "net/timed_calls.h"
#include "platform/clock.h"
#include "platform/udp.h"

namespace {

constexpr int kDefaultPort = 123;
constexpr int kLocalPort = 11024;
constexpr int kLookupLimitMs = 5000;
constexpr int kAnswerWaitMs = 2000;
constexpr int kPacketBytes = 48;
constexpr int kLargestDatagram = 1024;
constexpr unsigned char kClientRequest = 0x0B;  // leap 0, version 1, mode 3 (client)
constexpr int kServerMode = 4;
constexpr int kLeapAlarm = 3;                         // the server's clock is not synchronised
constexpr uint32_t kSeconds1900To1970 = 2085978496u;  // added modulo 2^32

struct Server {
    std::string host;
    int port = 0;  // 0 when the text after ":" is no port number
};

// "host" or "host:port"; the port is read from the digits after the colon.
Server SplitServer(const char* text) {
    std::string server = text && *text ? text : kDefaultSntpServer;
    size_t colon = server.find(':');
    if (colon == std::string::npos) return Server{server, kDefaultPort};
    long port = 0;
    for (size_t i = colon + 1; i < server.size() && server[i] >= '0' && server[i] <= '9'; ++i) {
        port = port * 10 + (server[i] - '0');
        if (port > 65535) break;
    }
    return Server{server.substr(0, colon), port >= 1 && port <= 65535 ? static_cast<int>(port) : 0};
}

std::string Dotted(uint32_t address) {
    unsigned char bytes[4];
    std::memcpy(bytes, &address, sizeof bytes);
    return std::to_string(bytes[0]) + "." + std::to_string(bytes[1]) + "." +
           std::to_string(bytes[2]) + "." + std::to_string(bytes[3]);
}

uint32_t BigEndian32(const std::string& packet, size_t at) {
    uint32_t value = 0;
    for (size_t i = at; i < at + 4; ++i) value = value << 8 | static_cast<unsigned char>(packet[i]);
    return value;
}

int Fail(int code, const char* line) {
    WriteError(line);
    return code;
}

// A datagram that answers the request: from the server's address and port,
// long enough, in server mode.
bool IsAnswer(const std::string& packet, const std::string& sender, int senderPort,
              const std::string& address, int port) {
    return sender == address && senderPort == port && packet.size() >= kPacketBytes &&
           (static_cast<unsigned char>(packet[0]) & 7) == kServerMode;
}

// Waits up to the answer's time limit for the server's answer, passing over
// any other datagram. 0 with packet filled, or a result code.
int AwaitAnswer(platform::UdpSocket socket, const std::string& address, int port,
                std::string* packet) {
    uint32_t start = platform::TickCount();
    bool strayCame = false;
    for (;;) {
        int left = kAnswerWaitMs - static_cast<int>(platform::TickCount() - start);
        if (left <= 0) break;
        bool readable = false;
        if (platform::UdpWaitReadable(socket, left, &readable) != 0) return kSntpWaitFailed;
        if (!readable) break;
        std::string sender;
        int senderPort = 0;
        int error = platform::UdpRecvFrom(socket, kLargestDatagram, packet, &sender, &senderPort);
        if (error == EAGAIN || error == EWOULDBLOCK) continue;
        if (error != 0 && error != EMSGSIZE) return kSntpReceiveFailed;
        if (error == 0 && IsAnswer(*packet, sender, senderPort, address, port)) return 0;
        strayCame = true;
    }
    return strayCame ? kSntpReceiveFailed : kSntpTimedOut;
}

// Sends the request and takes the answer. 0 with packet filled, or a result
// code (with its line on standard error already written).
int Exchange(platform::UdpSocket socket, const Server& server, std::string* packet) {
    int boundPort = 0;
    if (platform::UdpBindFrom(socket, kLocalPort, &boundPort) != 0) return kSntpNoLocalPort;
    uint32_t found = TimedResolve(server.host.c_str(), nullptr, kLookupLimitMs);
    if (found == 0) return Fail(kSntpNoAddress, "Error: ホストアドレス取得失敗\n");
    std::string address = Dotted(found);
    std::string request(kPacketBytes, '\0');
    request[0] = static_cast<char>(kClientRequest);
    int sent = 0;
    if (server.port == 0 ||
        platform::UdpSendTo(socket, request, address, server.port, &sent) != 0 ||
        sent != kPacketBytes) {
        return kSntpSendFailed;
    }
    int result = AwaitAnswer(socket, address, server.port, packet);
    if (result == kSntpTimedOut) return Fail(result, "Error: タイムアウトしました\n");
    if (result != 0) return Fail(result, "Error: サーバからの受信失敗\n");
    return 0;
}

// The server's transmit time, or false when the answer carries none that
// can be trusted (no time, a kiss-of-death stratum 0, an unsynchronised clock).
bool ServerTime(const std::string& packet, platform::WallTime* time) {
    uint32_t seconds1900 = BigEndian32(packet, 40);
    uint32_t fraction = BigEndian32(packet, 44);
    int leap = static_cast<unsigned char>(packet[0]) >> 6;
    int stratum = static_cast<unsigned char>(packet[1]);
    if ((seconds1900 == 0 && fraction == 0) || stratum == 0 || leap == kLeapAlarm) return false;
    time->seconds = static_cast<uint32_t>(seconds1900 + kSeconds1900To1970);
    time->milliseconds = static_cast<int>((static_cast<uint64_t>(fraction) * 1000) >> 32);
    return true;
}

}  // namespace

int32_t InetSNTP(const char* server, int32_t thresholdMs) {
    Server target = SplitServer(server);
    platform::UdpSocket socket;
    if (platform::UdpOpen(&socket) != 0) return kSntpNoSocket;
    if (platform::UdpSetNonBlocking(socket) != 0) {
        platform::UdpClose(socket);
        return kSntpNoSocket;
    }
    std::string packet;
    int result = Exchange(socket, target, &packet);
    platform::UdpClose(socket);
    if (result != 0) return result;
    platform::WallTime now = platform::WallClockNow();
    platform::WallTime serverTime;
    if (!ServerTime(packet, &serverTime)) return Fail(kSntpNoTime, "Error: 時刻の取得を失敗\n");
    int64_t difference =
        (serverTime.seconds - now.seconds) * 1000 + serverTime.milliseconds - now.milliseconds;
    if (thresholdMs != 0 && std::llabs(difference) > thresholdMs) ChangeClock(serverTime);
    return ClampDifference(difference);
}

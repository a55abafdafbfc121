// Comparing the local clock with a network time source, and setting it: the
// web server's Date header (InetHttpTime) or an SNTP server (InetSNTP). C
// linkage: libsluice.so exports both by these names.
#pragma once

#include <cstdint>
#include <string>

// Used when the caller gives no URL or server.
constexpr const char* kDefaultTimeUrl = "http://www.debian.org/";
constexpr const char* kDefaultSntpServer = "pool.ntp.org";

// Results of InetSNTP besides the difference.
enum SntpResult {
    kSntpNoSocket = -10003,
    kSntpNoLocalPort = -10004,
    kSntpNoAddress = -10005,
    kSntpSendFailed = -10006,
    kSntpWaitFailed = -10007,
    kSntpTimedOut = -10008,
    kSntpReceiveFailed = -10010,
    kSntpNoTime = -10011,
};

// The difference server time minus local time in seconds, taken from the Date
// header of the answer to a GET of url (the default URL when url is missing or
// empty), with one second added to the server's time. 0 when no readable
// Date header came. When lowerMs is not 0 and the difference in milliseconds
// lies strictly between lowerMs and upperMs (as an absolute value), the clock
// is set to the server's time. A URL whose host part ends in ":123" is asked
// by SNTP instead: InetSNTP(that host:123, lowerMs).
extern "C" int32_t InetHttpTime(const char* url, int32_t lowerMs, int32_t upperMs);

// The difference server time minus local time in milliseconds, asked of an
// SNTP server ("host" or "host:port", default port 123; the default server
// when missing or empty), or one of the SntpResult codes. The answer is
// awaited for 2 seconds; only a datagram of at least 48 bytes from the
// server's address and port, in server mode, counts. When thresholdMs is not 0
// and the absolute difference is above it, the clock is set to the server's
// time.
extern "C" int32_t InetSNTP(const char* server, int32_t thresholdMs);

// The SNTP server ("host:123") that InetHttpTime hands url to, or "" when
// url is one for HTTP: the host part, after any "scheme://" and before the
// path, must end in ":123".
std::string SntpServerInUrl(const std::string& url);

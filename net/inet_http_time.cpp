#include <cstdlib>
#include <string>

#include "foundation/memfile.h"
#include "net/clock_change.h"
#include "net/http_date_utc.h"
#include "net/http_request.h"
#include "net/network_time.h"
#include "platform/clock.h"

namespace {

constexpr int kRequestLimitMs = 500;  // raised to the client's least limit
constexpr const char* kSntpPort = ":123";

// The Date header of the answer to a GET of url, read as UTC; false when none
// came or it cannot be read.
bool ServerDate(const std::string& url, int64_t* utc) {
    MemFile* body = MemOpen("10000", "mw");
    HttpResultInfo info;
    HttpRequest(url.c_str(), body, 0, kRequestLimitMs, &info);
    MemClose(body);
    return HttpDateToUtc(info.headers.Get("date"), utc);
}

}  // namespace

std::string SntpServerInUrl(const std::string& url) {
    size_t scheme = url.find("://");
    size_t start = scheme == std::string::npos ? 0 : scheme + 3;
    size_t end = url.find_first_of("/?#", start);
    std::string host =
        url.substr(start, end == std::string::npos ? std::string::npos : end - start);
    size_t portAt = host.size() >= 4 ? host.size() - 4 : std::string::npos;
    return portAt != std::string::npos && host.compare(portAt, 4, kSntpPort) == 0 ? host : "";
}

int32_t InetHttpTime(const char* url, int32_t lowerMs, int32_t upperMs) {
    std::string target = url && *url ? url : kDefaultTimeUrl;
    std::string sntpServer = SntpServerInUrl(target);
    if (!sntpServer.empty()) return InetSNTP(sntpServer.c_str(), lowerMs);
    int64_t serverDate = 0;
    if (!ServerDate(target, &serverDate)) return 0;
    // The Date header has whole seconds; one more second makes up for the
    // part of a second the server had already begun.
    platform::WallTime serverTime{serverDate + 1, 0};
    int64_t difference = serverTime.seconds - platform::WallClockNow().seconds;
    int64_t differenceMs = std::llabs(difference) * 1000;
    if (lowerMs != 0 && differenceMs > lowerMs && differenceMs < upperMs) ChangeClock(serverTime);
    return ClampDifference(difference);
}

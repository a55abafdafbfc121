#include "upnp/local_address.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "foundation/trace.h"
#include "net/timed_calls.h"
#include "platform/adapters.h"
#include "platform/system.h"

std::string glb_LookedUpName;

const char kProbeHost[] = "www.example.com";

void ResetLocalAddressForTests() {
    glb_LookedUpName.clear();
}

namespace {

constexpr int kResolveLimitMs = 5000;
constexpr char kNoAddress[] = "127.0.0.1";
constexpr long kBadPart = -1;

// The value of one part between dots (digits only); kBadPart when it is empty
// or above 255.
long PartValue(const std::string& part) {
    if (part.empty()) return kBadPart;
    long value = 0;
    for (char digit : part) {
        value = value * 10 + (digit - '0');
        if (value > 255) return kBadPart;
    }
    return value;
}

std::vector<long> DottedParts(const std::string& address) {
    std::vector<long> parts;
    size_t start = 0;
    for (;;) {
        size_t dot = address.find('.', start);
        if (dot == std::string::npos) {
            parts.push_back(PartValue(address.substr(start)));
            return parts;
        }
        parts.push_back(PartValue(address.substr(start, dot - start)));
        start = dot + 1;
    }
}

bool IsPrivate(const std::vector<long>& p) {
    if (p[0] == 0 || p[0] == 10 || p[0] == 127) return true;
    if (p[0] == 169 && p[1] == 254) return true;
    if (p[0] == 172 && p[1] >= 16 && p[1] <= 31) return true;
    return p[0] == 192 && p[1] == 168;
}

// "%d.%d.%d.%d" of an address in network byte order.
std::string Dotted(uint32_t address) {
    unsigned char bytes[4];
    std::memcpy(bytes, &address, sizeof bytes);
    char text[16];
    std::snprintf(text, sizeof text, "%d.%d.%d.%d", bytes[0], bytes[1], bytes[2], bytes[3]);
    return text;
}

// Debian maps the computer's name to 127.0.1.1: a mapping to a loopback
// address would reach nobody, so the first other address is taken.
std::string FirstNonLoopback(const std::vector<uint32_t>& addresses) {
    for (uint32_t found : addresses) {
        std::string dotted = Dotted(found);
        if (dotted.compare(0, 4, "127.") != 0) return dotted;
    }
    return std::string();
}

}  // namespace

int ClassifyAddress(const std::string& address) {
    if (address == "localhost") return kAddressPrivate;
    if (address.find_first_not_of("0123456789.") != std::string::npos) return kAddressNotIpv4;
    std::vector<long> parts = DottedParts(address);
    if (parts.size() != 4) return kAddressNotIpv4;
    for (long part : parts) {
        if (part == kBadPart) return kAddressNotIpv4;
    }
    return IsPrivate(parts) ? kAddressPrivate : kAddressGlobal;
}

int GetLocalIP(std::string* address, const char* hostName) {
    Trace("GetLocalIP() S");
    if (address) *address = kNoAddress;
    glb_LookedUpName = hostName && *hostName ? hostName : platform::ComputerName();
    std::string found =
        FirstNonLoopback(TimedResolveAll(glb_LookedUpName.c_str(), kResolveLimitMs));
    if (found.empty()) found = platform::DefaultRouteAddress();
    if (found.empty()) {
        Trace("GetLocalIP() error");
        return -1;
    }
    if (address) *address = found;
    Trace("GetLocalIP() E OK");
    return ClassifyAddress(found);
}

int CheckFW() {
    Trace("CheckFW() S");
    uint32_t found = TimedResolve(kProbeHost, nullptr, kResolveLimitMs);
    Trace("CheckFW() E");
    return found != 0 ? 0 : -1;
}

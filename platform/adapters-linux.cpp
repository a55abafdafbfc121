#include <arpa/inet.h>
#include <ifaddrs.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <net/route.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <utility>

#include "platform/adapters.h"

namespace platform {

namespace {

// One default route of the kernel's table.
struct DefaultRoute {
    std::string device;
    uint32_t gateway;  // as the kernel holds it in memory
    unsigned long flags;
    unsigned long metric;
};

constexpr uint32_t kPermanent = 0xFFFFFFFFu;  // the kernel's "forever" lifetime
constexpr int kNetlinkWaitSeconds = 2;

std::string ReadTextFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Dotted(uint32_t networkOrder) {
    in_addr address{};
    address.s_addr = networkOrder;
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address, text, sizeof text);
    return text;
}

bool ParseDotted(const std::string& text, uint32_t* networkOrder) {
    in_addr address{};
    if (inet_pton(AF_INET, text.c_str(), &address) != 1) return false;
    *networkOrder = address.s_addr;
    return true;
}

// What the kernel knows of one address beyond getifaddrs.
struct AddressStamp {
    bool secondary = false;
    uint32_t obtainedTime = 0;
};
using StampKey = std::pair<unsigned, uint32_t>;  // interface index, address
using StampMap = std::map<StampKey, AddressStamp>;

// The kernel's address stamps count hundredths of a second since boot.
uint32_t WallClockOf(uint32_t stampCentiseconds) {
    timespec now{}, sinceBoot{};
    clock_gettime(CLOCK_REALTIME, &now);
    clock_gettime(CLOCK_MONOTONIC, &sinceBoot);
    long long nowCentiseconds = sinceBoot.tv_sec * 100LL + sinceBoot.tv_nsec / 10000000;
    long long age = (nowCentiseconds - stampCentiseconds) / 100;
    long long wall = now.tv_sec - (age > 0 ? age : 0);
    return wall > 0 ? static_cast<uint32_t>(wall) : 0;
}

void ReadAddressMessage(const nlmsghdr* header, StampMap* stamps) {
    const auto* message = static_cast<const ifaddrmsg*>(NLMSG_DATA(header));
    uint32_t flags = message->ifa_flags;
    uint32_t local = 0, peer = 0;
    AddressStamp stamp;
    int length = IFA_PAYLOAD(header);
    for (const rtattr* attribute = IFA_RTA(message); RTA_OK(attribute, length);
         attribute = RTA_NEXT(attribute, length)) {
        const void* data = RTA_DATA(attribute);
        if (attribute->rta_type == IFA_LOCAL) local = *static_cast<const uint32_t*>(data);
        if (attribute->rta_type == IFA_ADDRESS) peer = *static_cast<const uint32_t*>(data);
        if (attribute->rta_type == IFA_FLAGS) flags = *static_cast<const uint32_t*>(data);
        if (attribute->rta_type == IFA_CACHEINFO) {
            const auto* info = static_cast<const ifa_cacheinfo*>(data);
            bool leased = info->ifa_valid != kPermanent;
            stamp.obtainedTime = WallClockOf(leased ? info->tstamp : info->cstamp);
        }
    }
    stamp.secondary = (flags & IFA_F_SECONDARY) != 0;
    (*stamps)[{message->ifa_index, local ? local : peer}] = stamp;
}

// Reads one batch of the dump; false when the dump has ended or failed.
bool ReadAddressBatch(int socketFd, StampMap* stamps) {
    alignas(nlmsghdr) char buffer[32768];
    ssize_t received = recv(socketFd, buffer, sizeof buffer, 0);
    if (received <= 0) return false;
    int length = static_cast<int>(received);
    for (auto* header = reinterpret_cast<nlmsghdr*>(buffer); NLMSG_OK(header, length);
         header = NLMSG_NEXT(header, length)) {
        if (header->nlmsg_type == NLMSG_DONE || header->nlmsg_type == NLMSG_ERROR) return false;
        if (header->nlmsg_type == RTM_NEWADDR) ReadAddressMessage(header, stamps);
    }
    return true;
}

// The IPv4 address list of the kernel (RTM_GETADDR), for the flags and time
// stamps that getifaddrs leaves out. An unanswered request ends after 2 s.
StampMap ReadAddressStamps() {
    StampMap stamps;
    int socketFd = socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
    if (socketFd < 0) return stamps;
    timeval wait{kNetlinkWaitSeconds, 0};
    setsockopt(socketFd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    struct {
        nlmsghdr header;
        ifaddrmsg message;
    } request{};
    request.header.nlmsg_len = sizeof request;
    request.header.nlmsg_type = RTM_GETADDR;
    request.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    request.header.nlmsg_seq = 1;
    request.message.ifa_family = AF_INET;
    sockaddr_nl kernel{};
    kernel.nl_family = AF_NETLINK;
    if (sendto(socketFd, &request, sizeof request, 0, reinterpret_cast<sockaddr*>(&kernel),
               sizeof kernel) == static_cast<ssize_t>(sizeof request)) {
        while (ReadAddressBatch(socketFd, &stamps)) {
        }
    }
    close(socketFd);
    return stamps;
}

struct Candidate {
    AdapterAddress adapter;
    std::string device;  // the interface without an address label (":1")
    uint32_t address = 0;
    uint32_t mask = 0;
};

bool InSubnet(const Candidate& candidate, uint32_t other) {
    return (candidate.address & candidate.mask) == (other & candidate.mask);
}

// An address gets its interface's default gateway when the gateway lies in
// its subnet, or when no address of that interface holds the gateway in its
// subnet (a gateway reached on the link alone).
void AssignGateways(std::vector<Candidate>* candidates) {
    std::map<std::string, std::string> gateways =
        DefaultGatewaysIn(ReadTextFile("/proc/net/route"));
    for (Candidate& candidate : *candidates) {
        uint32_t gateway = 0;
        auto found = gateways.find(candidate.device);
        if (found == gateways.end() || !ParseDotted(found->second, &gateway)) continue;
        bool held = false;
        for (const Candidate& other : *candidates) {
            held = held || (other.device == candidate.device && InSubnet(other, gateway));
        }
        if (InSubnet(candidate, gateway) || !held) candidate.adapter.gateway = found->second;
    }
}

bool Usable(const ifaddrs* entry) {
    return entry->ifa_addr && entry->ifa_addr->sa_family == AF_INET && entry->ifa_netmask &&
           (entry->ifa_flags & IFF_UP) && !(entry->ifa_flags & IFF_LOOPBACK);
}

uint32_t Ipv4Of(const sockaddr* address) {
    return reinterpret_cast<const sockaddr_in*>(address)->sin_addr.s_addr;
}

}  // namespace

int ListAdapterAddresses(std::vector<AdapterAddress>* adapters) {
    adapters->clear();
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return errno;
    StampMap stamps = ReadAddressStamps();
    std::vector<Candidate> candidates;
    for (ifaddrs* entry = list; entry; entry = entry->ifa_next) {
        if (!Usable(entry)) continue;
        Candidate candidate;
        candidate.address = Ipv4Of(entry->ifa_addr);
        candidate.mask = Ipv4Of(entry->ifa_netmask);
        candidate.adapter.interfaceName = entry->ifa_name;
        candidate.adapter.address = Dotted(candidate.address);
        candidate.device =
            candidate.adapter.interfaceName.substr(0, candidate.adapter.interfaceName.find(':'));
        auto stamp = stamps.find({if_nametoindex(candidate.device.c_str()), candidate.address});
        if (stamp != stamps.end() && stamp->second.secondary) continue;
        if (stamp != stamps.end()) candidate.adapter.obtainedTime = stamp->second.obtainedTime;
        candidates.push_back(candidate);
    }
    freeifaddrs(list);
    AssignGateways(&candidates);
    for (const Candidate& candidate : candidates) adapters->push_back(candidate.adapter);
    return 0;
}

// Lines: Iface Destination Gateway Flags RefCnt Use Metric Mask ..., the
// addresses as the kernel holds them in memory, printed in hexadecimal.
// Calls visit for every default route (destination and mask 0) that is up.
static void ForEachDefaultRoute(const std::string& routeTable,
                                const std::function<void(const DefaultRoute&)>& visit) {
    std::istringstream lines(routeTable);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string device, destination, gateway, flags, references, use, metric, mask;
        if (!(fields >> device >> destination >> gateway >> flags >> references >> use >> metric >>
              mask))
            continue;
        unsigned long routeFlags = std::strtoul(flags.c_str(), nullptr, 16);
        bool isDefault = std::strtoul(destination.c_str(), nullptr, 16) == 0 &&
                         std::strtoul(mask.c_str(), nullptr, 16) == 0;
        if (!isDefault || !(routeFlags & RTF_UP)) continue;
        visit({device, static_cast<uint32_t>(std::strtoul(gateway.c_str(), nullptr, 16)),
               routeFlags, std::strtoul(metric.c_str(), nullptr, 10)});
    }
}

std::map<std::string, std::string> DefaultGatewaysIn(const std::string& routeTable) {
    std::map<std::string, std::string> gateways;
    std::map<std::string, unsigned long> metrics;
    ForEachDefaultRoute(routeTable, [&](const DefaultRoute& route) {
        if (!(route.flags & RTF_GATEWAY)) return;
        auto known = metrics.find(route.device);
        if (known != metrics.end() && known->second <= route.metric) return;
        metrics[route.device] = route.metric;
        gateways[route.device] = Dotted(route.gateway);
    });
    return gateways;
}

std::string DefaultRouteInterfaceIn(const std::string& routeTable) {
    std::string chosen;
    unsigned long lowest = 0;
    ForEachDefaultRoute(routeTable, [&](const DefaultRoute& route) {
        if ((route.flags & RTF_REJECT) || route.device == "*") return;
        if (!chosen.empty() && lowest <= route.metric) return;
        chosen = route.device;
        lowest = route.metric;
    });
    return chosen;
}

std::string DefaultRouteAddress() {
    std::string device = DefaultRouteInterfaceIn(ReadTextFile("/proc/net/route"));
    std::vector<AdapterAddress> adapters;
    if (device.empty() || ListAdapterAddresses(&adapters) != 0) return std::string();
    for (const AdapterAddress& adapter : adapters) {
        if (adapter.interfaceName.substr(0, adapter.interfaceName.find(':')) == device)
            return adapter.address;
    }
    return std::string();
}

std::string FirstNameServer() {
    return FirstNameServerIn(ReadTextFile("/etc/resolv.conf"));
}

std::string FirstNameServerIn(const std::string& resolvConf) {
    std::istringstream lines(resolvConf);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line.substr(0, line.find_first_of("#;")));
        std::string keyword, value;
        uint32_t ignored = 0;
        if (fields >> keyword >> value && keyword == "nameserver" && ParseDotted(value, &ignored))
            return value;
    }
    return std::string();
}

}  // namespace platform

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <cerrno>

#include "platform/interfaces.h"

namespace platform {

int MulticastInterfaceAddresses(std::vector<std::string>* addresses) {
    addresses->clear();
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return errno;
    for (ifaddrs* entry = list; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET) continue;
        if (!(entry->ifa_flags & IFF_UP) || !(entry->ifa_flags & IFF_MULTICAST)) continue;
        char text[INET_ADDRSTRLEN] = {};
        auto* ipv4 = reinterpret_cast<sockaddr_in*>(entry->ifa_addr);
        inet_ntop(AF_INET, &ipv4->sin_addr, text, sizeof text);
        addresses->push_back(text);
    }
    freeifaddrs(list);
    return 0;
}

}  // namespace platform

// The machine's IPv4 adapters with their default gateways, and the name
// server the resolver asks first: what the program needs to tell which
// adapter serves the LAN the router lives on.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace platform {

struct AdapterAddress {
    std::string interfaceName;  // as the system names it, e.g. "eth0"
    std::string address;        // dotted IPv4 address
    std::string gateway;        // dotted default gateway through this interface, or ""
    // Seconds since 1970 at which the address was obtained: for an address
    // with a limited lifetime (a DHCP lease) its last renewal, for a
    // permanent one the moment it was added. 0 when the system does not say.
    uint32_t obtainedTime = 0;
};

// The IPv4 addresses of the interfaces that are up, loopback and secondary
// addresses left out, in the order the system lists them. 0 or the system's
// error number.
int ListAdapterAddresses(std::vector<AdapterAddress>* adapters);

// The default gateway of each interface in a /proc/net/route text (the one
// with the lowest metric where an interface has several), keyed by interface.
std::map<std::string, std::string> DefaultGatewaysIn(const std::string& routeTable);

// The interface that the default route with the lowest metric leaves by, in
// a /proc/net/route text (with or without a gateway; a route that rejects
// traffic, such as an "unreachable" default, does not count). "" when none.
std::string DefaultRouteInterfaceIn(const std::string& routeTable);
// The first address (in ListAdapterAddresses' order) of the system's default
// route interface; "" when there is no default route or it has no address.
std::string DefaultRouteAddress();

// The first IPv4 name server of /etc/resolv.conf; "" when there is none.
std::string FirstNameServer();
// The same over a resolv.conf text.
std::string FirstNameServerIn(const std::string& resolvConf);

}  // namespace platform

// The local address services used before and around the router work: the
// class of an address text, the computer's own address, and a probe of
// whether Internet host names can be resolved at all.
#pragma once

#include <string>

enum AddressClass {
    kAddressPrivate = 1,  // private or local (LAN, loopback, automatic, "localhost")
    kAddressNotIpv4 = 2,  // not a dotted IPv4 address, or a part above 255
    kAddressGlobal = 3,
};

// The name the last GetLocalIP looked up: the given host name or the
// computer's name.
extern std::string glb_LookedUpName;
// Empties glb_LookedUpName, as at program start.
void ResetLocalAddressForTests();

// The well-known public host that CheckFW looks up (it is never contacted).
extern const char kProbeHost[];

// 1, 2 or 3 (AddressClass). Host names are never resolved here.
int ClassifyAddress(const std::string& address);

// The computer's own address: the first address of hostName (or of the
// computer's name when it is null or empty; at most 5 s) that is not a
// loopback address, else the address of the default route's interface; never
// a loopback address. Returns its class, or -1 when there is none; address
// (optional) receives it dotted, or "127.0.0.1" when there is none.
int GetLocalIP(std::string* address = nullptr, const char* hostName = nullptr);

// 0 when the probe host resolves to an address, -1 otherwise (at most 5 s).
int CheckFW();

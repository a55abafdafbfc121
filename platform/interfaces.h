// The machine's network interfaces.
#pragma once

#include <string>
#include <vector>

namespace platform {

// Dotted IPv4 addresses of the interfaces that are up and can multicast, in
// the order the system lists them. 0 or the system's error number.
int MulticastInterfaceAddresses(std::vector<std::string>* addresses);

}  // namespace platform

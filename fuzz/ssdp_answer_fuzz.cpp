// One SSDP answer datagram from any device on the LAN, read as the searcher
// reads it after its searches for the WAN connection services.
#include <cstdint>
#include <string>
#include <vector>

#include "upnp/ssdp_searcher.h"

namespace {

const std::vector<std::string> kSearchedTypes = {
    "urn:schemas-upnp-org:service:WANIPConnection:1",
    "urn:schemas-upnp-org:service:WANPPPConnection:1",
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string datagram(reinterpret_cast<const char*>(data), size);
    datagram = datagram.substr(0, datagram.find('\0'));
    std::string type, location;
    ParseSsdpAnswer(datagram, kSearchedTypes, &type, &location);
    ResetSsdpForTests();
    return 0;
}

// A device description as the router serves it, queried once for the WAN
// connection service types the program searches for, and for each alone.
#include <cstdint>
#include <string>
#include <vector>

#include "upnp/device_description.h"

namespace {

const char kLocation[] = "http://127.0.0.1:5000/rootDesc.xml";
const std::vector<std::string> kServiceTypes = {
    "urn:schemas-upnp-org:service:WANIPConnection:1",
    "urn:schemas-upnp-org:service:WANPPPConnection:1",
    kWanIpConnectionV2,
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string description(reinterpret_cast<const char*>(data), size);
    ControlUrlFromDescription(description, kLocation, kServiceTypes);
    for (const std::string& type : kServiceTypes) {
        ControlUrlFromDescription(description, kLocation, type.c_str());
    }
    ResetDeviceDescriptionForTests();
    return 0;
}

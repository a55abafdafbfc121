// A device description as the router serves it, queried for each WAN
// connection service type the program searches for.
#include <cstdint>
#include <string>

#include "upnp/device_description.h"

namespace {

const char kLocation[] = "http://127.0.0.1:5000/rootDesc.xml";
const char* const kServiceTypes[] = {
    "urn:schemas-upnp-org:service:WANIPConnection:1",
    "urn:schemas-upnp-org:service:WANPPPConnection:1",
    kWanIpConnectionV2,
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string description(reinterpret_cast<const char*>(data), size);
    for (const char* type : kServiceTypes) ControlUrlFromDescription(description, kLocation, type);
    ResetDeviceDescriptionForTests();
    return 0;
}

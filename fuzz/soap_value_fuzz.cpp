// A router's SOAP answer, converted as the transports convert it, and every
// output argument the program reads from it.
#include <cstdint>
#include <string>

#include "platform/charset.h"
#include "upnp/soap_envelope.h"

namespace {

const char* const kOutputNames[] = {
    "NewExternalIPAddress", "NewRemoteHost",     "NewExternalPort", "NewProtocol",
    "NewInternalPort",      "NewInternalClient", "NewEnabled",      "NewPortMappingDescription",
    "NewLeaseDuration",
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string response =
        platform::Utf8ToCp932(std::string(reinterpret_cast<const char*>(data), size));
    for (const char* name : kOutputNames) FindResponseValue(response, name);
    return 0;
}

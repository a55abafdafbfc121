// URLs from the network: a LOCATION or control URL split into its parts, and
// a base joined with a reference as the description's URLBase and controlURL
// are. The text before the first line feed is the base, the rest the reference.
#include <cstdint>
#include <string>

#include "net/url.h"
#include "upnp/device_description.h"
#include "upnp/soap_envelope.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    ParseUrl(text.c_str(), "80");
    ControlUrlParts parts;
    SplitControlUrl(text, parts);
    size_t feed = text.find('\n');
    std::string base = text.substr(0, feed);
    std::string reference = feed == std::string::npos ? "" : text.substr(feed + 1);
    std::string joined = CombineUrl(base, reference);
    ParseUrl(joined.c_str(), "80");
    SplitControlUrl(joined, parts);
    return 0;
}

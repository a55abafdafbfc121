// A router's error answer to a control action, converted as the transports
// convert it and also taken as raw bytes: the fault it holds and the line the
// program shows for it. A fault read must carry a code the program accepts
// and a description fit for one line.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/charset.h"
#include "upnp/soap_fault.h"

namespace {

constexpr size_t kMaxDescription = 200;

void Read(const std::string& body) {
    SoapFault fault;
    bool found = ReadSoapFault(body, fault);
    if (found != (fault.code != 0)) std::abort();
    if (fault.code < 0 || fault.code > 9999) std::abort();
    if (fault.description.size() > kMaxDescription) std::abort();
    for (char c : fault.description) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) std::abort();
    }
    if (FaultExplanation(body).empty() == found) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string raw(reinterpret_cast<const char*>(data), size);
    Read(platform::Utf8ToCp932(raw));
    Read(raw);
    return 0;
}

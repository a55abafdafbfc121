// A whole HTTP answer as a server on the network sends it, read by the
// program's own exchange: the input is served from a loopback server, and a
// GET goes to it, as a SOAP call or a file download would.
#include <cstdint>
#include <string>

#include "foundation/memfile.h"
#include "fuzz/loopback_server.h"
#include "net/http_exchange.h"

namespace {

constexpr int kLimitMs = 2000;
const char kRequest[] = "GET /rootDesc.xml HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static LoopbackServer server;
    server.SetAnswer(std::string(reinterpret_cast<const char*>(data), size));
    MemFile* request = MemOpen("10000", "mw");
    MemWrite(request, kRequest, sizeof kRequest - 1);
    MemFile* body = MemOpen("10000", "mw");
    HttpResultInfo info;
    HttpExchange("127.0.0.1", server.PortText().c_str(), request, body, kLimitMs, &info);
    MemClose(body);
    MemClose(request);
    return 0;
}

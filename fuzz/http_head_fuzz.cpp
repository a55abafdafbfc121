// The head of an HTTP answer as the exchange reads it: the end of the head,
// its lines into the header table, and the values the exchange takes from
// it (length, transfer coding, the Last-Modified date).
#include <cstdint>
#include <string>

#include "foundation/keyed_table.h"
#include "foundation/mbs.h"
#include "net/http_date.h"
#include "net/http_head.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* bytes = reinterpret_cast<const char*>(data);
    size_t end = FindHeadEnd(bytes, size);
    KeyedTable headers;
    ParseHttpHead(bytes, end != 0 ? end : size, headers);
    headers.GetInt("Return-Code");
    headers.GetInt("Content-Length");
    MbsFind(MbsLower(headers.Get("Transfer-Encoding")).c_str(), "chunked");
    DateTextToFileTime(headers.Get("Last-Modified"));
    return 0;
}

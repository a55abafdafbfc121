// The head of an HTTP answer as the exchange reads it: the end of the head,
// searched again as each piece arrives, its lines into the header table, and
// the values the exchange takes from it (length, transfer coding, the
// Last-Modified date). A search resumed piece by piece must find the end that
// one search over the same bytes finds.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "foundation/keyed_table.h"
#include "foundation/mbs.h"
#include "net/http_date.h"
#include "net/http_head.h"

namespace {

const size_t kPieceSizes[] = {1, 3, 1460};

// Grows the received bytes piece by piece until the head's end is found.
void CheckResumedSearch(const char* bytes, size_t size, size_t piece) {
    size_t searched = 0;
    for (size_t length = 0; length < size;) {
        length = size - length < piece ? size : length + piece;
        size_t end = FindHeadEnd(bytes, length, searched);
        if (end != 0) {
            if (end != FindHeadEnd(bytes, length)) std::abort();
            return;
        }
        searched = length;
    }
    if (FindHeadEnd(bytes, size) != 0) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* bytes = reinterpret_cast<const char*>(data);
    for (size_t piece : kPieceSizes) CheckResumedSearch(bytes, size, piece);
    size_t end = FindHeadEnd(bytes, size);
    KeyedTable headers;
    ParseHttpHead(bytes, end != 0 ? end : size, headers);
    headers.GetInt("Return-Code");
    headers.GetInt("Content-Length");
    MbsFind(MbsLower(headers.Get("Transfer-Encoding")).c_str(), "chunked");
    DateTextToFileTime(headers.Get("Last-Modified"));
    return 0;
}

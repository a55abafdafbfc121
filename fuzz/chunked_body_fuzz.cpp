// A chunked body fed to the decoder in pieces, as it arrives from the socket.
// The first byte sets the piece size (1 to 256 bytes). Decoding never makes
// more bytes than it was given: broken framing is passed on, not invented.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "net/chunked_body.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    size_t piece = static_cast<size_t>(data[0]) + 1;
    const char* bytes = reinterpret_cast<const char*>(data + 1);
    size_t length = size - 1;
    ChunkedDecoder decoder;
    std::string out;
    for (size_t at = 0; at < length; at += piece) {
        decoder.Feed(bytes + at, length - at < piece ? length - at : piece, out);
    }
    if (out.size() > length) std::abort();
    return 0;
}

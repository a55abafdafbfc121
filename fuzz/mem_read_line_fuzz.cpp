// Text read line by line from an in-memory file, into a caller's buffer of
// a size the first byte chooses (0 means the file's own line buffer), with
// or without the line ends. Every read must move on, and a line must fit the
// buffer with its terminating zero.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "foundation/memfile.h"

namespace {

void ReadAll(const std::string& text, size_t bufferSize, int strip) {
    MemFile* file = MemOpen(text.c_str(), "mr");
    std::unique_ptr<char[]> buffer(bufferSize ? new char[bufferSize] : nullptr);
    size_t reads = 0;
    while (MemReadLine(buffer.get(), bufferSize, file, strip) > 0) {
        if (++reads > text.size()) std::abort();
        const char* line = buffer ? buffer.get() : MemLine(file);
        if (buffer && std::strlen(line) >= bufferSize) std::abort();
    }
    MemClose(file);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    size_t bufferSize = data[0] < 4 ? 0 : data[0] % 64;
    if (bufferSize != 0 && bufferSize < 4) bufferSize += 4;
    std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    ReadAll(text, bufferSize, 0);
    ReadAll(text, bufferSize, 1);
    return 0;
}

// Date texts: an HTTP date as a Last-Modified header brings it, and the
// program's local date text, in every conversion that reads them.
#include <cstdint>
#include <string>

#include "net/http_date.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    ParseHttpDate(text.c_str());
    FormatHttpDate(text.c_str());
    FileTimeToDateText(DateTextToFileTime(text.c_str()));
    return 0;
}

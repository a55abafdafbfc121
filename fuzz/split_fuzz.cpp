// The tokenizer over text from a file: the first byte chooses the flags and
// the separator, the first line holds the delimiter list and the rest is the
// text. The pieces together never hold more than the text.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "foundation/strlist.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    int flags = data[0] & (StrList::kFold | StrList::kFoldAlt | StrList::kKeepDelimiter);
    char separator = data[0] & 1 ? ',' : 0;
    std::string input(reinterpret_cast<const char*>(data + 1), size - 1);
    size_t feed = input.find('\n');
    std::string delimiters = input.substr(0, feed);
    std::string text = feed == std::string::npos ? "" : input.substr(feed + 1);
    StrList list;
    list.Split(text.c_str(), delimiters.c_str(), flags, separator);
    size_t total = 0;
    for (int i = 0; i < list.Count(); ++i) total += std::strlen(list.GetAt(i));
    if (total > std::strlen(text.c_str())) std::abort();
    list.Split(text.c_str(), delimiters.c_str(), flags | StrList::kAppend, separator);
    return 0;
}

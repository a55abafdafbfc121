#include "platform/folders.h"

#include <cstdlib>

#include "platform/charset.h"

namespace platform {

std::string TempFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string folder = (tmp && *tmp) ? Utf8ToCp932(tmp) : std::string("/tmp");
    if (folder.back() != '/') folder.push_back('/');
    return folder;
}

}  // namespace platform

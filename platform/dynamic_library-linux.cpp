#include <dlfcn.h>

#include "platform/charset.h"
#include "platform/dynamic_library.h"

namespace platform {

// The library's own names stay private to it (RTLD_LOCAL); it is never
// unloaded, since its code may still be on the stack at exit.
void* LibrarySymbol(const std::string& path, const char* symbol, std::string* error) {
    void* library = dlopen(Cp932ToUtf8(path).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* reason = dlerror();
        *error = reason ? reason : "cannot load " + Cp932ToUtf8(path);
        return nullptr;
    }
    void* address = dlsym(library, symbol);
    if (!address) *error = std::string("no entry ") + symbol + " in " + Cp932ToUtf8(path);
    return address;
}

}  // namespace platform

// Loading a shared library of the program's own at run time (dlopen).
#pragma once

#include <string>

namespace platform {

// Loads the library at path (CP932) for the rest of the process, with all its
// symbols bound at once, and returns the address of symbol in it. On failure
// returns nullptr and puts the loader's reason (UTF-8, as the system gave it)
// in *error.
void* LibrarySymbol(const std::string& path, const char* symbol, std::string* error);

}  // namespace platform

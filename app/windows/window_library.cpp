#include "app/windows/window_library.h"

#include <ostream>

#include "platform/files.h"
#include "platform/shared_library.h"
#include "platform/system.h"

const char kWindowLibraryName[] = "libsluice_gui.so";

namespace {

using WindowEntry = int (*)(int argc, char** argv);

// The folder of path, with its trailing "/"; "" for a bare name.
std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

std::string WindowLibraryPath(const std::string& programPath) {
    std::string folder = FolderOf(programPath);
    for (const std::string& candidate :
         {folder + kWindowLibraryName, folder + "../lib/sluice/" + kWindowLibraryName}) {
        if (platform::PathExists(candidate)) return candidate;
    }
    return std::string();
}

int RunWindowLibrary(int argc, char** argv, std::ostream& err) {
    std::string path = WindowLibraryPath(platform::ProgramPath());
    std::string error =
        std::string(kWindowLibraryName) + " is neither beside the program nor in ../lib/sluice/";
    void* entry =
        path.empty() ? nullptr : platform::LibrarySymbol(path, "SluiceWindowsMain", &error);
    if (!entry) {
        err << "sluice: cannot load the windows (" << error << "); going on without them\n"
            << std::flush;
        return kNoScreen;
    }
    return reinterpret_cast<WindowEntry>(entry)(argc, argv);
}

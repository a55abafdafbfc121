#include "app/windows/window_library.h"

#include <ostream>

#include "platform/dynamic_library.h"
#include "platform/files.h"
#include "platform/system.h"

const char kWindowLibraryName[] = "libsluice_gui.so";
const char kInstalledWindowLibraryFolder[] = SLUICE_GUI_FOLDER;

namespace {

using WindowEntry = int (*)(int argc, char** argv);

// The folder of an absolute path, with its trailing "/"; "" for any other.
std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return path.empty() || path[0] != '/' ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

std::string WindowLibraryPath(const std::string& programPath) {
    // Without the program's own folder nothing is looked for: a library
    // from the current folder must never be loaded.
    std::string folder = FolderOf(programPath);
    if (folder.empty()) return std::string();
    for (const std::string& candidate :
         {folder + kWindowLibraryName,
          folder + kInstalledWindowLibraryFolder + kWindowLibraryName}) {
        if (platform::PathExists(candidate)) return candidate;
    }
    return std::string();
}

int RunWindowLibrary(int argc, char** argv, std::ostream& err) {
    std::string path = WindowLibraryPath(platform::ProgramPath());
    std::string error = std::string(kWindowLibraryName) + " is neither beside the program nor in " +
                        kInstalledWindowLibraryFolder;
    void* entry =
        path.empty() ? nullptr : platform::LibrarySymbol(path, "SluiceWindowsMain", &error);
    if (!entry) {
        err << "sluice: cannot load the windows (" << error << "); going on without them\n"
            << std::flush;
        return kNoScreen;
    }
    return reinterpret_cast<WindowEntry>(entry)(argc, argv);
}

#include "platform/folder_dialog.h"

#include <dlfcn.h>
#include <limits.h>

#include <cstdio>
#include <mutex>

#include "platform/charset.h"

namespace platform {
namespace {

// The companion's one function: texts in and out are UTF-8; 1 when a folder
// was chosen and its path (with its terminator) fits in size bytes, else 2.
using ChooseFolderFunction = int (*)(unsigned long owner, const char* initial, const char* title,
                                     char* path, unsigned size);
constexpr const char* kChooseFolderSymbol = "SluiceChooseFolder";
constexpr int kChosen = 1;

std::mutex g_loadMutex;
ChooseFolderFunction g_chooseFolder = nullptr;

// The companion beside the module (program or shared library) that holds
// this code, found by its own address rather than the library search path.
std::string CompanionPath() {
    Dl_info info{};
    std::string own;
    if (dladdr(reinterpret_cast<void*>(&ChooseFolder), &info) != 0 && info.dli_fname) {
        own = info.dli_fname;
    }
    size_t slash = own.rfind('/');
    return (slash == std::string::npos ? std::string() : own.substr(0, slash + 1)) +
           kFolderDialogLibrary;
}

// Loads the companion once; the library stays loaded, as Qt cannot be
// unloaded safely. nullptr, with a line on standard error, on failure.
ChooseFolderFunction LoadCompanion() {
    std::lock_guard<std::mutex> lock(g_loadMutex);
    if (g_chooseFolder) return g_chooseFolder;
    std::string path = CompanionPath();
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    void* symbol = library ? dlsym(library, kChooseFolderSymbol) : nullptr;
    if (!symbol) {
        const char* reason = dlerror();
        std::fprintf(stderr, "Error: cannot load the folder dialog %s: %s\n", path.c_str(),
                     reason ? reason : "no such function");
        if (library) dlclose(library);
        return nullptr;
    }
    g_chooseFolder = reinterpret_cast<ChooseFolderFunction>(symbol);
    return g_chooseFolder;
}

}  // namespace

bool ChooseFolder(unsigned long owner, const std::string& initial, const std::string& title,
                  std::string* path) {
    ChooseFolderFunction choose = LoadCompanion();
    if (!choose) return false;
    char chosen[PATH_MAX];
    if (choose(owner, Cp932ToUtf8(initial).c_str(), Cp932ToUtf8(title).c_str(), chosen,
               sizeof chosen) != kChosen) {
        return false;
    }
    std::string cp932 = Utf8ToCp932(chosen);
    if (Cp932ToUtf8(cp932) != chosen) return false;
    *path = cp932;
    return true;
}

}  // namespace platform

// A settings file (or a server program's INI file) as it lies on disk: the
// input is written to a file of its own and loaded, once as settings and
// once raw.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "foundation/keyed_table.h"
#include "foundation/settings.h"

namespace {

// A file name of this process's own in the temporary folder.
std::string ScratchPath() {
    const char* folder = std::getenv("TMPDIR");
    std::string path = folder && *folder ? folder : "/tmp";
    return path + "/sluice-fuzz-" + std::to_string(getpid()) + ".ini";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = ScratchPath();
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) std::abort();
    bool written = std::fwrite(data, 1, size, out) == size;
    if (std::fclose(out) != 0 || !written) std::abort();
    for (int flags : {0, static_cast<int>(kIniRaw)}) {
        KeyedTable table;
        LoadIni(path.c_str(), table, flags);
    }
    std::remove(path.c_str());
    return 0;
}

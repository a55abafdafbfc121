// A definition file and the file its records point at. The input up to its
// first empty line is the definition file, the rest the configuration file's
// text. Both are written to a private folder that is also the Wine prefix,
// so that the configuration text is read as an INI file, an XML document and
// the registry files by the kinds "ini", "xml" and "reg". Each record's
// macros are expanded and its port is read from that one configuration file.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "defs/definition_file.h"
#include "foundation/environment.h"
#include "foundation/keyed_table.h"

namespace {

const char* const kConfigNames[] = {"config", "system.reg", "user.reg"};

std::string g_folder;

void RemoveFolder() {
    for (const char* name : kConfigNames) std::remove((g_folder + "/" + name).c_str());
    std::remove((g_folder + "/sluice.def").c_str());
    rmdir(g_folder.c_str());
}

// The private folder, made on first use and removed when the program ends.
const std::string& Folder() {
    if (g_folder.empty()) {
        const char* base = getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/sluice-fuzz-XXXXXX";
        if (!mkdtemp(&pattern[0])) abort();
        g_folder = pattern;
        setenv("WINEPREFIX", g_folder.c_str(), 1);
        atexit(RemoveFolder);
    }
    return g_folder;
}

void Write(const std::string& path, const std::string& text) {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) abort();
    bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    if (std::fclose(out) != 0 || !written) abort();
}

// Fixed places for the macros, so that every run expands them alike.
KeyedTable Environment() {
    KeyedTable env;
    env.SetEnum(900008, "/opt/sluice");
    env.SetEnum(900010, "/home/user/Desktop");
    env.SetEnum(900019, "/tmp");
    env.SetEnum(900021, "C:\\windows");
    env.SetEnum(900025, "C:\\Program Files");
    env.SetEnum(900026, "C:");
    env.SetEnum(900028, "/home/user");
    return env;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const KeyedTable env = Environment();
    const std::string& folder = Folder();
    std::string input(reinterpret_cast<const char*>(data), size);
    size_t blank = input.find("\n\n");
    std::string definitions = input.substr(0, blank);
    std::string config = blank == std::string::npos ? "" : input.substr(blank + 2);

    std::string definitionFile = folder + "/sluice.def";
    Write(definitionFile, definitions);
    for (const char* name : kConfigNames) Write(folder + "/" + name, config);
    std::string configFile = folder + "/config";
    ForEachDefinition(definitionFile, [&](const StrList& fields) {
        ExpandMacros(fields.GetAt(kDefProgram), env);
        ExpandMacros(fields.GetAt(kDefConfig), env);
        ReadDefinitionPort(fields, configFile);
    });
    for (const char* name : kConfigNames) std::remove((folder + "/" + name).c_str());
    std::remove(definitionFile.c_str());
    return 0;
}

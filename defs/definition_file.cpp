#include "defs/definition_file.h"

#include "defs/watch_table.h"
#include "foundation/data_folders.h"
#include "foundation/environment.h"
#include "foundation/keyed_table.h"
#include "foundation/mbs.h"
#include "foundation/memfile.h"
#include "foundation/settings.h"
#include "foundation/sysinfo.h"
#include "foundation/trace.h"
#include "net/registry.h"
#include "upnp/device_description.h"

namespace {

// Environment entry of the program's path without its extension.
constexpr int kProgramWithoutExtEntry = 900007;
// A line is read up to this many bytes; a longer one goes on as the next line.
constexpr size_t kLineBuffer = 1000;

const char kFieldDelimiters[] = "\t;\r\n;\n";

std::string ReadIniPort(const std::string& config, const char* locator) {
    KeyedTable table;
    LoadIni(config.c_str(), table, 0);
    return table.Get(locator);
}

// The root key name before the first backslash, the key path and value name
// after it; "" when there is no backslash.
std::string ReadRegistryPort(const std::string& locator) {
    size_t slash = locator.find('\\');
    if (slash == std::string::npos) return std::string();
    std::string root = locator.substr(0, slash);
    std::string rest = locator.substr(slash + 1);
    std::string text;
    int number = 0;
    ReadRegistryValue(root.c_str(), rest.c_str(), &text, &number);
    return text;
}

}  // namespace

std::string LocateDefinitionFile() {
    std::string beside = std::string(SharedEnvironment().GetEnum(kProgramWithoutExtEntry)) + ".def";
    // An installed program finds the shipped file in its data folder.
    std::string path = DataFile(beside.substr(beside.find_last_of('/') + 1));
    glb_Environment.SetEnum(kDefinitionFileEntry, path);
    return path;
}

bool ForEachDefinition(const std::string& file, const std::function<void(const StrList&)>& visit) {
    MemFile* text = MemOpen(file.c_str(), "fr");
    if (!text) return false;
    char line[kLineBuffer];
    while (MemReadLine(line, sizeof line, text, 1) > 0) {
        if (line[0] == '#') continue;
        StrList fields(line, kFieldDelimiters);
        if (fields.Count() < kDefinitionMinFields) continue;
        visit(fields);
    }
    MemClose(text);
    return true;
}

std::string ReadDefinitionPort(const StrList& fields, const std::string& config) {
    std::string kind = MbsLower(std::string(fields.GetAt(kDefKind)));
    const char* locator = fields.GetAt(kDefLocator);
    if (kind == "fix") return locator;
    if (kind == "reg") return ReadRegistryPort(locator);
    if (!FileExists(config.c_str())) return std::string();
    if (kind == "ini") return ReadIniPort(config, locator);
    std::string port;
    if (kind == "xml") ReadXmlText(config.c_str(), locator, port);
    return port;
}

int CheckDef() {
    Trace("CheckDef() S");
    ClearWatchTable();
    std::string file = LocateDefinitionFile();
    if (!FileExists(file.c_str())) return -1;
    const KeyedTable& env = SharedEnvironment();
    ForEachDefinition(file, [&env](const StrList& fields) {
        std::string program = ExpandMacros(fields.GetAt(kDefProgram), env);
        if (!FileExists(program.c_str())) return;
        std::string config = ExpandMacros(fields.GetAt(kDefConfig), env);
        std::string port = ReadDefinitionPort(fields, config);
        if (port.empty()) return;
        AddWatchEntry(program, port, fields.GetAt(kDefTitle), fields.GetAt(kDefProtocol));
    });
    Trace("CheckDef() E");
    return 0;
}

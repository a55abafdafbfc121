#include "net/registry.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "foundation/mbs.h"
#include "net/wine_registry.h"

namespace {

// The registry file holding a root key, or nullptr for a root Wine keeps
// elsewhere or an unknown name (matched exactly, as the system does).
const char* RootFile(const char* root) {
    if (std::strcmp(root, "HKEY_LOCAL_MACHINE") == 0) return "system.reg";
    if (std::strcmp(root, "HKEY_CURRENT_USER") == 0) return "user.reg";
    return nullptr;
}

// The prefix folder as the system names it (UTF-8), "" when there is none.
std::string WinePrefix() {
    const char* prefix = std::getenv("WINEPREFIX");
    if (prefix && *prefix) return prefix;
    const char* home = std::getenv("HOME");
    return home && *home ? std::string(home) + "/.wine" : "";
}

bool LoadRootFile(const char* root, std::string& text) {
    const char* file = RootFile(root);
    std::string prefix = WinePrefix();
    if (!file || prefix.empty()) return false;
    std::ifstream in(prefix + "/" + file, std::ios::binary);
    if (!in) return false;
    std::ostringstream content;
    content << in.rdbuf();
    text = content.str();
    return true;
}

// Key path and value name: the value name follows the last backslash (a
// trail byte equal to a backslash does not count); without such a backslash
// past the first character the whole path names a value of the root key.
void SplitValuePath(const std::string& path, std::string& key, std::string& value) {
    int last = MbsFindLast(path.c_str(), "\\");
    if (last <= 0) {
        key.clear();
        value = path;
        return;
    }
    key = path.substr(0, last);
    value = path.substr(last + 1);
    key.erase(0, key.find_first_not_of('\\'));
}

}  // namespace

unsigned ReadRegistryValue(const char* root, const char* valuePath, std::string* text,
                           int* number) {
    if (text) text->clear();
    if (number) *number = 0;
    std::string key, value, fileText, data;
    SplitValuePath(valuePath ? valuePath : "", key, value);
    if (!root || !LoadRootFile(root, fileText) ||
        !FindWineRegistryValue(fileText, key, value, &data)) {
        return kRegistryFailure;
    }
    if (text) *text = data.c_str();
    if (number) {
        unsigned bytes[4] = {0, 0, 0, 0};
        for (size_t i = 0; i < 4 && i < data.size(); ++i)
            bytes[i] = static_cast<unsigned char>(data[i]);
        *number = static_cast<int>(bytes[0] | bytes[1] << 8 | bytes[2] << 16 | bytes[3] << 24);
    }
    return 0;
}

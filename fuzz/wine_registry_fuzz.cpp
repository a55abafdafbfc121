// A Wine registry file (system.reg, user.reg) searched for a value. The
// first line of the input is the value's path as the program names it
// ("Key\\Path\\Value"), the rest the file's text; the proxy settings are
// looked up in it as well.
#include <cstdint>
#include <string>

#include "net/wine_registry.h"

namespace {

const char kProxyKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

void Find(const std::string& text, const std::string& key, const std::string& value) {
    std::string found;
    FindWineRegistryValue(text, key, value, &found);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);
    size_t feed = input.find('\n');
    std::string path = input.substr(0, feed);
    std::string text = feed == std::string::npos ? "" : input.substr(feed + 1);
    size_t slash = path.rfind('\\');
    if (slash == std::string::npos) {
        Find(text, "", path);
    } else {
        Find(text, path.substr(0, slash), path.substr(slash + 1));
    }
    Find(text, kProxyKey, "ProxyServer");
    Find(text, kProxyKey, "ProxyEnable");
    Find(text, kProxyKey, "");
    return 0;
}

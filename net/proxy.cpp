#include "net/proxy.h"

#include <cstdlib>

#include "platform/charset.h"

namespace {

std::string EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value ? platform::Utf8ToCp932(value) : "";
}

}  // namespace

std::string ProxyAddressFromUrl(const std::string& url) {
    size_t schemeEnd = url.find("://");
    std::string address = schemeEnd == std::string::npos ? url : url.substr(schemeEnd + 3);
    address = address.substr(0, address.find('/'));
    size_t at = address.rfind('@');
    return at == std::string::npos ? address : address.substr(at + 1);
}

int GetSystemProxy(std::string* address, int* enabled) {
    std::string url = EnvironmentValue("http_proxy");
    if (url.empty()) url = EnvironmentValue("HTTP_PROXY");
    std::string found = ProxyAddressFromUrl(url);
    if (address) *address = found;
    if (enabled) *enabled = found.empty() ? 0 : 1;
    return 0;
}

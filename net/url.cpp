#include "net/url.h"

namespace {

bool LooksLikeHost(const std::string& segment) {
    for (const char* marker : {"www.", ".com", ".jp", ".org", ".net", ".info", ":"}) {
        if (segment.find(marker) != std::string::npos) return true;
    }
    return false;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsControlByte(int byte) {
    return byte < 0x20 || byte == 0x7F;
}

std::string DecodePath(const std::string& path) {
    std::string out;
    for (size_t i = 0; i < path.size(); ++i) {
        char c = path[i];
        if (c == '+') {
            out += ' ';
            continue;
        }
        int high = c == '%' && i + 2 < path.size() ? HexValue(path[i + 1]) : -1;
        int low = high >= 0 ? HexValue(path[i + 2]) : -1;
        if (low < 0 || IsControlByte(high * 16 + low)) {
            out += c;
            continue;
        }
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return out;
}

// Reads host, port and path from text, which starts with the host.
void SplitAuthority(const std::string& text, ParsedUrl& url) {
    size_t hostEnd = text.find_first_of(":/");
    url.host = text.substr(0, hostEnd);
    size_t slash = text.find('/', hostEnd == std::string::npos ? text.size() : hostEnd);
    if (hostEnd != std::string::npos && text[hostEnd] == ':') {
        url.port = text.substr(
            hostEnd + 1, slash == std::string::npos ? std::string::npos : slash - hostEnd - 1);
    }
    url.path = "/" + (slash == std::string::npos ? std::string() : text.substr(slash + 1));
}

}  // namespace

ParsedUrl ParseUrl(const char* url, const char* defaultPort) {
    std::string text = url ? url : "";
    ParsedUrl parsed;
    size_t schemeEnd = text.find("://");
    if (schemeEnd != std::string::npos) {
        parsed.scheme = text.substr(0, schemeEnd);
        SplitAuthority(text.substr(schemeEnd + 3), parsed);
    } else if (LooksLikeHost(text.substr(0, text.find('/')))) {
        SplitAuthority(text, parsed);
    } else {
        parsed.path = text;
    }
    if (parsed.port.empty()) parsed.port = defaultPort ? defaultPort : "";
    if (parsed.path.find('%', 1) != std::string::npos) parsed.path = DecodePath(parsed.path);
    return parsed;
}

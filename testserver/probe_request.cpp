#include "testserver/probe_request.h"

#include <cstdlib>

namespace {

constexpr char kScript[] = "/cgi-bin/port_scan.php";
constexpr size_t kMaxLogged = 200;

std::string RequestLine(const std::string& head) {
    return head.substr(0, head.find_first_of("\r\n"));
}

// The value of name in the query ("" when absent).
std::string QueryValue(const std::string& query, const std::string& name) {
    size_t start = 0;
    while (start <= query.size()) {
        size_t end = query.find('&', start);
        if (end == std::string::npos) end = query.size();
        std::string pair = query.substr(start, end - start);
        if (pair.compare(0, name.size() + 1, name + "=") == 0) return pair.substr(name.size() + 1);
        start = end + 1;
    }
    return std::string();
}

// 1-65535 written in decimal digits only, else 0.
int PortValue(const std::string& text) {
    if (text.empty() || text.size() > 5) return 0;
    for (char c : text) {
        if (c < '0' || c > '9') return 0;
    }
    long port = std::strtol(text.c_str(), nullptr, 10);
    return port >= 1 && port <= 65535 ? static_cast<int>(port) : 0;
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

int ParseProbeRequest(const std::string& head, Probe* probe) {
    std::string line = RequestLine(head);
    size_t space = line.find(' ');
    if (space == std::string::npos) return 400;
    if (line.compare(0, space, "GET") != 0) return 405;
    size_t targetEnd = line.find(' ', space + 1);
    std::string target = line.substr(
        space + 1, targetEnd == std::string::npos ? std::string::npos : targetEnd - space - 1);
    size_t mark = target.find('?');
    std::string path = target.substr(0, mark);
    std::string query = mark == std::string::npos ? std::string() : target.substr(mark + 1);
    if (!EndsWith(path, kScript)) return 404;
    probe->port = PortValue(QueryValue(query, "port"));
    probe->udp = QueryValue(query, "prot") == "1";
    return probe->port != 0 ? 200 : 400;
}

std::string LoggableRequestLine(const std::string& head) {
    std::string line = RequestLine(head);
    std::string safe;
    for (char c : line) {
        if (safe.size() >= kMaxLogged) break;
        safe += (c >= 0x20 && c < 0x7F) ? c : '?';
    }
    return safe;
}

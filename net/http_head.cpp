#include "net/http_head.h"

#include <string>
#include <vector>

#include "foundation/mbs.h"

namespace {

constexpr size_t kMaxLineBytes = 3000;

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

// Tabs to spaces, runs of spaces shortened, spaces around ":" removed.
std::string Normalized(std::string line) {
    ReplaceAll(line, "\t", " ");
    ReplaceAll(line, "  ", " ");
    ReplaceAll(line, "  ", " ");
    ReplaceAll(line, " :", ":");
    ReplaceAll(line, ": ", ":");
    return line;
}

// The lines up to the first empty one.
std::vector<std::string> HeadLines(const char* head, size_t length) {
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < length) {
        size_t end = at;
        while (end < length && head[end] != '\r' && head[end] != '\n') ++end;
        if (end == at) break;
        lines.emplace_back(head + at, end - at < kMaxLineBytes ? end - at : kMaxLineBytes);
        at = end;
        if (at < length && head[at] == '\r') ++at;
        if (at < length && head[at] == '\n') ++at;
    }
    return lines;
}

std::string StatusCode(const std::string& statusLine) {
    size_t start = statusLine.find(' ');
    if (start == std::string::npos) return "";
    size_t end = statusLine.find(' ', start + 1);
    return statusLine.substr(start + 1, end == std::string::npos ? end : end - start - 1);
}

}  // namespace

size_t FindHeadEnd(const char* data, size_t length, size_t searched) {
    // An end that was not in the searched bytes may still begin in their last
    // three.
    size_t from = searched > 3 ? searched - 3 : 0;
    if (from >= length) return 0;
    const char* crlf = FindBytes(data + from, "\r\n\r\n", length - from, 4);
    const char* lf = FindBytes(data + from, "\n\n", length - from, 2);
    // A head ended by LF LF may be followed by a body holding CR LF CR LF.
    if (lf && (!crlf || lf < crlf)) return lf - data + 2;
    return crlf ? crlf - data + 4 : 0;
}

void ParseHttpHead(const char* head, size_t length, KeyedTable& table) {
    std::vector<std::string> lines = HeadLines(head, length);
    if (lines.empty()) return;
    for (size_t i = 1; i < lines.size(); ++i) {
        std::string line = Normalized(lines[i]);
        size_t colon = line.find(':');
        if (colon != std::string::npos) table.Set(line.substr(0, colon), line.substr(colon + 1));
    }
    // Stored last, so that no header line can stand in for the status.
    table.Set("Return-Code", StatusCode(Normalized(lines[0])));
}

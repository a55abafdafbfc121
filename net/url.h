// Splitting a URL into scheme, host, port and path.
#pragma once

#include <string>

struct ParsedUrl {
    std::string scheme;  // text before "://", "" when there is none
    std::string host;
    std::string port;  // the caller's default when the URL names none
    std::string path;  // "/" and everything after the host and port, query included
};

// A URL without "://" has a host only when its first "/"-segment looks like one
// (contains "www.", ".com", ".jp", ".org", ".net", ".info" or ":"); otherwise
// the whole text is the path. A path with "%" after its first character is
// decoded ("+" to space, "%41" to "A"), except that control bytes stay encoded
// so they can never break the request line.
ParsedUrl ParseUrl(const char* url, const char* defaultPort);

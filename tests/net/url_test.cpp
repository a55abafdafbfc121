#include "net/url.h"

#include <gtest/gtest.h>

namespace {

struct UrlCase {
    const char* url;
    const char* scheme;
    const char* host;
    const char* port;
    const char* path;
};

TEST(ParseUrlTest, SplitsSchemeHostPortAndPath) {
    const UrlCase cases[] = {
        {"http://host:8080/a/b?x=1", "http", "host", "8080", "/a/b?x=1"},
        {"http://host/a/b", "http", "host", "80", "/a/b"},
        {"http://host", "http", "host", "80", "/"},
        {"http://host:8080", "http", "host", "8080", "/"},
        {"http://host:/x", "http", "host", "80", "/x"},
        {"http://192.168.0.1:2869/desc.xml", "http", "192.168.0.1", "2869", "/desc.xml"},
        {"http://host/a:b/c", "http", "host", "80", "/a:b/c"},
        {"www.example.org/x", "", "www.example.org", "80", "/x"},
        {"example.com", "", "example.com", "80", "/"},
        {"example.jp:8000/p", "", "example.jp", "8000", "/p"},
        {"10.0.0.1:81/p", "", "10.0.0.1", "81", "/p"},
        {"/sluice/CgiServer.dat", "", "", "80", "/sluice/CgiServer.dat"},
        {"router/desc.xml", "", "", "80", "router/desc.xml"},
        {"", "", "", "80", ""},
    };
    for (const UrlCase& c : cases) {
        SCOPED_TRACE(c.url);
        ParsedUrl url = ParseUrl(c.url, "80");
        EXPECT_EQ(url.scheme, c.scheme);
        EXPECT_EQ(url.host, c.host);
        EXPECT_EQ(url.port, c.port);
        EXPECT_EQ(url.path, c.path);
    }
}

TEST(ParseUrlTest, DecodesPercentEscapesButKeepsControlBytesEncoded) {
    const std::pair<const char*, const char*> cases[] = {
        {"http://h/a%41%62", "/aAb"},
        {"http://h/a+b%2fc", "/a b/c"},
        {"http://h/a+b", "/a+b"},  // no "%" after the first character: left as written
        {"http://h/%", "/%"},
        {"http://h/x%4", "/x%4"},
        {"http://h/x%zz", "/x%zz"},
        {"http://h/x%0D%0AHost:%20evil", "/x%0D%0AHost: evil"},
        {"http://h/x%00y%7f", "/x%00y%7f"},
        {"http://h/%93%fa", "/\x93\xfa"},
    };
    for (const auto& [url, path] : cases) {
        SCOPED_TRACE(url);
        EXPECT_EQ(ParseUrl(url, "80").path, path);
    }
}

TEST(ParseUrlTest, UsesTheCallersDefaultPort) {
    EXPECT_EQ(ParseUrl("http://host/", "8080").port, "8080");
    EXPECT_EQ(ParseUrl("http://host:1/", "8080").port, "1");
    EXPECT_EQ(ParseUrl(nullptr, "80").path, "");
}

}  // namespace

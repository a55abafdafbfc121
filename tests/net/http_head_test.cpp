#include "net/http_head.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(FindHeadEndTest, EndsAtTheFirstBlankLine) {
    const std::pair<std::string, size_t> cases[] = {
        {"HTTP/1.0 200 OK\r\nA: b\r\n\r\nbody", 25}, {"HTTP/1.0 200 OK\nA: b\n\nbody", 22},
        {"HTTP/1.0 200 OK\nA: b\n\nx\r\n\r\n", 22},  {"HTTP/1.0 200 OK\r\nA: b\r\n\r\nx\n\n", 25},
        {"HTTP/1.0 200 OK\r\nA: b\r\n", 0},          {"", 0},
    };
    for (const auto& [text, end] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(FindHeadEnd(text.data(), text.size()), end);
    }
}

// A head that arrives byte by byte is searched from where the last search
// stopped, and still ends where a search of the whole text ends.
TEST(FindHeadEndTest, ResumedSearchFindsTheSameEnd) {
    for (const std::string text :
         {"HTTP/1.0 200 OK\r\nA: b\r\n\r\nbody", "HTTP/1.0 200 OK\nA: b\n\nx\r\n\r\n",
          "HTTP/1.0 200 OK\r\nA: b\r\n\r\nx\n\n", "\n\n", "\r\n\r\n"}) {
        SCOPED_TRACE(text);
        size_t found = 0;
        size_t length = 0;
        while (found == 0 && length < text.size()) {
            ++length;
            found = FindHeadEnd(text.data(), length, length - 1);
        }
        EXPECT_EQ(FindHeadEnd(text.data(), text.size()), found);
    }
}

TEST(ParseHttpHeadTest, ReadsStatusAndHeaderLines) {
    std::string head =
        "HTTP/1.1  404\tNot Found\r\n"
        "Content-Type : text/xml;  charset=\"utf-8\"\r\n"
        "content-length:\t12\n"
        "Server: a: b\r"
        "no colon here\r\n"
        "Return-Code: 200\r\n"
        "X-Twice: first\r\n"
        "x-twice: second\r\n"
        "\r\n"
        "Ignored: after the blank line\r\n";
    KeyedTable table;
    ParseHttpHead(head.data(), head.size(), table);
    EXPECT_STREQ(table.Get("Return-Code"), "404");
    EXPECT_STREQ(table.Get("CONTENT-TYPE"), "text/xml; charset=\"utf-8\"");
    EXPECT_EQ(table.GetInt("Content-Length"), 12);
    EXPECT_STREQ(table.Get("server"), "a:b");
    EXPECT_STREQ(table.Get("X-Twice"), "second");
    EXPECT_STREQ(table.Get("Ignored"), "");
    EXPECT_STREQ(table.Get("no colon here"), "");
}

TEST(ParseHttpHeadTest, TakesAtMost3000BytesOfALine) {
    std::string head = "HTTP/1.0 200 OK\r\nLong: " + std::string(5000, 'x') + "\r\nNext: 1\r\n\r\n";
    KeyedTable table;
    ParseHttpHead(head.data(), head.size(), table);
    EXPECT_EQ(std::string(table.Get("Long")), std::string(3000 - 6, 'x'));
    EXPECT_STREQ(table.Get("Next"), "1");
}

}  // namespace

#include "net/http_exchange.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "net/http_date.h"
#include "net/timed_calls.h"
#include "tests/support/fake_http_server.h"

namespace {

const char kRequest[] = "GET /x HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";

class HttpExchangeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        request_ = MemOpen("0", "mw");
        MemWrite(request_, kRequest, sizeof kRequest - 1);
        body_ = MemOpen("0", "mw");
    }
    void TearDown() override {
        MemClose(request_);
        MemClose(body_);
    }

    int Exchange(int limitMs = 3000) {
        return HttpExchange("127.0.0.1", server_.PortText().c_str(), request_, body_, limitMs,
                            &info_);
    }
    std::string Body() const { return std::string(MemData(body_), MemLength(body_)); }

    FakeHttpServer server_;
    MemFile* request_ = nullptr;
    MemFile* body_ = nullptr;
    HttpResultInfo info_;
};

TEST_F(HttpExchangeTest, SendsTheRequestAndReadsAnAnswerWithContentLength) {
    server_.Enqueue(FakeAnswer::Http(200, "<ip>7.7.7.7</ip>", "Server: fake\r\n"));
    EXPECT_EQ(Exchange(), 200);
    EXPECT_EQ(Body(), "<ip>7.7.7.7</ip>");
    EXPECT_EQ(MemData(body_)[MemLength(body_)], '\0');
    ASSERT_TRUE(server_.WaitForRequests(1, 1000));
    EXPECT_EQ(server_.Requests()[0].raw, kRequest);
    EXPECT_EQ(info_.sent, static_cast<int>(sizeof kRequest - 1));
    EXPECT_EQ(info_.requestLength, info_.sent);
    EXPECT_EQ(info_.received, 16);
    EXPECT_EQ(info_.contentLength, 16);
    EXPECT_STREQ(info_.headers.Get("server"), "fake");
    EXPECT_STREQ(info_.headers.Get("Return-Code"), "200");
}

// Each answer is followed, after a pause, by bytes that must not be read:
// the exchange has to stop where the answer says it ends.
TEST_F(HttpExchangeTest, StopsWhereTheAnswerEnds) {
    struct Case {
        const char* name;
        std::string answer;
        int status;
        std::string body;
    };
    const Case cases[] = {
        {"content-length in lower case", "HTTP/1.1 200 OK\r\ncontent-length: 5\r\n\r\nhello", 200,
         "hello"},
        {"chunked",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4\r\n<New\r\n3\r\nIP>\r\n0\r\n\r\n",
         200, "<NewIP>"},
        {"chunked in capitals",
         "HTTP/1.1 206 Partial\r\nTRANSFER-ENCODING: Chunked\r\n\r\n2\r\nok\r\n0\r\n\r\n", 206,
         "ok"},
        {"error status", "HTTP/1.1 500 Internal Server Error\r\nContent-Length: 7\r\n\r\n<fault>",
         500, "<fault>"},
        {"redirect", "HTTP/1.0 302 Found\r\nLocation: /y\r\nContent-Length: 5\r\n\r\nmoved", 302,
         "moved"},
        {"not modified", "HTTP/1.1 304 Not Modified\r\n\r\n", 304, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeAnswer answer = FakeAnswer::Raw(c.answer);
        answer.segments.push_back("MORE");
        answer.pauseMs = 300;
        server_.Enqueue(answer);
        MemSetLength(body_, 0);
        EXPECT_EQ(Exchange(), c.status);
        EXPECT_EQ(Body(), c.body);
    }
}

TEST_F(HttpExchangeTest, ReadsPiecesUntilTheServerCloses) {
    struct Case {
        const char* name;
        std::string answer;
        size_t piece;
        std::string body;
    };
    const Case cases[] = {
        {"no content-length", "HTTP/1.0 200 OK\r\nServer: x\r\n\r\nfirst part, second part", 9,
         "first part, second part"},
        {"content-length 0", "HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\nabcdef", 4, "abcdef"},
        {"head ends with LF LF", "HTTP/1.0 200 OK\nContent-Type: text/plain\n\nline1\r\n\r\nline2",
         5, "line1\r\n\r\nline2"},
        {"head split byte by byte", "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nbody", 1, "body"},
        {"chunks split inside their size lines",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: "
         "chunked\r\n\r\n6\r\n<NewEx\r\n11\r\nternalIPAddress>1\r\n0\r\n\r\n",
         7, "<NewExternalIPAddress>1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        server_.Enqueue(FakeAnswer::Raw(c.answer).InPieces(c.piece, 10));
        MemSetLength(body_, 0);
        EXPECT_EQ(Exchange(), 200);
        EXPECT_EQ(Body(), c.body);
    }
}

TEST_F(HttpExchangeTest, LastModifiedStampsTheBody) {
    const char* date = "Thu, 05 Dec 2026 02:30:00 GMT";
    server_.Enqueue(FakeAnswer::Http(200, "x", "Last-Modified: " + std::string(date) + "\r\n"));
    EXPECT_EQ(Exchange(), 200);
    EXPECT_EQ(MemWriteTime(body_), DateTextToFileTime(date));
}

TEST_F(HttpExchangeTest, NoCompleteHeadWithinTheLimitGivesStatusZero) {
    FakeAnswer silent = FakeAnswer::Silent();
    FakeAnswer halfHead = FakeAnswer::Raw("HTTP/1.1 200 OK\r\nContent-Le");
    halfHead.holdMs = 10000;
    for (const FakeAnswer& answer : {silent, halfHead}) {
        server_.Enqueue(answer);
        auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(Exchange(2000), 0);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(8));
        EXPECT_EQ(MemLength(body_), 0u);
        EXPECT_STREQ(info_.headers.Get("Return-Code"), "");
    }
}

TEST_F(HttpExchangeTest, AnswerCutOffAfterTheHeadKeepsWhatCame) {
    FakeAnswer answer = FakeAnswer::Raw("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\npartial");
    answer.holdMs = 10000;
    server_.Enqueue(answer);
    EXPECT_EQ(Exchange(2000), 200);
    EXPECT_EQ(Body(), "partial");
}

TEST_F(HttpExchangeTest, ConnectionProblemsGiveMinusOne) {
    std::string closedPort;
    {
        FakeHttpServer gone;
        closedPort = gone.PortText();
    }
    EXPECT_EQ(HttpExchange("127.0.0.1", closedPort.c_str(), request_, body_, 2000, nullptr), -1);
    EXPECT_EQ(HttpExchange("nonexistent.invalid", "80", request_, body_, 2000, nullptr), -1);
    EXPECT_EQ(HttpExchange("127.0.0.1", "0", request_, body_, 2000, nullptr), -1);
    EXPECT_EQ(HttpExchange("127.0.0.1", "70000", request_, body_, 2000, nullptr), -1);
    MemFile* empty = MemOpen("0", "mw");
    EXPECT_EQ(HttpExchange("127.0.0.1", server_.PortText().c_str(), empty, body_, 2000, nullptr),
              -1);
    MemClose(empty);
    EXPECT_EQ(server_.ConnectionCount(), 0);
}

TEST_F(HttpExchangeTest, ServerThatClosesAtOnceGivesStatusZero) {
    server_.Enqueue(FakeAnswer::Raw(""));
    EXPECT_EQ(Exchange(), 0);
    EXPECT_EQ(MemLength(body_), 0u);
}

// A router's error body says what went wrong: it is read to its end, not
// cut off after the piece that came with the head.
TEST_F(HttpExchangeTest, ErrorAnswerIsReadWhole) {
    std::string fault =
        "<s:Fault><errorCode>718</errorCode>" + std::string(300, ' ') + "</s:Fault>";
    server_.Enqueue(
        FakeAnswer::Raw("HTTP/1.1 500 Internal Server Error\r\n\r\n" + fault).InPieces(100, 50));
    EXPECT_EQ(Exchange(), 500);
    EXPECT_EQ(Body(), fault);
}

// A server that sends one byte at a time holds the exchange only for its
// time limit, counted from the connect.
TEST_F(HttpExchangeTest, DrippingServerEndsAtTheTimeLimit) {
    FakeAnswer drip = FakeAnswer::Raw("HTTP/1.1 200 OK\r\n\r\n");
    drip.segments.resize(1 + 200, "d");  // 20 s of bytes, one per 100 ms
    drip.pauseMs = 100;
    server_.Enqueue(drip);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Exchange(2000), 200);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_GT(Body().size(), 0u);
    EXPECT_LT(Body().size(), 200u);
}

// Heads and bodies far beyond any router's make the exchange fail, and
// nothing of the answer is kept.
TEST_F(HttpExchangeTest, AnswersOverTheCapsFail) {
    std::string lines;
    for (int i = 0; lines.size() < 2 * 1024 * 1024; ++i)
        lines += "X-" + std::to_string(i) + ": v\r\n";
    struct Case {
        const char* name;
        std::string answer;
    };
    const Case cases[] = {
        {"head of 2 MiB", "HTTP/1.1 200 OK\r\n" + lines + "\r\nok"},
        {"body over 1 MiB",
         "HTTP/1.1 200 OK\r\nContent-Length: 1048577\r\n\r\n" + std::string(1048577, 'b')},
        {"body over 1 MiB without length",
         "HTTP/1.1 500 Error\r\n\r\n" + std::string(3 * 1024 * 1024, 'e')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        server_.Enqueue(FakeAnswer::Raw(c.answer));
        MemSetLength(body_, 0);
        MemWrite(body_, "kept", 4);
        EXPECT_EQ(Exchange(5000), 0);
        EXPECT_EQ(Body(), "kept") << "what was in the buffer before stays";
    }
    server_.Enqueue(FakeAnswer::Http(200, std::string(1024 * 1024, 'a')));
    MemSetLength(body_, 0);
    EXPECT_EQ(Exchange(5000), 200) << "exactly 1 MiB is still an answer";
    EXPECT_EQ(Body().size(), 1024u * 1024u);
}

TEST_F(HttpExchangeTest, LargeBodiesArriveWhole) {
    std::string big(350000, 'a');
    for (size_t i = 0; i < big.size(); i += 1000) big[i] = 'b';
    server_.Enqueue(FakeAnswer::Http(200, big));
    EXPECT_EQ(Exchange(), 200);
    EXPECT_EQ(Body(), big);
}

}  // namespace
